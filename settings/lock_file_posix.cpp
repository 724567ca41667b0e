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
#include "settings/checked_folder_posix.h"

namespace {

using store_files::encoded;
using store_files::Fd;
using store_files::reason;

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

} // namespace

LockTry tryLockFile(const QString& path)
{
    LockTry result;
    const qsizetype slash = path.lastIndexOf(u'/');
    const QByteArray name = encoded(path.mid(slash + 1));
    Fd folder(::open(slash > 0    ? encoded(path.left(slash)).constData()
                     : slash == 0 ? "/"
                                  : ".",
                     O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder) {
        result.why = reason(errno);
        return result;
    }

    // A lock left by a holder that has gone is removed, and the lock made
    // again; another process may do the same at the same time.
    for (int attempt = 0; attempt < 3; ++attempt) {
        Fd made(::openat(folder.get(), name.constData(),
                         O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                         S_IRUSR | S_IWUSR));
        if (made) {
            // Another process that looks at the new file holds its flock for
            // a moment; the wait is for that only. A file system without
            // flock() still has the lines to go by.
            while (::flock(made.get(), LOCK_EX) != 0 && errno == EINTR) {
            }
            if (!writeAll(made.get(), lockLines().toStdString())) {
                result.why = QStringLiteral("cannot write it: ") + reason(errno);
                ::unlinkat(folder.get(), name.constData(), 0);
                return result;
            }
            result.held = std::make_shared<HeldLock>(std::move(folder), std::move(made), name);
            return result;
        }
        if (errno != EEXIST) {
            result.why = reason(errno);
            return result;
        }

        Fd found(::openat(folder.get(), name.constData(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (!found) {
            if (errno == ENOENT)
                continue; // gone meanwhile
            result.refused = errno == ELOOP || errno == ENXIO;
            result.why = errno == ELOOP   ? QStringLiteral("it is a link, not a lock file")
                         : errno == ENXIO ? QStringLiteral("it is not a regular file")
                                          : reason(errno);
            return result;
        }
        struct stat info {};
        if (::fstat(found.get(), &info) != 0) {
            result.why = reason(errno);
            return result;
        }
        if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
            result.refused = true;
            result.why = S_ISREG(info.st_mode) ? QStringLiteral("it belongs to another user")
                                               : QStringLiteral("it is not a regular file");
            return result;
        }

        const Holder holder = holderOf(readSome(found.get()));
        result.pid = holder.known ? holder.pid : 0;
        result.host = holder.host;
        result.holder = holder.program;
        bool gone = false;
        if (::flock(found.get(), LOCK_EX | LOCK_NB) == 0) {
            const std::time_t age = std::time(nullptr) - info.st_mtime;
            // A file without its lines is being written, unless it is old
            // (or dated well ahead, by a clock that is off).
            gone = holder.host.isEmpty() &&
                   (holder.known || age >= WritingSeconds || age <= -WritingSeconds);
        } else if (errno != EWOULDBLOCK) {
            gone = holder.known && holder.host.isEmpty() &&
                   (holder.earlierBoot || !running(holder.pid));
        }
        if (!gone) {
            result.busy = true;
            return result;
        }
        // Still flocked by this process: nobody else removes it meanwhile.
        struct stat atName {};
        if (::fstatat(folder.get(), name.constData(), &atName, AT_SYMLINK_NOFOLLOW) == 0 &&
            atName.st_dev == info.st_dev && atName.st_ino == info.st_ino)
            ::unlinkat(folder.get(), name.constData(), 0);
    }
    result.busy = true;
    return result;
}
