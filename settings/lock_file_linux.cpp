// The lock file on POSIX systems. It is made with O_EXCL, holds its
// holder's process id, program, host name, machine id and boot id, a line
// each, as QLockFile writes them (earlier versions of the programs used
// QLockFile and read these lines), and its holder keeps it flock()ed, as
// QLockFile does too. A lock file that nobody has flocked was left by a
// holder that has gone. Whatever is found at the name is opened without
// following a link or waiting on a FIFO, and only a regular file of the
// user's counts as a lock.

#include "settings/lock_file.h"

#include <QByteArray>
#include <QFile>
#include <QSysInfo>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/fd_io.h"
#include "settings/checked_folder_linux.h"

namespace {

using store_files::encoded;

// A lock file is a few short lines; what lies beyond this is not read.
constexpr qsizetype MaxLockBytes = 4096;
// Its holder writes the lines right after making the file: a file this
// young without them is still being written.
constexpr std::time_t WritingSeconds = 5;

// Removes the lock file, while it is still the one this process made,
// then releases it.
struct HeldLock {
    Fd folder;
    Fd file;
    QByteArray name;

    HeldLock(Fd f, Fd l, QByteArray n)
        : folder(std::move(f)), file(std::move(l)), name(std::move(n))
    {
    }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;
    ~HeldLock()
    {
        struct stat mine {
        }, atName{};
        if (::fstat(file.get(), &mine) == 0 &&
            ::fstatat(folder.get(), name.constData(), &atName, AT_SYMLINK_NOFOLLOW) == 0 &&
            mine.st_dev == atName.st_dev && mine.st_ino == atName.st_ino)
            ::unlinkat(folder.get(), name.constData(), 0);
    }
};

// The program's file name, as QLockFile gives it.
QByteArray programName()
{
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof path)
        return {};
    const QByteArray exe(path, length);
    return exe.mid(exe.lastIndexOf('/') + 1);
}

QByteArray lockLines()
{
    return QByteArray::number(static_cast<qint64>(::getpid())) + '\n' + programName() + '\n' +
           QSysInfo::machineHostName().toUtf8() + '\n' + QSysInfo::machineUniqueId() + '\n' +
           QSysInfo::bootUniqueId() + '\n';
}

// What a lock file says about its holder.
struct Holder {
    bool known = false; // the file names a process
    qint64 pid = 0;
    QString program;
    QString host;             // empty for this machine
    bool earlierBoot = false; // this machine, before it was last started
};

Holder holderOf(const QByteArray& bytes)
{
    const QList<QByteArray> lines = bytes.split('\n');
    Holder holder;
    if (lines.size() < 3)
        return holder;
    bool number = false;
    holder.pid = lines[0].toLongLong(&number);
    holder.known = number && holder.pid > 0;
    holder.program = QString::fromUtf8(lines[1]);
    const QByteArray host = lines[2];
    const QByteArray machine = lines.size() > 3 ? lines[3] : QByteArray();
    const QByteArray boot = lines.size() > 4 ? lines[4] : QByteArray();
    const QByteArray ourMachine = QSysInfo::machineUniqueId();
    const bool otherMachine = !machine.isEmpty() && !ourMachine.isEmpty()
                                  ? machine != ourMachine
                                  : !host.isEmpty() && host != QSysInfo::machineHostName().toUtf8();
    if (otherMachine)
        holder.host = host.isEmpty() ? QStringLiteral("another machine") : QString::fromUtf8(host);
    else
        holder.earlierBoot = !boot.isEmpty() && boot != QSysInfo::bootUniqueId();
    return holder;
}

