#pragma once

#include <string>
#include <string_view>

// The wide-character white-space test used wherever a typed or stored name
// is trimmed: the ASCII blanks and controls TAB to CR, and the Unicode space
// separators, the ideographic space U+3000 included.
bool isWideWhiteSpace(char16_t unit);

// The text without white space at either end.
std::u16string trimWhiteSpace(std::u16string_view text);
