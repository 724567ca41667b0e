// The lock file through QLockFile.

#include "settings/lock_file.h"

#include <QLockFile>
#include <QSysInfo>

Result<LockTry> tryLockFile(const QString& path, const QString& shownPath)
{
    auto file = std::make_shared<QLockFile>(path);
    // Only a holder that no longer runs makes a lock stale, however long a
    // window has been open.
    file->setStaleLockTime(0);
    if (file->tryLock(0))
        return LockTry{file, {}};
    const std::string cannot = "cannot make the lock file " + shownPath.toStdString() + ": ";
    switch (file->error()) {
    case QLockFile::LockFailedError: {
        LockHolder holder;
        file->getLockInfo(&holder.pid, &holder.host, &holder.program);
        if (holder.host == QSysInfo::machineHostName())
            holder.host.clear();
        return LockTry{nullptr, holder};
    }
    case QLockFile::PermissionError: return Error{cannot + "permission denied"};
    default: return Error{cannot + "the system gave no reason"};
    }
}
