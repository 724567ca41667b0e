#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "regfile/registry_file.h"

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
