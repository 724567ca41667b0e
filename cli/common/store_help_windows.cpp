#include "cli/common/store_help.h"

#include "settings/program_names.h"
#include "settings/registry_mapping.h"
#include "text/qt_text.h"

QString storePlaceHelp()
{
    return QStringLiteral("The store: the registry key\n%1.")
        .arg(toQ(settingsKeyPath(fromQ(toQ(StoreApplicationName)))));
}

// The store has no owner or permissions of its own to check.
QString unsafeStoreHelp()
{
    return {};
}
