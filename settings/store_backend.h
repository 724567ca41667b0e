#pragma once

#include <QString>
#include <QVariant>

#include <map>
#include <memory>

#include "settings/settings_store.h"

// Values by their QSettings key, "setting102/<name>".
using StoredValues = std::map<QString, QVariant>;

// Where the per-user store lives on this platform and how a save reaches it.
// One implementation per platform, chosen in CMake: store_file_linux.cpp (an
// INI file that must be the user's own) on Linux, store_native.cpp (the
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

    // The value as the store holds it, or an invalid QVariant.
    virtual QVariant value(const QString& key) const = 0;
    // Brings value() up to date with changes made by other programs since
    // the last read or write.
    virtual void refresh() = 0;
    // Stores every value durably, keeping the values it is not given. False
    // when they may not have been stored.
    virtual bool write(const StoredValues& values) = 0;
    // The store already holds every value: only keeps it private (a file
    // readable by others is made owner-only). False when that failed.
    virtual bool keep() = 0;
};

std::unique_ptr<StoreBackend> openStoreBackend(const QString& organization,
                                               const QString& application);
