#pragma once

#include <cstdint>
#include <string>

#include "charsets/char_set_table.h"
#include "engine/generate.h"

// What the per-user store holds, as a load leaves it: a field for each
// value the setting table names. The window and the command-line tools
// alike load, save, show, import and export this.
struct StoredSettings {
    std::u16string ownerName;
    std::u16string ownerKey;
    std::u16string currentList; // the list the generator draws from
    std::int32_t length = DefaultPasswordLength;
    bool stringSeedMode = true;
    std::u16string seedText;        // "seed1"
    std::u16string numericSeedText; // "seed2": the seven numbers as text
    std::int32_t complexity = 0;    // 1 on, 0 off
    CharSetTable sets;
    std::int32_t spreadLevel = 0; // 0..4: 2^spreadLevel results shown
};

// What the settings ask of the engine with these seven numbers: the owner
// texts, the seed mode with both seeds, complexity, the current list and
// the length.
GenerationRequest generationRequestOf(const StoredSettings& settings, const SeedNumbers& numbers);

// The same with the numbers split from the stored numeric seed text, as a
// start of the window would show them.
GenerationRequest generationRequestOf(const StoredSettings& settings);
