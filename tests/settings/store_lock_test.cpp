#include "settings/store_lock.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>

#include "settings/qt_settings_store.h"
#include "tests/support/config_home.h"
#include "tests/support/window_store.h"

#ifdef Q_OS_LINUX
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

const QString LockFileName = StoreFileName + QStringLiteral(".window-lock");

// Runs the event loop until the condition holds or the time is up.
bool waitFor(const std::function<bool()>& condition, int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

TEST(StoreLock, AWindowHoldsItAndWritersAreToldWhy)
{
    int argc = 1;
    char name[] = "settings_tests";
    char* argv[] = {name, nullptr};
    const QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString folder = storeFolderIn(dir.path());
    const QString path = folder + u'/' + LockFileName;
    std::string why;
    const std::optional<WindowLockPlace> found = [&] {
        const ScopedConfigHome home(dir.path());
        return windowLockPlace(*openWindowStore(), why);
    }();
    ASSERT_TRUE(found) << why;
    const WindowLockPlace& place = *found;
    EXPECT_EQ(place.shownPath, path);
#ifdef Q_OS_LINUX
    // The missing folder is made, with nothing for group and others
    // (QFile's "user" bits are this user's).
    EXPECT_EQ(QFile::permissions(folder) & 0x0FFF,
              QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
#endif

    // A writer holds the lock while its token lives.
    {
        const std::shared_ptr<void> writing = lockForWriting(place, why);
        ASSERT_TRUE(writing) << why;
        EXPECT_TRUE(QFile::exists(path));
        EXPECT_FALSE(WindowLock(place).held());
    }
    EXPECT_FALSE(QFile::exists(path));

    auto first = std::make_unique<WindowLock>(place);
    ASSERT_TRUE(first->held());
    EXPECT_FALSE(lockForWriting(place, why));
    EXPECT_NE(why.find("window is running (process " +
                       std::to_string(QCoreApplication::applicationPid()) + ")"),
              std::string::npos)
        << why;

    // A second window starts without the lock and takes it once the first
    // has ended.
    WindowLock second(place, 20);
    EXPECT_FALSE(second.held());
    EXPECT_FALSE(waitFor([&] { return second.held(); }, 100));
    first.reset();
    EXPECT_TRUE(waitFor([&] { return second.held(); }, 5000));
    EXPECT_FALSE(lockForWriting(place, why));
}

#ifdef Q_OS_LINUX
// A process id that no longer runs.
qint64 deadProcessId()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST(StoreLock, ALockLeftByACrashIsTakenOver)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(LockFileName);
    const WindowLockPlace place{nullptr, path, path};
    const auto leave = [&] {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::number(deadProcessId()) + "\ntovrik\n" +
                   QSysInfo::machineHostName().toUtf8() + "\n");
    };
    leave();
    std::string why;
    EXPECT_TRUE(lockForWriting(place, why)) << why;
    leave();
    EXPECT_TRUE(WindowLock(place).held());
}
#endif

} // namespace
