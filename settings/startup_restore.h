#pragma once

#include "settings/dialog_model.h"

// After loadSettings: sets the fields that the window shows from the ones
// the store restored: the seed mode radio index, the list display, the seed
// text entry and the seven numbers split from the numeric seed text; ends
// any list edit. The spread level and the widgets are the window's business.
void restoreStartupFields(DialogModel& model);
