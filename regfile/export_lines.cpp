#include "regfile/export_lines.h"

#include "regfile/registry_file.h"
#include "text/hex_digits.h"

namespace {

constexpr std::size_t npos = std::u16string_view::npos;

} // namespace

std::u16string_view trimmed(std::u16string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::u16string_view afterComment(std::u16string_view text)
{
    const std::size_t semicolon = text.find(u';');
    return semicolon == text.npos ? text : text.substr(0, semicolon);
}

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

std::u16string_view ExportLines::next()
{
    const std::size_t end = text_.find(u'\n', next_);
    std::u16string_view line = text_.substr(next_, end == npos ? npos : end - next_);
    next_ = end == npos ? npos : end + 1;
    ++lineNumber_;
    // The empty rest after the last line break is no line of its own.
    if (lineNumber_ > RegistryExportMaxLines && !(line.empty() && atEnd()))
        failExport(lineNumber_, "more than " + std::to_string(RegistryExportMaxLines) +
                                    " lines, far more than any export of settings");
    if (line.ends_with(u'\r'))
        line.remove_suffix(1);
    if (line.size() > RegistryExportMaxLineLength)
        failExport(lineNumber_, "a line of more than " +
                                    std::to_string(RegistryExportMaxLineLength) +
                                    " characters, far longer than any export of settings holds");
    // The registry editor's lines are texts, which a NUL would end.
    if (line.find(u'\0') != npos)
        failExport(lineNumber_, "a NUL character: the file is damaged, or is not a text file");
    return line;
}

std::u16string ExportLines::quoted(std::u16string_view& text) const
{
    std::u16string result;
    std::size_t i = 1;
    for (;; ++i) {
        if (i >= text.size())
            failExport(lineNumber_, "a quoted text is not closed on its line");
        char16_t c = text[i];
        if (c == u'"')
            break;
        if (c == u'\\') {
            ++i;
            c = i < text.size() ? text[i] : u'\0';
            if (c == u'n')
                c = u'\n';
            else if (c == u'r')
                c = u'\r';
            else if (c != u'\\' && c != u'"')
                failExport(lineNumber_, "a backslash in quotes must be followed by \\, \", n or r");
        }
        result.push_back(c);
    }
    text.remove_prefix(i + 1);
    return result;
}

void ExportLines::expectEnd(std::u16string_view rest) const
{
    rest = trimmed(rest);
    if (!rest.empty() && rest.front() != u';')
        failExport(lineNumber_, "unexpected text after the value");
}

std::u16string ExportLines::continuedHex(std::u16string_view part)
{
    const int firstLine = lineNumber_;
    std::u16string joined;
    part = trimmed(afterComment(part));
    while (part.ends_with(u'\\')) {
        joined += part.substr(0, part.size() - 1);
        // Comment lines may stand between continuation lines; a file cut
        // after the "\" ends in a blank line or none.
        std::u16string_view line;
        do {
            if (atEnd())
                failExport(firstLine, "hex data ends in '\\' with no line to continue it");
            line = trimmed(next());
        } while (line.starts_with(u';'));
        if (line.empty())
            failExport(firstLine, "hex data ends in '\\' with no line to continue it");
        part = trimmed(afterComment(line));
    }
    joined += part;
    return joined;
}
