#include "charsets/char_set_table.h"

#include <gtest/gtest.h>

#include <random>

#include "charsets/char_list.h"

namespace {

using Names = std::vector<std::u16string>;

// A table of these names; set i holds the one-character list "a" + i.
CharSetTable tableOf(const Names& names, std::int32_t selected = 0)
{
    CharSetTable table;
    table.setCount = static_cast<std::int32_t>(names.size());
    table.currentSet = selected;
    table.setNames = names;
    for (std::size_t i = 0; i < names.size(); ++i)
        table.setLists.emplace_back(1, static_cast<char16_t>(u'a' + i));
    return table;
}

Names namesUpTo(int count)
{
    Names names{u"default"};
    for (int k = 1; k < count; ++k)
        names.push_back(numberedSetName(k));
    return names;
}

void expectSound(const CharSetTable& table)
{
    ASSERT_GE(table.setCount, 1);
    ASSERT_LE(table.setCount, MaxCharSets);
    ASSERT_EQ(table.setNames.size(), static_cast<std::size_t>(table.setCount));
    ASSERT_EQ(table.setLists.size(), static_cast<std::size_t>(table.setCount));
    ASSERT_GE(table.currentSet, 0);
    ASSERT_LT(table.currentSet, table.setCount);
    ASSERT_EQ(table.setNames[0], DefaultSetName);
}

TEST(CharSetTable, NumberedNamesHaveAtLeastTwoDigits)
{
    EXPECT_EQ(numberedSetName(0), u"文字セット_00");
    EXPECT_EQ(numberedSetName(7), u"文字セット_07");
    EXPECT_EQ(numberedSetName(10), u"文字セット_10");
    EXPECT_EQ(numberedSetName(123), u"文字セット_123");
}

TEST(CharSetTable, ProposalIsTheFirstFreeNumberFromTheCount)
{
    EXPECT_EQ(proposeSetName(tableOf({u"default"})), u"文字セット_01");
    EXPECT_EQ(proposeSetName(tableOf({u"default", u"mine", u"文字セット_03"})), u"文字セット_04");
    EXPECT_EQ(proposeSetName(tableOf({u"default", u"文字セット_02", u"文字セット_03"})),
              u"文字セット_04");
    // A free number below the count is not proposed.
    EXPECT_EQ(proposeSetName(tableOf({u"default", u"x", u"文字セット_05", u"文字セット_01"})),
              u"文字セット_04");
}

TEST(CharSetTable, SelectorListsTheNamesThenTheAddEntryWhileThereIsRoom)
{
    EXPECT_EQ(selectorEntries(tableOf({u"default", u"b"})),
              (Names{u"default", u"b", std::u16string(AddEntryName)}));
    const Names full = namesUpTo(MaxCharSets);
    EXPECT_EQ(selectorEntries(tableOf(full)), full);
}

TEST(CharSetTable, SelectingStaysWithinTheTable)
{
    CharSetTable table = tableOf({u"default", u"b", u"c"});
    EXPECT_TRUE(selectSet(table, 2));
    EXPECT_EQ(table.currentSet, 2);
    EXPECT_EQ(currentSetList(table), u"c");
    for (std::int32_t outside : {3, -1}) {
        EXPECT_FALSE(selectSet(table, outside));
        EXPECT_EQ(table.currentSet, 2);
    }
}

TEST(CharSetTable, AppendingNormalisesSelectsOrRefuses)
{
    CharSetTable table = tableOf({u"default", u"b"});
    ASSERT_EQ(appendSet(table, u"new", u"cba\r\nab"), AddSetResult::Added);
    EXPECT_EQ(table.setNames, (Names{u"default", u"b", u"new"}));
    EXPECT_EQ(table.setLists.back(), u"abc");
    EXPECT_EQ(table.setCount, 3);
    EXPECT_EQ(table.currentSet, 2);
    // The empty name is a name like any other.
    ASSERT_EQ(appendSet(table, u"", u"x"), AddSetResult::Added);
    EXPECT_EQ(table.setCount, 4);

    const struct {
        CharSetTable table;
        std::u16string name;
        AddSetResult result;
    } refused[] = {
        {tableOf({u"default", u"b"}, 1), u"default", AddSetResult::NameTaken},
        {tableOf({u"default", u""}, 1), u"", AddSetResult::NameTaken},
        {tableOf({u"default"}), std::u16string(AddEntryName), AddSetResult::NameReserved},
        {tableOf(namesUpTo(MaxCharSets), 4), u"fresh", AddSetResult::TableFull},
    };
    for (const auto& c : refused) {
        CharSetTable changed = c.table;
        EXPECT_EQ(appendSet(changed, c.name, u"xyz"), c.result);
        EXPECT_EQ(changed.setNames, c.table.setNames);
        EXPECT_EQ(changed.setLists, c.table.setLists);
        EXPECT_EQ(changed.setCount, c.table.setCount);
        EXPECT_EQ(changed.currentSet, c.table.currentSet);
    }
}

TEST(CharSetTable, DeletingSelectsTheSetBeforeAndMovesTheRestDown)
{
    CharSetTable table = tableOf({u"default", u"b", u"c", u"d", u"e"}, 2);
    ASSERT_TRUE(deleteCurrentSet(table));
    EXPECT_EQ(table.setNames, (Names{u"default", u"b", u"d", u"e"}));
    EXPECT_EQ(table.setLists, (Names{u"a", u"b", u"d", u"e"}));
    EXPECT_EQ(table.setCount, 4);
    EXPECT_EQ(table.currentSet, 1);

    selectSet(table, 3);
    ASSERT_TRUE(deleteCurrentSet(table));
    EXPECT_EQ(table.setNames, (Names{u"default", u"b", u"d"}));
    EXPECT_EQ(table.currentSet, 2);

    selectSet(table, 0);
    EXPECT_FALSE(deleteCurrentSet(table));
    EXPECT_EQ(table.setCount, 3);
    EXPECT_EQ(table.currentSet, 0);
}

// Any run of operations keeps the table whole: counts in step, the
// selection inside it, slot 0 in place, every list normalised.
TEST(CharSetTable, RandomOperationsKeepTheTableSound)
{
    std::mt19937 random(7u);
    CharSetTable table = tableOf({u"default"});
    for (int step = 0; step < 2000; ++step) {
        switch (random() % 3) {
        case 0: selectSet(table, static_cast<std::int32_t>(random() % 12) - 1); break;
        case 1: {
            const std::u16string name =
                random() % 2 ? proposeSetName(table) : std::u16string(1, u'a' + random() % 4);
            appendSet(table, name, u"zyx\r\nxx");
            break;
        }
        default: deleteCurrentSet(table); break;
        }
        expectSound(table);
        for (const std::u16string& list : table.setLists)
            ASSERT_EQ(normalizeCharList(list), list);
        if (HasFailure())
            return;
    }
}

} // namespace
