#include "charsets/char_list.h"

#include <array>

std::u16string normalizeCharList(std::u16string_view text)
{
    std::array<bool, 256> present{};
    for (char16_t unit : text.substr(0, MaxCharListInput))
        present[unit & 0xFFu] = true;
    for (unsigned dropped : {0x00u, 0x07u, 0x08u, 0x0Au, 0x0Du})
        present[dropped] = false;

    // A counting sort gives the same order as sorting the bytes as signed
    // 8-bit values: 0x80..0xFF first, then 0x01..0x7F.
    std::u16string result;
    for (unsigned i = 0; i < 256; ++i) {
        const unsigned byte = (i + 0x80u) & 0xFFu;
        if (present[byte])
            result.push_back(static_cast<char16_t>(byte));
    }
    return result;
}

std::u16string makeListDisplay(std::u16string_view list)
{
    constexpr std::size_t firstLine = 60;
    std::u16string display(list.substr(0, firstLine));
    display += u"\r\n";
    if (list.size() > firstLine)
        display += list.substr(firstLine);
    return display;
}

std::u16string listFromDisplay(std::u16string_view text, std::u16string_view list)
{
    if (text == makeListDisplay(list))
        return std::u16string(list);
    return normalizeCharList(text);
}
