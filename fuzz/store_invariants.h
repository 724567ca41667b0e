#pragma once

#include "charsets/char_list.h"
#include "charsets/white_space.h"
#include "fuzz/fuzz_support.h"
#include "settings/dialog_model.h"

// What every load gives, whatever the store held.
inline void checkLoadedModel(const DialogModel& model)
{
    FUZZ_CHECK(!model.ownerName.empty() && trimWhiteSpace(model.ownerName) == model.ownerName);
    FUZZ_CHECK(model.length >= MinPasswordLength && model.length <= MaxPasswordLength);
    FUZZ_CHECK(model.complexity == 0 || model.complexity == 1);
    FUZZ_CHECK(model.spreadLevel >= 0 && model.spreadLevel <= 4);
    const CharSetTable& sets = model.sets;
    FUZZ_CHECK(sets.setCount >= 1 && sets.setCount <= MaxCharSets);
    FUZZ_CHECK(sets.currentSet >= 0 && sets.currentSet < sets.setCount);
    FUZZ_CHECK(sets.setLists.size() == static_cast<std::size_t>(sets.setCount));
    FUZZ_CHECK(sets.setNames.size() == static_cast<std::size_t>(sets.setCount));
    FUZZ_CHECK(normalizeCharList(model.currentList) == model.currentList);
    for (const std::u16string& list : sets.setLists)
        FUZZ_CHECK(normalizeCharList(list) == list);
    FUZZ_CHECK(model.currentList == sets.setLists[static_cast<std::size_t>(sets.currentSet)]);
}

// Every field that a save writes and a load reads back.
inline bool sameStoredFields(const DialogModel& a, const DialogModel& b)
{
    return a.ownerName == b.ownerName && a.ownerKey == b.ownerKey &&
           a.currentList == b.currentList && a.length == b.length &&
           a.stringSeedMode == b.stringSeedMode && a.seedText == b.seedText &&
           a.numericSeedText == b.numericSeedText && a.complexity == b.complexity &&
           a.sets.setCount == b.sets.setCount && a.sets.currentSet == b.sets.currentSet &&
           a.sets.setLists == b.sets.setLists && a.sets.setNames == b.sets.setNames &&
           a.spreadLevel == b.spreadLevel;
}
