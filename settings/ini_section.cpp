#include "settings/ini_section.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "text/hex_digits.h"
#include "text/utf8.h"

namespace {

constexpr std::string_view Bom = "\xEF\xBB\xBF";

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// A line's end, a quote, a comment, an equals sign or an escape.
bool isSpecial(char c)
{
    return c == '\n' || c == '\r' || c == '"' || c == ';' || c == '=' || c == '\\';
}

// White space as QSettings trims it from a name.
std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return isSpace(c) || c == '\v' || c == '\f'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// One logical line: a value may go on over several lines inside quotes or
// after a backslash. Comments and blank lines are no lines.
struct Line {
    std::size_t start = 0;
    std::size_t length = 0;
    std::size_t equals = std::string_view::npos; // the first unquoted '=', within the line
    int number = 0;                              // of its first line, counted from 1
    std::u16string section;                      // the section it belongs to (a header: its own)
    bool header = false;
    bool endsInEscape = false;  // a backslash is its last byte, at the file's end
    char escapedBreakAtEnd = 0; // the line break that a backslash escapes as the file's last byte
    std::string_view text(std::string_view data) const { return data.substr(start, length); }
};

// The next logical line from pos, as QSettings splits the file; false at
// the end. openQuote tells that a quote ran to the end of the file.
bool nextLine(std::string_view data, std::size_t& pos, Line& line, bool& openQuote)
{
    bool inQuotes = false;
    line.endsInEscape = false;
    line.escapedBreakAtEnd = 0;
    std::size_t equals = std::string_view::npos;
    std::size_t start = pos;
    while (start < data.size() && isSpace(data[start]))
        ++start;
    std::size_t i = start;
    while (i < data.size()) {
        const char c = data[i++];
        if (!isSpecial(c))
            continue;
        if (c == '=') {
            if (!inQuotes && equals == std::string_view::npos)
                equals = i - 1;
        } else if (c == '\n' || c == '\r') {
            if (i == start + 1) {
                ++start;
            } else if (!inQuotes) {
                --i;
                break;
            }
        } else if (c == '\\') {
            if (i < data.size()) {
                const char escaped = data[i++];
                if (i < data.size()) {
                    const char next = data[i];
                    if ((escaped == '\n' && next == '\r') || (escaped == '\r' && next == '\n'))
                        ++i;
                } else if (escaped == '\n' || escaped == '\r') {
                    line.escapedBreakAtEnd = escaped;
                }
            } else {
                line.endsInEscape = true;
            }
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else if (i == start + 1) { // ';' opens a comment at the start of a line
            while (i < data.size() && data[i] != '\n' && data[i] != '\r')
                ++i;
            while (i < data.size() && isSpace(data[i]))
                ++i;
            start = i;
        } else if (!inQuotes) { // ';' ends the line and opens a comment
            --i;
            break;
        }
    }
    openQuote = inQuotes;
    pos = i;
    line.start = start;
    line.length = i - start;
    line.equals = equals == std::string_view::npos ? equals : equals - start;
    return line.length > 0;
}

std::u16string unitsOf(std::string_view bytes)
{
    std::u16string units;
    appendUtf8Units(units, bytes); // the whole file was checked to be UTF-8
    return units;
}

// A name with its %XX and %UXXXX escapes undone, and "\" as "/".
std::u16string unescapedName(std::string_view bytes)
{
    const std::u16string name = unitsOf(bytes);
    std::u16string result;
    for (std::size_t i = 0; i < name.size();) {
        const char16_t c = name[i];
        if (c == u'\\') {
            result += u'/';
            ++i;
            continue;
        }
        if (c != u'%' || i + 1 == name.size()) {
            result += c;
            ++i;
            continue;
        }
        const std::size_t first = i + (name[i + 1] == u'U' ? 2 : 1);
        const std::size_t digits = name[i + 1] == u'U' ? 4 : 2;
        std::uint32_t value = 0;
        bool ok = first + digits <= name.size();
        for (std::size_t k = first; ok && k < first + digits; ++k) {
            const int digit = hexDigitValue(name[k]);
            ok = digit >= 0;
            value = value << 4 | static_cast<std::uint32_t>(digit);
        }
        if (!ok) {
            result += u'%';
            ++i;
            continue;
        }
        result += static_cast<char16_t>(value);
        i = first + digits;
    }
    return result;
}

// The escapes of one character that QSettings knows.
constexpr std::array<std::pair<char, char16_t>, 11> CharacterEscapes = {{{'a', u'\a'},
                                                                         {'b', u'\b'},
                                                                         {'f', u'\f'},
                                                                         {'n', u'\n'},
                                                                         {'r', u'\r'},
                                                                         {'t', u'\t'},
                                                                         {'v', u'\v'},
                                                                         {'"', u'"'},
                                                                         {'?', u'?'},
                                                                         {'\'', u'\''},
                                                                         {'\\', u'\\'}}};

// The text of a value as QSettings unescapes it, but with every unquoted
// comma taken as part of the text.
class TextUnescaper {
public:
    explicit TextUnescaper(std::string_view bytes) : bytes_(bytes) {}

    std::u16string run()
    {
        skipSpaces();
        while (i_ < bytes_.size()) {
            const char c = bytes_[i_];
            if (c == '\\') {
                if (!escape())
                    return std::move(text_); // nothing is chopped after it
            } else if (c == '"') {
                quote();
            } else {
                plain();
            }
        }
        if (!quoted_)
            while (text_.size() > chopLimit_ && (text_.back() == u' ' || text_.back() == u'\t'))
                text_.pop_back();
        return std::move(text_);
    }

private:
    void skipSpaces()
    {
        while (i_ < bytes_.size() && (bytes_[i_] == ' ' || bytes_[i_] == '\t'))
            ++i_;
    }

    // The escape whose backslash is at i_; false when it ends the text: a
    // last lone backslash, or digits that run to the end.
    bool escape()
    {
        if (++i_ >= bytes_.size())
            return false;
        const char escaped = bytes_[i_++];
        const auto code = std::find_if(CharacterEscapes.begin(), CharacterEscapes.end(),
                                       [&](const auto& e) { return e.first == escaped; });
        if (code != CharacterEscapes.end()) {
            text_ += code->second;
        } else if ((escaped == 'x' && i_ < bytes_.size() && hexDigitValue(bytes_[i_]) >= 0) ||
                   (escaped >= '0' && escaped <= '7')) {
            text_ += numericEscape(escaped);
            if (i_ >= bytes_.size())
                return false;
        } else if (escaped == 'x' && i_ >= bytes_.size()) {
            return false;
        } else if (escaped == '\n' || escaped == '\r') {
            // A line continued on the next.
            if (i_ < bytes_.size() && (bytes_[i_] == '\n' || bytes_[i_] == '\r') &&
                bytes_[i_] != escaped)
                ++i_;
        } // any other escaped character is dropped with its backslash
        chopLimit_ = text_.size();
        return true;
    }

    // \x and hex digits, or octal digits, from the one after the backslash.
    // Digits run on as long as they come; the value wraps at 16 bits.
    char16_t numericEscape(char escaped)
    {
        const bool hex = escaped == 'x';
        std::uint16_t value = hex ? 0 : static_cast<std::uint16_t>(escaped - '0');
        while (i_ < bytes_.size()) {
            const int digit =
                hex ? hexDigitValue(bytes_[i_])
                    : (bytes_[i_] >= '0' && bytes_[i_] <= '7' ? bytes_[i_] - '0' : -1);
            if (digit < 0)
                break;
            value = static_cast<std::uint16_t>(value << (hex ? 4 : 3) | digit);
            ++i_;
        }
        return static_cast<char16_t>(value);
    }

    void quote()
    {
        ++i_;
        quoted_ = true;
        inQuotes_ = !inQuotes_;
        if (!inQuotes_) {
            skipSpaces();
            chopLimit_ = text_.size();
        }
    }

    // Bytes up to the next escape or quote, as they are.
    void plain()
    {
        std::size_t end = i_ + 1;
        while (end < bytes_.size() && bytes_[end] != '\\' && bytes_[end] != '"')
            ++end;
        appendUtf8Units(text_, bytes_.substr(i_, end - i_));
        i_ = end;
    }

    const std::string_view bytes_;
    std::size_t i_ = 0;
    std::u16string text_;
    std::size_t chopLimit_ = 0; // blanks after it are chopped from an unquoted text
    bool quoted_ = false;
    bool inQuotes_ = false;
};

std::u16string unescapedText(std::string_view bytes)
{
    return TextUnescaper(bytes).run();
}

bool startsWith(std::u16string_view text, std::u16string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// The value as a text, or the typed form that QSettings would take it for.
IniValue valueOf(std::u16string text)
{
    if (!startsWith(text, u"@"))
        return {std::move(text), {}};
    if (text.back() == u')') {
        static constexpr std::u16string_view Typed[] = {u"@ByteArray(", u"@Variant(", u"@DateTime(",
                                                        u"@Rect(",      u"@Size(",    u"@Point("};
        for (const std::u16string_view form : Typed)
            if (startsWith(text, form))
                return {std::nullopt, std::string(form.begin(), form.end()) + "...)"};
        if (text == u"@Invalid()")
            return {std::nullopt, "@Invalid()"};
        constexpr std::u16string_view String = u"@String(";
        if (startsWith(text, String))
            return {text.substr(String.size(), text.size() - String.size() - 1), {}};
    }
    if (startsWith(text, u"@@"))
        return {text.substr(1), {}};
    return {std::move(text), {}};
}

struct ScannedFile {
    std::vector<Line> lines;
    bool hasSection = false; // the wanted one
};

Result<ScannedFile> scan(std::string_view data, std::u16string_view section)
{
    std::u16string ignored;
    const std::size_t invalid = appendUtf8Units(ignored, data);
    const auto lineAt = [&](std::size_t at) {
        return 1 + static_cast<int>(std::count(data.begin(), data.begin() + at, '\n'));
    };
    if (invalid != std::string_view::npos)
        return Error{"bytes that are not UTF-8 text", lineAt(invalid)};
    if (const std::size_t nul = data.find('\0'); nul != std::string_view::npos)
        return Error{"a NUL byte, which no text file holds", lineAt(nul)};

    ScannedFile file;
    std::u16string current; // keys before any header belong to the general section
    std::size_t pos = data.substr(0, Bom.size()) == Bom ? Bom.size() : 0;
    std::size_t counted = 0;
    int number = 1;
    Line line;
    bool openQuote = false;
    while (nextLine(data, pos, line, openQuote)) {
        number += static_cast<int>(
            std::count(data.begin() + static_cast<std::ptrdiff_t>(counted),
                       data.begin() + static_cast<std::ptrdiff_t>(line.start), '\n'));
        counted = line.start;
        line.number = number;
        if (openQuote)
            return Error{"a quote that is never closed", number};
        const std::string_view text = line.text(data);
        line.header = text.front() == '[';
        if (line.header) {
            const std::size_t close = text.find(']');
            if (close == std::string_view::npos)
                return Error{"a section header without its closing ']'", number};
            const std::string_view name = trimmed(text.substr(1, close - 1));
            current = unescapedName(name);
            file.hasSection = file.hasSection || current == section;
        } else if (line.equals == std::string_view::npos) {
            return Error{"a line that is neither a section header, a value nor a "
                         "comment",
                         number};
        }
        line.section = current;
        file.lines.push_back(line);
    }
    if (!file.lines.empty() && !file.hasSection) {
        std::string name;
        for (const char16_t c : section)
            appendUtf8(name, c);
        return Error{"it holds no [" + name + "] section"};
    }
    return file;
}

std::u16string nameOf(std::string_view data, const Line& line)
{
    return unescapedName(trimmed(line.text(data).substr(0, line.equals)));
}

// QSettings' escaping of a name, but "/" as %2F: QSettings' backslash
// for it would escape an "=" that follows.
void appendName(std::string& out, std::u16string_view name)
{
    for (const char16_t c : name) {
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
            c == u'_' || c == u'-' || c == u'.') {
            out += static_cast<char>(c);
        } else if (c <= 0xFF) {
            out += '%';
            out += static_cast<char>(upperHexDigit(c >> 4));
            out += static_cast<char>(upperHexDigit(c));
        } else {
            out += "%U";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += static_cast<char>(upperHexDigit(c >> shift));
        }
    }
}

void appendHexEscape(std::string& out, char16_t c)
{
    out += "\\x";
    bool leading = true;
    for (int shift = 12; shift >= 0; shift -= 4) {
        const unsigned digit = c >> shift & 0xFu;
        if (leading && digit == 0 && shift > 0)
            continue;
        leading = false;
        out += static_cast<char>(lowerHexDigit(digit));
    }
}

bool isSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDFFF;
}

// QSettings' writing of a text: wrapped as @String(...) when it holds a NUL,
// "@" doubled at its start, then escaped and quoted where needed. A half
// surrogate pair, which UTF-8 cannot hold, is written as an escape.
void appendText(std::string& out, std::u16string_view value)
{
    std::u16string text(value);
    if (text.find(u'\0') != std::u16string::npos)
        text = u"@String(" + text + u")";
    else if (startsWith(text, u"@"))
        text.insert(text.begin(), u'@');

    const std::size_t start = out.size();
    bool needsQuotes = false;
    bool escapeNextIfDigit = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        needsQuotes = needsQuotes || c == u';' || c == u',' || c == u'=';
        // A digit after a numeric escape would be read as part of it.
        if (escapeNextIfDigit && c < 0x80 && hexDigitValue(c) >= 0) {
            appendHexEscape(out, c);
            continue;
        }
        escapeNextIfDigit = false;
        switch (c) {
        case u'\0':
            out += "\\0";
            escapeNextIfDigit = true;
            break;
        case u'\a': out += "\\a"; break;
        case u'\b': out += "\\b"; break;
        case u'\f': out += "\\f"; break;
        case u'\n': out += "\\n"; break;
        case u'\r': out += "\\r"; break;
        case u'\t': out += "\\t"; break;
        case u'\v': out += "\\v"; break;
        case u'"':
        case u'\\':
            out += '\\';
            out += static_cast<char>(c);
            break;
        default:
            if (c <= 0x1F) {
                appendHexEscape(out, c);
                escapeNextIfDigit = true;
            } else if (!isSurrogate(c)) {
                appendUtf8(out, c);
            } else if (c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                       text[i + 1] <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((char32_t(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
                ++i;
            } else {
                appendHexEscape(out, c);
                escapeNextIfDigit = true;
            }
        }
    }
    if (needsQuotes || (out.size() > start && (out[start] == ' ' || out.back() == ' '))) {
        out.insert(out.begin() + static_cast<std::ptrdiff_t>(start), '"');
        out += '"';
    }
}

// After the line break that follows pos (LF, CR LF or CR), or the end.
std::size_t afterLineEnd(std::string_view data, std::size_t pos)
{
    const std::size_t end = data.find_first_of("\r\n", pos);
    if (end == std::string_view::npos)
        return data.size();
    return end + (data.substr(end, 2) == "\r\n" ? 2 : 1);
}

// The file's own line break, that of its first line; LF for a new file.
std::string lineBreakOf(std::string_view data)
{
    const std::size_t end = data.find_first_of("\r\n");
    if (end == std::string_view::npos)
        return "\n";
    return std::string(data.substr(end, afterLineEnd(data, end) - end));
}

std::string escapedName(std::u16string_view name)
{
    std::string out;
    appendName(out, name);
    return out;
}

std::string lineOf(std::u16string_view name, std::u16string_view text)
{
    std::string line = escapedName(name);
    line += '=';
    appendText(line, text);
    return line;
}

// The lines of one section: the last line of each name, and the section's
// last line (its header when it holds none; nothing when it is absent).
struct SectionLines {
    std::map<std::u16string, const Line*, std::less<>> lineOfName;
    const Line* last = nullptr;
};

SectionLines sectionLinesOf(std::string_view data, const std::vector<Line>& lines,
                            std::u16string_view section)
{
    SectionLines found;
    for (const Line& line : lines) {
        if (line.section != section)
            continue;
        found.last = &line;
        if (!line.header)
            found.lineOfName[nameOf(data, line)] = &line;
    }
    return found;
}

// A change to the file: length bytes at at become text.
struct Edit {
    std::size_t at;
    std::size_t length;
    std::string text;
};

// The block of new lines put after the section's last line, or at the end
// of the file under a new header when the section is absent.
Edit insertion(std::string_view data, std::u16string_view section, const Line* last,
               const std::string& eol, const std::string& block)
{
    std::size_t at = data.size();
    std::string insert;
    if (last != nullptr) {
        at = afterLineEnd(data, last->start + last->length);
    } else {
        // Appended piece by piece: GCC 12 warns, wrongly, about a
        // literal joined to a temporary string in optimised builds.
        insert = '[';
        insert += escapedName(section);
        insert += ']';
        insert += eol;
    }
    if (last != nullptr && last->start + last->length == data.size()) {
        // The section's last line runs to the end of the file, maybe
        // through an escaped line break: a line break ends it, and one
        // more first when the end would take the first one into the
        // value: a backslash there, or an escaped LF that pairs with a
        // CR (or CR with LF) as one line break.
        const bool taken = last->endsInEscape ||
                           (last->escapedBreakAtEnd != 0 && eol.front() != last->escapedBreakAtEnd);
        insert = eol + (taken ? eol : std::string()) + insert;
    } else if (at > 0 && data[at - 1] != '\n' && data[at - 1] != '\r') {
        insert = eol + insert;
    }
    return {at, 0, insert + block};
}

// The file with the edits made, none of which overlap.
std::string edited(std::string_view data, std::vector<Edit> edits)
{
    std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.at > b.at; });
    std::string out(data);
    for (const Edit& edit : edits)
        out.replace(edit.at, edit.length, edit.text);
    return out;
}

} // namespace

