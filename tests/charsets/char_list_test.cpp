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

// A list of n distinct characters, normalised.
std::u16string longList(std::size_t n)
{
    std::u16string distinct;
    for (char16_t unit = 0x20; distinct.size() < n; ++unit)
        distinct.push_back(unit);
    return normalizeCharList(distinct);
}

TEST(NormalizeCharList, LineBreaksCountTowardsTheLimit)
{
    std::u16string pairs;
    for (int i = 0; i < 80; ++i)
        pairs += u"a\r\n";
    EXPECT_EQ(normalizeCharList(pairs + u"b"), u"a"); // "b" is the 241st
    EXPECT_EQ(normalizeCharList(pairs.substr(0, 199) + u"b"), u"ab");
    EXPECT_EQ(normalizeCharList(pairs.substr(0, 200) + u"b"), u"a");

    // A display form longer than 200 characters loses the end of its list.
    const std::u16string list = longList(MaxCharListInput);
    ASSERT_EQ(list.size(), MaxCharListInput);
    EXPECT_EQ(normalizeCharList(makeListDisplay(list)), list.substr(0, 198));
    const std::u16string list198 = longList(198);
    EXPECT_EQ(normalizeCharList(makeListDisplay(list198)), list198);
}

TEST(ListFromDisplay, AnUnchangedDisplayKeepsItsListAndAnyOtherTextIsNormalised)
{
    for (std::size_t n :
         {std::size_t{0}, std::size_t{3}, std::size_t{198}, std::size_t{199}, MaxCharListInput}) {
        SCOPED_TRACE(n);
        const std::u16string list = longList(n);
        const std::u16string display = makeListDisplay(list);
        EXPECT_EQ(listFromDisplay(display, list), list);
        // Edited, however little, the text is a new list like any other.
        for (const std::u16string& edited :
             {display + u"\x01", u"\r\n" + display, display.substr(0, display.size() - 1), list}) {
            EXPECT_EQ(listFromDisplay(edited, list), normalizeCharList(edited));
        }
    }
    EXPECT_EQ(listFromDisplay(u"cba\r\n", u"xyz"), u"abc");
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
