#pragma once

#include <QString>
#include <QVariant>

#include <memory>

#include "settings/settings_store.h"
#include "settings/store_backend.h"
#include "settings/store_identity.h"

// The user's own store of the window's values, in one section (see
// StoreIdentity): on Linux the INI file <config dir>/<organization>/<application>.conf
// (XDG_CONFIG_HOME honoured, read when the store is made) in the form of
// ini_section.h; on Windows the registry key
// HKEY_CURRENT_USER\Software\<organization>\<application>, reached directly;
// elsewhere the platform's native store through QSettings.
//
// The store is read when it is made, and only when it is the user's own
// (access() and problem() tell); reads never create anything. Writes are
// held until flush. A flush whose every value the store already holds
// writes nothing. Otherwise, on Linux the file is replaced in one step (a
// new file made beside it, flushed to the disk, renamed over it); in the
// registry each value is set by itself, so a flush that fails part way may
// leave some values written; the native store saves as QSettings does. A
// write that may not have reached the store makes flush return false.
class UserSettingsStore : public SettingsStore {
public:
    explicit UserSettingsStore(StoreIdentity identity);
    ~UserSettingsStore() override;

    UserSettingsStore(const UserSettingsStore&) = delete;
    UserSettingsStore& operator=(const UserSettingsStore&) = delete;

    std::optional<std::u16string> readText(std::u16string_view name) const override;
    std::optional<std::int32_t> readInt(std::u16string_view name) const override;
    void writeText(std::u16string_view name, std::u16string_view value) override;
    void writeInt(std::u16string_view name, std::int32_t value) override;
    bool flush() override;

    // Ours or Absent: the store may be used. Refused: nothing was read, and
    // a flush writes nothing. Unreadable: the store could not be read, or
    // one of the window's texts in it is no text (problem() names it); what
    // could be read is there, and a flush writes nothing unless
    // allowOverwrite() was called.
    StoreAccess access() const;
    // Which store this is: its organisation, application and section.
    const StoreIdentity& identity() const { return identity_; }
    // Where the values live, for messages: the file path, or the native
    // store's own name for its location; for a refused store the path that
    // failed the checks.
    QString location() const;
    // Why the store is not used, in one English line naming the path; empty
    // when it may be used.
    QString problem() const;
    // The checked folder of the store file, for files kept beside it; see
    // StoreBackend::folder.
    Result<std::optional<StoreFolder>> folder() const;

    // The value of that name as the store holds it, of whatever type (see
    // StoredValues), for a backup.
    QVariant heldValue(std::u16string_view name) const;

    // Reads the store again, for a writer that has just taken the window's
    // lock: what other programs saved meanwhile counts from now on. Values
    // written through this store still win.
    void reread() { backend_->refresh(); }

    // The user chose to start afresh, and the store has been backed up:
    // from now on a flush replaces what could not be read.
    void allowOverwrite() { overwrite_ = true; }

private:
    QVariant read(std::u16string_view name) const;
    // Why one of the window's texts cannot be read, naming it; empty when
    // each is a text or absent.
    QString unreadableText() const;

    StoreIdentity identity_;
    std::unique_ptr<StoreBackend> backend_;
    // Every value written through this store, by key. They win over what
    // the backend read, which may predate the last flush.
    StoredValues written_;
    bool unflushed_ = false;
    bool overwrite_ = false;
};

// The store of the window whose executable is named application (without
// its extension; empty: the window's usual name), which the command-line
// programs share with it, opened and checked. Callers look at access()
// before they use it.
std::unique_ptr<UserSettingsStore> openWindowStore(const QString& application = {});