Result<IniValues> readIniSection(std::string_view bytes, std::u16string_view section)
{
    Result<ScannedFile> scanned = scan(bytes, section);
    if (!scanned)
        return scanned.error();
    IniValues values;
    for (const Line& line : scanned->lines) {
        if (line.header || line.section != section)
            continue;
        values[nameOf(bytes, line)] =
            valueOf(unescapedText(line.text(bytes).substr(line.equals + 1)));
    }
    return values;
}

std::string writeIniSection(std::string_view bytes, std::u16string_view section,
                            const std::vector<std::pair<std::u16string, std::u16string>>& texts)
{
    Result<ScannedFile> scanned = scan(bytes, section);
    std::vector<Line> lines;
    if (scanned)
        lines = std::move(scanned->lines);
    else
        bytes = {}; // not to be: the caller checked the file

    const std::string eol = lineBreakOf(bytes);
    const SectionLines known = sectionLinesOf(bytes, lines, section);
    std::vector<Edit> edits;
    std::vector<std::pair<std::u16string, std::u16string>> added;
    for (const auto& [name, text] : texts) {
        const auto found = known.lineOfName.find(name);
        if (found != known.lineOfName.end())
            edits.push_back({found->second->start, found->second->length, lineOf(name, text)});
        else
            added.emplace_back(name, text);
    }
    // New names in QSettings' order, as a new file has always had them.
    std::sort(added.begin(), added.end());

    std::string block;
    for (const auto& [name, text] : added)
        block += lineOf(name, text) + eol;
    if (!added.empty() || known.last == nullptr)
        edits.push_back(insertion(bytes, section, known.last, eol, block));
    return edited(bytes, std::move(edits));
}
