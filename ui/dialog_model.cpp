#include "ui/dialog_model.h"

#include "charsets/char_list.h"

void restoreStartupFields(DialogModel& model)
{
    model.seedModeIndex = model.stringSeedMode ? 0 : 1;
    model.listDisplay = makeListDisplay(model.currentList);
    model.seedTextEntry = model.seedText;
    model.seedNumbers = parseNumericSeedText(model.numericSeedText);
    model.listEditing = false;
}
