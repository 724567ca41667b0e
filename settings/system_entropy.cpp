#include "settings/system_entropy.h"

#include <QCoreApplication>
#include <QSysInfo>

#include <ctime>

SeedEntropy systemSeedEntropy()
{
    SeedEntropy entropy;
    entropy.timeSeconds = static_cast<std::uint32_t>(std::time(nullptr));
    entropy.processId = static_cast<std::uint32_t>(QCoreApplication::applicationPid());
    const QString name = QSysInfo::machineHostName();
    if (!name.isEmpty())
        entropy.computerName = name.toStdU16String();
    return entropy;
}
