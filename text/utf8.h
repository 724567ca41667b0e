#pragma once

#include <string>
#include <string_view>

// UTF-8 bytes and UTF-16 units, strictly (RFC 3629): no overlong forms, no
// surrogates, nothing beyond U+10FFFF.

// Where the bytes stop being UTF-8, or npos when they are UTF-8 throughout.
// The units of the valid bytes are appended to text.
inline std::size_t appendUtf8Units(std::u16string& text, std::string_view bytes)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char lead = byte(i);
        if (lead < 0x80) {
            text.push_back(lead);
            ++i;
            continue;
        }
        std::size_t length = 0;
        if (lead >= 0xC2 && lead <= 0xDF)
            length = 2;
        else if (lead >= 0xE0 && lead <= 0xEF)
            length = 3;
        else if (lead >= 0xF0 && lead <= 0xF4)
            length = 4;
        // The range of the second byte excludes overlong forms, surrogates
        // and what lies beyond U+10FFFF.
        const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
        bool valid =
            length != 0 && i + length <= bytes.size() && byte(i + 1) >= low && byte(i + 1) <= high;
        for (std::size_t k = 2; valid && k < length; ++k)
            valid = (byte(i + k) & 0xC0) == 0x80;
        if (!valid)
            return i;
        char32_t code = lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k)
            code = code << 6 | (byte(i + k) & 0x3F);
        if (code >= 0x10000) {
            text.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            text.push_back(static_cast<char16_t>(code));
        }
        i += length;
    }
    return std::string_view::npos;
}

// The UTF-8 bytes of one character.
inline void appendUtf8(std::string& bytes, char32_t code)
{
    if (code < 0x80) {
        bytes.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        bytes.push_back(static_cast<char>(0xC0 | code >> 6));
        bytes.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        bytes.push_back(static_cast<char>(0xE0 | code >> 12));
        bytes.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
        bytes.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        bytes.push_back(static_cast<char>(0xF0 | code >> 18));
        bytes.push_back(static_cast<char>(0x80 | (code >> 12 & 0x3F)));
        bytes.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
        bytes.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}
