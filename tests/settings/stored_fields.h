#pragma once

#include <gtest/gtest.h>

#include "settings/dialog_model.h"

// Every model field that a save writes and a load reads back.
inline void expectSameStoredFields(const DialogModel& actual, const DialogModel& expected)
{
    EXPECT_EQ(actual.ownerName, expected.ownerName);
    EXPECT_EQ(actual.ownerKey, expected.ownerKey);
    EXPECT_EQ(actual.currentList, expected.currentList);
    EXPECT_EQ(actual.length, expected.length);
    EXPECT_EQ(actual.stringSeedMode, expected.stringSeedMode);
    EXPECT_EQ(actual.seedText, expected.seedText);
    EXPECT_EQ(actual.numericSeedText, expected.numericSeedText);
    EXPECT_EQ(actual.complexity, expected.complexity);
    EXPECT_EQ(actual.sets.setCount, expected.sets.setCount);
    EXPECT_EQ(actual.sets.currentSet, expected.sets.currentSet);
    EXPECT_EQ(actual.sets.setLists, expected.sets.setLists);
    EXPECT_EQ(actual.sets.setNames, expected.sets.setNames);
    EXPECT_EQ(actual.spreadLevel, expected.spreadLevel);
}
