// Any bytes as a registry export file, imported into a store as
// tovrik-settings import does, then exported and imported again.
#include <optional>

#include "cli/common/display_text.h"
#include "fuzz/fuzz_support.h"
#include "regfile/registry_file.h"
#include "settings/memory_settings_store.h"
#include "settings/registry_mapping.h"
#include "settings/store_identity.h"
#include "tests/support/store_invariants.h"

namespace {

// The store before the import: what a window saved at its first start.
MemorySettingsStore savedStore()
{
    MemorySettingsStore store;
    StoredSettings model;
    loadSettings(MemorySettingsStore(), model, SeedEntropy{});
    saveSettings(store, model);
    return store;
}

// One clear error: a message on one line as the command prints it (the
// names it quotes from the file shown escaped), and a line number in the
// file.
void checkError(const Error& error, std::size_t fileSize)
{
    FUZZ_CHECK(!error.message.empty());
    for (char c : messageLine(error.message))
        FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
    FUZZ_CHECK(error.line >= 0 && static_cast<std::size_t>(error.line) <= fileSize + 1);
}

// The section an import takes: the only one, or the first of several, as
// --app would name it.
Result<SectionImport> chosenSection(std::string_view bytes)
{
    Result<RegistryExport> parsed = parseSettingsExport(bytes);
    if (!parsed)
        return parsed.error();
    RegistryExport& file = parsed.value();
    // Only a file without a byte order mark has its encoding guessed.
    FUZZ_CHECK(!file.encodingGuessed ||
               !(bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xEF\xBB\xBF")));
    auto& sections = file.sections;
    FUZZ_CHECK(!sections.empty());
    // A text is what a program reading the registry gets: nothing past a NUL.
    for (const RegistrySection& section : sections)
        for (const RegistryValue& value : section.values)
            if (const auto* text = std::get_if<std::u16string>(&value.data))
                FUZZ_CHECK(text->find(u'\0') == std::u16string::npos);
    const std::optional<std::u16string> app =
        sections.size() > 1 ? std::optional(sections.front().name) : std::nullopt;
    return sectionImport(std::move(sections), app);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const MemorySettingsStore before = savedStore();

    const Result<SectionImport> chosen = chosenSection(bytesOf(data, size));
    if (!chosen) {
        checkError(chosen.error(), size);
        return 0;
    }
    const SectionImport& import = chosen.value();

    MemorySettingsStore store = before;
    const StoredSettings expected = importedModel(store, import, SeedEntropy{});
    FUZZ_CHECK(applyImport(store, import, SeedEntropy{}));
    StoredSettings model;
    loadSettings(store, model, SeedEntropy{});
    FUZZ_CHECK(brokenLoadInvariant(model).empty());
    FUZZ_CHECK(sameStoredFields(model, expected));

    // Export then import gives the same store.
    const auto again = chosenSection(writeRegistryExport(
        StoreIdentity::ofWindow().settingsKeyPath(), registryValues(storedValues(store))));
    FUZZ_CHECK(again.ok());
    MemorySettingsStore roundTrip = before;
    FUZZ_CHECK(applyImport(roundTrip, again.value(), SeedEntropy{}));
    FUZZ_CHECK(roundTrip.values() == store.values());
    return 0;
}
