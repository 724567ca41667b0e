#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "fuzz/fuzz_support.h"
#include "fuzz/temp_config_home.h"
#include "settings/program_names.h"
#include "settings/setting_table.h"

// The window's store for the command-line targets, in the temporary
// configuration folder: three named sets, the second selected.
namespace test_store {

constexpr char Contents[] = "[setting102]\n"
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

inline std::filesystem::path folder()
{
    return tempConfigHome() / SettingsOrganization;
}

// The names and contents of every file in the store's folder.
inline std::map<std::string, std::string> files()
{
    std::map<std::string, std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder())) {
        std::ifstream in(entry.path(), std::ios::binary);
        found[entry.path().filename()] = {std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    }
    return found;
}

inline std::map<std::string, std::string>& atStart()
{
    static std::map<std::string, std::string> files;
    return files;
}

} // namespace test_store

inline void putTestStore()
{
    std::filesystem::create_directories(test_store::folder());
    std::ofstream(test_store::folder() / (std::string(StoreApplicationName) + ".conf"))
        << test_store::Contents;
    test_store::atStart() = test_store::files();
}

// A command that only reads left the folder as it was.
inline void checkTestStoreUnchanged()
{
    FUZZ_CHECK(test_store::files() == test_store::atStart());
}
