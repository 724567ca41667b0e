#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "base/result.h"

// One section of an INI file in the form that Qt's QSettings reads and
// writes (its IniFormat), which the store's file has always had: names
// spell characters outside [A-Za-z0-9_.-] as %XX or %UXXXX, a value may be
// quoted and holds C-style escapes, a text that begins with "@" is written
// with "@@", and ";" starts a comment.
//
// Unlike QSettings, every value is read as the one text that it holds: an
// unquoted comma is part of the text, not a list separator. Values in the
// typed forms that QSettings gives a meaning of its own (@ByteArray(...),
// @Variant(...), @Invalid(), ...) are no text at all; their form is named.
// A save changes only the lines of the values it sets: other sections,
// other values and comments stay byte for byte.

// A value as the section holds it.
struct IniValue {
    std::optional<std::u16string> text; // nothing when the value is no text
    std::string form;                   // when it is none: its form, "@ByteArray(...)"
    bool operator==(const IniValue&) const = default;
};

// The section's values by name; a name set twice has its last value.
using IniValues = std::map<std::u16string, IniValue, std::less<>>;

// The values of the section of that name. A file is refused when its bytes
// are not text (not UTF-8, or holding a NUL), when a section header is left
// open or a quote runs to the end of the file, when a line is neither a
// header, a value nor a comment, or when it holds anything but comments
// without the section: the error gives the line (counted from 1; 0 for the
// whole file) and what is wrong there.
Result<IniValues> readIniSection(std::string_view bytes, std::u16string_view section);

// The bytes of the file once each text is set in the section, added at the
// section's end when the file does not have it yet, and the section added
// at the file's end when there is none. The file must be one that
// readIniSection reads (empty is fine). Every text is written so that both
// readIniSection and QSettings read it back unchanged, half surrogate pairs
// included.
std::string writeIniSection(std::string_view bytes, std::u16string_view section,
                            const std::vector<std::pair<std::u16string, std::u16string>>& texts);
