#include "engine/numeric_seed.h"

std::u16string FormatNumericSeed(const SeedNumbers& numbers)
{
    std::u16string text;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (i != 0)
            text.push_back(u'-');
        const auto value = static_cast<std::int32_t>(numbers[i]);
        for (char c : std::to_string(value))
            text.push_back(static_cast<char16_t>(c));
    }
    return text;
}

SeedNumbers parseNumericSeedText(std::u16string_view text)
{
    SeedNumbers numbers{};
    std::size_t p = 0;
    for (std::uint32_t& number : numbers) {
        for (int examined = 0; examined < 8; ++examined) {
            if (p >= text.size())
                break;
            const unsigned byte = text[p] & 0xFFu;
            if (byte >= '0' && byte <= '9') {
                number = number * 10 + (byte - '0');
                ++p;
            } else if (byte == '-') {
                ++p;
                break;
            } else {
                // Stuck here for this number and every later one.
                break;
            }
        }
    }
    return numbers;
}
