// Writes through POSIX descriptors: every file is made with O_EXCL and
// O_NOFOLLOW, so that no link is followed, and a file that replaces another
// is renamed onto its name, which replaces a link rather than its target.
#include "platform/file_writes.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/fd_io.h"

namespace {

// What the folder holds at the name must be a file that may be replaced:
// nothing yet, a regular file, or a link of the user's own.
Result<void> replaceable(int folder, const std::string& name)
{
    struct stat existing {};
    if (::fstatat(folder, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? Result<void>() : Error{"cannot look at it: " + reason(errno)};
    if (S_ISLNK(existing.st_mode) && existing.st_uid != ::geteuid())
        return Error{"refused: it is a link that another user made; remove it, or choose another "
                     "name"};
    if (S_ISDIR(existing.st_mode))
        return Error{"refused: it is a folder"};
    if (!S_ISLNK(existing.st_mode) && !S_ISREG(existing.st_mode))
        return Error{"refused: it is not a regular file"};
    return {};
}

} // namespace

Result<void> writeNewFile(const QString& path, std::string_view bytes)
{
    const QFileInfo info(path);
    const Fd folder(
        ::open(QFile::encodeName(info.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder)
        return Error{"cannot open its folder: " + reason(errno)};
    const std::string name = QFile::encodeName(info.fileName()).toStdString();
    Fd file(::openat(folder.get(), name.c_str(),
                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR));
    if (!file)
        return Error{reason(errno)};
    if (::fchmod(file.get(), S_IRUSR | S_IWUSR) != 0 || !writeAll(file.get(), bytes) ||
        ::fsync(file.get()) != 0) {
        const int error = errno;
        ::unlinkat(folder.get(), name.c_str(), 0);
        return Error{reason(error)};
    }
    return {};
}

Result<void> writeReplacingFile(const QString& path, std::string_view bytes)
{
    const QFileInfo info(path);
    const std::string name = QFile::encodeName(info.fileName()).toStdString();
    if (name.empty() || name == "." || name == ".." || path.endsWith(u'/'))
        return Error{"not a file name"};
    const Fd folder(
        ::open(QFile::encodeName(info.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder)
        return Error{"cannot open its folder: " + reason(errno)};
    if (Result<void> checked = replaceable(folder.get(), name); !checked)
        return checked;
    // A name nobody can foresee, so that nobody can plant anything there.
    const std::string scratch =
        '.' + name + '.' +
        QByteArray::number(QRandomGenerator::system()->generate64(), 36).toStdString() + ".part";
    const Result<Fd> written = replaceFileAt(folder.get(), name, scratch, bytes);
    if (!written)
        return written.error();
    return {};
}
