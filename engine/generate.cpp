#include "generate.h"

#include <string_view>
#include <utility>
#include <vector>

#include "draw_index.h"
#include "mt19937.h"
#include "sha1.h"

namespace {

// "ぬれそほた" in Shift-JIS, in front of every hash input.
constexpr std::uint8_t Salt[10] = {0x82, 0xCA, 0x82, 0xEA, 0x82, 0xBB, 0x82, 0xD9, 0x82, 0xBD};

// One draw from the run's generator: one output, reduced below n.
class DrawBelow {
public:
    explicit DrawBelow(std::uint32_t n) : index_(n) {}
    std::uint32_t operator()(MtState& mt) const { return index_(mt_next(mt)); }

private:
    DrawIndex index_;
};

// A drawn character is appended as its low byte.
inline char16_t appendedUnit(char16_t unit)
{
    return static_cast<char16_t>(unit & 0xFFu);
}

void drawPlain(MtState& mt, std::u16string_view list, const DrawBelow& below, int length,
               std::u16string& out)
{
    for (int i = 0; i < length; ++i)
        out.push_back(appendedUnit(list[below(mt)]));
}

struct CharClasses {
    std::u16string strings[4]; // digits, lower case, upper case, others
    std::vector<DrawBelow> draws;
    std::vector<int> nonEmpty;

    explicit CharClasses(std::u16string_view list)
    {
        for (char16_t unit : list) {
            int c = 3;
            if (unit >= u'0' && unit <= u'9')
                c = 0;
            else if (unit >= u'a' && unit <= u'z')
                c = 1;
            else if (unit >= u'A' && unit <= u'Z')
                c = 2;
            strings[c].push_back(unit);
        }
        for (int c = 0; c < 4; ++c) {
            if (!strings[c].empty()) {
                nonEmpty.push_back(c);
                draws.emplace_back(static_cast<std::uint32_t>(strings[c].size()));
            }
        }
    }
};

void drawComplex(MtState& mt, std::u16string_view list, const DrawBelow& below,
                 const DrawBelow& belowLength, const CharClasses& classes, int length,
                 std::u16string& out)
{
    for (std::size_t k = 0; k < classes.nonEmpty.size(); ++k)
        out.push_back(appendedUnit(classes.strings[classes.nonEmpty[k]][classes.draws[k](mt)]));
    while (static_cast<int>(out.size()) < length)
        out.push_back(appendedUnit(list[below(mt)]));
    for (int round = 0; round < 2 * length; ++round) {
        const std::uint32_t a = belowLength(mt);
        const std::uint32_t b = belowLength(mt);
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

    const DrawBelow below(static_cast<std::uint32_t>(list.size()));
    Passwords passwords;
    if (!request.complexity) {
        for (std::u16string& password : passwords) {
            password.reserve(static_cast<std::size_t>(length));
            drawPlain(mt, list, below, length, password);
        }
        return passwords;
    }

    const CharClasses classes(list);
    const DrawBelow belowLength(static_cast<std::uint32_t>(length));
    for (std::u16string& password : passwords) {
        password.reserve(static_cast<std::size_t>(length));
        drawComplex(mt, list, below, belowLength, classes, length, password);
    }
    return passwords;
}
