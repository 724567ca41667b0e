#pragma once

#include <cstdint>
#include <string_view>

// A whole text read as an unsigned decimal number, as the window's seed
// number edits and tovrik-gen's options take one: ASCII digits only
// (leading zeros allowed), no sign, no space, at most 32 bits.
struct Decimal {
    enum class Form {
        Number,
        NotDigits, // empty, or holding anything but digits
        TooLarge,  // digits only, but beyond 32 bits
    };
    Form form = Form::NotDigits;
    std::uint32_t value = 0; // for a Number
};

inline constexpr Decimal parseDecimal(std::u16string_view text)
{
    if (text.empty())
        return {};
    std::uint64_t value = 0;
    bool tooLarge = false;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9')
            return {};
        tooLarge = tooLarge || (value = value * 10 + (c - u'0')) > 0xFFFFFFFFu;
    }
    if (tooLarge)
        return {Decimal::Form::TooLarge};
    return {Decimal::Form::Number, static_cast<std::uint32_t>(value)};
}
