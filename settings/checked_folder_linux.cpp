#include "settings/checked_folder_linux.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace store_files {

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

std::optional<QString> decodedName(const QByteArray& bytes)
{
    QString name = QFile::decodeName(bytes);
    if (QFile::encodeName(name) != bytes)
        return std::nullopt;
    return name;
}

Verdict refused(const QString& path, const QString& why)
{
    return {StoreAccess::Refused, path, why};
}

Verdict unreadable(const QString& path, int error, const QString& subject)
{
    const QString why = QString::fromStdString(reason(error));
    return {StoreAccess::Unreadable, path,
            subject.isEmpty() ? why : subject + QStringLiteral(": ") + why};
}

QString problemOf(const Verdict& verdict, const QString& storePath)
{
    switch (verdict.access) {
    case StoreAccess::Ours:
    case StoreAccess::Absent: return {};
    case StoreAccess::Unreadable:
        return QStringLiteral("cannot read the settings store ") + storePath +
               QStringLiteral(": ") + verdict.why;
    case StoreAccess::Refused:
        return QStringLiteral("refusing to use the settings store ") + storePath +
               QStringLiteral(": ") + verdict.why;
    }
    return {};
}

// Opens a folder that must be the user's and writable by nobody else. A
// link to the folder counts only when the user made it. With `tighten`, a
// folder of the user's with more than the owner's bits is made 0700.
Verdict openOwnFolder(const QString& path, bool tighten, Fd& folder)
{
    const QString subject = QStringLiteral("the folder ") + path;
    const QByteArray name = encoded(path);
    Fd fd(::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    bool linked = false;
    // With O_DIRECTORY, Linux answers ENOTDIR for a link, other systems ELOOP.
    if (!fd && (errno == ENOTDIR || errno == ELOOP)) {
        const int openError = errno;
        struct stat link {};
        if (::lstat(name.constData(), &link) != 0)
            return unreadable(path, errno, subject);
        if (S_ISLNK(link.st_mode)) {
            if (link.st_uid != ::geteuid())
                return refused(path, subject + QStringLiteral(" is a link made by another user"));
            linked = true;
            fd = Fd(::open(name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        } else {
            errno = openError;
        }
    }
    if (!fd) {
        if (errno == ENOENT)
            return {StoreAccess::Absent, path, {}};
        if (errno == ENOTDIR)
            return refused(
                path, path + (linked ? QStringLiteral(" links to something that is not a folder")
                                     : QStringLiteral(" is not a folder")));
        return unreadable(path, errno, subject);
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return unreadable(path, errno, subject);
    if (info.st_uid != ::geteuid())
        return refused(path, subject + QStringLiteral(" belongs to another user"));
    // A folder reached through the user's link is one the user chose: it
    // keeps its mode, as long as nobody else can write to it.
    if (tighten && !linked && (info.st_mode & 077) != 0) {
        if (::fchmod(fd.get(), S_IRWXU) != 0)
            return refused(path, subject + QStringLiteral(" cannot be made private"));
    } else if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return refused(path, QStringLiteral("others can write to ") + subject);
    }
    folder = std::move(fd);
    return {};
}

// Makes the folder and any missing parent, each open to the owner only.
bool makeOwnerOnlyFolders(const QByteArray& folder)
{
    struct stat info {};
    if (::stat(folder.constData(), &info) == 0)
        return S_ISDIR(info.st_mode);
    const qsizetype slash = folder.lastIndexOf('/');
    if (slash > 0 && !makeOwnerOnlyFolders(folder.left(slash)))
        return false;
    return ::mkdir(folder.constData(), S_IRWXU) == 0 || errno == EEXIST;
}

// Opens the file `name` of a checked folder: a regular file of the user's,
// or nothing yet.
Verdict openOwnFile(Place& place, const QString& subject)
{
    const QString path = place.path();
    const QString it = subject.isEmpty() ? QStringLiteral("it") : subject;
    Fd fd(::openat(place.folder.get(), encoded(place.name).constData(),
                   O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd) {
        if (errno == ENOENT)
            return {StoreAccess::Absent, path, {}};
        if (errno == ELOOP)
            return refused(path, it + QStringLiteral(" is a link too"));
        if (errno == ENXIO || errno == EISDIR)
            return refused(path, it + QStringLiteral(" is not a regular file"));
        return unreadable(path, errno, subject);
    }
    if (::fstat(fd.get(), &place.info) != 0)
        return unreadable(path, errno, subject);
    if (!S_ISREG(place.info.st_mode))
        return refused(path, it + QStringLiteral(" is not a regular file"));
    if (place.info.st_uid != ::geteuid())
        return refused(path, it + QStringLiteral(" belongs to another user"));
    place.file = std::move(fd);
    return {};
}

// Finds the store file in its folder, following one link that the user
// made. With `create`, a missing store folder is made; the folder of a
// link's target never is.
Verdict locate(const QString& folderPath, const QString& name, bool create, Place& place)
{
    place.folderPath = folderPath;
    place.name = name;
    Verdict verdict = openOwnFolder(folderPath, true, place.folder);
    if (verdict.access == StoreAccess::Absent && create) {
        if (!makeOwnerOnlyFolders(encoded(folderPath)))
            return unreadable(folderPath, errno,
                              QStringLiteral("cannot make the folder ") + folderPath);
        verdict = openOwnFolder(folderPath, true, place.folder);
    }
    if (verdict.access != StoreAccess::Ours)
        return verdict;

    struct stat entry {};
    if (::fstatat(place.folder.get(), encoded(name).constData(), &entry, AT_SYMLINK_NOFOLLOW) ==
            0 &&
        S_ISLNK(entry.st_mode)) {
        const QString linkPath = place.path();
        if (entry.st_uid != ::geteuid())
            return refused(linkPath, QStringLiteral("it is a link made by another user"));
        char target[4096];
        const ssize_t length =
            ::readlinkat(place.folder.get(), encoded(name).constData(), target, sizeof target);
        if (length < 0 || static_cast<std::size_t>(length) >= sizeof target)
            return unreadable(linkPath, length < 0 ? errno : ENAMETOOLONG);
        // A name that does not decode would come back as another file's.
        std::optional<QString> targetPath = decodedName(QByteArray(target, length));
        if (!targetPath)
            return refused(linkPath, QStringLiteral("it links to a name that is not valid in the "
                                                    "locale's encoding"));
        if (QFileInfo(*targetPath).isRelative())
            *targetPath = folderPath + u'/' + *targetPath;
        const QFileInfo targetInfo(*targetPath);
        place.folderPath = targetInfo.absolutePath();
        place.name = targetInfo.fileName();
        if (place.name.isEmpty())
            return refused(linkPath, QStringLiteral("the link does not name a file"));
        place.folder = Fd();
        verdict = openOwnFolder(place.folderPath, false, place.folder);
        if (verdict.access != StoreAccess::Ours)
            return verdict;
        return openOwnFile(place, place.path());
    }
    return openOwnFile(place, {});
}

} // namespace store_files
