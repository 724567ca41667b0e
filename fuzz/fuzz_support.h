#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// A failed property: says which, and aborts, so that libFuzzer keeps the
// input as a crash.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition);  \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// Text from fuzz bytes, readable in a seed file: every byte is the unit of
// that value, except that 0xFE followed by two bytes is the one unit they
// spell (high byte first), which reaches every UTF-16 unit.
inline std::u16string unitsOf(std::string_view bytes)
{
    std::u16string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == 0xFE && i + 2 < bytes.size()) {
            const auto high = static_cast<unsigned char>(bytes[i + 1]);
            const auto low = static_cast<unsigned char>(bytes[i + 2]);
            text.push_back(static_cast<char16_t>(high << 8 | low));
            i += 2;
        } else {
            text.push_back(byte);
        }
    }
    return text;
}

inline std::string_view bytesOf(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}
