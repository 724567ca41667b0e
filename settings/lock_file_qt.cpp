// The lock file through QLockFile.

#include "settings/lock_file.h"

#include <QLockFile>
#include <QSysInfo>

LockTry tryLockFile(const QString& path)
{
    LockTry result;
    auto file = std::make_shared<QLockFile>(path);
    // Only a holder that no longer runs makes a lock stale, however long a
    // window has been open.
    file->setStaleLockTime(0);
    if (file->tryLock(0)) {
        result.held = file;
        return result;
    }
    switch (file->error()) {
    case QLockFile::LockFailedError:
        result.busy = true;
        file->getLockInfo(&result.pid, &result.host, &result.holder);
        if (result.host == QSysInfo::machineHostName())
            result.host.clear();
        break;
    case QLockFile::PermissionError: result.why = QStringLiteral("permission denied"); break;
    default: result.why = QStringLiteral("the system gave no reason"); break;
    }
    return result;
}
