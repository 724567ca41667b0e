#include <iostream>

#include "cli/common/console.h"
#include "cli/tovrik-gen/gen_command.h"
#include "platform/core_dumps.h"
#include "platform/library_search.h"

int main(int argc, char** argv)
{
    restrictLibrarySearch();
    disableCoreDumps();
    const Console console = openConsole(argc, argv);
    const std::unique_ptr<SecretInput> input = systemSecretInput();
    GenEnvironment env = systemGenEnvironment(*input);
    env.argumentsAreUtf8 = console.argumentsAreUtf8;
    env.outputIsTerminal = console.outputIsTerminal;
    return exitCode(runGen(console.arguments, std::cout, std::cerr, env));
}
