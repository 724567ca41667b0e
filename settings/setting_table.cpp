#include "settings/setting_table.h"

#include <algorithm>
#include <array>
#include <type_traits>

#include "charsets/char_list.h"
#include "charsets/char_set_table.h"
#include "charsets/white_space.h"
#include "engine/numeric_seed.h"
#include "settings/stored_settings.h"

namespace {

using Text = std::u16string;
using TextView = std::u16string_view;

// How a load cleans up a value it has read (or its default). Each rule
// takes the value, the row's fixed default and the set count so far.

Text asStoredText(TextView value, TextView, std::int32_t)
{
    return Text(value);
}

// White space at either end removed; nothing left gives the default.
Text trimmedName(TextView value, TextView fallback, std::int32_t)
{
    Text name = trimWhiteSpace(value);
    return name.empty() ? Text(fallback) : name;
}

Text charList(TextView value, TextView, std::int32_t)
{
    return normalizeCharList(value);
}

std::int32_t passwordLength(std::int32_t value, std::int32_t, std::int32_t)
{
    return std::clamp(value, MinPasswordLength, MaxPasswordLength);
}

// The string code selects string seed mode, any other numeric.
std::int32_t seedModeCode(std::int32_t value, std::int32_t, std::int32_t)
{
    return value == StringSeedModeCode ? StringSeedModeCode : NumericSeedModeCode;
}

// 0 is off, any other value on (1).
std::int32_t flag(std::int32_t value, std::int32_t, std::int32_t)
{
    return value != 0 ? 1 : 0;
}

// At most MaxCharSets; 0 or less: no set table stored.
std::int32_t setCount(std::int32_t value, std::int32_t, std::int32_t)
{
    return std::clamp(value, 0, MaxCharSets);
}

// A slot outside the set count selects slot 0.
std::int32_t selectedSet(std::int32_t value, std::int32_t, std::int32_t count)
{
    return value >= 0 && value < count ? value : 0;
}

// Taken modulo SpreadLevels; a negative value is level 0.
std::int32_t spreadLevel(std::int32_t value, std::int32_t, std::int32_t)
{
    return value < 0 ? 0 : value % SpreadLevels;
}

// Derived defaults.

Text drawnSeedText(const LoadDefaults& defaults, std::int32_t)
{
    return FormatNumericSeed(defaults.drawnSeedNumbers);
}

// "文字セット_%02d" of the set's slot.
Text numberedName(const LoadDefaults&, std::int32_t k)
{
    return numberedSetName(k - 1);
}

// The model fields. A plain field of the model is read and filled through
// its member pointer; the others say how their value maps to the model.

template <auto Member>
using MemberType = std::remove_cvref_t<decltype(std::declval<StoredSettings&>().*Member)>;

template <auto Member> MemberType<Member> memberOf(const StoredSettings& model, std::size_t)
{
    return model.*Member;
}

template <auto Member> void fillMember(StoredSettings& model, std::size_t, MemberType<Member> value)
{
    model.*Member = std::move(value);
}

std::int32_t seedModeOf(const StoredSettings& model, std::size_t)
{
    return model.stringSeedMode ? StringSeedModeCode : NumericSeedModeCode;
}

void fillSeedMode(StoredSettings& model, std::size_t, std::int32_t code)
{
    model.stringSeedMode = code == StringSeedModeCode;
}

// A save writes the check box's state as 0 or 1.
std::int32_t complexityOf(const StoredSettings& model, std::size_t)
{
    return model.complexity != 0 ? 1 : 0;
}

std::int32_t setCountOf(const StoredSettings& model, std::size_t)
{
    return model.sets.setCount;
}

// Makes room for the per-set rows that follow; a count of 0 leaves the
// table empty for the load to complete.
void fillSetCount(StoredSettings& model, std::size_t, std::int32_t count)
{
    model.sets.setCount = count;
    model.sets.setLists.assign(static_cast<std::size_t>(count), Text());
    model.sets.setNames.assign(static_cast<std::size_t>(count), Text());
}

std::int32_t selectedSetOf(const StoredSettings& model, std::size_t)
{
    return model.sets.currentSet;
}

void fillSelectedSet(StoredSettings& model, std::size_t, std::int32_t slot)
{
    model.sets.currentSet = slot;
}

Text setListOf(const StoredSettings& model, std::size_t slot)
{
    return model.sets.setLists[slot];
}

void fillSetList(StoredSettings& model, std::size_t slot, Text list)
{
    model.sets.setLists[slot] = std::move(list);
}

Text setNameOf(const StoredSettings& model, std::size_t slot)
{
    return model.sets.setNames[slot];
}

void fillSetName(StoredSettings& model, std::size_t slot, Text name)
{
    model.sets.setNames[slot] = std::move(name);
}

template <auto Member>
constexpr TextSettingRow textRow(TextView name, TextView fallback,
                                 TextSettingRow::Cleanup cleanup = asStoredText)
{
    return {name, fallback, cleanup, memberOf<Member>, fillMember<Member>};
}

template <auto Member>
constexpr IntSettingRow intRow(TextView name, std::int32_t fallback, IntSettingRow::Cleanup cleanup)
{
    return {name, fallback, cleanup, memberOf<Member>, fillMember<Member>};
}

} // namespace

