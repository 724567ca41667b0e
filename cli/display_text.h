#pragma once

#include <string>
#include <string_view>

// A stored or read text as UTF-8 for a terminal: control characters (C0,
// DEL and C1) are shown as \xNN, so that no escape sequence reaches the
// terminal and no line break splits a message.
std::string displayText(std::u16string_view text);

// The same in single quotes, for messages.
std::string quotedDisplayText(std::u16string_view text);
