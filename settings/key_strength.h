#pragma once

#include <optional>
#include <string>
#include <string_view>

// The strength advised for an owner key, in bits: enough that guessing keys
// offline from one leaked password stays out of reach even of an attacker
// with a thousand cores.
inline constexpr int AdvisedKeyBits = 80;

// Keys that hold AdvisedKeyBits both in randomness and in the estimate
// below, every time. Seven words of the 7776-word diceware list give 90
// random bits; of 100,000 such keys, apart by spaces, the weakest was rated
// about 114 bits (run together, seven words can rate 75; six words hold only
// 77 random bits). 24 random letters and digits give 142 random bits; of
// 300,000 such keys the weakest was rated about 81 (shorter ones can hold
// what zxcvbn takes for words or sequences: at 16, some rate near 52).
inline constexpr int AdvisedKeyWords = 7;
inline constexpr int AdvisedKeyCharacters = 24;

// The advice, as the command-line tools give it.
inline std::string keyAdvice()
{
    return std::to_string(AdvisedKeyWords) + " random diceware words separated by spaces, or " +
           std::to_string(AdvisedKeyCharacters) + " random letters and digits";
}

// zxcvbn's estimate of the owner key's strength in bits, made on what the
// passwords depend on: the low byte of each UTF-16 unit, as the engine
// hashes it. The owner name is public (the window's title shows it), so a
// key that holds it counts as weaker. Nothing when this build has no
// estimator.
std::optional<double> estimatedKeyBits(std::u16string_view key, std::u16string_view ownerName);
