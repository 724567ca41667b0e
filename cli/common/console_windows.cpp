#include "cli/common/console.h"

#include "platform/windows_api.h"

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <stdio.h>

#include <iostream>
#include <streambuf>
#include <string>

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

// The length of the longest prefix of bytes that ends on a whole UTF-8
// sequence; the rest waits for the bytes that complete it.
std::size_t wholeSequences(std::string_view bytes)
{
    std::size_t end = bytes.size();
    for (std::size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
        const auto byte = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if ((byte & 0xC0) == 0x80)
            continue; // a continuation byte: look further back
        const std::size_t needed = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        if (needed > back)
            end = bytes.size() - back;
        break;
    }
    return end;
}

// Standard output or error on a console: the console shows UTF-16 whatever
// its code page, so the UTF-8 that the programs write is turned into it and
// written with WriteConsoleW.
class ConsoleBuffer : public std::streambuf {
public:
    explicit ConsoleBuffer(HANDLE console) : console_(console) {}

protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return sync() == 0 ? traits_type::not_eof(c) : traits_type::eof();
        pending_.push_back(traits_type::to_char_type(c));
        if (pending_.size() >= 4096 && !writeOut())
            return traits_type::eof();
        return c;
    }
    std::streamsize xsputn(const char* data, std::streamsize size) override
    {
        pending_.append(data, static_cast<std::size_t>(size));
        if (pending_.size() >= 4096 && !writeOut())
            return 0;
        return size;
    }
    int sync() override { return writeOut() ? 0 : -1; }

private:
    bool writeOut()
    {
        const std::size_t whole = wholeSequences(pending_);
        if (whole == 0)
            return true;
        const int size =
            MultiByteToWideChar(CP_UTF8, 0, pending_.data(), static_cast<int>(whole), nullptr, 0);
        std::wstring text(static_cast<std::size_t>(size), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, pending_.data(), static_cast<int>(whole), text.data(),
                            size);
        pending_.erase(0, whole);
        for (std::size_t done = 0; done < text.size();) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 8192));
            if (!WriteConsoleW(console_, text.data() + done, chunk, &written, nullptr) ||
                written == 0)
                return false;
            done += written;
        }
        return true;
    }

    HANDLE console_;
    std::string pending_;
};

// Points stream at the console when the handle is one; otherwise keeps the
// bytes as they are, LF line ends included (no CR is added). Called once
// per stream, after std::ios::sync_with_stdio, which would replace the
// buffer.
bool attach(std::ostream& stream, DWORD which, FILE* file)
{
    const HANDLE handle = GetStdHandle(which);
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode)) {
        // Never freed: the stream flushes it when the program exits, after
        // the destructors of this file's statics have run.
        stream.rdbuf(new ConsoleBuffer(handle));
        return true;
    }
    _setmode(_fileno(file), _O_BINARY);
    return false;
}

} // namespace

// The narrow argv holds the arguments in the ANSI code page, which loses
// characters; the wide command line holds them all.
Console openConsole(int, char**)
{
    std::ios::sync_with_stdio(false);
    Console console;
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i)
            console.arguments.push_back(toUtf8(wide[i]));
        LocalFree(wide);
    }
    console.outputIsTerminal = attach(std::cout, STD_OUTPUT_HANDLE, stdout);
    attach(std::cerr, STD_ERROR_HANDLE, stderr);
    return console;
}
