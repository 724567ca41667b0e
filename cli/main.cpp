#include <iostream>

#include "cli/gen_command.h"

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::ios::sync_with_stdio(false);
    return runGen(args, std::cout, std::cerr, systemGenEnvironment());
}
