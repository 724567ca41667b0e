#pragma once

#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cli/registry_file.h"
#include "settings/load_save.h"
#include "settings/memory_settings_store.h"
#include "settings/settings_store.h"

// A value the window stores: its name and whether it is a text (else a
// 32-bit integer).
struct StoredValueName {
    std::u16string name;
    bool isText = false;
};

// Every value the window stores, in the order its save writes them, with
// the pairs of all ten set slots between "mojisetsel" and "spread".
const std::vector<StoredValueName>& storedValueNames();

// The values of those that the store holds, in that order.
std::vector<RegistryValue> storedValues(const SettingsStore& store);

// What an import puts into the window's section.
struct SectionImport {
    std::u16string app;   // <NAME> as the file spells it
    bool cleared = false; // values the file does not set count as absent
    // By the window's own spelling of each name: the value the file sets,
    // or nothing when the file deletes it. Names the window does not store
    // are left out.
    std::map<std::u16string, std::optional<MemorySettingsStore::Value>, std::less<>> values;
};

// Chooses the section of the program named app (any case), or the only one
// when app is not given, and checks that each value the window stores has
// the type the window reads it as. Values the window does not store may
// have any type.
std::variant<SectionImport, RegistryFileError>
sectionImport(std::vector<RegistrySection> sections, const std::optional<std::u16string>& app);

// The model the window would load from the store once the import stood in
// it, every rule of the load applied.
DialogModel importedModel(const SettingsStore& store, const SectionImport& import,
                          const SeedEntropy& entropy);

// Writes the import into the store: the values the window then reads as
// its load leaves them, the set pairs it does not read (beyond the set
// count) as the file has them. The store's flush decides the result.
bool applyImport(SettingsStore& store, const SectionImport& import, const SeedEntropy& entropy);
