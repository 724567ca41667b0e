#pragma once

#include <string>
#include <string_view>

// UTF-16 code units as little-endian byte pairs, as Windows keeps text in
// files and in the registry.

inline void appendUtf16Le(std::string& bytes, std::u16string_view text)
{
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
}

// The units of the bytes; a last odd byte is not read.
inline std::u16string unitsFromUtf16Le(std::string_view bytes)
{
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                              static_cast<unsigned char>(bytes[i + 1]) << 8));
    return units;
}
