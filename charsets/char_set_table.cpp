#include "charsets/char_set_table.h"

#include <algorithm>

#include "charsets/char_list.h"

std::u16string numberedSetName(std::int32_t k)
{
    std::u16string name = u"文字セット_";
    if (k >= 0 && k < 10)
        name.push_back(u'0');
    for (char c : std::to_string(k))
        name.push_back(static_cast<char16_t>(c));
    return name;
}

bool hasSetName(const CharSetTable& table, std::u16string_view name)
{
    return std::find(table.setNames.begin(), table.setNames.end(), name) != table.setNames.end();
}

std::u16string proposeSetName(const CharSetTable& table)
{
    std::int32_t k = table.setCount;
    std::u16string name = numberedSetName(k);
    while (hasSetName(table, name))
        name = numberedSetName(++k);
    return name;
}

std::vector<std::u16string> selectorEntries(const CharSetTable& table)
{
    std::vector<std::u16string> entries = table.setNames;
    if (table.setCount < MaxCharSets)
        entries.emplace_back(AddEntryName);
    return entries;
}

const std::u16string& currentSetList(const CharSetTable& table)
{
    return table.setLists[static_cast<std::size_t>(table.currentSet)];
}

bool selectSet(CharSetTable& table, std::int32_t index)
{
    if (index < 0 || index >= table.setCount)
        return false;
    table.currentSet = index;
    return true;
}

AddSetResult appendSet(CharSetTable& table, std::u16string_view name, std::u16string_view listText)
{
    if (table.setCount >= MaxCharSets)
        return AddSetResult::TableFull;
    if (name == AddEntryName)
        return AddSetResult::NameReserved;
    if (hasSetName(table, name))
        return AddSetResult::NameTaken;
    table.setNames.emplace_back(name);
    table.setLists.push_back(normalizeCharList(listText));
    ++table.setCount;
    table.currentSet = table.setCount - 1;
    return AddSetResult::Added;
}

bool deleteCurrentSet(CharSetTable& table)
{
    const std::int32_t deleted = table.currentSet;
    if (deleted <= 0)
        return false;
    table.setLists.erase(table.setLists.begin() + deleted);
    table.setNames.erase(table.setNames.begin() + deleted);
    --table.setCount;
    table.currentSet = deleted - 1;
    return true;
}
