#include "ui/dialog_model.h"

#include <gtest/gtest.h>

#include "settings/load_save.h"
#include "settings/memory_settings_store.h"

namespace {

DialogModel loaded(const std::vector<std::pair<std::u16string, StoredValue>>& values)
{
    MemorySettingsStore store;
    for (const auto& [name, value] : values)
        store.put(name, value);
    DialogModel model;
    loadSettings(store, model, SeedEntropy{1700000000u, 4242u, u"HOST"});
    return model;
}

} // namespace

TEST(RestoreStartupFields, FieldsShownAfterTheLoad)
{
    DialogModel model = loaded(
        {{u"mode", 9265}, {u"seed1", u"mail"}, {u"seed2", u"123456789-1"}, {u"moji list", u"cba"}});
    model.listEditing = true;
    restoreStartupFields(model);
    EXPECT_EQ(model.seedModeIndex, 1);
    EXPECT_EQ(model.listDisplay, u"abc\r\n");
    EXPECT_EQ(model.seedTextEntry, u"mail");
    EXPECT_EQ(model.seedNumbers, (SeedNumbers{12345678, 9, 1, 0, 0, 0, 0}));
    EXPECT_FALSE(model.listEditing);

    DialogModel first = loaded({});
    restoreStartupFields(first);
    EXPECT_EQ(first.seedModeIndex, 0);
    EXPECT_EQ(FormatNumericSeed(first.seedNumbers), first.numericSeedText);
}
