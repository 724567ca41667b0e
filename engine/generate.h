#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "numeric_seed.h"

inline constexpr int PasswordCount = 16;
inline constexpr int MinPasswordLength = 4;
inline constexpr int MaxPasswordLength = 99;

using Passwords = std::array<std::u16string, PasswordCount>;

struct GenerationRequest {
    std::u16string ownerName;
    std::u16string ownerKey;
    bool stringSeedMode = true;
    std::u16string seedText;
    SeedNumbers seedNumbers{};
    bool complexity = false;
    std::u16string charList;
    int length = 10;
};

// The sixteen passwords of a request, or nothing when the request cannot be
// drawn from: an empty character list, or a length outside 4..99.
std::optional<Passwords> GeneratePasswords(const GenerationRequest& request);
