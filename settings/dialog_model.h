#pragma once

#include <cstdint>
#include <string>

#include "charsets/char_set_table.h"
#include "engine/generate.h"

// The main window's state between two user actions, without its widgets.
// Exchange fields mirror what a control shows; held fields carry what the
// last generation used or the store restored.
struct DialogModel {
    std::u16string ownerName;
    std::u16string ownerKey;
    std::u16string currentList; // the list the generator draws from
    std::int32_t length =
        DefaultPasswordLength; // held: taken from the length control at each generation
    bool stringSeedMode = true;
    std::u16string seedText;        // held: seed text of the last generation ("seed1")
    std::u16string numericSeedText; // held: numbers of the last generation ("seed2")
    std::int32_t seedModeIndex = 0; // exchange: 0 "文字列", 1 "数字", -1 neither
    std::u16string listDisplay;     // exchange: the list edit's text
    std::u16string seedTextEntry;   // exchange: the seed text edit's text
    SeedNumbers seedNumbers{};      // exchange: the seven number edits
    bool listEditing = false;
    std::int32_t complexity = 0; // exchange: 1 checked, 0 clear
    CharSetTable sets;
    std::int32_t spreadLevel = 0; // 0..4: 2^spreadLevel results shown
    Passwords results;            // exchange: the sixteen result boxes
};

// What "生成" hands the engine: the owner texts, the seed mode with both
// seeds, complexity, the current list and the held length.
inline GenerationRequest generationRequestOf(const DialogModel& model)
{
    return {.ownerName = model.ownerName,
            .ownerKey = model.ownerKey,
            .stringSeedMode = model.stringSeedMode,
            .seedText = model.seedText,
            .seedNumbers = model.seedNumbers,
            .complexity = model.complexity != 0,
            .charList = model.currentList,
            .length = model.length};
}
