#include "cli/common/store_help.h"

#include "settings/store_identity.h"

QString storePlaceHelp()
{
    return QStringLiteral("The store: $XDG_CONFIG_HOME/%1/%2.conf\n"
                          "(~/.config when XDG_CONFIG_HOME is not set).")
        .arg(StoreIdentity::ofWindow().organization, StoreIdentity::ofWindow().application);
}

QString unsafeStoreHelp()
{
    return QStringLiteral("another user's, or writable by others");
}
