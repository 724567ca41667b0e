#include "settings/store_lock.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>

#include <chrono>

#include <thread>

#include "settings/program_names.h"
#include "settings/user_settings_store.h"
#include "tests/support/config_home.h"
#include "tests/support/window_store.h"

#include <cstring>
#include <ctime>
#include <functional>
#include <string_view>

#ifdef Q_OS_LINUX
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/time.h>
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

// Why a writer was refused the lock; empty, with a failure, when it got it.
std::string whyNot(const Result<std::shared_ptr<void>>& writing)
{
    if (writing) {
        ADD_FAILURE() << "the lock was taken";
        return {};
    }
    return writing.error().message;
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
    const Result<WindowLockPlace> found = [&] {
        const ScopedConfigHome home(dir.path());
        return windowLockPlace(*openWindowStore());
    }();
    ASSERT_TRUE(found) << found.error().message;
    const WindowLockPlace& place = found.value();
    EXPECT_EQ(place.shownPath, path);
#ifdef Q_OS_LINUX
    // The missing folder is made, with nothing for group and others
    // (QFile's "user" bits are this user's).
    EXPECT_EQ(QFile::permissions(folder) & 0x0FFF,
              QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
#endif

    // A writer holds the lock while its token lives.
    {
        const Result<std::shared_ptr<void>> writing = lockForWriting(place);
        ASSERT_TRUE(writing) << writing.error().message;
        EXPECT_TRUE(QFile::exists(path));
        EXPECT_FALSE(WindowLock(place).held());
    }
    EXPECT_FALSE(QFile::exists(path));

    auto first = std::make_unique<WindowLock>(place);
    ASSERT_TRUE(first->held());
    const std::string why = whyNot(lockForWriting(place));
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
    EXPECT_FALSE(lockForWriting(place));
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

// Writes a lock file's bytes, dated `age` seconds ago.
void leaveLock(const QString& path, const QByteArray& bytes, int age)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
    file.close();
    const timeval then[2] = {{std::time(nullptr) - age, 0}, {std::time(nullptr) - age, 0}};
    ASSERT_EQ(::utimes(QFile::encodeName(path).constData(), then), 0);
}

// tovrik-settings holds the lock for one write only: a window that starts
// meanwhile waits for the write to end, so that it reads what was written
// and its saves do not undo it; a writer that does not end is not waited
// for beyond the bound.
TEST(StoreLock, AWindowWaitsForAWriteToEnd)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(LockFileName);
    const WindowLockPlace place{nullptr, path, path};
    // A writer's lock, as tovrik-settings leaves it while it writes.
    const int writer =
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    ASSERT_GE(writer, 0);
    const QByteArray lines =
        QByteArray::number(static_cast<qint64>(::getpid())) + '\n' +
        QByteArray(SettingsProgramName.data(), static_cast<qsizetype>(SettingsProgramName.size())) +
        '\n' + QSysInfo::machineHostName().toUtf8() + '\n';
    ASSERT_EQ(::write(writer, lines.constData(), static_cast<std::size_t>(lines.size())),
              lines.size());
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);

    EXPECT_FALSE(WindowLock(place, 2000, 100).held());

    static constexpr int WriteMilliseconds = 300;
    std::thread write([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(WriteMilliseconds));
        ::unlink(QFile::encodeName(path).constData());
        ::close(writer);
    });
    QElapsedTimer waited;
    waited.start();
    const WindowLock window(place);
    const qint64 elapsed = waited.elapsed();
    write.join();
    EXPECT_TRUE(window.held());
    EXPECT_GE(elapsed, WriteMilliseconds - 50);
}

TEST(StoreLock, ALockWhoseHolderHasGoneIsTakenOverAndNoOther)
{
    int argc = 1;
    char program[] = "settings_tests";
    char* argv[] = {program, nullptr};
    const QCoreApplication app(argc, argv); // for the window's retries
    QTemporaryDir dir;
    const QString path = dir.filePath(LockFileName);
    const WindowLockPlace place{nullptr, path, path};
    const QByteArray host = QSysInfo::machineHostName().toUtf8();
    const QByteArray ownPid = QByteArray::number(QCoreApplication::applicationPid());
    struct Case {
        const char* name;
        QByteArray bytes;
        int age;
        std::string says; // when it is not taken; empty when it is
    };
    const Case cases[] = {
        {"left by a crash",
         QByteArray::number(deadProcessId()) + "\ntovrik\n" + host + "\n",
         0,
         {}},
        {"empty, left long ago", "", 3600, {}},
        {"empty, still being written", "", 0, "is held by another process"},
        {"of a process on another machine", ownPid + "\ntovrik\nsomewhere-else\n", 3600,
         "window is running (process " + ownPid.toStdString() + " on somewhere-else)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool window : {false, true}) {
            leaveLock(path, c.bytes, c.age);
            std::string why;
            bool taken = false;
            if (window)
                taken = WindowLock(place).held();
            else if (const Result<std::shared_ptr<void>> writing = lockForWriting(place))
                taken = true;
            else
                why = writing.error().message;
            EXPECT_EQ(taken, c.says.empty()) << why;
            if (!c.says.empty() && !window) {
                EXPECT_NE(why.find(c.says), std::string::npos) << why;
            }
            // Released: gone when it was taken, left as it was otherwise.
            EXPECT_EQ(QFile::exists(path), !taken);
            QFile::remove(path);
        }
    }

    // A lock that a running program holds through QLockFile, as earlier
    // versions did, is held.
    QLockFile earlier(path);
    ASSERT_TRUE(earlier.tryLock(0));
    const std::string why = whyNot(lockForWriting(place));
    EXPECT_NE(why.find("window is running (process " + ownPid.toStdString() + ")"),
              std::string::npos)
        << why;
}

