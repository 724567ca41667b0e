#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QVariant>

#include <map>
#include <memory>
#include <optional>

#include "base/result.h"
#include "settings/settings_store.h"
#include "settings/store_identity.h"

// The folder that holds the store file, checked as for a write, for the
// files kept beside the store (its backups, the window's lock). While hold
// lives, path names the checked folder itself, so that files made through
// it land there even if the folder's name is swapped.
struct StoreFolder {
    std::shared_ptr<void> hold;
    QString path;      // for file operations
    QString shownPath; // the folder's own path, for messages
    QString fileName;  // the store file's name in it
};

// A value that the store holds in a form that is neither a text nor a
// 32-bit integer: a typed INI form (@ByteArray(...), @Variant(...)), or a
// registry value of another type (REG_EXPAND_SZ, REG_QWORD, ...). Messages
// name its form, never its content; a registry value keeps its type and
// bytes for a backup.
struct ForeignValue {
    QString form;
    quint32 registryType = 0;
    QByteArray bytes;
};
Q_DECLARE_METATYPE(ForeignValue)

// Values by their name in the store's section: a text as a QString, an integer
// as an int, anything else as a ForeignValue.
using StoredValues = std::map<QString, QVariant>;

// Where the per-user store lives on this platform and how a save reaches it.
// One implementation per platform, chosen in CMake: ini_backend_linux.cpp (an
// INI file that must be the user's own) on Linux, registry_backend_windows.cpp
// (the registry, REG_SZ and REG_DWORD) on Windows, native_backend.cpp (the
// platform's own store through QSettings) elsewhere.
class StoreBackend {
public:
    virtual ~StoreBackend() = default;

    virtual StoreAccess access() const = 0;
    // The path or native location, for messages; when access() is Refused,
    // the path that failed the checks.
    virtual QString location() const = 0;
    // Why the store is not used, in one English line; empty when it is.
    virtual QString problem() const = 0;

    // The value as the store holds it (see StoredValues), or an invalid
    // QVariant.
    virtual QVariant value(const QString& key) const = 0;
    // True when values carry their own type, as in the registry: a text
    // there is no number, even "10", and a save replaces it with one. An
    // INI file holds every value as text.
    virtual bool typed() const { return false; }
    // Brings value() up to date with changes made by other programs since
    // the last read or write.
    virtual void refresh() = 0;
    // Stores every value durably, keeping the values it is not given. False
    // when they may not have been stored. A store whose content cannot be
    // read is never written, unless replaceUnreadable says that the user
    // chose to start afresh (after a backup): what cannot be read is then
    // replaced.
    virtual bool write(const StoredValues& values, bool replaceUnreadable) = 0;
    // The store already holds every value: only keeps it private (a file
    // readable by others is made owner-only). False when that failed.
    virtual bool keep() = 0;
    // The store file's folder, made (owner-only) when missing; nothing
    // where the store is no file of ours. An error naming the path when the
    // folder fails the checks.
    virtual Result<std::optional<StoreFolder>> folder() const = 0;
};

std::unique_ptr<StoreBackend> openStoreBackend(const StoreIdentity& identity);
