#include "cli/common/console.h"

#include <clocale>
#include <csignal>
#include <cstring>
#include <iostream>
#include <langinfo.h>
#include <unistd.h>

Console openConsole(int argc, char** argv)
{
    // A write to a pipe that nobody reads any more fails, as one to a full
    // disk does, and the programs report it, instead of ending silently.
    std::signal(SIGPIPE, SIG_IGN);
    std::ios::sync_with_stdio(false);
    Console console;
    console.arguments.assign(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::setlocale(LC_CTYPE, "");
    const char* charset = nl_langinfo(CODESET);
    console.argumentsAreUtf8 =
        std::strcmp(charset, "UTF-8") == 0 || std::strcmp(charset, "utf8") == 0;
    console.outputIsTerminal = isatty(STDOUT_FILENO) == 1;
    return console;
}
