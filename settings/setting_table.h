#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "charsets/char_list.h"
#include "engine/generate.h"
#include "settings/program_names.h"
#include "settings/settings_store.h"

// Every value that the window keeps in its one section of the per-user
// store: a row each, with the value's name, its type, what a load takes when
// it is absent or of the other type, and the rule that cleans up what a load
// reads. A save writes the rows in the order of SettingTable.
//
// Readers and writers of the store (the load and the save, tovrik-settings'
// show, import and export, the registry store on Windows, the tests and the
// fuzz targets) take names, types and rules from here.

// The one section of the per-user store (whose company level is
// SettingsOrganization).
inline constexpr std::u16string_view SettingsSection = u"setting102";

enum class SettingType { Text, Integer };

// What a load takes for an absent value when no fixed default serves.
enum class DerivedDefault {
    DrawnSeedNumbers, // seven numbers drawn at each start (drawDefaultSeedNumbers)
    NumberedSetName,  // "文字セット_%02d" of the set's slot
};

// How a load cleans up a value it has read.
enum class Cleanup {
    None,         // taken as stored
    TrimmedName,  // white space at either end removed; nothing left gives the default
    CharList,     // normalised (normalizeCharList)
    Length,       // brought into MinPasswordLength..MaxPasswordLength
    SeedModeCode, // the string code selects string seed mode, any other numeric
    Flag,         // 0 is off, any other value on (1)
    SetCount,     // at most MaxCharSets; 0 or less: no set table stored
    SelectedSet,  // a slot outside the set count selects slot 0
    SpreadLevel,  // taken modulo SpreadLevels; a negative value is level 0
};

struct SettingRow {
    // The value's name; for the rows of a set pair, its pattern, with "%02d"
    // standing for the set's number k, counted from 1.
    std::u16string_view name;
    SettingType type;
    std::variant<std::int32_t, std::u16string_view, DerivedDefault> fallback;
    Cleanup cleanup;
    bool perSet = false; // one value for each set of the table
};

// The stored codes of the two seed modes.
inline constexpr std::int32_t StringSeedModeCode = 31415;
inline constexpr std::int32_t NumericSeedModeCode = 9265;

namespace Setting {
inline constexpr SettingRow OwnerName{u"user name", SettingType::Text, u"○○", Cleanup::TrimmedName};
inline constexpr SettingRow OwnerKey{u"unique key", SettingType::Text, u"", Cleanup::None};
inline constexpr SettingRow CurrentList{u"moji list", SettingType::Text, DefaultCharList,
                                        Cleanup::CharList};
inline constexpr SettingRow Length{u"length", SettingType::Integer, DefaultPasswordLength,
                                   Cleanup::Length};
inline constexpr SettingRow SeedMode{u"mode", SettingType::Integer, StringSeedModeCode,
                                     Cleanup::SeedModeCode};
inline constexpr SettingRow SeedText{u"seed1", SettingType::Text, u"TANE", Cleanup::None};
inline constexpr SettingRow NumericSeedText{u"seed2", SettingType::Text,
                                            DerivedDefault::DrawnSeedNumbers, Cleanup::None};
inline constexpr SettingRow Complexity{u"complex", SettingType::Integer, 0, Cleanup::Flag};
inline constexpr SettingRow SetCount{u"mojisetmax", SettingType::Integer, 0, Cleanup::SetCount};
inline constexpr SettingRow SelectedSet{u"mojisetsel", SettingType::Integer, 1,
                                        Cleanup::SelectedSet};
inline constexpr SettingRow SetList{u"MS%02d", SettingType::Text, DefaultCharList,
                                    Cleanup::CharList, true};
inline constexpr SettingRow SetName{u"MS%02d_name", SettingType::Text,
                                    DerivedDefault::NumberedSetName, Cleanup::None, true};
inline constexpr SettingRow SpreadLevel{u"spread", SettingType::Integer, 0, Cleanup::SpreadLevel};
} // namespace Setting

// The rows in the order a save writes them; the set pairs, list before
// name, for k = 1 to the set count, stand where SetList and SetName stand.
inline constexpr std::array<const SettingRow*, 13> SettingTable = {
    &Setting::OwnerName,   &Setting::OwnerKey,    &Setting::CurrentList,     &Setting::Length,
    &Setting::SeedMode,    &Setting::SeedText,    &Setting::NumericSeedText, &Setting::Complexity,
    &Setting::SetCount,    &Setting::SelectedSet, &Setting::SetList,         &Setting::SetName,
    &Setting::SpreadLevel,
};

// The row's value name; for a set pair's row, that of set k (1 to
// MaxCharSets): "MS%02d" of 3 is "MS03".
std::u16string settingName(const SettingRow& row, std::int32_t k = 0);

// A stored value's name with the row it belongs to.
struct StoredName {
    std::u16string name;
    const SettingRow* row;
};

// Every name the window may store, in save order, with the pairs of all ten
// set slots.
const std::vector<StoredName>& storedNames();

// The row of a stored name, matched as the store matches names (exactly);
// nothing for a name the window does not store.
const SettingRow* rowOfName(std::u16string_view name);

// A value with its name.
struct NamedValue {
    std::u16string name;
    StoredValue value;
    bool operator==(const NamedValue&) const = default;
};

// The values of those names that the store holds with the row's type, in
// save order.
std::vector<NamedValue> storedValues(const SettingsStore& store);

// A value as a load leaves it under the row's rule. The selected set's rule
// needs the set count, as the load has cleaned it up.
std::int32_t cleanedInt(const SettingRow& row, std::int32_t value, std::int32_t setCount = 0);
std::u16string cleanedText(const SettingRow& row, std::u16string_view value);
