#include <gtest/gtest.h>

#include <string>

#include "platform/library_search.h"
#include "platform/windows_api.h"

namespace {

std::wstring programFolder()
{
    wchar_t path[MAX_PATH];
    const DWORD size = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, size);
    return folder.substr(0, folder.find_last_of(L"\\/"));
}

} // namespace

// A DLL in the current folder (as one planted beside a document would be)
// loads by name until the search is restricted, and not after; the system's
// DLLs and those beside the program still load.
TEST(LibrarySearch, NamesResolveOnlyBesideTheProgramAndInTheSystem)
{
    const std::wstring probeFolder = programFolder() + L"\\library-search-probe";
    ASSERT_TRUE(SetCurrentDirectoryW(probeFolder.c_str()));
    HMODULE planted = LoadLibraryW(L"library_search_probe.dll");
    ASSERT_NE(planted, nullptr) << "the default search takes the current folder";
    FreeLibrary(planted);

    restrictLibrarySearch();

    EXPECT_EQ(LoadLibraryW(L"library_search_probe.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_NE(LoadLibraryW(L"version.dll"), nullptr);
    EXPECT_NE(LoadLibraryW(L"Qt6Core.dll"), nullptr);
}
