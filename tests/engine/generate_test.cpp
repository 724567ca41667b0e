#include "engine/generate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace {

const std::u16string NormalisedDefault =
    u"!#$%&()*+-./0123456789<=>?@ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz";

struct ReferenceCase {
    const char16_t* name;
    const char16_t* ownerName;
    const char16_t* ownerKey;
    bool stringSeedMode;
    const char16_t* seedText;
    SeedNumbers seedNumbers;
    bool complexity;
    const char16_t* charList;
    int length;
    const char16_t* first;
    const char16_t* sixteenth;
};

// Rows printed by reference_generate.py, an implementation of its own on
// Python's hashlib and random (the reference MT19937).
const ReferenceCase ReferenceCases[] = {
    {u"first start",
     u"\u25CB\u25CB",
     u"",
     true,
     u"TANE",
     {0u, 0u, 0u, 0u, 0u, 0u, 0u},
     false,
     u"!#$%&()*+-./0123456789<=>?@ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz",
     10,
     u"rGhrZfcW(.",
     u"$9!EE7tD*+"},
    {u"numeric, complexity, L=4",
     u"\u25CB\u25CB",
     u"",
     false,
     u"TANE",
     {1u, 2u, 3u, 4u, 5u, 6u, 7u},
     true,
     u"!#$%&()*+-./0123456789<=>?@ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz",
     4,
     u"1r@M",
     u"3u/N"},
    {u"owner key and L=99 complexity",
     u"\u5C71\u7530",
     u"key!",
     true,
     u"mail",
     {0u, 0u, 0u, 0u, 0u, 0u, 0u},
     true,
     u"!#$%&()*+-./0123456789<=>?@ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz",
     99,
     u"MR)ZC(2-rCWe@@J6MUA->jU$@t1VB$Zn)$1A4imch9R5zRY&s@Mt$Z-am(.=0@9y6Sss.zg@hytrk.?D.-AgKPAr9>-"
     u"b?e42Pc?",
     u"S=UW)/"
     u"Aa(yx0mt+5T9KwBxhn=?<y8g(1)*h*?z=>c$H5D@y$(5%15*JJTJwBUDEvr6u>ZK+n62uaFZ2h@!YdJ2qQLiT4*"
     u"tp2bP-"},
    {u"3000000000 in the numbers",
     u"x",
     u"",
     false,
     u"",
     {3000000000u, 0u, 99999u, 1u, 2u, 3u, 4u},
     false,
     u"!#$%&()*+-./0123456789<=>?@ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz",
     16,
     u"%3eJnDYP!yg1<ZHP",
     u"MLtpe4v-tVxzSmHq"},
    {u"empty owner and seed",
     u"",
     u"",
     true,
     u"",
     {0u, 0u, 0u, 0u, 0u, 0u, 0u},
     false,
     u"abc",
     5,
     u"ccbbb",
     u"ccaaa"},
    {u"wide unit appended as low byte",
     u"a",
     u"b",
     true,
     u"c",
     {0u, 0u, 0u, 0u, 0u, 0u, 0u},
     false,
     u"\uFF710",
     8,
     u"q00q00qq",
     u"q00q0qq0"},
    {u"digits only with complexity",
     u"d",
     u"",
     true,
     u"digits",
     {0u, 0u, 0u, 0u, 0u, 0u, 0u},
     true,
     u"0123456789",
     12,
     u"382418453149",
     u"740352865282"},
};

GenerationRequest requestOf(const ReferenceCase& c)
{
    return {c.ownerName,   c.ownerKey,   c.stringSeedMode, c.seedText,
            c.seedNumbers, c.complexity, c.charList,       c.length};
}

void PrintTo(const ReferenceCase& row, std::ostream* out)
{
    for (const char16_t* c = row.name; *c != 0; ++c)
        *out << static_cast<char>(*c);
}

class ReferenceRow : public testing::TestWithParam<ReferenceCase> {};

TEST_P(ReferenceRow, MatchesTheIndependentReference)
{
    const ReferenceCase& c = GetParam();
    const auto passwords = GeneratePasswords(requestOf(c));
    ASSERT_TRUE(passwords.has_value());
    EXPECT_EQ((*passwords)[0], c.first);
    EXPECT_EQ((*passwords)[15], c.sixteenth);
    for (const std::u16string& password : *passwords)
        EXPECT_EQ(password.size(), static_cast<std::size_t>(c.length));
}