// Runs `check` in a child process that a hang cannot keep: the child is
// killed after ten seconds. Returns what went wrong, or nothing.
std::string inChild(const std::function<std::string()>& check)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        ::alarm(10);
        const std::string problem = check();
        const bool sent = ::write(channel[1], problem.data(), problem.size()) ==
                          static_cast<ssize_t>(problem.size());
        std::_Exit(sent ? 0 : 1);
    }
    ::close(channel[1]);
    std::string problem;
    char buffer[256];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        problem.append(buffer, static_cast<std::size_t>(got));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFSIGNALED(status))
        return "the child hung or crashed (signal " + std::to_string(WTERMSIG(status)) + ")" +
               problem;
    return problem;
}

TEST(StoreLock, OnlyARegularFileOfTheUsersCountsAsTheLock)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(LockFileName);
    const QByteArray name = QFile::encodeName(path);
    const WindowLockPlace place{nullptr, path, path};
    struct Case {
        const char* name;
        std::function<void()> plant;
        const char* says;
    };
    const Case cases[] = {
        {"FIFO", [&] { ASSERT_EQ(::mkfifo(name.constData(), 0600), 0); },
         "it is not a regular file"},
        {"link to /dev/zero", [&] { ASSERT_EQ(::symlink("/dev/zero", name.constData()), 0); },
         "it is a link"},
        {"folder", [&] { ASSERT_TRUE(QDir().mkpath(path)); }, "it is not a regular file"},
        {"link to a lock file",
         [&] {
             leaveLock(dir.filePath(QStringLiteral("elsewhere")), "1\ntovrik\n\n", 0);
             ASSERT_EQ(::symlink("elsewhere", name.constData()), 0);
         },
         "it is a link"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.plant();
        const std::string problem = inChild([&]() -> std::string {
            const Result<std::shared_ptr<void>> writing = lockForWriting(place);
            if (writing)
                return "taken";
            const std::string& why = writing.error().message;
            if (why != "refusing to use the lock file " + path.toStdString() + ": " + c.says +
                           (std::string_view(c.says) == "it is a link" ? ", not a lock file" : ""))
                return "told: " + why;
            int argc = 1;
            char program[] = "settings_tests";
            char* argv[] = {program, nullptr};
            const QCoreApplication app(argc, argv);
            return WindowLock(place).held() ? "taken by a window" : "";
        });
        EXPECT_EQ(problem, "");
        const QFileInfo left(path);
        EXPECT_TRUE(left.exists() || left.isSymLink()); // left as it was
        ::unlink(name.constData());
        ::rmdir(name.constData());
    }
}

TEST(StoreLock, AFolderThatCannotBeWrittenIsNamedWithTheReason)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("read-only"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + u'/' + LockFileName;
    const std::string problem = inChild([&]() -> std::string {
        // Permissions do not stop root: carry on as an ordinary user.
        constexpr uid_t Nobody = 65534;
        if (::geteuid() == 0 &&
            (::chown(QFile::encodeName(dir.path()).constData(), Nobody, Nobody) != 0 ||
             ::chown(QFile::encodeName(folder).constData(), Nobody, Nobody) != 0 ||
             ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0))
            return "cannot drop root privileges";
        if (::chmod(QFile::encodeName(folder).constData(), 0500) != 0)
            return "cannot make the folder read-only";
        const Result<std::shared_ptr<void>> writing =
            lockForWriting(WindowLockPlace{nullptr, path, path});
        if (writing)
            return "taken";
        const std::string& why = writing.error().message;
        const std::string expected =
            "cannot make the lock file " + path.toStdString() + ": " + std::strerror(EACCES);
        return why == expected ? "" : "told: " + why;
    });
    EXPECT_EQ(problem, "");
}
#endif

} // namespace
