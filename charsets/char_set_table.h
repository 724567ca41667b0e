#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Slot 0 plus at most nine sets of the user's.
inline constexpr std::int32_t MaxCharSets = 10;

// Slot 0's name when no table is stored; it can never be deleted.
inline constexpr std::u16string_view DefaultSetName = u"default";

// The set selector's last entry, which opens the add dialog; no set added
// by the user may take this name.
inline constexpr std::u16string_view AddEntryName = u"（追加）";

// The user's named character lists; setNames and setLists always hold
// setCount entries, and currentSet stays within them. Every list is in
// normalised form. The functions below keep all of this.
struct CharSetTable {
    std::int32_t setCount = 0;
    std::int32_t currentSet = 0;
    std::vector<std::u16string> setLists;
    std::vector<std::u16string> setNames;
};

// "文字セット_%02d" of k: the name a stored set without one reads as (k is
// its slot), and the pattern of the names proposed for a new set.
std::u16string numberedSetName(std::int32_t k);

// Whether a set has exactly this name (code unit by code unit).
bool hasSetName(const CharSetTable& table, std::u16string_view name);

// The name proposed for a new set: numberedSetName(k) for the first k from
// setCount upwards that no set has.
std::u16string proposeSetName(const CharSetTable& table);

// What the set selector lists: every name in table order, then the add
// entry while the table has room. The selected entry is currentSet.
std::vector<std::u16string> selectorEntries(const CharSetTable& table);

// The list of the selected set.
const std::u16string& currentSetList(const CharSetTable& table);

// Selects slot index; false, and nothing changes, outside 0..setCount-1.
bool selectSet(CharSetTable& table, std::int32_t index);

enum class AddSetResult { Added, NameTaken, NameReserved, TableFull };

// Appends a set of this name and the normalised list text at the end and
// selects it. Nothing changes unless the result is Added.
AddSetResult appendSet(CharSetTable& table, std::u16string_view name, std::u16string_view listText);

// Deletes the selected set: the sets after it move down one slot, and the
// set before it becomes the selected one. False, and nothing changes, for
// slot 0.
bool deleteCurrentSet(CharSetTable& table);