bool running(qint64 pid)
{
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

QByteArray readSome(int fd)
{
    QByteArray bytes(MaxLockBytes, Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::pread(fd, bytes.data() + filled,
                                    static_cast<std::size_t>(bytes.size() - filled), filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        filled += got;
    }
    bytes.truncate(filled);
    return bytes;
}

// Where the lock file is: its folder, its name there, and its path as
// messages give it.
struct LockName {
    Fd folder;
    QByteArray name;
    std::string shown;

    Error cannotMake(const std::string& why) const
    {
        return Error{"cannot make the lock file " + shown + ": " + why};
    }
    Error refused(const std::string& why) const
    {
        return Error{"refusing to use the lock file " + shown + ": " + why};
    }
};

// Holds the new lock file, made at the name, with its lines.
Result<std::shared_ptr<void>> holdNewLock(LockName& lock, Fd made)
{
    // Another process that looks at the new file holds its flock for a
    // moment; the wait is for that only. A file system without flock()
    // still has the lines to go by.
    while (::flock(made.get(), LOCK_EX) != 0 && errno == EINTR) {
    }
    if (!writeAll(made.get(), lockLines().toStdString())) {
        const int error = errno;
        ::unlinkat(lock.folder.get(), lock.name.constData(), 0);
        return lock.cannotMake("cannot write it: " + reason(error));
    }
    return std::shared_ptr<void>(
        std::make_shared<HeldLock>(std::move(lock.folder), std::move(made), lock.name));
}

// Whether the holder of a lock file has gone, by the file's lines and by
// the flock that this process could take of it, or the errno of its try.
bool holderGone(const Holder& holder, int flockError, const struct stat& info)
{
    if (!holder.host.isEmpty())
        return false;
    if (flockError == 0) {
        const std::time_t age = std::time(nullptr) - info.st_mtime;
        // A file without its lines is being written, unless it is old (or
        // dated well ahead, by a clock that is off).
        return holder.known || age >= WritingSeconds || age <= -WritingSeconds;
    }
    return flockError != EWOULDBLOCK && holder.known &&
           (holder.earlierBoot || !running(holder.pid));
}

// What a look at the lock file that another process made found.
struct Inspection {
    std::optional<LockHolder> holder; // nothing when the file names none
    // The holder has gone and its file has been removed, or the file went
    // meanwhile: the lock may be made again.
    bool gone = false;
};

Result<Inspection> inspectLock(const LockName& lock)
{
    const Fd found(::openat(lock.folder.get(), lock.name.constData(),
                            O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!found) {
        if (errno == ENOENT)
            return Inspection{std::nullopt, true}; // gone meanwhile
        if (errno == ELOOP)
            return lock.refused("it is a link, not a lock file");
        if (errno == ENXIO)
            return lock.refused("it is not a regular file");
        return lock.cannotMake(reason(errno));
    }
    struct stat info {};
    if (::fstat(found.get(), &info) != 0)
        return lock.cannotMake(reason(errno));
    if (!S_ISREG(info.st_mode))
        return lock.refused("it is not a regular file");
    if (info.st_uid != ::geteuid())
        return lock.refused("it belongs to another user");

    const Holder holder = holderOf(readSome(found.get()));
    const LockHolder named{holder.known ? holder.pid : 0, holder.host, holder.program};
    const int flockError = ::flock(found.get(), LOCK_EX | LOCK_NB) == 0 ? 0 : errno;
    if (!holderGone(holder, flockError, info))
        return Inspection{named, false};
    // Still flocked by this process: nobody else removes it meanwhile.
    struct stat atName {};
    if (::fstatat(lock.folder.get(), lock.name.constData(), &atName, AT_SYMLINK_NOFOLLOW) == 0 &&
        atName.st_dev == info.st_dev && atName.st_ino == info.st_ino)
        ::unlinkat(lock.folder.get(), lock.name.constData(), 0);
    return Inspection{named, true};
}

} // namespace

Result<LockTry> tryLockFile(const QString& path, const QString& shownPath)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    LockName lock{Fd(::open(slash > 0    ? encoded(path.left(slash)).constData()
                            : slash == 0 ? "/"
                                         : ".",
                            O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
                  encoded(path.mid(slash + 1)), shownPath.toStdString()};
    if (!lock.folder)
        return lock.cannotMake(reason(errno));
    // A lock left by a holder that has gone is removed, and the lock made
    // again; another process may do the same at the same time.
    LockHolder lastHolder;
    for (int attempt = 0; attempt < 3; ++attempt) {
        Fd made(::openat(lock.folder.get(), lock.name.constData(),
                         O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                         S_IRUSR | S_IWUSR));
        if (made) {
            Result<std::shared_ptr<void>> held = holdNewLock(lock, std::move(made));
            if (!held)
                return held.error();
            return LockTry{std::move(held.value()), {}};
        }
        if (errno != EEXIST)
            return lock.cannotMake(reason(errno));
        const Result<Inspection> found = inspectLock(lock);
        if (!found)
            return found.error();
        if (found->holder)
            lastHolder = *found->holder;
        if (!found->gone)
            return LockTry{nullptr, lastHolder};
    }
    // Each lock made again was taken by another process first.
    return LockTry{nullptr, lastHolder};
}
