#include "settings/setting_table.h"

#include <algorithm>

#include "charsets/char_set_table.h"
#include "charsets/white_space.h"

std::u16string settingName(const SettingRow& row, std::int32_t k)
{
    if (!row.perSet)
        return std::u16string(row.name);
    constexpr std::u16string_view Number = u"%02d";
    const std::size_t at = row.name.find(Number);
    return std::u16string(row.name.substr(0, at)) +
           std::u16string{static_cast<char16_t>(u'0' + k / 10 % 10),
                          static_cast<char16_t>(u'0' + k % 10)} +
           std::u16string(row.name.substr(at + Number.size()));
}

const std::vector<StoredName>& storedNames()
{
    static const std::vector<StoredName> names = [] {
        std::vector<StoredName> all;
        for (const SettingRow* row : SettingTable) {
            if (row == &Setting::SetName)
                continue; // written in pairs with SetList
            if (row != &Setting::SetList) {
                all.push_back({settingName(*row), row});
                continue;
            }
            for (std::int32_t k = 1; k <= MaxCharSets; ++k) {
                all.push_back({settingName(Setting::SetList, k), &Setting::SetList});
                all.push_back({settingName(Setting::SetName, k), &Setting::SetName});
            }
        }
        return all;
    }();
    return names;
}

const SettingRow* rowOfName(std::u16string_view name)
{
    const auto& names = storedNames();
    const auto found = std::find_if(names.begin(), names.end(),
                                    [&](const StoredName& stored) { return stored.name == name; });
    return found != names.end() ? found->row : nullptr;
}

std::vector<NamedValue> storedValues(const SettingsStore& store)
{
    std::vector<NamedValue> values;
    for (const StoredName& stored : storedNames()) {
        if (stored.row->type == SettingType::Text) {
            if (std::optional<std::u16string> text = store.readText(stored.name))
                values.push_back({stored.name, std::move(*text)});
        } else if (const std::optional<std::int32_t> number = store.readInt(stored.name)) {
            values.push_back({stored.name, *number});
        }
    }
    return values;
}

std::int32_t cleanedInt(const SettingRow& row, std::int32_t value, std::int32_t setCount)
{
    switch (row.cleanup) {
    case Cleanup::Length: return std::clamp(value, MinPasswordLength, MaxPasswordLength);
    case Cleanup::SeedModeCode:
        return value == StringSeedModeCode ? StringSeedModeCode : NumericSeedModeCode;
    case Cleanup::Flag: return value != 0 ? 1 : 0;
    case Cleanup::SetCount: return std::clamp(value, 0, MaxCharSets);
    case Cleanup::SelectedSet: return value >= 0 && value < setCount ? value : 0;
    case Cleanup::SpreadLevel: return value < 0 ? 0 : value % SpreadLevels;
    case Cleanup::None:
    case Cleanup::TrimmedName:
    case Cleanup::CharList: break;
    }
    return value;
}

std::u16string cleanedText(const SettingRow& row, std::u16string_view value)
{
    switch (row.cleanup) {
    case Cleanup::TrimmedName: {
        std::u16string name = trimWhiteSpace(value);
        if (name.empty())
            name = std::get<std::u16string_view>(row.fallback);
        return name;
    }
    case Cleanup::CharList: return normalizeCharList(value);
    default: return std::u16string(value);
    }
}
