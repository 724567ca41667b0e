#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "charsets/char_list.h"
#include "charsets/char_set_table.h"
#include "engine/generate.h"
#include "settings/program_names.h"
#include "settings/settings_store.h"

struct StoredSettings;

// Every value that the window keeps in its one section of the per-user
// store: a row each, typed, with the value's name, what a load takes when
// it is absent or of the other type, the rule that cleans up what a load
// reads, and the StoredSettings field it fills and a save writes. Readers
// and writers of the store (the load and the save, tovrik-settings' show,
// import and export, the registry store on Windows, the tests and the fuzz
// targets) loop over SettingTable and take names, types and rules from here.
//
// A new stored value is one row: define it in setting_table.cpp, give it its
// place in the table's order there, and name it below only if other code
// refers to it (the StoredSettings field it fills must of course exist).

// The one section of the per-user store (whose company level is
// SettingsOrganization).
inline constexpr std::u16string_view SettingsSection = u"setting102";

enum class SettingType { Text, Integer };

// The C++ type a row of each kind holds in the model and the store, and the
// type of its fixed default.
template <SettingType Type> struct SettingValueOf;
template <> struct SettingValueOf<SettingType::Text> {
    using Value = std::u16string;
    using Constant = std::u16string_view;
};
template <> struct SettingValueOf<SettingType::Integer> {
    using Value = std::int32_t;
    using Constant = std::int32_t;
};

// What a load knows besides the store: the seven seed numbers drawn at
// this start, the default of the numeric seed.
struct LoadDefaults {
    SeedNumbers drawnSeedNumbers{};
};

// What every row has, whatever its type; TypedSettingRow adds the rest.
// Only a typed row makes one, so that type always names what the row is.
struct SettingRow {
    // The value's name; for the rows of a set pair, its pattern, with "%02d"
    // standing for the set's number k, counted from 1.
    std::u16string_view name;
    SettingType type;
    bool perSet = false; // one value for each set of the model's table

protected:
    constexpr SettingRow(std::u16string_view rowName, SettingType rowType)
        : name(rowName), type(rowType)
    {
    }
};

template <SettingType Type> struct TypedSettingRow : SettingRow {
    using Value = typename SettingValueOf<Type>::Value;
    using Constant = typename SettingValueOf<Type>::Constant;
    // For set slot `slot` (0 for a row that is not per set). The integer
    // rule sees the set count as the load has it so far.
    using Cleanup = Value (*)(Constant value, Constant fallback, std::int32_t setCount);
    using Derived = Value (*)(const LoadDefaults& defaults, std::int32_t k);
    using Get = Value (*)(const StoredSettings& model, std::size_t slot);
    using Fill = void (*)(StoredSettings& model, std::size_t slot, Value value);

    constexpr TypedSettingRow(std::u16string_view rowName, Constant fixedFallback,
                              Cleanup cleanupRule, Get getField, Fill fillField)
        : SettingRow(rowName, Type), fallback(fixedFallback), cleanup(cleanupRule), get(getField),
          fill(fillField)
    {
    }

    // The same row with one value for each set, slot k - 1 of the field.
    constexpr TypedSettingRow oneForEachSet() const
    {
        TypedSettingRow row = *this;
        row.perSet = true;
        return row;
    }
    // The same row with a default made at each load.
    constexpr TypedSettingRow defaultFrom(Derived derivedFallback) const
    {
        TypedSettingRow row = *this;
        row.derived = derivedFallback;
        return row;
    }

    // What a load takes for an absent value: the fixed one, or, where
    // derived is set, what it makes of this start and the set's number.
    Constant fallback;
    Derived derived = nullptr;
    Cleanup cleanup; // how a load cleans up what it read, or its default
    Get get;         // the value a save writes
    Fill fill;       // where a load puts the cleaned-up value
};

using TextSettingRow = TypedSettingRow<SettingType::Text>;
using IntSettingRow = TypedSettingRow<SettingType::Integer>;

// The stored codes of the two seed modes.
inline constexpr std::int32_t StringSeedModeCode = 31415;
inline constexpr std::int32_t NumericSeedModeCode = 9265;

// The rows that other code names.
namespace Setting {
extern const TextSettingRow OwnerName;
extern const TextSettingRow OwnerKey;
extern const TextSettingRow NumericSeedText;
extern const TextSettingRow SetList;
} // namespace Setting

// The rows in the order a save writes them; the per-set rows that stand
// together are written in groups, one for each set k = 1 to the set count,
// in their order within each group ("MS01", "MS01_name", "MS02", ...).
extern const std::span<const SettingRow* const> SettingTable;

// Calls visit(row, k) for each value a store holds, in save order: k is 0
// for a row that is not per set; a group of per-set rows standing together
// is visited for k = 1 to setCount(), asked when the group is reached (so
// that a load sees the count it has just read).
template <typename Count, typename Visit> void forEachStoredSlot(Count&& setCount, Visit&& visit)
{
    for (std::size_t first = 0; first < SettingTable.size();) {
        std::size_t end = first + 1;
        if (!SettingTable[first]->perSet) {
            visit(*SettingTable[first], 0);
            first = end;
            continue;
        }
        while (end < SettingTable.size() && SettingTable[end]->perSet)
            ++end;
        const std::int32_t count = setCount();
        for (std::int32_t k = 1; k <= count; ++k)
            for (std::size_t row = first; row < end; ++row)
                visit(*SettingTable[row], k);
        first = end;
    }
}

// Calls f with the row as its typed self.
template <typename F> decltype(auto) visitRow(const SettingRow& row, F&& f)
{
    if (row.type == SettingType::Text)
        return f(static_cast<const TextSettingRow&>(row));
    return f(static_cast<const IntSettingRow&>(row));
}

// The row's value name; for a set pair's row, that of set k (1 to
// MaxCharSets): "MS%02d" of 3 is "MS03".
std::u16string settingName(const SettingRow& row, std::int32_t k = 0);

// A stored value's name with the row it belongs to.
struct StoredName {
    std::u16string name;
    const SettingRow* row;
};

// Every name the window may store, in save order, with the per-set rows of
// all ten set slots.
const std::vector<StoredName>& storedNames();

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
