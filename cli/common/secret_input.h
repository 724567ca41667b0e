#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

// Where a secret is read from: the terminal with echo off, or standard
// input when that is not a terminal. Tests answer through a fake.
class SecretInput {
public:
    virtual ~SecretInput() = default;

    // True when standard input is a terminal.
    virtual bool isTerminal() = 0;
    // Shows the prompt and reads one line from the terminal with echo off.
    // The line without its line end; nothing when the input ends first.
    virtual std::optional<std::string> readHidden(std::string_view prompt) = 0;
    // One line of standard input without its LF, read no further; nothing
    // when the input ends before a single byte.
    virtual std::optional<std::string> readLine() = 0;
};

// Standard input and the terminal of this process.
std::unique_ptr<SecretInput> systemSecretInput();

struct SecretError {
    std::string message;
};

// The owner key: on a terminal asked with echo off, twice when confirm is
// set, refusing two different entries; otherwise one line of standard
// input. A CR before the line's LF is not part of the key. The key must be
// UTF-8 text without NUL.
std::variant<std::u16string, SecretError> readOwnerKey(SecretInput& input, bool confirm);
