#include "cli/common/secret_input.h"

#include "platform/windows_api.h"

#include <iostream>

namespace {

class WindowsSecretInput : public SecretInput {
public:
    bool isTerminal() override
    {
        DWORD mode = 0;
        return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
    }

    // Reads wide characters from the console, so that any text can be
    // typed whatever the console's code page.
    SecretRead readHidden(std::string_view prompt) override
    {
        const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
        DWORD mode = 0;
        const bool console = GetConsoleMode(in, &mode) != 0;
        if (console)
            SetConsoleMode(in, mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
        // Through std::cerr, which writes UTF-16 to a console (openConsole).
        std::cerr << prompt << std::flush;
        if (!std::cerr) {
            if (console)
                SetConsoleMode(in, mode);
            return ReadFailure::PromptFailed;
        }
        std::wstring line;
        bool ended = false;
        bool tooLong = false;
        while (true) {
            wchar_t c = 0;
            DWORD got = 0;
            if (!ReadConsoleW(in, &c, 1, &got, nullptr) || got == 0) {
                ended = line.empty();
                break;
            }
            if (c == L'\n')
                break;
            if (c == L'\r')
                continue;
            // A character is at least one byte of UTF-8.
            if (line.size() == MaxSecretLineBytes) {
                tooLong = true;
                break;
            }
            line.push_back(c);
        }
        if (console)
            SetConsoleMode(in, mode);
        std::cerr << '\n' << std::flush;
        if (tooLong)
            return ReadFailure::TooLong;
        if (ended)
            return ReadFailure::InputEnded;
        const int size = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                             nullptr, 0, nullptr, nullptr);
        std::string utf8(static_cast<std::size_t>(size), '\0');
        WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), utf8.data(),
                            size, nullptr, nullptr);
        if (utf8.size() > MaxSecretLineBytes)
            return ReadFailure::TooLong;
        return utf8;
    }

    // Reads byte by byte up to the LF, so that nothing after the line is
    // taken from standard input, and no further than MaxSecretLineBytes.
    SecretRead readLine() override
    {
        const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
        std::string line;
        bool any = false;
        while (true) {
            char c = 0;
            DWORD got = 0;
            if (!ReadFile(in, &c, 1, &got, nullptr) || got == 0)
                break;
            any = true;
            if (c == '\n')
                break;
            if (line.size() == MaxSecretLineBytes)
                return ReadFailure::TooLong;
            line.push_back(c);
        }
        if (!any)
            return ReadFailure::InputEnded;
        return line;
    }
};

} // namespace

const std::string_view PipedKeyEncodingAdvice =
    " (a pipe carries the console's code page: set the console to UTF-8 with"
    " chcp 65001 first, or type the key at the prompt instead)";

std::unique_ptr<SecretInput> systemSecretInput()
{
    return std::make_unique<WindowsSecretInput>();
}
