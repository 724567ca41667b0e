#pragma once

#include <QString>
#include <QVariant>

#include <map>
#include <memory>

#include "settings/settings_store.h"

class QSettings;

// The company level of the per-user store, and the application level that
// the window program and its command-line companion share.
inline constexpr char SettingsOrganization[] = "Ostrel Applications";
inline constexpr char WindowApplicationName[] = "tovrik";

// The per-user store on QSettings, section "setting102": on Linux the INI
// file <config dir>/<organization>/<application>.conf (XDG_CONFIG_HOME
// honoured, read when the store is made), elsewhere the native store (the
// registry under HKEY_CURRENT_USER\Software on Windows).
//
// Reads never create anything. Writes are held until flush. On Linux a
// flush makes the folder owner-only (0700), has QSettings write the values
// into an owner-only (0600) copy of the file, reads that copy back afresh
// and only then renames it over the file: the file is always either the old
// or the new complete one, and a write that did not reach the disk makes
// flush return false.
class QtSettingsStore : public SettingsStore {
public:
    QtSettingsStore(const QString& organization, const QString& application);
    ~QtSettingsStore() override;

    QtSettingsStore(const QtSettingsStore&) = delete;
    QtSettingsStore& operator=(const QtSettingsStore&) = delete;

    std::u16string readText(std::u16string_view name, std::u16string_view fallback) const override;
    std::int32_t readInt(std::u16string_view name, std::int32_t fallback) const override;
    void writeText(std::u16string_view name, std::u16string_view value) override;
    void writeInt(std::u16string_view name, std::int32_t value) override;
    bool flush() override;

    // Where the values live, for messages: the file path, or the native
    // store's own name for its location.
    QString location() const;

private:
    std::unique_ptr<QSettings> openNative() const;
    bool flushNative();
    bool flushIniFile();
    QVariant read(std::u16string_view name) const;

    QString organization_;
    QString application_;
    QString filePath_; // empty when the store is not a file of ours
    std::unique_ptr<QSettings> reader_;
    // Every value written through this store, by key. They win over what
    // reader_ read, which may predate the last flush.
    std::map<QString, QVariant> written_;
    bool unflushed_ = false;
};
