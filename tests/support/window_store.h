#pragma once

#include <QString>

#include "settings/program_names.h"
#include "settings/setting_table.h"
#include "settings/user_settings_store.h"
#include "text/qt_text.h"

// The per-user store of the window, as the programs open it, and where it
// lies below a configuration folder on Linux.
inline UserSettingsStore windowStore()
{
    return UserSettingsStore(StoreIdentity::ofWindow());
}

// The store file's name in its folder.
inline const QString StoreFileName = toQ(StoreApplicationName) + QStringLiteral(".conf");

inline QString storeFolderIn(const QString& configHome)
{
    return configHome + u'/' + toQ(SettingsOrganization);
}

inline QString storeFileIn(const QString& configHome)
{
    return storeFolderIn(configHome) + u'/' + StoreFileName;
}
