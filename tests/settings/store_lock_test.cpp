#include "settings/store_lock.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// A process id that no longer runs.
qint64 deadProcessId()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

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
    const QString path =
        dir.filePath(QStringLiteral("Ostrel Applications/tovrik.conf.window-lock"));

    // A writer makes the missing folder, owner-only, and holds the lock
    // while its token lives.
    std::string why;
    {
        const std::shared_ptr<void> writing = lockForWriting(path, why);
        ASSERT_TRUE(writing) << why;
        // Nothing for group and others (QFile's "user" bits are this user's).
        EXPECT_EQ(QFile::permissions(dir.filePath(QStringLiteral("Ostrel Applications"))) & 0x0FFF,
                  QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
        EXPECT_FALSE(WindowLock(path).held());
    }
    EXPECT_FALSE(QFile::exists(path));

    auto first = std::make_unique<WindowLock>(path);
    ASSERT_TRUE(first->held());
    EXPECT_FALSE(lockForWriting(path, why));
    EXPECT_NE(why.find("window is running (process " + std::to_string(::getpid()) + ")"),
              std::string::npos)
        << why;

    // A second window starts without the lock and takes it once the first
    // has ended.
    WindowLock second(path, 20);
    EXPECT_FALSE(second.held());
    EXPECT_FALSE(waitFor([&] { return second.held(); }, 100));
    first.reset();
    EXPECT_TRUE(waitFor([&] { return second.held(); }, 5000));
    EXPECT_FALSE(lockForWriting(path, why));
}

TEST(StoreLock, ALockLeftByACrashIsTakenOver)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tovrik.conf.window-lock"));
    const auto leave = [&] {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::number(deadProcessId()) + "\ntovrik\n" +
                   QSysInfo::machineHostName().toUtf8() + "\n");
    };
    leave();
    std::string why;
    EXPECT_TRUE(lockForWriting(path, why)) << why;
    leave();
    EXPECT_TRUE(WindowLock(path).held());
}

} // namespace
