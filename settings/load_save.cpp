#include "settings/load_save.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "charsets/char_list.h"
#include "charsets/white_space.h"
#include "engine/mt19937.h"
#include "engine/sha1.h"

namespace {

// The longest computer name that counts (a NetBIOS name's limit); a longer
// one is taken as unreadable.
constexpr std::size_t MaxComputerName = 15;

std::u16string twoDigits(std::int32_t value)
{
    return {static_cast<char16_t>(u'0' + value / 10 % 10),
            static_cast<char16_t>(u'0' + value % 10)};
}

// "MS%02d" and "MS%02d_name" for the 1-based set number k.
std::u16string listValueName(std::int32_t k)
{
    return u"MS" + twoDigits(k);
}

std::u16string nameValueName(std::int32_t k)
{
    return listValueName(k) + u"_name";
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
        number = (mt_next(source) >> 1) % 100000u;
    return numbers;
}

void loadSettings(const SettingsStore& store, DialogModel& model, const SeedEntropy& entropy)
{
    model.ownerName = trimWhiteSpace(store.readText(u"user name", DefaultOwnerName));
    if (model.ownerName.empty())
        model.ownerName = DefaultOwnerName;

    model.ownerKey = store.readText(u"unique key", u"");
    model.currentList = normalizeCharList(store.readText(u"moji list", DefaultCharList));
    model.length = std::clamp(store.readInt(u"length", DefaultPasswordLength), MinPasswordLength,
                              MaxPasswordLength);
    // Only the string code selects string seed mode; any other code reads
    // as numeric seed mode.
    model.stringSeedMode = store.readInt(u"mode", StringSeedModeCode) == StringSeedModeCode;
    model.seedText = store.readText(u"seed1", DefaultSeedText);
    model.numericSeedText =
        store.readText(u"seed2", FormatNumericSeed(drawDefaultSeedNumbers(entropy)));
    model.complexity = store.readInt(u"complex", 0) != 0 ? 1 : 0;

    CharSetTable& sets = model.sets;
    sets.setLists.clear();
    sets.setNames.clear();
    const std::int32_t storedCount = store.readInt(u"mojisetmax", 0);
    if (storedCount <= 0) {
        // No table stored (a first start, or a count no save writes).
        sets.setCount = 1;
        sets.currentSet = 0;
        sets.setLists.push_back(model.currentList);
        sets.setNames.emplace_back(DefaultSetName);
    } else {
        sets.setCount = std::min(storedCount, MaxCharSets);
        const std::int32_t selected = store.readInt(u"mojisetsel", 1);
        sets.currentSet = selected >= 0 && selected < sets.setCount ? selected : 0;
        for (std::int32_t k = 1; k <= sets.setCount; ++k) {
            sets.setLists.push_back(
                normalizeCharList(store.readText(listValueName(k), DefaultCharList)));
            sets.setNames.push_back(store.readText(nameValueName(k), numberedSetName(k - 1)));
        }
        model.currentList = currentSetList(sets);
    }

    const std::int32_t spread = store.readInt(u"spread", 0);
    model.spreadLevel = spread < 0 ? 0 : spread % SpreadLevels;
}

void restoreStartupFields(DialogModel& model)
{
    model.seedModeIndex = model.stringSeedMode ? 0 : 1;
    model.listDisplay = makeListDisplay(model.currentList);
    model.seedTextEntry = model.seedText;
    model.seedNumbers = parseNumericSeedText(model.numericSeedText);
    model.listEditing = false;
}

bool saveSettings(SettingsStore& store, const DialogModel& model)
{
    const CharSetTable& sets = model.sets;
    store.writeText(u"user name", model.ownerName);
    store.writeText(u"unique key", model.ownerKey);
    store.writeText(u"moji list", model.currentList);
    store.writeInt(u"length", model.length);
    store.writeInt(u"mode", model.stringSeedMode ? StringSeedModeCode : NumericSeedModeCode);
    store.writeText(u"seed1", model.seedText);
    store.writeText(u"seed2", model.numericSeedText);
    store.writeInt(u"complex", model.complexity != 0 ? 1 : 0);
    store.writeInt(u"mojisetmax", sets.setCount);
    store.writeInt(u"mojisetsel", sets.currentSet);
    for (std::int32_t k = 1; k <= sets.setCount; ++k) {
        const auto slot = static_cast<std::size_t>(k - 1);
        store.writeText(listValueName(k), sets.setLists[slot]);
        store.writeText(nameValueName(k), sets.setNames[slot]);
    }
    store.writeInt(u"spread", model.spreadLevel);
    return store.flush();
}
