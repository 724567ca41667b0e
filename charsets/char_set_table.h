#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Slot 0 plus at most nine sets of the user's.
inline constexpr std::int32_t MaxCharSets = 10;

inline constexpr std::u16string_view DefaultSetName = u"default";

// The user's named character lists; setNames and setLists always hold
// setCount entries, and currentSet stays within them.
struct CharSetTable {
    std::int32_t setCount = 0;
    std::int32_t currentSet = 0;
    std::vector<std::u16string> setLists;
    std::vector<std::u16string> setNames;
};
