#pragma once

#include <optional>
#include <string_view>

// The strength advised for an owner key, in bits: enough that guessing keys
// offline from one leaked password stays out of reach even of an attacker
// with a thousand cores.
inline constexpr int AdvisedKeyBits = 80;

// zxcvbn's estimate of the owner key's strength in bits, made on what the
// passwords depend on: the low byte of each UTF-16 unit, as the engine
// hashes it. The owner name is public (the window's title shows it), so a
// key that holds it counts as weaker. Nothing when this build has no
// estimator.
std::optional<double> estimatedKeyBits(std::u16string_view key, std::u16string_view ownerName);
