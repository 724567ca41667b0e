#include "engine/numeric_seed.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatNumericSeed, WritesSignedDecimalsJoinedByHyphens)
{
    EXPECT_EQ(FormatNumericSeed({0, 0, 0, 0, 0, 0, 0}), u"0-0-0-0-0-0-0");
    EXPECT_EQ(FormatNumericSeed({1, 2, 3, 4, 5, 6, 7}), u"1-2-3-4-5-6-7");
    EXPECT_EQ(FormatNumericSeed({99999, 99999, 99999, 99999, 99999, 99999, 99999}),
              u"99999-99999-99999-99999-99999-99999-99999");
    EXPECT_EQ(FormatNumericSeed({3000000000u, 0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu, 0, 0, 0}),
              u"-1294967296--1--2147483648-2147483647-0-0-0");
}

TEST(ParseNumericSeedText, SplitsLikeTheStoredFormIsRead)
{
    struct Case {
        std::u16string text;
        SeedNumbers numbers;
    };
    const Case cases[] = {
        {u"1-2-3-4-5-6-7", {1, 2, 3, 4, 5, 6, 7}},
        {u"12-345-6", {12, 345, 6, 0, 0, 0, 0}},
        {u"1-2-3-4-5-6-7-8", {1, 2, 3, 4, 5, 6, 7}},
        {u"123456789-1", {12345678, 9, 1, 0, 0, 0, 0}},
        {u"5-x-7", {5, 0, 0, 0, 0, 0, 0}},
        {u"1--2", {1, 0, 2, 0, 0, 0, 0}},
        {u"-5-6", {0, 5, 6, 0, 0, 0, 0}},
        {u"", {0, 0, 0, 0, 0, 0, 0}},
        // Eight digits end a number before its "-", which then ends the next.
        {u"99999999-99999999", {99999999, 0, 99999999, 0, 0, 0, 0}},
        // Only the low byte is looked at: U+0133 reads as "3", U+012D as "-".
        {u"\u0133\u012D4", {3, 4, 0, 0, 0, 0, 0}},
        // A formatted negative number (from a value above 2^31) is not read back.
        {u"-1294967296-0-1-2-3-4-5", {0, 12949672, 96, 0, 1, 2, 3}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseNumericSeedText(c.text), c.numbers)
            << std::string(c.text.begin(), c.text.end());
}

} // namespace
