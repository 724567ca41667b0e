#include "cli/registry_settings.h"

#include <QString>

#include <algorithm>

#include "cli/display_text.h"

namespace {

// A store that reads the import's values over those of another store and
// is never written.
class ImportOverlay : public SettingsStore {
public:
    ImportOverlay(const SettingsStore& base, const SectionImport& import)
        : base_(base), import_(import)
    {
    }

    std::u16string readText(std::u16string_view name, std::u16string_view fallback) const override
    {
        const auto found = import_.values.find(name);
        if (found == import_.values.end())
            return import_.cleared ? std::u16string(fallback) : base_.readText(name, fallback);
        const auto* text = found->second ? std::get_if<std::u16string>(&*found->second) : nullptr;
        return text ? *text : std::u16string(fallback);
    }

    std::int32_t readInt(std::u16string_view name, std::int32_t fallback) const override
    {
        const auto found = import_.values.find(name);
        if (found == import_.values.end())
            return import_.cleared ? fallback : base_.readInt(name, fallback);
        const auto* number = found->second ? std::get_if<std::int32_t>(&*found->second) : nullptr;
        return number ? *number : fallback;
    }

    void writeText(std::u16string_view, std::u16string_view) override {}
    void writeInt(std::u16string_view, std::int32_t) override {}
    bool flush() override { return false; }

private:
    const SettingsStore& base_;
    const SectionImport& import_;
};

bool sameAsciiNoCase(std::u16string_view a, std::u16string_view b)
{
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? c + 32 : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [&](char16_t x, char16_t y) { return lower(x) == lower(y); });
}

// The window's own entry for a name as the registry matches it.
const StoredValueName* storedValueName(std::u16string_view name)
{
    const auto& names = storedValueNames();
    const auto found = std::find_if(names.begin(), names.end(), [&](const StoredValueName& n) {
        return sameAsciiNoCase(n.name, name);
    });
    return found != names.end() ? &*found : nullptr;
}

std::string typeDescription(const RegistryData& data)
{
    if (std::holds_alternative<std::u16string>(data))
        return "a text (REG_SZ)";
    if (std::holds_alternative<std::int32_t>(data))
        return "a dword (REG_DWORD)";
    const RegistryOtherData& other = std::get<RegistryOtherData>(data);
    switch (other.type) {
    case 0: return "REG_NONE data";
    case 1: return "REG_SZ data that is not text";
    case 2: return "an expandable text (REG_EXPAND_SZ)";
    case 3: return "binary data (REG_BINARY)";
    case 4: return "a REG_DWORD of " + std::to_string(other.bytes) + " bytes";
    case 5: return "a big-endian dword (REG_DWORD_BIG_ENDIAN)";
    case 7: return "a list of texts (REG_MULTI_SZ)";
    case 11: return "a qword (REG_QWORD)";
    default: return "data of registry type " + std::to_string(other.type);
    }
}

std::string appList(const std::vector<RegistrySection>& sections)
{
    std::string list;
    for (const RegistrySection& section : sections)
        list += (list.empty() ? "" : ", ") + quotedDisplayText(section.app);
    return list;
}

// The store reads with a fallback and does not tell whether a value is
// there; it is when two reads with different fallbacks agree.
std::optional<std::u16string> storedText(const SettingsStore& store, std::u16string_view name)
{
    std::u16string text = store.readText(name, u"");
    if (!text.empty() || store.readText(name, u"-").empty())
        return text;
    return std::nullopt;
}

std::optional<std::int32_t> storedInt(const SettingsStore& store, std::u16string_view name)
{
    const std::int32_t number = store.readInt(name, 0);
    if (number != 0 || store.readInt(name, 1) == 0)
        return number;
    return std::nullopt;
}

} // namespace

const std::vector<StoredValueName>& storedValueNames()
{
    // Taken from a save of a full table, so that the names, their order and
    // their types are those of saveSettings itself.
    static const std::vector<StoredValueName> names = [] {
        DialogModel model;
        model.sets.setCount = MaxCharSets;
        model.sets.setLists.assign(MaxCharSets, std::u16string());
        model.sets.setNames.assign(MaxCharSets, std::u16string());
        MemorySettingsStore recorder;
        saveSettings(recorder, model);
        std::vector<StoredValueName> result;
        for (const MemorySettingsStore::Write& write : recorder.writes())
            result.push_back({write.name, std::holds_alternative<std::u16string>(write.value)});
        return result;
    }();
    return names;
}

std::vector<RegistryValue> storedValues(const SettingsStore& store)
{
    std::vector<RegistryValue> values;
    for (const StoredValueName& stored : storedValueNames()) {
        if (stored.isText) {
            if (auto text = storedText(store, stored.name))
                values.push_back({stored.name, std::move(*text)});
        } else if (const auto number = storedInt(store, stored.name)) {
            values.push_back({stored.name, *number});
        }
    }
    return values;
}

std::variant<SectionImport, RegistryFileError>
sectionImport(std::vector<RegistrySection> sections, const std::optional<std::u16string>& app)
{
    std::size_t chosen = 0;
    if (app) {
        const QString wanted = QString::fromStdU16String(*app).toCaseFolded();
        const auto found =
            std::find_if(sections.begin(), sections.end(), [&](const RegistrySection& s) {
                return QString::fromStdU16String(s.app).toCaseFolded() == wanted;
            });
        if (found == sections.end())
            return RegistryFileError{0, "no settings of " + quotedDisplayText(*app) +
                                            " in the file; it holds those of " + appList(sections)};
        chosen = static_cast<std::size_t>(found - sections.begin());
    } else if (sections.size() > 1) {
        return RegistryFileError{0, "the file holds the settings of several programs (" +
                                        appList(sections) + "); choose one with --app NAME"};
    }

    RegistrySection& section = sections[chosen];
    SectionImport import;
    import.app = std::move(section.app);
    import.cleared = section.cleared;
    for (RegistryValue& value : section.values) {
        const StoredValueName* stored = storedValueName(value.name);
        if (!stored)
            continue;
        if (stored->isText && std::holds_alternative<std::u16string>(value.data))
            import.values[stored->name] = std::move(std::get<std::u16string>(value.data));
        else if (!stored->isText && std::holds_alternative<std::int32_t>(value.data))
            import.values[stored->name] = std::get<std::int32_t>(value.data);
        else
            return RegistryFileError{value.line, "the value " + quotedDisplayText(stored->name) +
                                                     " is " + typeDescription(value.data) +
                                                     "; it must be " +
                                                     (stored->isText ? "a text" : "a dword")};
    }
    for (const std::u16string& name : section.deleted)
        if (const StoredValueName* stored = storedValueName(name))
            import.values[stored->name] = std::nullopt;
    return import;
}

DialogModel importedModel(const SettingsStore& store, const SectionImport& import,
                          const SeedEntropy& entropy)
{
    DialogModel model;
    loadSettings(ImportOverlay(store, import), model, entropy);
    return model;
}

bool applyImport(SettingsStore& store, const SectionImport& import, const SeedEntropy& entropy)
{
    const DialogModel model = importedModel(store, import, entropy);
    // Every value the file sets goes in as it is; the save then replaces
    // those the window reads by their loaded form.
    for (const auto& [name, value] : import.values) {
        if (!value)
            continue;
        if (const auto* text = std::get_if<std::u16string>(&*value))
            store.writeText(name, *text);
        else
            store.writeInt(name, std::get<std::int32_t>(*value));
    }
    return saveSettings(store, model);
}
