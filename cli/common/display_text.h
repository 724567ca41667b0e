#pragma once

#include <string>
#include <string_view>

// Control characters (C0, DEL and C1) as \xHH, so that none acts on a
// terminal: no escape sequence reaches it and no line break splits a
// message. With keepLineEnds, LF and CR LF stay as they are.
std::u16string escapeControls(std::u16string_view text, bool keepLineEnds = false);

// A stored or read text as UTF-8 for one line of a terminal: escaped.
std::string displayText(std::u16string_view text);

// The same in single quotes, for messages.
std::string quotedDisplayText(std::u16string_view text);

// A message (UTF-8) as one line for a terminal: the control characters of
// what it quotes, from an argument or a file, are shown as displayText
// shows them.
std::string messageLine(std::string_view message);
