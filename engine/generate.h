#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "engine/numeric_seed.h"

inline constexpr int PasswordCount = 16;
inline constexpr int MinPasswordLength = 4;
inline constexpr int MaxPasswordLength = 99;
inline constexpr int DefaultPasswordLength = 10;

// Spread levels 0..4 show the first 1, 2, 4, 8 or 16 passwords.
inline constexpr int SpreadLevels = 5;
static_assert(1 << (SpreadLevels - 1) == PasswordCount);

using Passwords = std::array<std::u16string, PasswordCount>;

// The passwords that spread level shows: the first 2^level.
inline std::span<const std::u16string> shownPasswords(const Passwords& passwords, int spreadLevel)
{
    return {passwords.data(), std::size_t{1} << spreadLevel};
}

// The index below n (n > 0) that one random output r draws: its top 31
// bits reduced below n. Every draw of a generation consumes one output.
inline constexpr std::uint32_t drawIndex(std::uint32_t r, std::uint32_t n)
{
    return (r >> 1) % n;
}

struct GenerationRequest {
    std::u16string ownerName;
    std::u16string ownerKey;
    bool stringSeedMode = true;
    std::u16string seedText;
    SeedNumbers seedNumbers{};
    bool complexity = false;
    std::u16string charList;
    int length = DefaultPasswordLength;
};

// The sixteen passwords of a request, or nothing when the request cannot be
// drawn from: an empty character list, or a length outside 4..99.
std::optional<Passwords> GeneratePasswords(const GenerationRequest& request);
