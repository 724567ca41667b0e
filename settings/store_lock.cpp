#include "settings/store_lock.h"

#include <QDir>
#include <QElapsedTimer>
#include <QThread>

#include "settings/lock_file.h"
#include "settings/program_names.h"
#include "settings/setting_table.h"
#include "settings/user_settings_store.h"
#include "text/qt_text.h"

namespace {

constexpr QLatin1StringView LockSuffix(".window-lock");

// Whether the holder is a tovrik-settings that writes, which ends soon.
bool writerHolds(const Result<LockTry>& attempt)
{
    return attempt && !attempt->held && attempt->holder.program == toQ(SettingsProgramName);
}

} // namespace

Result<WindowLockPlace> windowLockPlace(const UserSettingsStore& store)
{
    const Result<std::optional<StoreFolder>> folder = store.folder();
    if (!folder)
        return folder.error();
    if (const std::optional<StoreFolder>& beside = folder.value())
        return WindowLockPlace{beside->hold, beside->path + u'/' + beside->fileName + LockSuffix,
                               beside->shownPath + u'/' + beside->fileName + LockSuffix};
    const QString path = QDir::tempPath() + u'/' + store.identity().sharedLockStem() + LockSuffix;
    return WindowLockPlace{nullptr, path, path};
}

WindowLock::WindowLock(WindowLockPlace place, int retryMilliseconds, int writerWaitMilliseconds)
    : folder_(std::move(place.folder)), path_(std::move(place.path)),
      shownPath_(std::move(place.shownPath))
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        const Result<LockTry> attempt = tryLockFile(path_, shownPath_);
        if (attempt && attempt->held) {
            held_ = attempt->held;
            return;
        }
        if (!writerHolds(attempt) || waited.elapsed() >= writerWaitMilliseconds)
            break;
        QThread::msleep(20);
    }
    retry_.setInterval(retryMilliseconds);
    QObject::connect(&retry_, &QTimer::timeout, [this] {
        if (tryTake())
            retry_.stop();
    });
    retry_.start();
}

bool WindowLock::tryTake()
{
    // A lock that cannot be had at all is tried again all the same: what
    // stood in its way may go.
    const Result<LockTry> attempt = tryLockFile(path_, shownPath_);
    if (attempt)
        held_ = attempt->held;
    return held();
}

Result<std::shared_ptr<void>> lockForWriting(const WindowLockPlace& place)
{
    const Result<LockTry> attempt = tryLockFile(place.path, place.shownPath);
    if (!attempt)
        return attempt.error();
    if (attempt->held) {
        struct Held {
            std::shared_ptr<void> folder;
            std::shared_ptr<void> lock;
        };
        return std::shared_ptr<void>(std::make_shared<Held>(Held{place.folder, attempt->held}));
    }
    const LockHolder& holder = attempt->holder;
    if (holder.pid == 0)
        return Error{"the lock file " + place.shownPath.toStdString() +
                     " is held by another process, perhaps the Tovrik window; close it and try "
                     "again"};
    const std::string process = "process " + std::to_string(holder.pid) +
                                (holder.host.isEmpty() ? "" : " on " + holder.host.toStdString());
    if (holder.program == toQ(SettingsProgramName))
        return Error{"another " + std::string(SettingsProgramName) + " (" + process +
                     ") is writing the settings; try again once it has finished"};
    return Error{"the Tovrik window is running (" + process +
                 ") and its next save would undo this change; close it and try again"};
}
