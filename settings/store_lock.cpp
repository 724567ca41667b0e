#include "settings/store_lock.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include "settings/lock_file.h"
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

WindowLock::WindowLock(WindowLockPlace place, int retryMilliseconds, int writerWaitMilliseconds)
    : folder_(std::move(place.folder)), path_(std::move(place.path))
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        const LockTry attempt = tryLockFile(path_);
        held_ = attempt.held;
        if (held_)
            return;
        const bool writing = attempt.busy && attempt.holder == toQ(SettingsProgramName);
        if (!writing || waited.elapsed() >= writerWaitMilliseconds)
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
    held_ = tryLockFile(path_).held;
    return held();
}

std::shared_ptr<void> lockForWriting(const WindowLockPlace& place, std::string& why)
{
    const LockTry attempt = tryLockFile(place.path);
    if (attempt.held) {
        struct Held {
            std::shared_ptr<void> folder;
            std::shared_ptr<void> lock;
        };
        return std::make_shared<Held>(Held{place.folder, attempt.held});
    }
    const std::string path = place.shownPath.toStdString();
    if (!attempt.busy) {
        why = (attempt.refused ? "refusing to use the lock file " : "cannot make the lock file ") +
              path + ": " + attempt.why.toStdString();
        return nullptr;
    }
    if (attempt.pid == 0) {
        why = "the lock file " + path +
              " is held by another process, perhaps the Tovrik window; close it and try again";
        return nullptr;
    }
    const std::string process = "process " + std::to_string(attempt.pid) +
                                (attempt.host.isEmpty() ? "" : " on " + attempt.host.toStdString());
    if (attempt.holder == toQ(SettingsProgramName))
        why = "another " + std::string(SettingsProgramName) + " (" + process +
              ") is writing the settings; try again once it has finished";
    else
        why = "the Tovrik window is running (" + process +
              ") and its next save would undo this change; close it and try again";
    return nullptr;
}
