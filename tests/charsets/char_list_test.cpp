#include "charsets/char_list.h"

#include <gtest/gtest.h>

namespace {

const std::u16string NormalisedDefault =
    u"!#$%&()*+-./0123456789<=>?@ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz";

TEST(NormalizeCharList, KnownInputs)
{
    struct Case {
        std::u16string in;
        std::u16string out;
    };
    const Case cases[] = {
        {std::u16string(DefaultCharList), NormalisedDefault},
        {u"zzyx\r\nab\tb a", u"\t abxyz"},
        {u"cbaabc", u"abc"},
        {u"abc", u"abc"},
        {u"", u""},
        {u"\r\n\r\n\a\b", u""},
        {u"\u3042\u3044\u3046", u"BDF"},
        {u"\uFF21", u"!"},
        // Low bytes 0x80..0xFF stay as U+0080..U+00FF and sort first; a zero
        // low byte (U+3000) is dropped.
        {u"a\u00E9\u3000\u0180", u"\u0080\u00E9a"},
        // Controls other than CR, LF, BEL and BS stay.
        {u"\x01\x1B", u"\x01\x1B"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(normalizeCharList(c.in), c.out) << std::string(c.in.begin(), c.in.end());
}

TEST(NormalizeCharList, IsIdempotentAndIgnoresOrderAndRepeats)
{
    for (std::u16string_view text : {DefaultCharList, std::u16string_view(u"qwerty\r\n12")}) {
        const std::u16string once = normalizeCharList(text);
        EXPECT_EQ(normalizeCharList(once), once);
        std::u16string shuffled(text.rbegin(), text.rend());
        shuffled += u"\r\n";
        shuffled += text;
        EXPECT_EQ(normalizeCharList(shuffled), once);
    }
}

TEST(NormalizeCharList, KeepsOnlyTheFirstTwoHundredCharacters)
{
    std::u16string text(200, u'a');
    text += std::u16string(50, u'b');
    EXPECT_EQ(normalizeCharList(text), u"a");
    text[199] = u'z';
    EXPECT_EQ(normalizeCharList(text), u"az");
}

TEST(NormalizeCharList, LineBreaksDoNotCountTowardsTheLimit)
{
    // The longest list there is: 200 distinct characters.
    std::u16string distinct;
    for (char16_t unit = 0x20; distinct.size() < MaxCharListInput; ++unit)
        distinct.push_back(unit);
    const std::u16string list = normalizeCharList(distinct);
    ASSERT_EQ(list.size(), MaxCharListInput);

    // Its display form holds 202 characters and reads back whole.
    EXPECT_EQ(normalizeCharList(makeListDisplay(list)), list);
    std::u16string broken;
    for (char16_t unit : distinct)
        broken += std::u16string{u'\r', unit, u'\n'};
    EXPECT_EQ(normalizeCharList(broken), list);
    EXPECT_EQ(normalizeCharList(broken + u"\x01"), list); // the 201st is dropped
}

TEST(MakeListDisplay, BreaksAfterSixtyCharacters)
{
    EXPECT_EQ(makeListDisplay(NormalisedDefault),
              u"!#$%&()*+-./0123456789<=>?@ABCDEFGHJKLMNPQRSTUVWXYZabcdefghi\r\n"
              u"jkmnopqrstuvwxyz");
    EXPECT_EQ(makeListDisplay(u"abc"), u"abc\r\n");
    const std::u16string sixty(60, u'x');
    EXPECT_EQ(makeListDisplay(sixty), sixty + u"\r\n");
    EXPECT_EQ(makeListDisplay(u""), u"\r\n");
    EXPECT_EQ(normalizeCharList(makeListDisplay(NormalisedDefault)), NormalisedDefault);
}

} // namespace
