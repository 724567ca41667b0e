#include "settings/key_strength.h"

#include <string>

#include <zxcvbn.h>

namespace {

// The bytes that the engine hashes, as the estimator's C string. It takes
// single-byte characters and ends at a NUL, so a zero byte (the low byte of
// U+0100, U+3000, U+4E00, ...) is given as 0x80: one byte of the key
// stays one character, and the merge of two values can only lower the
// estimate.
std::string hashedBytes(std::u16string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (const char16_t unit : text) {
        const auto low = static_cast<unsigned char>(unit & 0xFFu);
        bytes.push_back(static_cast<char>(low == 0 ? 0x80 : low));
    }
    return bytes;
}

} // namespace

std::optional<double> estimatedKeyBits(std::u16string_view key, std::u16string_view ownerName)
{
    const std::string password = hashedBytes(key);
    const std::string name = hashedBytes(ownerName);
    const char* userWords[] = {name.c_str(), nullptr};
    return ZxcvbnMatch(password.c_str(), name.empty() ? nullptr : userWords, nullptr);
}
