#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"

// The lexing of a registry export's text: its lines, the blanks and
// comments on them, quoted texts, and the lines that continue hex data.
// Faults are thrown as an Error, which parseRegistryExport alone catches
// and returns: the reader's nested steps stop at the first one.

[[noreturn]] inline void failExport(int line, std::string message)
{
    throw Error{std::move(message), line};
}

inline bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

std::u16string_view trimmed(std::u16string_view text);
// The text before a ';' that starts a comment.
std::u16string_view afterComment(std::u16string_view text);
// 1 to 8 hex digits, the whole text.
std::optional<std::uint32_t> parseHex32(std::u16string_view digits);
// Whether text starts with prefix as the registry compares names.
bool startsWithNoCase(std::u16string_view text, std::u16string_view prefix);

// The lines of a text, read one after the other.
class ExportLines {
public:
    explicit ExportLines(std::u16string_view text) : text_(text) {}

    bool atEnd() const { return next_ == std::u16string_view::npos; }
    // Of the line last read, counted from 1.
    int lineNumber() const { return lineNumber_; }

    // The next line without its line break, refused when it is too long or
    // holds a NUL, or when the text has too many lines.
    std::u16string_view next();

    // A quoted text from its opening quote on the line last read; moves the
    // view past the closing one. Besides \\ and \", Wine's registry editor
    // writes \n and \r for the line breaks of a text.
    std::u16string quoted(std::u16string_view& text) const;

    // The rest of a line after a value: nothing but blanks and a comment.
    void expectEnd(std::u16string_view rest) const;

    // The text of hex data that may continue on later lines, each but the
    // last ending in "\", without those backslashes and comments; part is
    // what follows "hex:" or "hex(type):" on the line last read. The later
    // lines are consumed.
    std::u16string continuedHex(std::u16string_view part);

private:
    std::u16string_view text_;
    std::size_t next_ = 0; // where the next line starts; npos past the last
    int lineNumber_ = 0;
};
