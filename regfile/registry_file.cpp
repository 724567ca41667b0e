#include "regfile/registry_file.h"

#include <QChar>
#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <optional>

#include "text/hex_digits.h"
#include "text/qt_text.h"
#include "text/utf16le.h"

namespace {

constexpr std::u16string_view UnicodeHeader = u"Windows Registry Editor Version 5.00";
constexpr std::u16string_view AnsiHeader = u"REGEDIT4";
// The Windows ANSI code page of Japanese Windows, as ICU names it.
constexpr const char* AnsiCodePage = "windows-31j";

constexpr std::uint32_t RegSz = 1;
constexpr std::uint32_t RegBinary = 3;
constexpr std::uint32_t RegDword = 4;

struct Failure {
    RegistryFileError error;
};

[[noreturn]] void fail(int line, std::string message)
{
    throw Failure{{line, std::move(message)}};
}

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

std::u16string_view trimmed(std::u16string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// 1 to 8 hex digits, the whole text.
std::optional<std::uint32_t> parseHex32(std::u16string_view digits)
{
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    std::uint32_t value = 0;
    for (char16_t c : digits) {
        const int digit = hexDigitValue(c);
        if (digit < 0)
            return std::nullopt;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return value;
}

bool startsWithNoCase(std::u16string_view text, std::u16string_view prefix)
{
    return text.size() >= prefix.size() &&
           registryNameKey(text.substr(0, prefix.size())) == registryNameKey(prefix);
}

// ---- Decoding: bytes to lines ----

enum class Encoding { Unicode, Ansi };

struct DecodedFile {
    Encoding encoding = Encoding::Unicode;
    std::vector<std::u16string> lines; // without their CR LF
};

void splitLines(std::u16string_view text, std::vector<std::u16string>& lines)
{
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(u'\n', start);
        std::u16string_view line = text.substr(start, end == text.npos ? text.npos : end - start);
        if (!line.empty() && line.back() == u'\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
        if (end == text.npos)
            return;
        start = end + 1;
    }
}

std::optional<std::u16string> decodeWith(QStringDecoder& decoder, std::string_view bytes)
{
    const QString text =
        decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (decoder.hasError())
        return std::nullopt;
    return text.toStdU16String();
}

bool isHeader(std::u16string_view line)
{
    line = trimmed(line);
    return line == UnicodeHeader || line == AnsiHeader;
}

[[noreturn]] void failNotAnExport()
{
    fail(1, "not a registry export file: the first line is neither \"" + toUtf8(UnicodeHeader) +
                "\" nor \"REGEDIT4\"");
}

// Splits the bytes at each line feed and decodes every line on its own, so
// that a fault is reported with its line. A line feed is never the second
// byte of a CP932 character, so this is sound for both byte encodings; a
// backslash (0x5C) can be, which is why lines are decoded before they are
// read.
void decodeLines(std::string_view bytes, const char* codec, const char* what,
                 std::vector<std::u16string>& lines)
{
    std::size_t start = 0;
    for (int number = 1;; ++number) {
        const std::size_t end = bytes.find('\n', start);
        QStringDecoder decoder(codec, QStringDecoder::Flag::Stateless);
        if (!decoder.isValid())
            fail(0, std::string("this build of Qt cannot decode ") + what +
                        "; export the key again in the Unicode format");
        const auto line = decodeWith(decoder, bytes.substr(start, end - start));
        if (!line) {
            if (number == 1)
                failNotAnExport();
            fail(number, std::string("not valid ") + what + " text");
        }
        splitLines(*line, lines);
        // Whatever follows a first line that is no header is not read.
        if (number == 1 && !isHeader(lines.front()))
            failNotAnExport();
        if (end == bytes.npos)
            return;
        start = end + 1;
    }
}

DecodedFile decode(std::string_view bytes)
{
    DecodedFile file;
    if (bytes.empty())
        fail(0, "the file is empty");
    if (bytes.starts_with("\xFF\xFE")) {
        bytes.remove_prefix(2);
        if (bytes.size() % 2 != 0)
            fail(0, "UTF-16 text with an odd number of bytes: the file is cut short or damaged");
        splitLines(unitsFromUtf16Le(bytes), file.lines);
    } else if (bytes.starts_with("\xEF\xBB\xBF")) {
        // Not what the registry editor writes, but what a text editor may
        // make of its file, and as plain in what it means.
        decodeLines(bytes.substr(3), "UTF-8", "UTF-8", file.lines);
    } else {
        file.encoding = Encoding::Ansi;
        decodeLines(bytes, AnsiCodePage, "CP932 (Shift-JIS)", file.lines);
    }
    if (!isHeader(file.lines.front()))
        failNotAnExport();
    return file;
}

// ---- Parsing: lines to sections ----

std::u16string_view afterComment(std::u16string_view text)
{
    const std::size_t semicolon = text.find(u';');
    return semicolon == text.npos ? text : text.substr(0, semicolon);
}

class Parser {
public:
    Parser(DecodedFile file, const RegistrySectionOf& sectionOf)
        : file_(std::move(file)), sectionOf_(sectionOf)
    {
    }

    std::vector<RegistrySection> run()
    {
        // Line 1 is the header.
        for (next_ = 1; next_ < file_.lines.size();) {
            const std::u16string_view line = trimmed(file_.lines[next_]);
            lineNumber_ = static_cast<int>(next_) + 1;
            ++next_;
            if (line.empty() || line.front() == u';')
                continue;
            if (line.front() == u'[')
                keyLine(line);
            else if (line.front() == u'"' || line.front() == u'@')
                valueLine(line);
            else
                fail(lineNumber_, "neither a key, a value nor a comment");
        }
        std::vector<RegistrySection> sections;
        for (Section& section : sections_)
            sections.push_back(std::move(section.result));
        return sections;
    }

private:
    struct Section {
        std::u16string pathKey; // of the first key of the section
        std::u16string nameKey;
        RegistrySection result;
    };

    static bool covers(std::u16string_view keyPath, std::u16string_view path)
    {
        return path.starts_with(keyPath) &&
               (path.size() == keyPath.size() || path[keyPath.size()] == u'\\');
    }

    void keyLine(std::u16string_view line)
    {
        if (line.back() != u']')
            fail(lineNumber_, "a key line must end with ']'");
        std::u16string_view path = line.substr(1, line.size() - 2);
        const bool deletion = !path.empty() && path.front() == u'-';
        if (deletion)
            path.remove_prefix(1);
        if (path.empty())
            fail(lineNumber_, "the key has no name");
        const std::u16string pathKey = registryNameKey(path);
        current_ = -1;
        if (deletion) {
            std::erase_if(sections_, [&](const Section& s) { return covers(pathKey, s.pathKey); });
            deletedKeys_.push_back(pathKey);
            return;
        }

        const std::vector<std::u16string_view> parts = keyPathParts(path);
        std::optional<std::u16string> name = sectionOf_(parts);
        if (!name)
            return;
        const std::u16string nameKey = registryNameKey(*name);
        const auto found = std::find_if(sections_.begin(), sections_.end(),
                                        [&](const Section& s) { return s.nameKey == nameKey; });
        if (found != sections_.end()) {
            current_ = static_cast<int>(found - sections_.begin());
            return;
        }
        Section section{pathKey, nameKey, {}};
        section.result.name = std::move(*name);
        section.result.cleared = std::any_of(deletedKeys_.begin(), deletedKeys_.end(),
                                             [&](const auto& key) { return covers(key, pathKey); });
        sections_.push_back(std::move(section));
        current_ = static_cast<int>(sections_.size()) - 1;
    }

    // A quoted text from its opening quote; moves the view past the closing one.
    std::u16string quoted(std::u16string_view& text) const
    {
        std::u16string result;
        std::size_t i = 1;
        for (;; ++i) {
            if (i >= text.size())
                fail(lineNumber_, "a quoted text is not closed on its line");
            const char16_t c = text[i];
            if (c == u'"')
                break;
            if (c == u'\\') {
                ++i;
                if (i >= text.size() || (text[i] != u'\\' && text[i] != u'"'))
                    fail(lineNumber_, "a backslash in quotes must be followed by \\ or \"");
            }
            result.push_back(text[i]);
        }
        text.remove_prefix(i + 1);
        return result;
    }

    void expectEnd(std::u16string_view rest) const
    {
        rest = trimmed(rest);
        if (!rest.empty() && rest.front() != u';')
            fail(lineNumber_, "unexpected text after the value");
    }

    void valueLine(std::u16string_view line)
    {
        const int firstLine = lineNumber_;
        std::u16string name;
        if (line.front() == u'@')
            line.remove_prefix(1);
        else
            name = quoted(line);
        line = trimmed(line);
        if (line.empty() || line.front() != u'=')
            fail(lineNumber_, "a value name must be followed by '='");
        line = trimmed(line.substr(1));

        std::optional<RegistryData> data;
        if (line.starts_with(u'-')) {
            expectEnd(line.substr(1));
        } else if (line.starts_with(u'"')) {
            data = quoted(line);
            expectEnd(line);
        } else if (startsWithNoCase(line, u"dword:")) {
            line.remove_prefix(6);
            const std::u16string_view digits = trimmed(afterComment(line));
            const auto value = parseHex32(digits);
            if (!value)
                fail(lineNumber_, "a dword needs 1 to 8 hex digits");
            data = static_cast<std::int32_t>(*value);
        } else if (startsWithNoCase(line, u"hex")) {
            data = hexData(line.substr(3));
        } else {
            fail(lineNumber_, "unknown value type");
        }

        if (current_ < 0)
            return;
        RegistrySection& section = sections_[static_cast<std::size_t>(current_)].result;
        const std::u16string nameKey = registryNameKey(name);
        const auto sameName = [&](std::u16string_view other) {
            return registryNameKey(other) == nameKey;
        };
        const auto value = std::find_if(section.values.begin(), section.values.end(),
                                        [&](const RegistryValue& v) { return sameName(v.name); });
        std::erase_if(section.deleted, sameName);
        if (!data) {
            if (value != section.values.end())
                section.values.erase(value);
            section.deleted.push_back(std::move(name));
        } else if (value != section.values.end()) {
            value->data = std::move(*data);
            value->line = firstLine;
        } else {
            section.values.push_back({std::move(name), std::move(*data), firstLine});
        }
    }

    // hex:... or hex(type):..., with "\" continuations; the view starts after
    // "hex". Later lines are consumed.
    RegistryData hexData(std::u16string_view form)
    {
        const int firstLine = lineNumber_;
        std::uint32_t type = RegBinary;
        if (form.starts_with(u'(')) {
            const std::size_t close = form.find(u')');
            const auto code =
                close == form.npos ? std::nullopt : parseHex32(form.substr(1, close - 1));
            if (!code)
                fail(lineNumber_, "hex( must hold a type number in hex digits and be closed");
            type = *code;
            form.remove_prefix(close + 1);
        }
        if (!form.starts_with(u':'))
            fail(lineNumber_, "hex data must start with ':'");
        form.remove_prefix(1);

        std::u16string joined;
        std::u16string_view part = trimmed(afterComment(form));
        while (part.ends_with(u'\\')) {
            joined += part.substr(0, part.size() - 1);
            // Comment lines may stand between continuation lines.
            while (next_ < file_.lines.size() && trimmed(file_.lines[next_]).starts_with(u';'))
                ++next_;
            // A file cut after the "\" ends in a blank line or none.
            if (next_ >= file_.lines.size() || trimmed(file_.lines[next_]).empty())
                fail(firstLine, "hex data ends in '\\' with no line to continue it");
            lineNumber_ = static_cast<int>(next_) + 1;
            part = trimmed(afterComment(file_.lines[next_]));
            ++next_;
        }
        joined += part;

        std::string bytes;
        std::u16string_view rest = joined;
        while (!rest.empty()) {
            const std::size_t comma = rest.find(u',');
            const std::u16string_view token = trimmed(rest.substr(0, comma));
            const auto byte = token.size() <= 2 ? parseHex32(token) : std::nullopt;
            if (!byte)
                fail(lineNumber_, "hex data must be bytes of 1 or 2 hex digits joined by ','");
            bytes.push_back(static_cast<char>(*byte));
            if (comma == rest.npos)
                break;
            rest.remove_prefix(comma + 1);
        }
        return typedData(type, bytes);
    }

    RegistryData typedData(std::uint32_t type, const std::string& bytes) const
    {
        if (type == RegDword && bytes.size() == 4) {
            std::uint32_t value = 0;
            for (int i = 3; i >= 0; --i)
                value = value << 8 | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
            return static_cast<std::int32_t>(value);
        }
        if (type == RegSz) {
            std::string_view data = bytes;
            if (file_.encoding == Encoding::Unicode && data.size() % 2 == 0) {
                if (data.ends_with(std::string_view("\0\0", 2)))
                    data.remove_suffix(2);
                return unitsFromUtf16Le(data);
            }
            if (file_.encoding == Encoding::Ansi) {
                if (data.ends_with('\0'))
                    data.remove_suffix(1);
                QStringDecoder decoder(AnsiCodePage, QStringDecoder::Flag::Stateless);
                if (auto text = decodeWith(decoder, data))
                    return std::move(*text);
            }
        }
        return RegistryOtherData{type, bytes.size()};
    }

    DecodedFile file_;
    std::size_t next_ = 0;
    int lineNumber_ = 0;
    const RegistrySectionOf& sectionOf_;
    std::vector<Section> sections_;
    std::vector<std::u16string> deletedKeys_;
    int current_ = -1; // the section the value lines now set, or none
};

// ---- Writing ----

void appendHexByte(std::u16string& out, unsigned char byte)
{
    out.push_back(lowerHexDigit(byte >> 4));
    out.push_back(lowerHexDigit(byte));
}

bool needsHexText(std::u16string_view text)
{
    return text.find_first_of(std::u16string_view(u"\r\n\0", 3)) != text.npos;
}

std::u16string quotedText(std::u16string_view text)
{
    std::u16string out = u"\"";
    for (char16_t c : text) {
        if (c == u'\\' || c == u'"')
            out.push_back(u'\\');
        out.push_back(c);
    }
    out.push_back(u'"');
    return out;
}

// hex(1): the text as UTF-16LE with its terminating NUL, wrapped as the
// registry editor wraps it: lines of at most 80 characters, each but the
// last ending in ",\", continuation lines indented by two spaces.
std::u16string hexText(std::u16string_view prefix, std::u16string_view text)
{
    std::string bytes;
    appendUtf16Le(bytes, text);
    bytes.append(2, '\0');
    std::u16string out;
    std::u16string line = std::u16string(prefix) + u"hex(1):";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (line.size() + 3 > 78 && line.size() > 2) {
            out += line + u"\\\r\n";
            line = u"  ";
        }
        appendHexByte(line, static_cast<unsigned char>(bytes[i]));
        if (i + 1 < bytes.size())
            line.push_back(u',');
    }
    return out + line + u"\r\n";
}

} // namespace

std::u16string registryNameKey(std::u16string_view name)
{
    std::u16string key(name);
    for (char16_t& unit : key)
        if (!QChar::isSurrogate(unit))
            unit = static_cast<char16_t>(QChar::toUpper(static_cast<char32_t>(unit)));
    return key;
}

std::vector<std::u16string_view> keyPathParts(std::u16string_view path)
{
    std::vector<std::u16string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = path.find(u'\\', start);
        parts.push_back(path.substr(start, end == path.npos ? path.npos : end - start));
        if (end == path.npos)
            return parts;
        start = end + 1;
    }
}

