#include "engine/generate.h"

#include <array>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/mt19937.h"
#include "engine/sha1.h"

namespace {

// "ぬれそほた" in Shift-JIS, in front of every hash input.
constexpr std::uint8_t Salt[10] = {0x82, 0xCA, 0x82, 0xEA, 0x82, 0xBB, 0x82, 0xD9, 0x82, 0xBD};

inline std::uint32_t drawBelow(MtState& mt, std::uint32_t n)
{
    return drawIndex(mt_next(mt), n);
}

// A drawn character is appended as its low byte.
inline char16_t appendedUnit(char16_t unit)
{
    return static_cast<char16_t>(unit & 0xFFu);
}

inline char16_t drawFrom(MtState& mt, std::u16string_view list)
{
    return appendedUnit(list[drawBelow(mt, static_cast<std::uint32_t>(list.size()))]);
}

// The list split into digits, small letters, capital letters and the rest,
// each in list order. A class the list lacks stays empty and is skipped.
using CharClasses = std::array<std::u16string, 4>;

CharClasses charClassesOf(std::u16string_view list)
{
    CharClasses classes;
    for (char16_t unit : list) {
        std::size_t c = 3;
        if (unit >= u'0' && unit <= u'9')
            c = 0;
        else if (unit >= u'a' && unit <= u'z')
            c = 1;
        else if (unit >= u'A' && unit <= u'Z')
            c = 2;
        classes[c].push_back(unit);
    }
    return classes;
}

// One character of each class the list holds, the rest from the whole list,
// then 2 * length swaps of two drawn positions.
void drawComplex(MtState& mt, std::u16string_view list, const CharClasses& classes, int length,
                 std::u16string& out)
{
    for (const std::u16string& members : classes)
        if (!members.empty())
            out.push_back(drawFrom(mt, members));
    while (static_cast<int>(out.size()) < length)
        out.push_back(drawFrom(mt, list));
    const auto n = static_cast<std::uint32_t>(length);
    for (int round = 0; round < 2 * length; ++round) {
        const std::uint32_t a = drawBelow(mt, n);
        const std::uint32_t b = drawBelow(mt, n);
        std::swap(out[a], out[b]);
    }
}

} // namespace

std::optional<Passwords> GeneratePasswords(const GenerationRequest& request)
{
    const std::u16string_view list = request.charList;
    const int length = request.length;
    if (list.empty() || length < MinPasswordLength || length > MaxPasswordLength)
        return std::nullopt;

    const std::u16string numeric = FormatNumericSeed(request.seedNumbers);
    const std::u16string_view seed = request.stringSeedMode ? std::u16string_view(request.seedText)
                                                            : std::u16string_view(numeric);

    std::vector<std::uint8_t> input(std::begin(Salt), std::end(Salt));
    input.reserve(sizeof Salt + request.ownerName.size() + request.ownerKey.size() + seed.size());
    for (std::u16string_view part :
         {std::u16string_view(request.ownerName), std::u16string_view(request.ownerKey), seed})
        for (char16_t unit : part)
            input.push_back(static_cast<std::uint8_t>(unit & 0xFFu));

    clx::sha1 digest;
    digest.compute(input.data(), static_cast<std::uint32_t>(input.size()));
    const std::uint32_t key[5] = {digest.word(0), digest.word(4), digest.word(1), digest.word(3),
                                  digest.word(2)};

    MtState mt;
    mt_seed_by_array(mt, key, 5);
    for (int i = 0; i < length * length; ++i)
        mt_next(mt);

    Passwords passwords;
    if (!request.complexity) {
        for (std::u16string& password : passwords) {
            password.reserve(static_cast<std::size_t>(length));
            for (int i = 0; i < length; ++i)
                password.push_back(drawFrom(mt, list));
        }
        return passwords;
    }

    const CharClasses classes = charClassesOf(list);
    for (std::u16string& password : passwords) {
        password.reserve(static_cast<std::size_t>(length));
        drawComplex(mt, list, classes, length, password);
    }
    return passwords;
}
