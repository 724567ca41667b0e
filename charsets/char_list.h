#pragma once

#include <string>
#include <string_view>

// The built-in list, in its stored (unsorted) order.
inline constexpr std::u16string_view DefaultCharList =
    u"0123456789ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz!#$%&()*+-./<=>?@";

// Longest input a list is made from, CR and LF counted like any other
// unit; later units are dropped.
inline constexpr std::size_t MaxCharListInput = 200;

// Every list the program stores or draws from passes through here: the
// distinct low bytes of the first 200 units, less CR, LF, BEL, BS and NUL,
// each once, in signed-byte order (0x80..0xFF before 0x01..0x7F). A byte b
// becomes the unit U+00bb, so the result holds only U+0001..U+00FF.
std::u16string normalizeCharList(std::u16string_view text);

// The list as the list edit shows it: the first 60 units, CR LF, the rest.
// Normalising it gives the list back for lists of up to 198 units; the CR LF
// pushes the end of a longer one past the input limit.
std::u16string makeListDisplay(std::u16string_view list);

// The list that an edit showing `list` gives when it is read back holding
// `text`: `list` itself while `text` is still its display form, so that a
// list of 199 or 200 units survives an edit opened and left unchanged;
// otherwise `text` normalised.
std::u16string listFromDisplay(std::u16string_view text, std::u16string_view list);
