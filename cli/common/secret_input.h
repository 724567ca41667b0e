#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

#include "base/result.h"

// The longest line a secret is read from, in bytes before its LF: far
// beyond any key that is typed or pasted. A reader stops there, so that
// input without a line end (/dev/zero) costs no more than this.
inline constexpr std::size_t MaxSecretLineBytes = 4096;

// Why a read gave no line.
enum class ReadFailure {
    InputEnded,   // the input ended before a single byte
    TooLong,      // more than MaxSecretLineBytes before the LF; read no further
    PromptFailed, // the prompt could not be written; nothing was read
};

// One line without its LF, or why there is none.
using SecretRead = std::variant<std::string, ReadFailure>;

// Where a secret is read from: the terminal with echo off, or standard
// input when that is not a terminal. Tests answer through a fake.
class SecretInput {
public:
    virtual ~SecretInput() = default;

    // True when standard input is a terminal.
    virtual bool isTerminal() = 0;
    // Shows the prompt and reads one line from the terminal with echo off.
    // The line without its line end.
    virtual SecretRead readHidden(std::string_view prompt) = 0;
    // One line of standard input without its LF, read no further.
    virtual SecretRead readLine() = 0;
};

// Standard input and the terminal of this process.
std::unique_ptr<SecretInput> systemSecretInput();

// Added to the refusal of a piped key that is not UTF-8 text, where the
// platform makes that likely: a Windows pipe carries the console's code
// page (CP932 on a Japanese system). Empty elsewhere.
extern const std::string_view PipedKeyEncodingAdvice;

// The owner key: on a terminal asked with echo off, twice when confirm is
// set, refusing two different entries; otherwise one line of standard
// input. A CR before the line's LF is not part of the key. The key must be
// UTF-8 text without NUL, of at most MaxSecretLineBytes.
Result<std::u16string> readOwnerKey(SecretInput& input, bool confirm);
