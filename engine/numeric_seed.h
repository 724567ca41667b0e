#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

using SeedNumbers = std::array<std::uint32_t, 7>;
inline constexpr std::size_t SeedNumberCount = std::tuple_size_v<SeedNumbers>;

// The largest number a seed number edit takes; a default seed number lies
// within 0 and it as well.
inline constexpr std::uint32_t MaxSeedNumber = 99999;

// "%d-%d-%d-%d-%d-%d-%d", each number read as a signed 32-bit value.
std::u16string FormatNumericSeed(const SeedNumbers& numbers);

// Splits a stored numeric seed text back into seven numbers. Each number
// takes at most eight characters: digits add to it, a "-" ends it and is
// consumed, the end of the text ends it, and any other character stops the
// whole parse where it stands. Numbers never reached are 0.
SeedNumbers parseNumericSeedText(std::u16string_view text);