namespace Setting {
constexpr TextSettingRow OwnerName =
    textRow<&StoredSettings::ownerName>(u"user name", u"○○", trimmedName);
constexpr TextSettingRow OwnerKey = textRow<&StoredSettings::ownerKey>(u"unique key", u"");
constexpr TextSettingRow CurrentList =
    textRow<&StoredSettings::currentList>(u"moji list", DefaultCharList, charList);
constexpr IntSettingRow Length =
    intRow<&StoredSettings::length>(u"length", DefaultPasswordLength, passwordLength);
constexpr IntSettingRow SeedMode{u"mode", StringSeedModeCode, seedModeCode, seedModeOf,
                                 fillSeedMode};
constexpr TextSettingRow SeedText = textRow<&StoredSettings::seedText>(u"seed1", u"TANE");
constexpr TextSettingRow NumericSeedText =
    textRow<&StoredSettings::numericSeedText>(u"seed2", u"").defaultFrom(drawnSeedText);
constexpr IntSettingRow Complexity{u"complex", 0, flag, complexityOf,
                                   fillMember<&StoredSettings::complexity>};
constexpr IntSettingRow SetCount{u"mojisetmax", 0, setCount, setCountOf, fillSetCount};
constexpr IntSettingRow SelectedSet{u"mojisetsel", 1, selectedSet, selectedSetOf, fillSelectedSet};
constexpr TextSettingRow SetList =
    TextSettingRow{u"MS%02d", DefaultCharList, charList, setListOf, fillSetList}.oneForEachSet();
constexpr TextSettingRow SetName =
    TextSettingRow{u"MS%02d_name", u"", asStoredText, setNameOf, fillSetName}
        .oneForEachSet()
        .defaultFrom(numberedName);
constexpr IntSettingRow SpreadLevel =
    intRow<&StoredSettings::spreadLevel>(u"spread", 0, spreadLevel);
} // namespace Setting

namespace {

// The table. A new stored value is one row: its definition above and its
// place here, in the order a save writes it; load, save, show, import,
// export and the registry store then take it from here.
constexpr auto Rows = std::to_array<const SettingRow*>({
    &Setting::OwnerName,
    &Setting::OwnerKey,
    &Setting::CurrentList,
    &Setting::Length,
    &Setting::SeedMode,
    &Setting::SeedText,
    &Setting::NumericSeedText,
    &Setting::Complexity,
    &Setting::SetCount,
    &Setting::SelectedSet,
    &Setting::SetList,
    &Setting::SetName,
    &Setting::SpreadLevel,
});

} // namespace

const std::span<const SettingRow* const> SettingTable(Rows);

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
        forEachStoredSlot([] { return MaxCharSets; },
                          [&](const SettingRow& row, std::int32_t k) {
                              all.push_back({settingName(row, k), &row});
                          });
        return all;
    }();
    return names;
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
    const auto& typed = static_cast<const IntSettingRow&>(row);
    return typed.cleanup(value, typed.fallback, setCount);
}

std::u16string cleanedText(const SettingRow& row, std::u16string_view value)
{
    const auto& typed = static_cast<const TextSettingRow&>(row);
    return typed.cleanup(value, typed.fallback, 0);
}
