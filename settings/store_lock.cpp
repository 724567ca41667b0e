#include "settings/store_lock.h"

#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

#include "settings/qt_settings_store.h"

namespace {

// Makes the folder and any missing parent, each open to its owner only.
bool makeFolder(const QString& folder)
{
    const QFileInfo info(folder);
    if (info.exists())
        return info.isDir();
    const QString parent = info.absolutePath();
    if (parent != info.absoluteFilePath() && !makeFolder(parent))
        return false;
    return QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) ||
           QFileInfo(folder).isDir();
}

} // namespace

QString windowLockPath(const QtSettingsStore& store)
{
    if (!store.filePath().isEmpty())
        return store.filePath() + QStringLiteral(".window-lock");
    // A store that is no file (the registry) has its lock in the user's
    // temporary folder.
    return QDir::tempPath() + QStringLiteral("/") + QString::fromLatin1(SettingsOrganization) +
           u' ' + QFileInfo(store.location()).fileName() + QStringLiteral(".window-lock");
}

WindowLock::WindowLock(const QString& path, int retryMilliseconds) : file_(path)
{
    // Only a holder that no longer runs makes a lock stale, however long a
    // window has been open.
    file_.setStaleLockTime(0);
    // At a first start the store's folder does not exist yet; the start-up
    // save would make it the same way.
    makeFolder(QFileInfo(path).absolutePath());
    if (tryTake())
        return;
    retry_.setInterval(retryMilliseconds);
    QObject::connect(&retry_, &QTimer::timeout, [this] {
        if (tryTake())
            retry_.stop();
    });
    retry_.start();
}

bool WindowLock::tryTake()
{
    return file_.tryLock(0);
}

std::shared_ptr<void> lockForWriting(const QString& path, std::string& why)
{
    if (!makeFolder(QFileInfo(path).absolutePath())) {
        why = "cannot make the folder " + QFileInfo(path).absolutePath().toStdString();
        return nullptr;
    }
    auto lock = std::make_shared<QLockFile>(path);
    lock->setStaleLockTime(0);
    if (lock->tryLock(0))
        return lock;
    if (lock->error() != QLockFile::LockFailedError) {
        why = "cannot make the lock file " + path.toStdString();
        return nullptr;
    }
    qint64 pid = 0;
    QString host;
    QString holder;
    lock->getLockInfo(&pid, &host, &holder);
    const std::string process =
        "process " + std::to_string(pid) +
        (host.isEmpty() || host == QSysInfo::machineHostName() ? "" : " on " + host.toStdString());
    if (holder == QStringLiteral("tovrik-settings"))
        why = "another tovrik-settings (" + process +
              ") is writing the settings; try again once it has finished";
    else
        why = "the Tovrik window is running (" + process +
              ") and its next save would undo this change; close it and try again";
    return nullptr;
}
