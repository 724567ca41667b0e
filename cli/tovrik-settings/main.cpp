#include <QCoreApplication>

#include <iostream>

#include "cli/common/console.h"
#include "cli/tovrik-settings/run_settings.h"
#include "platform/core_dumps.h"
#include "platform/library_search.h"
#include "settings/program_names.h"
#include "text/qt_text.h"

int main(int argc, char** argv)
{
    restrictLibrarySearch();
    disableCoreDumps();
    const Console console = openConsole(argc, argv);
    // Names this process in the lock file that it takes while it writes.
    QCoreApplication::setApplicationName(toQ(SettingsProgramName));
    const std::unique_ptr<SecretInput> input = systemSecretInput();
    SettingsEnvironment env = systemSettingsEnvironment(*input);
    env.argumentsAreUtf8 = console.argumentsAreUtf8;
    return exitCode(runSettings(console.arguments, std::cout, std::cerr, env));
}
