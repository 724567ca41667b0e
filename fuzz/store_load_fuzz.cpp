// Any bytes as the INI file of the store, loaded as the window loads it,
// then saved and loaded again.
#include <QString>

#include <chrono>
#include <fstream>

#include "fuzz/fuzz_support.h"
#include "fuzz/temp_config_home.h"
#include "settings/load_save.h"
#include "settings/program_names.h"
#include "settings/user_settings_store.h"
#include "tests/support/store_invariants.h"
#include "text/qt_text.h"

namespace {

std::string fileBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::filesystem::create_directories(tempConfigHome() / SettingsOrganization);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::filesystem::path file =
        tempConfigHome() / SettingsOrganization / (std::string(StoreApplicationName) + ".conf");
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        FUZZ_CHECK(out.good());
    }
    // The store reads a file again only when its size or time stamps
    // changed, and two inputs of one size can be written within the same
    // tick: every input gets a time stamp of its own, in the past so that
    // no save's stamp meets it.
    using Clock = std::filesystem::file_time_type::clock;
    static Clock::time_point stamp = Clock::now() - std::chrono::hours(24 * 365);
    stamp += std::chrono::seconds(1);
    std::filesystem::last_write_time(file, stamp);

    StoredSettings loaded;
    {
        UserSettingsStore store(StoreIdentity::ofWindow());
        loadSettings(store, loaded, SeedEntropy{});
        FUZZ_CHECK(brokenLoadInvariant(loaded).empty());
        // A file that is no store, or a value that is no text, is never
        // saved over.
        if (store.access() != StoreAccess::Ours) {
            FUZZ_CHECK(store.access() == StoreAccess::Unreadable);
            FUZZ_CHECK(!saveSettings(store, loaded));
            FUZZ_CHECK(fileBytes(file) == bytesOf(data, size));
            std::filesystem::remove(file);
            return 0;
        }
        FUZZ_CHECK(saveSettings(store, loaded));
    }
    StoredSettings reloaded;
    {
        const UserSettingsStore store(StoreIdentity::ofWindow());
        loadSettings(store, reloaded, SeedEntropy{});
    }
    FUZZ_CHECK(sameStoredFields(reloaded, loaded));
    std::filesystem::remove(file);
    return 0;
}
