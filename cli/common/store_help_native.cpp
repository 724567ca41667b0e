#include "cli/common/store_help.h"

#include "settings/program_names.h"
#include "text/qt_text.h"

QString storePlaceHelp()
{
    return QStringLiteral("The store: the system's settings of %1 %2.")
        .arg(toQ(SettingsOrganization), toQ(StoreApplicationName));
}

// The store has no owner or permissions of its own to check.
QString unsafeStoreHelp()
{
    return {};
}
