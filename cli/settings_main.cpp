#include <QCoreApplication>

#include <iostream>

#include "cli/settings_command.h"

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    // Names this process in the lock file that it takes while it writes.
    QCoreApplication::setApplicationName(QStringLiteral("tovrik-settings"));
    std::ios::sync_with_stdio(false);
    const std::unique_ptr<SecretInput> input = systemSecretInput();
    return runSettings(args, std::cout, std::cerr, systemSettingsEnvironment(*input));
}
