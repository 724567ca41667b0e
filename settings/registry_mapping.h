#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "regfile/registry_file.h"
#include "settings/load_save.h"
#include "settings/settings_store.h"

// The window's settings in Windows registry export files: the key
// ...\Software\Ostrel Applications\<NAME>\setting102, its values named and
// typed as the setting table has them. <NAME> is the program's executable
// base name; the window's is "tovrik" in any case.

// The settings sections of an export file, one for each program named, in
// the order first named; an error for a damaged file or one without such a
// key.
Result<RegistryExport> parseSettingsExport(std::string_view bytes);

// The values as an export writes them.
std::vector<RegistryValue> registryValues(const std::vector<NamedValue>& values);

// A number the file sets with another type, which the window reads as its
// default.
struct DefaultedValue {
    std::u16string name; // the window's own spelling
    int line = 0;
    std::string type; // what the file holds, as a message says it
};

// What an import puts into the window's section.
struct SectionImport {
    std::u16string app;   // <NAME> as the file spells it
    bool cleared = false; // values the file does not set count as absent
    // By the window's own spelling of each name: the value the file sets,
    // or nothing when the file deletes it. Names the window does not store
    // are left out.
    std::map<std::u16string, std::optional<StoredValue>, std::less<>> values;
    // The numbers among them that go in as their defaults, in the file's
    // order.
    std::vector<DefaultedValue> defaulted;
};

// Chooses the section of the program named app (any case), or the only one
// when app is not given, and checks each value the window stores by the
// store's own rule: a text of another type than REG_SZ is refused, a number
// of another type than REG_DWORD (a REG_SZ "20") is taken as its default,
// as the window reads it. Values the window does not store may have any
// type.
Result<SectionImport> sectionImport(std::vector<RegistrySection> sections,
                                    const std::optional<std::u16string>& app);

// The model the window would load from the store once the import stood in
// it, every rule of the load applied.
StoredSettings importedModel(const SettingsStore& store, const SectionImport& import,
                             const SeedEntropy& entropy);

// Writes the import into the store: the values the window then reads as
// its load leaves them, the set pairs it does not read (beyond the set
// count) as the file has them. The model that the window now loads from the
// store, or nothing when the store's flush failed.
std::optional<StoredSettings> applyImport(SettingsStore& store, const SectionImport& import,
                                          const SeedEntropy& entropy);
