// A build without zxcvbn (a cross build that has no copy of it) makes no
// estimate: set-owner-key then says nothing about the key's strength.
#include "settings/key_strength.h"

std::optional<double> estimatedKeyBits(std::u16string_view, std::u16string_view)
{
    return std::nullopt;
}
