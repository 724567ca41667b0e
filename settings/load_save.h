#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "settings/dialog_model.h"
#include "settings/settings_store.h"

// The name of the one section the program uses.
inline constexpr std::u16string_view SettingsSection = u"setting102";

// What the default seed numbers are drawn from at a load: the window's
// platform seams supply it, tests a fixed one.
struct SeedEntropy {
    std::uint32_t timeSeconds = 0; // low 32 bits of the current time
    std::uint32_t processId = 0;
    std::optional<std::u16string> computerName; // nothing when it cannot be read
};

// What a first start uses where the store holds nothing.
inline constexpr std::u16string_view DefaultOwnerName = u"○○";
inline constexpr std::u16string_view DefaultSeedText = u"TANE";

// The stored codes of the two seed modes.
inline constexpr std::int32_t StringSeedModeCode = 31415;
inline constexpr std::int32_t NumericSeedModeCode = 9265;

// The seven default seed numbers, each 0..99999, drawn from an MT19937
// seeded with the ten words that the entropy gives.
SeedNumbers drawDefaultSeedNumbers(const SeedEntropy& entropy);

// Fills the model from the store: owner texts, list, length, seed mode and
// both seeds, complexity, the set table, and in spreadLevel the level to
// restore. Every missing or bad value falls back to its default.
void loadSettings(const SettingsStore& store, DialogModel& model, const SeedEntropy& entropy);

// After loadSettings: sets the fields that the window shows from the ones
// the store restored: the seed mode radio index, the list display, the seed
// text entry and the seven numbers split from the numeric seed text; ends
// any list edit. The spread level and the widgets are the window's business.
void restoreStartupFields(DialogModel& model);

// Writes every value in its fixed order, then flushes. False when the store
// could not be written.
bool saveSettings(SettingsStore& store, const DialogModel& model);
