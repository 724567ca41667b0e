#pragma once

#include <cstdint>
#include <string>

#include "settings/stored_settings.h"

// The main window's state between two user actions, without its widgets:
// the stored settings, which the window holds between generations (the
// length and both seeds as the last generation took them), and fields that
// mirror what a control shows, exchanged with the widgets.
//
// It derives from StoredSettings rather than holding it: each stored field
// is the window's own held field under one name, and the load and the save
// take the window's model as the settings it is, without a copy.
struct DialogModel : StoredSettings {
    std::int32_t seedModeIndex = 0; // 0 "文字列", 1 "数字", -1 neither
    std::u16string listDisplay;     // the list edit's text
    std::u16string seedTextEntry;   // the seed text edit's text
    SeedNumbers seedNumbers{};      // the seven number edits
    bool listEditing = false;
    Passwords results; // the sixteen result boxes
};

// After loadSettings: sets the fields that the window shows from the ones
// the store restored: the seed mode radio index, the list display, the seed
// text entry and the seven numbers split from the numeric seed text; ends
// any list edit. The spread level and the widgets are the window's business.
void restoreStartupFields(DialogModel& model);

// What "生成" hands the engine: the stored fields with the seven numbers
// the number edits hold.
inline GenerationRequest generationRequestOf(const DialogModel& model)
{
    return generationRequestOf(model, model.seedNumbers);
}
