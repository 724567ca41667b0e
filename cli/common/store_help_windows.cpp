#include "cli/common/store_help.h"

#include "settings/store_identity.h"
#include "text/qt_text.h"

QString storePlaceHelp()
{
    return QStringLiteral("The store: the registry key\n%1.")
        .arg(toQ(StoreIdentity::ofWindow().settingsKeyPath()));
}

// The store has no owner or permissions of its own to check.
QString unsafeStoreHelp()
{
    return {};
}
