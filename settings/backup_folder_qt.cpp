// The backup folder where the store is no file and the platform is not
// Windows: the organisation's folder in the generic data location, owner-only.
#include "settings/backup_folder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "text/qt_text.h"

Result<QString> privateBackupFolder(const QString& organization)
{
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u'/' + organization;
    if (!QDir().mkpath(folder) ||
        !QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        return Error{"cannot make the folder " + folder.toStdString() + " private"};
    return folder;
}
