#include "settings/load_save.h"

#include <cstdlib>
#include <vector>

#include "engine/mt19937.h"
#include "engine/sha1.h"

namespace {

// The longest computer name that counts (a NetBIOS name's limit); a longer
// one is taken as unreadable.
constexpr std::size_t MaxComputerName = 15;

// The model's slot of set k; 0 for a row that is not per set.
std::size_t slotOf(std::int32_t k)
{
    return k > 0 ? static_cast<std::size_t>(k - 1) : 0;
}

std::optional<std::u16string> readStored(const SettingsStore& store, const TextSettingRow&,
                                         const std::u16string& name)
{
    return store.readText(name);
}

std::optional<std::int32_t> readStored(const SettingsStore& store, const IntSettingRow&,
                                       const std::u16string& name)
{
    return store.readInt(name);
}

// Fills the row's field of set k (0 for a row that is not per set) with the
// stored value, or the row's default, as its rule cleans it up.
template <typename Row>
void loadValue(const SettingsStore& store, const Row& row, std::int32_t k,
               const LoadDefaults& defaults, StoredSettings& model)
{
    using Value = typename Row::Value;
    const std::optional<Value> stored = readStored(store, row, settingName(row, k));
    const Value fallback = row.derived ? row.derived(defaults, k) : Value(row.fallback);
    row.fill(model, slotOf(k),
             row.cleanup(stored ? *stored : fallback, row.fallback, model.sets.setCount));
}

// What the rows alone cannot say: without a stored table (a first start,
// or a count no save writes) the table is one default set of the current
// list; the current list is always the selected set's.
void completeSetTable(StoredSettings& model)
{
    CharSetTable& sets = model.sets;
    if (sets.setCount == 0) {
        sets.setCount = 1;
        sets.currentSet = 0;
        sets.setLists.assign(1, model.currentList);
        sets.setNames.assign(1, std::u16string(DefaultSetName));
    }
    model.currentList = currentSetList(sets);
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

void loadSettings(const SettingsStore& store, StoredSettings& model, const SeedEntropy& entropy)
{
    // The default numbers are drawn whether or not they are needed.
    const LoadDefaults defaults{drawDefaultSeedNumbers(entropy)};
    model.sets.setCount = 0;
    forEachStoredSlot(
        [&] { return model.sets.setCount; },
        [&](const SettingRow& row, std::int32_t k) {
            visitRow(row, [&](const auto& typed) { loadValue(store, typed, k, defaults, model); });
        });
    completeSetTable(model);
}

std::vector<NamedValue> valuesOf(const StoredSettings& model)
{
    std::vector<NamedValue> values;
    forEachStoredSlot([&] { return model.sets.setCount; },
                      [&](const SettingRow& row, std::int32_t k) {
                          visitRow(row, [&](const auto& typed) {
                              values.push_back({settingName(row, k), typed.get(model, slotOf(k))});
                          });
                      });
    return values;
}

bool saveSettings(SettingsStore& store, const StoredSettings& model)
{
    for (const NamedValue& value : valuesOf(model)) {
        if (const auto* text = std::get_if<std::u16string>(&value.value))
            store.writeText(value.name, *text);
        else
            store.writeInt(value.name, std::get<std::int32_t>(value.value));
    }
    return store.flush();
}
