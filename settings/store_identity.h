#pragma once

#include <QString>

#include <string>

// Which per-user store a program reads and writes, named once: the
// organisation (the store's company level), the application (the window's
// executable base name, so that a renamed copy of the window keeps a store
// of its own) and the one section of the window's values. The store, its
// backend on each platform, the window's lock, the backups, the registry
// exports and the help take every name and path from here.
struct StoreIdentity {
    QString organization;
    QString application;
    std::u16string section;

    // The store of the window whose executable is named application, without
    // its extension; empty: the window's usual name, which the command-line
    // programs share.
    static StoreIdentity ofWindow(const QString& application = {});

    // <application>.conf: the INI file in <config dir>/<organization>.
    QString iniFileName() const;
    // Software\<organization>\<application>, below HKEY_CURRENT_USER.
    QString programKeyPath() const;
    // HKEY_CURRENT_USER\Software\<organization>\<application>\<section>:
    // the key that holds the values, as a registry export names it.
    std::u16string settingsKeyPath() const;
    // "<organization> <application>": the window's lock in the temporary
    // folder, where the store is no file of its own to put it beside.
    QString sharedLockStem() const;
};
