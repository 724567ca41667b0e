#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "charsets/char_set_table.h"
#include "settings/load_save.h"

// The row of a stored name, matched exactly as the store matches names;
// nothing for a name the window does not store.
inline const SettingRow* rowOfName(std::u16string_view name)
{
    const auto& names = storedNames();
    const auto found = std::find_if(names.begin(), names.end(),
                                    [&](const StoredName& stored) { return stored.name == name; });
    return found != names.end() ? found->row : nullptr;
}

// What every load gives, whatever the store held: each value that a save
// would write is already in the form its row's rule gives it, and the set
// table is whole. The first rule broken, or nothing.
inline std::string brokenLoadInvariant(const StoredSettings& model)
{
    const CharSetTable& sets = model.sets;
    if (sets.setCount < 1 || sets.setCount > MaxCharSets)
        return "the set count is outside 1..MaxCharSets";
    if (sets.setLists.size() != static_cast<std::size_t>(sets.setCount) ||
        sets.setNames.size() != static_cast<std::size_t>(sets.setCount))
        return "the set table's lists do not match its count";
    if (sets.currentSet < 0 || sets.currentSet >= sets.setCount)
        return "the selected set is outside the table";
    if (model.currentList != sets.setLists[static_cast<std::size_t>(sets.currentSet)])
        return "the current list is not the selected set's";
    for (const NamedValue& value : valuesOf(model)) {
        const SettingRow* row = rowOfName(value.name);
        if (row == nullptr)
            return "a save writes a name that the table does not hold";
        const bool clean = row->type == SettingType::Text
                               ? cleanedText(*row, std::get<std::u16string>(value.value)) ==
                                     std::get<std::u16string>(value.value)
                               : cleanedInt(*row, std::get<std::int32_t>(value.value),
                                            sets.setCount) == std::get<std::int32_t>(value.value);
        if (!clean)
            return "a loaded value breaks the rule of its row";
    }
    return {};
}

// Every field that a save writes and a load reads back.
inline bool sameStoredFields(const StoredSettings& a, const StoredSettings& b)
{
    return valuesOf(a) == valuesOf(b);
}
