#pragma once

#include <string>
#include <vector>

// What a command-line program learns from the platform about its arguments
// and its standard output.
struct Console {
    // The arguments without the program name: UTF-8 where the platform
    // hands over text, the raw bytes elsewhere.
    std::vector<std::string> arguments;
    // False when the raw bytes follow a locale whose character set is not
    // UTF-8.
    bool argumentsAreUtf8 = true;
    bool outputIsTerminal = false;
};

// Also readies std::cout and std::cerr, unsynchronised with C's stdio: on a
// Windows console they write UTF-16, elsewhere the bytes they are given. A
// write to a closed pipe fails as any failed write does (SIGPIPE ignored).
Console openConsole(int argc, char** argv);
