#include "settings/load_save.h"

#include <cstdlib>
#include <vector>

#include "engine/mt19937.h"
#include "engine/sha1.h"

namespace {

// The longest computer name that counts (a NetBIOS name's limit); a longer
// one is taken as unreadable.
constexpr std::size_t MaxComputerName = 15;

std::u16string_view fixedText(const SettingRow& row)
{
    return std::get<std::u16string_view>(row.fallback);
}

std::int32_t fixedInt(const SettingRow& row)
{
    return std::get<std::int32_t>(row.fallback);
}

// The row's text as the load takes it: the stored text, or the fallback,
// cleaned up by the row's rule.
std::u16string loadText(const SettingsStore& store, const SettingRow& row,
                        std::u16string_view fallback, std::int32_t k = 0)
{
    const std::optional<std::u16string> stored = store.readText(settingName(row, k));
    return cleanedText(row, stored ? std::u16string_view(*stored) : fallback);
}

std::int32_t loadInt(const SettingsStore& store, const SettingRow& row, std::int32_t setCount = 0)
{
    return cleanedInt(row, store.readInt(settingName(row)).value_or(fixedInt(row)), setCount);
}

} // namespace

SeedNumbers drawDefaultSeedNumbers(const SeedEntropy& entropy)
{
    std::uint32_t key[10];
    std::srand(entropy.timeSeconds);
    for (std::uint32_t& word : key)
        word = static_cast<std::uint32_t>(std::rand());
    key[0] = entropy.processId;
    if (entropy.computerName && entropy.computerName->size() <= MaxComputerName) {
        std::vector<std::uint8_t> bytes;
        for (char16_t unit : *entropy.computerName)
            bytes.push_back(static_cast<std::uint8_t>(unit & 0xFFu));
        clx::sha1 digest;
        digest.compute(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        for (int i = 0; i < 5; ++i)
            key[5 + i] = digest.word(i);
    }

    MtState source;
    mt_seed_by_array(source, key, 10);
    SeedNumbers numbers{};
    for (std::uint32_t& number : numbers)
        number = (mt_next(source) >> 1) % (MaxSeedNumber + 1);
    return numbers;
}

void loadSettings(const SettingsStore& store, DialogModel& model, const SeedEntropy& entropy)
{
    using namespace Setting;
    model.ownerName = loadText(store, OwnerName, fixedText(OwnerName));
    model.ownerKey = loadText(store, OwnerKey, fixedText(OwnerKey));
    model.currentList = loadText(store, CurrentList, fixedText(CurrentList));
    model.length = loadInt(store, Length);
    model.stringSeedMode = loadInt(store, SeedMode) == StringSeedModeCode;
    model.seedText = loadText(store, SeedText, fixedText(SeedText));
    // The default numbers are drawn whether or not they are needed.
    model.numericSeedText =
        loadText(store, NumericSeedText, FormatNumericSeed(drawDefaultSeedNumbers(entropy)));
    model.complexity = loadInt(store, Complexity);

    CharSetTable& sets = model.sets;
    sets.setLists.clear();
    sets.setNames.clear();
    const std::int32_t storedCount = loadInt(store, SetCount);
    if (storedCount == 0) {
        // No table stored (a first start, or a count no save writes).
        sets.setCount = 1;
        sets.currentSet = 0;
        sets.setLists.push_back(model.currentList);
        sets.setNames.emplace_back(DefaultSetName);
    } else {
        sets.setCount = storedCount;
        sets.currentSet = loadInt(store, SelectedSet, storedCount);
        for (std::int32_t k = 1; k <= sets.setCount; ++k) {
            sets.setLists.push_back(loadText(store, SetList, fixedText(SetList), k));
            sets.setNames.push_back(loadText(store, SetName, numberedSetName(k - 1), k));
        }
        model.currentList = currentSetList(sets);
    }

    model.spreadLevel = loadInt(store, SpreadLevel);
}

void restoreStartupFields(DialogModel& model)
{
    model.seedModeIndex = model.stringSeedMode ? 0 : 1;
    model.listDisplay = makeListDisplay(model.currentList);
    model.seedTextEntry = model.seedText;
    model.seedNumbers = parseNumericSeedText(model.numericSeedText);
    model.listEditing = false;
}

std::vector<NamedValue> valuesOf(const DialogModel& model)
{
    using namespace Setting;
    const CharSetTable& sets = model.sets;
    std::vector<NamedValue> values = {
        {settingName(OwnerName), model.ownerName},
        {settingName(OwnerKey), model.ownerKey},
        {settingName(CurrentList), model.currentList},
        {settingName(Length), model.length},
        {settingName(SeedMode), model.stringSeedMode ? StringSeedModeCode : NumericSeedModeCode},
        {settingName(SeedText), model.seedText},
        {settingName(NumericSeedText), model.numericSeedText},
        {settingName(Complexity), model.complexity != 0 ? 1 : 0},
        {settingName(SetCount), sets.setCount},
        {settingName(SelectedSet), sets.currentSet},
    };
    for (std::int32_t k = 1; k <= sets.setCount; ++k) {
        const auto slot = static_cast<std::size_t>(k - 1);
        values.push_back({settingName(SetList, k), sets.setLists[slot]});
        values.push_back({settingName(SetName, k), sets.setNames[slot]});
    }
    values.push_back({settingName(SpreadLevel), model.spreadLevel});
    return values;
}

bool saveSettings(SettingsStore& store, const DialogModel& model)
{
    for (const NamedValue& value : valuesOf(model)) {
        if (const auto* text = std::get_if<std::u16string>(&value.value))
            store.writeText(value.name, *text);
        else
            store.writeInt(value.name, std::get<std::int32_t>(value.value));
    }
    return store.flush();
}
