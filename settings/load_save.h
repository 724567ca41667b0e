#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/setting_table.h"
#include "settings/settings_store.h"
#include "settings/stored_settings.h"

// What the default seed numbers are drawn from at a load: the window's
// platform seams supply it, tests a fixed one.
struct SeedEntropy {
    std::uint32_t timeSeconds = 0; // low 32 bits of the current time
    std::uint32_t processId = 0;
    std::optional<std::u16string> computerName; // nothing when it cannot be read
};

// The seven default seed numbers, each 0..MaxSeedNumber, drawn from an
// MT19937 seeded with the ten words that the entropy gives.
SeedNumbers drawDefaultSeedNumbers(const SeedEntropy& entropy);

// Fills the model from the store: owner texts, list, length, seed mode and
// both seeds, complexity, the set table, and in spreadLevel the level to
// restore. Every missing or bad value falls back to its default.
void loadSettings(const SettingsStore& store, StoredSettings& model, const SeedEntropy& entropy);

// What a save writes, in its order: a value for each row of the setting
// table, the set pairs for the sets the model holds.
std::vector<NamedValue> valuesOf(const StoredSettings& model);

// Writes every value in its fixed order, then flushes. False when the store
// could not be written.
bool saveSettings(SettingsStore& store, const StoredSettings& model);
