// Any command line of tovrik-gen, run in-process against a store that
// holds three named sets, which it must leave as it found it.
#include <fstream>
#include <map>
#include <sstream>

#include "cli/gen_command.h"
#include "fuzz/command_line.h"
#include "fuzz/temp_config_home.h"
#include "settings/qt_settings_store.h"

namespace {

constexpr char Store[] = "[setting102]\n"
                         "user%20name=\\x5c71\\x7530\n"
                         "unique%20key=\"a, b; c\"\n"
                         "length=12\n"
                         "mode=9265\n"
                         "seed2=1-2-3-4-5-6-7\n"
                         "mojisetmax=3\n"
                         "mojisetsel=1\n"
                         "MS01=abc\n"
                         "MS01_name=default\n"
                         "MS02=0123456789\n"
                         "MS02_name=web\n"
                         "MS03=xyz\n"
                         "MS03_name=\\x6570\\x5b57\n"
                         "spread=2\n";

std::filesystem::path storeFolder()
{
    return tempConfigHome() / SettingsOrganization;
}

// The names and contents of every file in the store's folder.
std::map<std::string, std::string> storeFiles()
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(storeFolder())) {
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().filename()] = {std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    }
    return files;
}

std::map<std::string, std::string> storeAtStart;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::filesystem::create_directories(storeFolder());
    std::ofstream(storeFolder() / (std::string(WindowApplicationName) + ".conf")) << Store;
    storeAtStart = storeFiles();
    failOnQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    GenEnvironment env = systemGenEnvironment();
    env.localTime = [] {
        std::tm time{};
        time.tm_year = 126;
        time.tm_mon = 11;
        time.tm_mday = 10;
        return std::optional<std::tm>(time);
    };
    std::ostringstream out;
    std::ostringstream err;
    const int status = runGen(argumentsOf(bytesOf(data, size)), out, err, env);
    checkCommandOutcome(status, out.str(), err.str(), "tovrik-gen");
    if (status == 0)
        FUZZ_CHECK(!out.str().empty());
    // The store is only read.
    FUZZ_CHECK(storeFiles() == storeAtStart);
    return 0;
}
