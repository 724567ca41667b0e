#pragma once

#include <QCoreApplication>
#include <QString>

#include <optional>
#include <string>

#include "settings/memory_settings_store.h"
#include "settings/user_settings_store.h"

class QWidget;
class UiSeams;

// The window's store. The user's own store is read and saved as usual. A
// store that is not safe to use is neither read nor saved: the window
// starts from first-start values. A store that could not be read (a
// damaged file, a text stored as something else) is read as far as it can
// be but never saved over, unless the user chooses to start afresh, and
// then only after a backup. Until then every save stays in memory.
class GuardedStore : public SettingsStore {
    Q_DECLARE_TR_FUNCTIONS(GuardedStore)

public:
    explicit GuardedStore(UserSettingsStore& store);

    std::optional<std::u16string> readText(std::u16string_view name) const override;
    std::optional<std::int32_t> readInt(std::u16string_view name) const override;
    void writeText(std::u16string_view name, std::u16string_view value) override;
    void writeInt(std::u16string_view name, std::int32_t value) override;
    bool flush() override;

    // False while saves stay in memory.
    bool saving() const { return saving_; }
    // Whether starting afresh is on offer: the store could not be read, and
    // is not saved yet.
    bool canStartAfresh() const;
    // Backs the store up, then saves the window's last saved values over it,
    // and every later save too. The backup's path (empty when there was
    // nothing to keep); an error when the backup or the save failed, and the
    // store is then left as it was.
    Result<QString> startAfresh();

    UserSettingsStore& store() { return store_; }

private:
    UserSettingsStore& store_;
    MemorySettingsStore held_; // the saves made while the store is not saved
    bool saving_;
};

// Tells the user, over the window, that its settings are not saved, naming
// the store and why. For a store that could not be read it offers to start
// afresh, and says where the backup went, or why nothing changed.
void warnAboutUnsavedStore(QWidget* owner, UiSeams& seams, GuardedStore& store);
