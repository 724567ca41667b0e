#include "regfile/export_values.h"

#include <algorithm>

#include "text/utf16le.h"

namespace {

constexpr std::uint32_t RegSz = 1;
constexpr std::uint32_t RegBinary = 3;
constexpr std::uint32_t RegDword = 4;

} // namespace

ValueReader::ValueReader(ExportFormat format) : format_(format)
{
    if (format_ == ExportFormat::Regedit4)
        ansiDecoder_.emplace();
}

ValueLine ValueReader::read(std::u16string_view line, ExportLines& lines)
{
    ValueLine value;
    if (line.front() == u'@')
        line.remove_prefix(1);
    else
        value.name = lines.quoted(line);
    line = trimmed(line);
    if (line.empty() || line.front() != u'=')
        failExport(lines.lineNumber(), "a value name must be followed by '='");
    line = trimmed(line.substr(1));

    if (line.starts_with(u'-')) {
        lines.expectEnd(line.substr(1));
    } else if (line.starts_with(u'"')) {
        value.data = lines.quoted(line);
        lines.expectEnd(line);
    } else if (startsWithNoCase(line, u"dword:")) {
        line.remove_prefix(6);
        const std::u16string_view digits = trimmed(afterComment(line));
        const auto number = parseHex32(digits);
        if (!number)
            failExport(lines.lineNumber(), "a dword needs 1 to 8 hex digits");
        value.data = static_cast<std::int32_t>(*number);
    } else if (startsWithNoCase(line, u"hex")) {
        value.data = hexData(line.substr(3), lines);
    } else {
        failExport(lines.lineNumber(), "unknown value type");
    }
    return value;
}

// hex:... or hex(type):..., with "\" continuations; the view starts after
// "hex".
RegistryData ValueReader::hexData(std::u16string_view form, ExportLines& lines)
{
    std::uint32_t type = RegBinary;
    if (form.starts_with(u'(')) {
        const std::size_t close = form.find(u')');
        const auto code = close == form.npos ? std::nullopt : parseHex32(form.substr(1, close - 1));
        if (!code)
            failExport(lines.lineNumber(),
                       "hex( must hold a type number in hex digits and be closed");
        type = *code;
        form.remove_prefix(close + 1);
    }
    if (!form.starts_with(u':'))
        failExport(lines.lineNumber(), "hex data must start with ':'");
    const std::u16string joined = lines.continuedHex(form.substr(1));

    std::string bytes;
    bytes.reserve(joined.size() / 3 + 1);
    std::u16string_view rest = joined;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(u',');
        const std::u16string_view token = trimmed(rest.substr(0, comma));
        const auto byte = token.size() <= 2 ? parseHex32(token) : std::nullopt;
        if (!byte)
            failExport(lines.lineNumber(),
                       "hex data must be bytes of 1 or 2 hex digits joined by ','");
        bytes.push_back(static_cast<char>(*byte));
        if (comma == rest.npos)
            break;
        rest.remove_prefix(comma + 1);
    }
    return typedData(type, bytes);
}

// A REG_SZ is what a program reading the registry sees: the text up to its
// first NUL, in UTF-16LE units in a Version 5.00 file and in CP932 bytes in
// a REGEDIT4 file.
RegistryData ValueReader::typedData(std::uint32_t type, std::string_view bytes)
{
    if (type == RegDword && bytes.size() == 4) {
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = value << 8 | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
        return static_cast<std::int32_t>(value);
    }
    if (type == RegSz && format_ == ExportFormat::Version5) {
        std::u16string units = unitsFromUtf16Le(bytes);
        const std::size_t nul = units.find(u'\0');
        // A last odd byte before any NUL leaves the text unknown.
        if (nul != std::u16string::npos || bytes.size() % 2 == 0) {
            units.resize(std::min(nul, units.size()));
            return units;
        }
    }
    if (type == RegSz && format_ == ExportFormat::Regedit4) {
        if (const auto text = ansiDecoder_->decode(bytes.substr(0, bytes.find('\0'))))
            return text->toStdU16String();
    }
    return RegistryOtherData{type, bytes.size()};
}
