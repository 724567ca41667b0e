#include "regfile/registry_file.h"

#include <algorithm>
#include <deque>
#include <optional>

#include "regfile/export_lines.h"
#include "regfile/export_text.h"
#include "regfile/export_values.h"
#include "regfile/key_tree.h"
#include "regfile/name_table.h"

// The reading of a whole export: its key lines, and what its value lines
// leave in the sections of the keys wanted.

namespace {

// Applies the file's lines in order, as the registry editor would.
class Parser {
public:
    Parser(const ExportText& file, const RegistrySectionOf& sectionOf)
        : lines_(file.view()), values_(file.format), sectionOf_(sectionOf)
    {
    }

    std::vector<RegistrySection> run()
    {
        lines_.next(); // the header
        while (!lines_.atEnd()) {
            const std::u16string_view line = trimmed(lines_.next());
            if (line.empty() || line.front() == u';')
                continue;
            if (line.front() == u'[') {
                keyLine(line);
            } else if (line.front() == u'"' || line.front() == u'@') {
                valueLine(line);
                // Every line of an export ends with a line break, so a file
                // cut anywhere in a value line ends without one.
                if (lines_.atEnd())
                    failExport(lines_.lineNumber(),
                               "the file ends in this value, with no line break after it: "
                               "it may be truncated (a whole export ends with a line "
                               "break)");
            } else {
                failExport(lines_.lineNumber(), "neither a key, a value nor a comment");
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
            failExport(lines_.lineNumber(), "a key path of more than " +
                                                std::to_string(RegistryKeyMaxDepth) +
                                                " levels, deeper than the registry allows");
        for (const std::u16string_view part : parts)
            if (part.size() > RegistryKeyNameMaxLength)
                failExport(lines_.lineNumber(), "a key name of more than " +
                                                    std::to_string(RegistryKeyNameMaxLength) +
                                                    " characters, longer than the registry allows");
        return parts;
    }

    void keyLine(std::u16string_view line)
    {
        if (line.back() != u']')
            failExport(lines_.lineNumber(), "a key line must end with ']'");
        std::u16string_view path = line.substr(1, line.size() - 2);
        const bool deletion = !path.empty() && path.front() == u'-';
        if (deletion)
            path.remove_prefix(1);
        if (path.empty())
            failExport(lines_.lineNumber(), "the key has no name");
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
            failExport(lines_.lineNumber(), "the keys of more than " +
                                                std::to_string(RegistryExportMaxSections) +
                                                " programs, far more than any export of settings");
        Section& section = sections_.emplace_back();
        section.pathNodes = keys_.walk(keyPathParts(registryNameKey(path)));
        section.cleared = keys_.deletedOn(section.pathNodes);
        section.nameKey = std::move(nameKey);
        section.name = std::move(*name);
        current_ = &section;
    }

    void valueLine(std::u16string_view line)
    {
        const int firstLine = lines_.lineNumber();
        ValueLine value = values_.read(line, lines_);
        if (current_)
            apply(*current_, std::move(value.name), std::move(value.data), firstLine);
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
                failExport(line, "more than " + std::to_string(RegistryExportMaxNames) +
                                     " values in one key, far more than any export of settings");
        } else if (const RegistryValue& last = section.lastMention(*known); last.name != name) {
            failExport(line, "the value names " + quotedRegistryName(last.name) + " (line " +
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

    ExportLines lines_;
    ValueReader values_;
    const RegistrySectionOf& sectionOf_;
    std::deque<Section> sections_; // which a new one leaves where they are
    KeyTree keys_;                 // the keys deleted, and those of the sections
    Section* current_ = nullptr;   // the section the value lines now set, or none
};

} // namespace

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
