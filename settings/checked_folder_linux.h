#pragma once

// The checked folder that holds the store file, and the file in it. Before
// anything is read or written, the folder must be a directory of the user's
// that nobody else can write (one of the user's with looser bits is made
// 0700), and the file a regular file of the user's, opened without
// following a link or waiting on a FIFO. A file that the user linked
// elsewhere is used only when the link, its target and the target's folder
// pass the same checks. Every step of a save happens relative to the checked
// folder's descriptor, so that nobody can swap the folder under it.

#include <QByteArray>
#include <QString>

#include <optional>
#include <sys/stat.h>

#include "platform/fd_io.h"
#include "settings/settings_store.h"

namespace store_files {

// Which version of which file the values came from.
struct FileVersion {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    static FileVersion of(const struct stat& info)
    {
        return {info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
    }
    bool operator==(const FileVersion& other) const
    {
        return device == other.device && inode == other.inode && size == other.size &&
               modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec &&
               changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
    }
};

QByteArray encoded(const QString& path);
// The file name that the bytes spell in the locale's encoding; nothing when
// they are not valid there, as encoding the decoded name again would then
// name another file.
std::optional<QString> decodedName(const QByteArray& bytes);

// The outcome of a check: the path that failed it, and why, in words that
// name that path unless it is the store file itself.
struct Verdict {
    StoreAccess access = StoreAccess::Ours;
    QString path;
    QString why;
};

Verdict refused(const QString& path, const QString& why);
// The system's reason, after the subject when one is given.
Verdict unreadable(const QString& path, int error, const QString& subject = {});

// One line for messages: why the store at storePath is not used; empty when
// it may be used.
QString problemOf(const Verdict& verdict, const QString& storePath);

// Opens a folder that must be the user's and writable by nobody else. A
// link to the folder counts only when the user made it. With `tighten`, a
// folder of the user's with more than the owner's bits is made 0700.
Verdict openOwnFolder(const QString& path, bool tighten, Fd& folder);

// Makes the folder and any missing parent, each open to the owner only.
bool makeOwnerOnlyFolders(const QByteArray& folder);

// Where the values are: a checked folder and the file's name inside it, and
// the file itself when it exists.
struct Place {
    Fd folder;
    QString folderPath;
    QString name;
    Fd file; // open for reading; closed when there is no file yet
    struct stat info {};

    QString path() const { return folderPath + u'/' + name; }
};

// Opens the file `name` of a checked folder: a regular file of the user's,
// or nothing yet. The subject names the file in messages; empty for the
// store file itself.
Verdict openOwnFile(Place& place, const QString& subject);

// Finds the store file in its folder, following one link that the user
// made. With `create`, a missing store folder is made; the folder of a
// link's target never is.
Verdict locate(const QString& folderPath, const QString& name, bool create, Place& place);

// The folder as a path that names the open descriptor, not the folder's
// name, so that file operations by path (backups, the window's lock) stay
// inside the checked folder. Empty when the system cannot provide one.
QString pinnedPath(int folder);

} // namespace store_files