// A row's name as a test name: ASCII letters and digits, the rest '_'.
std::string rowName(const testing::TestParamInfo<ReferenceCase>& row)
{
    std::string name;
    for (const char16_t* c = row.param.name; *c != 0; ++c)
        name.push_back(*c < 0x80 && std::isalnum(static_cast<int>(*c)) ? static_cast<char>(*c)
                                                                       : '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(GeneratePasswords, ReferenceRow, testing::ValuesIn(ReferenceCases),
                         rowName);

GenerationRequest baseRequest()
{
    GenerationRequest r;
    r.ownerName = u"owner";
    r.ownerKey = u"key";
    r.seedText = u"seed";
    r.seedNumbers = {1, 2, 3, 4, 5, 6, 7};
    r.charList = NormalisedDefault;
    r.length = 12;
    return r;
}

TEST(GeneratePasswords, EveryInputThatTheModeUsesChangesThePasswords)
{
    const Passwords base = *GeneratePasswords(baseRequest());
    EXPECT_EQ(*GeneratePasswords(baseRequest()), base);

    for (int change = 0; change < 7; ++change) {
        GenerationRequest r = baseRequest();
        switch (change) {
        case 0: r.ownerName += u'2'; break;
        case 1: r.ownerKey += u'2'; break;
        case 2: r.seedText += u'2'; break;
        case 3: r.length = 13; break;
        case 4: r.complexity = true; break;
        case 5: r.charList = u"abcdef"; break;
        case 6: r.stringSeedMode = false; break;
        }
        EXPECT_NE(*GeneratePasswords(r), base) << "change " << change;
    }
}

TEST(GeneratePasswords, TheUnusedSeedHasNoInfluence)
{
    GenerationRequest a = baseRequest();
    GenerationRequest b = baseRequest();
    b.seedNumbers = {9, 9, 9, 9, 9, 9, 9};
    EXPECT_EQ(*GeneratePasswords(a), *GeneratePasswords(b));

    a.stringSeedMode = b.stringSeedMode = false;
    b.seedNumbers = a.seedNumbers;
    b.seedText = u"something else";
    EXPECT_EQ(*GeneratePasswords(a), *GeneratePasswords(b));
}

TEST(GeneratePasswords, OnlyTheLowByteOfEachHashedUnitCounts)
{
    GenerationRequest a = baseRequest();
    GenerationRequest b = baseRequest();
    a.ownerName = u"AAA";
    b.ownerName = u"\u0141\u0141\u0141"; // Ł has the low byte of A
    EXPECT_EQ(*GeneratePasswords(a), *GeneratePasswords(b));
}

TEST(GeneratePasswords, ComplexityAtLengthFourTakesOneOfEachClass)
{
    GenerationRequest r = baseRequest();
    r.complexity = true;
    r.length = 4;
    const Passwords passwords = *GeneratePasswords(r);
    for (const std::u16string& pw : passwords) {
        auto count = [&](auto pred) { return std::count_if(pw.begin(), pw.end(), pred); };
        EXPECT_EQ(count([](char16_t c) { return c >= u'0' && c <= u'9'; }), 1);
        EXPECT_EQ(count([](char16_t c) { return c >= u'a' && c <= u'z'; }), 1);
        EXPECT_EQ(count([](char16_t c) { return c >= u'A' && c <= u'Z'; }), 1);
    }
}

TEST(GeneratePasswords, PlainPasswordsUseOnlyListCharacters)
{
    GenerationRequest r = baseRequest();
    r.charList = u"xyz%";
    const Passwords passwords = *GeneratePasswords(r);
    for (const std::u16string& pw : passwords)
        EXPECT_EQ(pw.find_first_not_of(u"xyz%"), std::u16string::npos);
}

TEST(GeneratePasswords, DigitsOnlyComplexityRearrangesTheFirstPlainPassword)
{
    GenerationRequest r = baseRequest();
    r.charList = u"0123456789";
    const Passwords plain = *GeneratePasswords(r);
    r.complexity = true;
    const Passwords complex = *GeneratePasswords(r);
    EXPECT_TRUE(std::is_permutation(plain[0].begin(), plain[0].end(), complex[0].begin()));
    EXPECT_NE(plain[1], complex[1]);
}

TEST(DrawIndex, TakesTheTopThirtyOneBitsBelowN)
{
    struct Case {
        std::uint32_t r, n, index;
    };
    const Case cases[] = {
        {0xFFFFFFFFu, 10, 7}, // 2147483647 mod 10: the low bit never counts
        {0xFFFFFFFEu, 10, 7}, {1, 10, 0}, {2, 10, 1}, {0x80000000u, 3, 1}, // 1073741824 mod 3
        {12345, 1, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(drawIndex(c.r, c.n), c.index) << c.r << " below " << c.n;
}

TEST(GeneratePasswords, RefusesWhatItCannotDrawFrom)
{
    GenerationRequest r = baseRequest();
    r.charList.clear();
    EXPECT_FALSE(GeneratePasswords(r).has_value());
    r.complexity = true;
    EXPECT_FALSE(GeneratePasswords(r).has_value());
    for (int length : {3, 100, 0, -1}) {
        GenerationRequest bad = baseRequest();
        bad.length = length;
        EXPECT_FALSE(GeneratePasswords(bad).has_value()) << length;
    }
}

} // namespace
