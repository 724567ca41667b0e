#include "cli/common/console.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <io.h>
#include <shellapi.h>
#include <stdio.h>

namespace {

std::string toUtf8(const wchar_t* text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string bytes(static_cast<std::size_t>(size - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

} // namespace

// The narrow argv holds the arguments in the ANSI code page, which loses
// characters; the wide command line holds them all.
Console openConsole(int, char**)
{
    Console console;
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i)
            console.arguments.push_back(toUtf8(wide[i]));
        LocalFree(wide);
    }
    console.outputIsTerminal = _isatty(_fileno(stdout)) != 0;
    if (console.outputIsTerminal)
        SetConsoleOutputCP(CP_UTF8);
    return console;
}
