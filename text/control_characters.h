#pragma once

#include <algorithm>
#include <string_view>

// True when the text holds a C0 control character (NUL, a tab, a line
// break, an escape, ...). No owner key may: nobody can type one into the
// Windows program or give it as one line, and a line break pasted with a
// key would make other passwords without a visible sign.
inline bool holdsControlCharacters(std::u16string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char16_t unit) { return unit < 0x20; });
}
