#include "settings/registry_mapping.h"

#include <algorithm>

#include "settings/memory_settings_store.h"
#include "settings/store_identity.h"
#include "text/qt_text.h"

namespace {

// The window's own entry for a name as the registry matches names. A file
// may hold very many names, so the window's are folded once.
const StoredName* storedNameOf(std::u16string_view name)
{
    static const auto byKey = [] {
        std::map<std::u16string, const StoredName*, std::less<>> names;
        for (const StoredName& stored : storedNames())
            names.emplace(registryNameKey(stored.name), &stored);
        return names;
    }();
    const auto found = byKey.find(registryNameKey(name));
    return found != byKey.end() ? found->second : nullptr;
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
        list += (list.empty() ? "" : ", ") + quotedRegistryName(section.name);
    return list;
}

// The store once the import stood in it.
MemorySettingsStore importedStore(const SettingsStore& store, const SectionImport& import)
{
    MemorySettingsStore merged;
    if (!import.cleared)
        for (NamedValue& value : storedValues(store))
            if (!import.values.contains(value.name))
                merged.put(value.name, std::move(value.value));
    for (const auto& [name, value] : import.values)
        if (value)
            merged.put(name, *value);
    return merged;
}

} // namespace

Result<RegistryExport> parseSettingsExport(std::string_view bytes)
{
    // Any program's key: the window's names but the application.
    const StoreIdentity window = StoreIdentity::ofWindow();
    const std::u16string software = registryNameKey(u"Software");
    const std::u16string organization = registryNameKey(fromQ(window.organization));
    const std::u16string section = registryNameKey(window.section);
    // ...\Software\Ostrel Applications\<NAME>\setting102, below a hive.
    const auto sectionOf =
        [&](std::span<const std::u16string_view> parts) -> std::optional<std::u16string> {
        const std::size_t n = parts.size();
        if (n < 5 || registryNameKey(parts[n - 4]) != software ||
            registryNameKey(parts[n - 3]) != organization || parts[n - 2].empty() ||
            registryNameKey(parts[n - 1]) != section)
            return std::nullopt;
        return std::u16string(parts[n - 2]);
    };
    Result<RegistryExport> parsed = parseRegistryExport(bytes, sectionOf);
    if (parsed && parsed->sections.empty())
        return Error{"no key ...\\Software\\" + window.organization.toStdString() + "\\<NAME>\\" +
                     toUtf8(window.section) + " in the file"};
    return parsed;
}

std::vector<RegistryValue> registryValues(const std::vector<NamedValue>& values)
{
    std::vector<RegistryValue> result;
    for (const NamedValue& value : values) {
        if (const auto* text = std::get_if<std::u16string>(&value.value))
            result.push_back({value.name, *text});
        else
            result.push_back({value.name, std::get<std::int32_t>(value.value)});
    }
    return result;
}

Result<SectionImport> sectionImport(std::vector<RegistrySection> sections,
                                    const std::optional<std::u16string>& app)
{
    std::size_t chosen = 0;
    if (app) {
        const std::u16string wanted = registryNameKey(*app);
        const auto found =
            std::find_if(sections.begin(), sections.end(), [&](const RegistrySection& s) {
                return registryNameKey(s.name) == wanted;
            });
        if (found == sections.end())
            return Error{"no settings of " + quotedRegistryName(*app) +
                         " in the file; it holds those of " + appList(sections)};
        chosen = static_cast<std::size_t>(found - sections.begin());
    } else if (sections.size() > 1) {
        return Error{"the file holds the settings of several programs (" + appList(sections) +
                     "); choose one with --app NAME"};
    }

    RegistrySection& section = sections[chosen];
    SectionImport import;
    import.app = std::move(section.name);
    import.cleared = section.cleared;
    const auto forgetDefaulted = [&](std::u16string_view name) {
        std::erase_if(import.defaulted, [&](const DefaultedValue& d) { return d.name == name; });
    };
    for (RegistryValue& value : section.values) {
        const StoredName* stored = storedNameOf(value.name);
        if (!stored)
            continue;
        const bool isText = stored->row->type == SettingType::Text;
        forgetDefaulted(stored->name);
        if (isText && std::holds_alternative<std::u16string>(value.data)) {
            import.values[stored->name] = std::move(std::get<std::u16string>(value.data));
        } else if (!isText && std::holds_alternative<std::int32_t>(value.data)) {
            import.values[stored->name] = std::get<std::int32_t>(value.data);
        } else if (!isText) {
            // Absent, it loads as its default and the save writes that
            // with its own type, whatever the store held before.
            import.values[stored->name] = std::nullopt;
            import.defaulted.push_back({stored->name, value.line, typeDescription(value.data)});
        } else {
            return Error{"the value " + quotedRegistryName(stored->name) + " is " +
                             typeDescription(value.data) + "; it must be a text",
                         value.line};
        }
    }
    for (const std::u16string& name : section.deleted)
        if (const StoredName* stored = storedNameOf(name)) {
            import.values[stored->name] = std::nullopt;
            forgetDefaulted(stored->name);
        }
    return import;
}

StoredSettings importedModel(const SettingsStore& store, const SectionImport& import,
                             const SeedEntropy& entropy)
{
    StoredSettings model;
    loadSettings(importedStore(store, import), model, entropy);
    return model;
}

std::optional<StoredSettings> applyImport(SettingsStore& store, const SectionImport& import,
                                          const SeedEntropy& entropy)
{
    const StoredSettings model = importedModel(store, import, entropy);
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
    if (!saveSettings(store, model))
        return std::nullopt;
    return model;
}
