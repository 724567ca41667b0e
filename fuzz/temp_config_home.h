#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

// Points XDG_CONFIG_HOME at a fresh folder of its own for the whole run, so
// that no real store is read or written; the folder goes at exit.
inline const std::filesystem::path& tempConfigHome()
{
    static const std::filesystem::path home = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "tovrik-fuzz-XXXXXX");
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        ::setenv("XDG_CONFIG_HOME", pattern.c_str(), 1);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(tempConfigHome(), ignored);
        });
        return std::filesystem::path(pattern);
    }();
    return home;
}