std::variant<std::vector<RegistrySection>, RegistryFileError>
parseRegistryExport(std::string_view bytes, const RegistrySectionOf& sectionOf)
{
    try {
        return Parser(decode(bytes), sectionOf).run();
    } catch (const Failure& failure) {
        return failure.error;
    }
}

std::string writeRegistryExport(std::u16string_view keyPath, std::span<const RegistryValue> values)
{
    std::u16string text =
        std::u16string(UnicodeHeader) + u"\r\n\r\n[" + std::u16string(keyPath) + u"]\r\n";
    for (const RegistryValue& value : values) {
        const std::u16string name = (value.name.empty() ? u"@" : quotedText(value.name)) + u"=";
        if (const auto* str = std::get_if<std::u16string>(&value.data)) {
            text += needsHexText(*str) ? hexText(name, *str) : name + quotedText(*str) + u"\r\n";
        } else if (const auto* number = std::get_if<std::int32_t>(&value.data)) {
            text += name + u"dword:";
            const auto bits = static_cast<std::uint32_t>(*number);
            for (int shift = 24; shift >= 0; shift -= 8)
                appendHexByte(text, static_cast<unsigned char>(bits >> shift));
            text += u"\r\n";
        }
    }
    text += u"\r\n";

    std::string bytes = "\xFF\xFE";
    bytes.reserve(2 + text.size() * 2);
    appendUtf16Le(bytes, text);
    return bytes;
}
