#include "cli/common/store_help.h"

#include "settings/store_identity.h"
#include "text/qt_text.h"

QString storePlaceHelp()
{
    return QStringLiteral("The store: the system's settings of %1 %2.")
        .arg(StoreIdentity::ofWindow().organization, StoreIdentity::ofWindow().application);
}

// The store has no owner or permissions of its own to check.
QString unsafeStoreHelp()
{
    return {};
}
