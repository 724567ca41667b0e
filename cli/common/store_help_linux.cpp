#include "cli/common/store_help.h"

#include "settings/program_names.h"
#include "text/qt_text.h"

QString storePlaceHelp()
{
    return QStringLiteral("The store: $XDG_CONFIG_HOME/%1/%2.conf\n"
                          "(~/.config when XDG_CONFIG_HOME is not set).")
        .arg(toQ(SettingsOrganization), toQ(StoreApplicationName));
}

QString unsafeStoreHelp()
{
    return QStringLiteral("another user's, or writable by others");
}
