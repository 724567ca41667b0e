#include "settings/store_identity.h"

#include "settings/program_names.h"
#include "settings/setting_table.h"
#include "text/qt_text.h"

StoreIdentity StoreIdentity::ofWindow(const QString& application)
{
    return {toQ(SettingsOrganization),
            application.isEmpty() ? toQ(StoreApplicationName) : application,
            std::u16string(SettingsSection)};
}

QString StoreIdentity::iniFileName() const
{
    return application + QStringLiteral(".conf");
}

QString StoreIdentity::programKeyPath() const
{
    return QStringLiteral("Software\\") + organization + u'\\' + application;
}

std::u16string StoreIdentity::settingsKeyPath() const
{
    return fromQ(QStringLiteral("HKEY_CURRENT_USER\\") + programKeyPath() + u'\\' + toQ(section));
}

QString StoreIdentity::sharedLockStem() const
{
    return organization + u' ' + application;
}
