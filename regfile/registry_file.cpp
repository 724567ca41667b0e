#include "regfile/registry_file.h"

#include <QChar>

#include <algorithm>
#include <deque>
#include <optional>
#include <unordered_map>

#include "regfile/export_text.h"
#include "text/hex_digits.h"
#include "text/qt_text.h"
#include "text/utf16le.h"

namespace {

constexpr std::size_t npos = std::u16string_view::npos;

constexpr std::uint32_t RegSz = 1;
constexpr std::uint32_t RegBinary = 3;
constexpr std::uint32_t RegDword = 4;

// The reader's nested steps stop at the first fault by throwing it, and
// parseRegistryExport, which alone catches it, returns it.
[[noreturn]] void fail(int line, std::string message)
{
    throw Error{std::move(message), line};
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

// ---- Parsing: lines to sections ----

std::u16string_view afterComment(std::u16string_view text)
{
    const std::size_t semicolon = text.find(u';');
    return semicolon == text.npos ? text : text.substr(0, semicolon);
}

// The value names of one section, each found by its registryNameKey in a
// time that does not grow with their number: an open-addressing table of
// indexes, rebuilt from the kept hashes as it grows. A file may hold very
// many names, so a name is kept small and its spelling is that of its
// mention, kept elsewhere; a table of nodes spends most of its time
// waiting for memory.
class NameTable {
public:
    struct Name {
        std::size_t hash = 0; // of its registryNameKey
        bool set = false;     // the last mention sets the value; else it deletes it
        std::size_t slot = 0; // of that mention, in the values set or in those deleted
    };

    std::size_t size() const { return names_.size(); }

    // The name of this registryNameKey, written as spelling, and whether it
    // is new; spellingOf gives the spelling of a name already there. The
    // pointer holds until the next call.
    template <typename SpellingOf>
    std::pair<Name*, bool> find(std::u16string_view key, std::u16string_view spelling,
                                const SpellingOf& spellingOf)
    {
        if (2 * (names_.size() + 1) > table_.size())
            grow();
        const std::size_t hash = std::hash<std::u16string_view>{}(key);
        const std::size_t mask = table_.size() - 1;
        std::size_t at = hash & mask;
        for (; table_[at] != 0; at = (at + 1) & mask) {
            Name& name = names_[table_[at] - 1];
            if (name.hash != hash)
                continue;
            const std::u16string_view known = spellingOf(name);
            if (known == spelling || registryNameKey(known) == key)
                return {&name, false};
        }
        names_.push_back(Name{hash});
        table_[at] = static_cast<std::uint32_t>(names_.size());
        return {&names_.back(), true};
    }

private:
    void grow()
    {
        std::vector<std::uint32_t> table(std::max<std::size_t>(16, 2 * table_.size()), 0);
        const std::size_t mask = table.size() - 1;
        for (std::size_t i = 0; i < names_.size(); ++i) {
            std::size_t at = names_[i].hash & mask;
            while (table[at] != 0)
                at = (at + 1) & mask;
            table[at] = static_cast<std::uint32_t>(i + 1);
        }
        table_ = std::move(table);
    }

    std::vector<Name> names_;
    std::vector<std::uint32_t> table_; // 1 + an index into names_, or 0 for a free place
};

// The key paths that the file deletes or keeps a section in, as a tree of
// their parts, each part as the registry compares it. A path is walked down
// once, part by part, so that whether a key lies below another costs the
// length of its path, however many parts it shares with the keys before it;
// copies of every prefix would cost its square.
class KeyTree {
public:
    using Node = std::uint32_t;

    // The nodes of a path's parts, made where missing, below the tree's
    // root: the root first, then the node of part d at index d + 1.
    std::vector<Node> walk(std::span<const std::u16string_view> partKeys)
    {
        std::vector<Node> nodes;
        nodes.reserve(partKeys.size() + 1);
        nodes.push_back(Root);
        for (const std::u16string_view part : partKeys) {
            const auto found = children_.find(Child{nodes.back(), part});
            if (found != children_.end()) {
                nodes.push_back(found->second);
                continue;
            }
            const auto node = static_cast<Node>(deleted_.size());
            const std::u16string& name = names_.emplace_back(part);
            children_.emplace(Child{nodes.back(), name}, node);
            deleted_.push_back(false);
            nodes.push_back(node);
        }
        return nodes;
    }

    void markDeleted(Node node) { deleted_[node] = true; }

    // Whether a key on this walk, the walk's own key included, is deleted.
    bool deletedOn(std::span<const Node> nodes) const
    {
        return std::any_of(nodes.begin(), nodes.end(), [&](Node n) { return deleted_[n]; });
    }

private:
    static constexpr Node Root = 0;

    struct Child {
        Node parent;
        std::u16string_view name; // held by names_
        bool operator==(const Child&) const = default;
    };
    struct ChildHash {
        std::size_t operator()(const Child& child) const
        {
            return std::hash<std::u16string_view>{}(child.name) ^
                   std::hash<Node>{}(child.parent) * 0x9E3779B97F4A7C15u;
        }
    };

    std::unordered_map<Child, Node, ChildHash> children_;
    std::deque<std::u16string> names_;    // which a new one leaves where they are
    std::vector<bool> deleted_ = {false}; // by node, the root's first
};

class Parser {
public:
    Parser(const ExportText& file, const RegistrySectionOf& sectionOf)
        : format_(file.format), text_(file.view()), sectionOf_(sectionOf)
    {
        if (format_ == ExportFormat::Regedit4)
            ansiDecoder_.emplace();
    }

    std::vector<RegistrySection> run()
    {
        nextLine(); // the header
        while (!atEnd()) {
            const std::u16string_view line = trimmed(nextLine());
            if (line.empty() || line.front() == u';')
                continue;
            if (line.front() == u'[') {
                keyLine(line);
            } else if (line.front() == u'"' || line.front() == u'@') {
                valueLine(line);
                // Every line of an export ends with a line break, so a file
                // cut anywhere in a value line ends without one.
                if (atEnd())
                    fail(lineNumber_, "the file ends in this value, with no line break after it: "
                                      "it may be truncated (a whole export ends with a line "
                                      "break)");
            } else {
                fail(lineNumber_, "neither a key, a value nor a comment");
            }
        }
        std::vector<RegistrySection> sections;
        sections.reserve(sections_.size());
        for (Section& section : sections_)
            sections.push_back(section.result());
        return sections;
    }

private:
    struct Section {
        std::vector<KeyTree::Node> pathNodes; // of the first key of the section
        std::u16string nameKey;
        std::u16string name;
        bool cleared = false;
        NameTable names;
        // The last mention of each name: emptied where a later line sets
        // the value again after deleting it, or deletes it again. Deques,
        // which grow without moving what they hold.
        std::deque<std::optional<RegistryValue>> values;
        std::deque<std::optional<RegistryValue>> deleted; // without data

        RegistrySection result()
        {
            RegistrySection section{std::move(name), cleared, {}, {}};
            section.values.reserve(values.size());
            for (std::optional<RegistryValue>& value : values)
                if (value)
                    section.values.push_back(std::move(*value));
            for (std::optional<RegistryValue>& deletion : deleted)
                if (deletion)
                    section.deleted.push_back(std::move(deletion->name));
            return section;
        }

        const RegistryValue& lastMention(const NameTable::Name& known) const
        {
            return *(known.set ? values : deleted)[known.slot];
        }
    };

    bool atEnd() const { return next_ == npos; }

    // The next line without its line break; lines are counted from 1.
    std::u16string_view nextLine()
    {
        const std::size_t end = text_.find(u'\n', next_);
        std::u16string_view line = text_.substr(next_, end == npos ? npos : end - next_);
        next_ = end == npos ? npos : end + 1;
        ++lineNumber_;
        // The empty rest after the last line break is no line of its own.
        if (lineNumber_ > RegistryExportMaxLines && !(line.empty() && atEnd()))
            fail(lineNumber_, "more than " + std::to_string(RegistryExportMaxLines) +
                                  " lines, far more than any export of settings");
        if (line.ends_with(u'\r'))
            line.remove_suffix(1);
        if (line.size() > RegistryExportMaxLineLength)
            fail(lineNumber_, "a line of more than " + std::to_string(RegistryExportMaxLineLength) +
                                  " characters, far longer than any export of settings holds");
        // The registry editor's lines are texts, which a NUL would end.
        if (line.find(u'\0') != npos)
            fail(lineNumber_, "a NUL character: the file is damaged, or is not a text file");
        return line;
    }

    // Whether the key of these nodes is the section's key or lies above it.
    static bool covers(std::span<const KeyTree::Node> keyNodes, const Section& section)
    {
        const std::size_t depth = keyNodes.size() - 1;
        return depth < section.pathNodes.size() && section.pathNodes[depth] == keyNodes.back();
    }

    // The parts of a key's path, refused beyond what the registry holds.
    std::vector<std::u16string_view> checkedPathParts(std::u16string_view path) const
    {
        std::vector<std::u16string_view> parts = keyPathParts(path);
        if (parts.size() > RegistryKeyMaxDepth)
            fail(lineNumber_, "a key path of more than " + std::to_string(RegistryKeyMaxDepth) +
                                  " levels, deeper than the registry allows");
        for (const std::u16string_view part : parts)
            if (part.size() > RegistryKeyNameMaxLength)
                fail(lineNumber_, "a key name of more than " +
                                      std::to_string(RegistryKeyNameMaxLength) +
                                      " characters, longer than the registry allows");
        return parts;
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
        const std::vector<std::u16string_view> parts = checkedPathParts(path);
        current_ = nullptr;
        if (deletion) {
            const std::u16string pathKey = registryNameKey(path);
            const std::vector<KeyTree::Node> nodes = keys_.walk(keyPathParts(pathKey));
            std::erase_if(sections_, [&](const Section& s) { return covers(nodes, s); });
            keys_.markDeleted(nodes.back());
            return;
        }

        std::optional<std::u16string> name = sectionOf_(parts);
        if (!name)
            return;
        std::u16string nameKey = registryNameKey(*name);
        const auto found = std::find_if(sections_.begin(), sections_.end(),
                                        [&](const Section& s) { return s.nameKey == nameKey; });
        if (found != sections_.end()) {
            current_ = &*found;
            return;
        }
        if (sections_.size() >= RegistryExportMaxSections)
            fail(lineNumber_, "the keys of more than " + std::to_string(RegistryExportMaxSections) +
                                  " programs, far more than any export of settings");
        Section& section = sections_.emplace_back();
        section.pathNodes = keys_.walk(keyPathParts(registryNameKey(path)));
        section.cleared = keys_.deletedOn(section.pathNodes);
        section.nameKey = std::move(nameKey);
        section.name = std::move(*name);
        current_ = &section;
    }

    // A quoted text from its opening quote; moves the view past the closing
    // one. Besides \\ and \", Wine's registry editor writes \n and \r for
    // the line breaks of a text.
    std::u16string quoted(std::u16string_view& text) const
    {
        std::u16string result;
        std::size_t i = 1;
        for (;; ++i) {
            if (i >= text.size())
                fail(lineNumber_, "a quoted text is not closed on its line");
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
                    fail(lineNumber_, "a backslash in quotes must be followed by \\, \", n or r");
            }
            result.push_back(c);
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
        if (current_)
            apply(*current_, std::move(name), std::move(data), firstLine);
    }

    // One line's setting (or, without data, deletion) of a value.
    static void apply(Section& section, std::u16string name, std::optional<RegistryData> data,
                      int line)
    {
        const auto [known, added] =
            section.names.find(registryNameKey(name), name, [&](const NameTable::Name& n) {
                return std::u16string_view(section.lastMention(n).name);
            });
        if (added) {
            if (section.names.size() > RegistryExportMaxNames)
                fail(line, "more than " + std::to_string(RegistryExportMaxNames) +
                               " values in one key, far more than any export of settings");
        } else if (const RegistryValue& last = section.lastMention(*known); last.name != name) {
            fail(line, "the value names " + quotedRegistryName(last.name) + " (line " +
                           std::to_string(last.line) + ") and " + quotedRegistryName(name) +
                           " differ only in case, so the registry holds one value for both; "
                           "keep one of them");
        } else if (data && known->set) {
            RegistryValue& value = *section.values[known->slot];
            value.data = std::move(*data);
            value.line = line;
            return;
        } else {
            (known->set ? section.values : section.deleted)[known->slot].reset();
        }
        known->set = data.has_value();
        auto& mentions = data ? section.values : section.deleted;
        known->slot = mentions.size();
        mentions.push_back(
            RegistryValue{std::move(name), data ? std::move(*data) : RegistryData{}, line});
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
            // Comment lines may stand between continuation lines; a file cut
            // after the "\" ends in a blank line or none.
            std::u16string_view next;
            do {
                if (atEnd())
                    fail(firstLine, "hex data ends in '\\' with no line to continue it");
                next = trimmed(nextLine());
            } while (next.starts_with(u';'));
            if (next.empty())
                fail(firstLine, "hex data ends in '\\' with no line to continue it");
            part = trimmed(afterComment(next));
        }
        joined += part;

        std::string bytes;
        bytes.reserve(joined.size() / 3 + 1);
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

    // A REG_SZ is what a program reading the registry sees: the text up to
    // its first NUL, in UTF-16LE units in a Version 5.00 file and in CP932
    // bytes in a REGEDIT4 file.
    RegistryData typedData(std::uint32_t type, std::string_view bytes)
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
            if (nul != npos || bytes.size() % 2 == 0) {
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

    const ExportFormat format_;
    const std::u16string_view text_;
    const RegistrySectionOf& sectionOf_;
    std::optional<Cp932Decoder> ansiDecoder_; // for the texts of a REGEDIT4 file
    std::size_t next_ = 0;                    // where the next line starts; npos past the last
    int lineNumber_ = 0;                      // of the line last read
    std::deque<Section> sections_;            // which a new one leaves where they are
    KeyTree keys_;                            // the keys deleted, and those of the sections
    Section* current_ = nullptr;              // the section the value lines now set, or none
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
    for (char16_t& unit : key) {
        if (unit < 0x80) // the common case, done without a table
            unit = unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 0x20) : unit;
        else if (!QChar::isSurrogate(unit))
            unit = static_cast<char16_t>(QChar::toUpper(static_cast<char32_t>(unit)));
    }
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

const char* registryEncodingName(RegistryFileEncoding encoding)
{
    switch (encoding) {
    case RegistryFileEncoding::Utf16Le: return "UTF-16";
    case RegistryFileEncoding::Utf8: return "UTF-8";
    case RegistryFileEncoding::Cp932: return "CP932 (Shift-JIS)";
    }
    return "";
}

Result<RegistryExport> parseRegistryExport(std::string_view bytes,
                                           const RegistrySectionOf& sectionOf)
{
    try {
        const ExportText file = decodeExport(bytes);
        return RegistryExport{Parser(file, sectionOf).run(), file.encoding, file.guessed};
    } catch (Error& error) {
        return error;
    }
}

std::string writeRegistryExport(std::u16string_view keyPath, std::span<const RegistryValue> values)
{
    std::u16string text =
        std::u16string(Version5Header) + u"\r\n\r\n[" + std::u16string(keyPath) + u"]\r\n";
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

std::string quotedRegistryName(std::u16string_view name)
{
    // Appended piece by piece: GCC 12 warns, wrongly, about a literal
    // joined to a temporary string in optimised builds.
    std::string quoted = "'";
    quoted += toUtf8(name);
    quoted += '\'';
    return quoted;
}
