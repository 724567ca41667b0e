#pragma once

#include <string>
#include <string_view>

// The built-in list, in its stored (unsorted) order.
inline constexpr std::u16string_view DefaultCharList =
    u"0123456789ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz!#$%&()*+-./<=>?@";

// Longest input a list is made from, CR and LF not counted; later
// characters are dropped.
inline constexpr std::size_t MaxCharListInput = 200;

// Every list the program stores or draws from passes through here: the
// distinct low bytes of the first 200 units other than CR and LF, less BEL,
// BS and NUL, each once, in signed-byte order (0x80..0xFF before
// 0x01..0x7F). A byte b becomes the unit U+00bb, so the result holds only
// U+0001..U+00FF. Normalising the display form of a list gives the list.
std::u16string normalizeCharList(std::u16string_view text);

// The list as the list edit shows it: the first 60 units, CR LF, the rest.
std::u16string makeListDisplay(std::u16string_view list);
