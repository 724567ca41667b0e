#include "settings/store_lock.h"

#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

#include "settings/program_names.h"
#include "settings/qt_settings_store.h"
#include "settings/setting_table.h"
#include "text/qt_text.h"

namespace {

constexpr QLatin1StringView LockSuffix(".window-lock");

} // namespace

std::optional<WindowLockPlace> windowLockPlace(const QtSettingsStore& store, std::string& why)
{
    QString problem;
    if (const std::optional<StoreFolder> folder = store.folder(problem))
        return WindowLockPlace{folder->hold, folder->path + u'/' + folder->fileName + LockSuffix,
                               folder->shownPath + u'/' + folder->fileName + LockSuffix};
    if (!problem.isEmpty()) {
        why = problem.toStdString();
        return std::nullopt;
    }
    const QString path = QDir::tempPath() + u'/' + toQ(SettingsOrganization) + u' ' +
                         QFileInfo(store.location()).fileName() + LockSuffix;
    return WindowLockPlace{nullptr, path, path};
}

WindowLock::WindowLock(WindowLockPlace place, int retryMilliseconds)
    : folder_(std::move(place.folder)), file_(place.path)
{
    // Only a holder that no longer runs makes a lock stale, however long a
    // window has been open.
    file_.setStaleLockTime(0);
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

std::shared_ptr<void> lockForWriting(const WindowLockPlace& place, std::string& why)
{
    struct Held {
        explicit Held(const WindowLockPlace& place) : folder(place.folder), file(place.path) {}
        std::shared_ptr<void> folder;
        QLockFile file;
    };
    auto lock = std::make_shared<Held>(place);
    lock->file.setStaleLockTime(0);
    if (lock->file.tryLock(0))
        return lock;
    if (lock->file.error() != QLockFile::LockFailedError) {
        why = "cannot make the lock file " + place.shownPath.toStdString();
        return nullptr;
    }
    qint64 pid = 0;
    QString host;
    QString holder;
    lock->file.getLockInfo(&pid, &host, &holder);
    const std::string process =
        "process " + std::to_string(pid) +
        (host.isEmpty() || host == QSysInfo::machineHostName() ? "" : " on " + host.toStdString());
    if (holder == toQ(SettingsProgramName))
        why = "another tovrik-settings (" + process +
              ") is writing the settings; try again once it has finished";
    else
        why = "the Tovrik window is running (" + process +
              ") and its next save would undo this change; close it and try again";
    return nullptr;
}
