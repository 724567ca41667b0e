// The store as an INI file that must be the user's own:
// <config folder>/<organization>/<application>.conf.
//
// Before anything is read or written, the folder must be a directory of the
// user's that nobody else can write (one of the user's with looser bits is
// made 0700), and the file a regular file of the user's, opened without
// following a link or waiting on a FIFO. A file that the user linked
// elsewhere is used only when the link, its target and the target's folder
// pass the same checks. Every step of a save happens relative to the
// checked folder's descriptor, so that nobody can swap the folder under it.

#include "settings/store_backend.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QSysInfo>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "settings/stored_value.h"

namespace {

// A file descriptor that closes itself.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&& other) noexcept
    {
        std::swap(fd_, other.fd_);
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

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

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The outcome of a check, with the path it concerns.
struct Verdict {
    StoreAccess access = StoreAccess::Ours;
    QString path;
    QString why;
};

Verdict refused(const QString& path, const QString& why)
{
    return {StoreAccess::Refused, path, why};
}

Verdict unreadable(const QString& path, int error)
{
    return {StoreAccess::Unreadable, path, reason(error)};
}

// Opens a folder that must be the user's and writable by nobody else. A
// link to the folder counts only when the user made it. With `tighten`, a
// folder of the user's with more than the owner's bits is made 0700.
Verdict openOwnFolder(const QString& path, bool tighten, Fd& folder)
{
    const QByteArray name = encoded(path);
    Fd fd(::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd && errno == ELOOP) {
        struct stat link {};
        if (::lstat(name.constData(), &link) != 0)
            return unreadable(path, errno);
        if (link.st_uid != ::geteuid())
            return refused(path, QStringLiteral("it is a link made by another user"));
        fd = Fd(::open(name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }
    if (!fd) {
        if (errno == ENOENT)
            return {StoreAccess::Absent, path, {}};
        if (errno == ENOTDIR)
            return refused(path, QStringLiteral("it is not a folder"));
        return unreadable(path, errno);
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return unreadable(path, errno);
    if (info.st_uid != ::geteuid())
        return refused(path, QStringLiteral("the folder belongs to another user"));
    if (tighten && (info.st_mode & 077) != 0) {
        if (::fchmod(fd.get(), S_IRWXU) != 0)
            return refused(path, QStringLiteral("the folder cannot be made private"));
    } else if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return refused(path, QStringLiteral("others can write to the folder"));
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
// or nothing yet.
Verdict openOwnFile(Place& place)
{
    const QString path = place.path();
    Fd fd(::openat(place.folder.get(), encoded(place.name).constData(),
                   O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd) {
        if (errno == ENOENT)
            return {StoreAccess::Absent, path, {}};
        if (errno == ELOOP)
            return refused(path, QStringLiteral("it is a link to a link"));
        if (errno == ENXIO || errno == EISDIR)
            return refused(path, QStringLiteral("it is not a regular file"));
        return unreadable(path, errno);
    }
    if (::fstat(fd.get(), &place.info) != 0)
        return unreadable(path, errno);
    if (!S_ISREG(place.info.st_mode))
        return refused(path, QStringLiteral("it is not a regular file"));
    if (place.info.st_uid != ::geteuid())
        return refused(path, QStringLiteral("the file belongs to another user"));
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
            return unreadable(folderPath, errno);
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
        QString targetPath = QFile::decodeName(QByteArray(target, length));
        if (QFileInfo(targetPath).isRelative())
            targetPath = folderPath + u'/' + targetPath;
        const QFileInfo targetInfo(targetPath);
        place.folderPath = targetInfo.absolutePath();
        place.name = targetInfo.fileName();
        if (place.name.isEmpty())
            return refused(linkPath, QStringLiteral("the link does not name a file"));
        place.folder = Fd();
        verdict = openOwnFolder(place.folderPath, false, place.folder);
        if (verdict.access != StoreAccess::Ours)
            return verdict;
    }
    return openOwnFile(place);
}

// Reads what is left of a file from its descriptor.
bool readAll(int fd, QByteArray& bytes)
{
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        bytes.append(buffer, got);
    }
}

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* next = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, next, static_cast<std::size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        next += written;
        left -= written;
    }
    return true;
}

StoredValues everyValue(const QSettings& settings)
{
    StoredValues values;
    for (const QString& key : settings.allKeys())
        values.emplace(key, settings.value(key));
    return values;
}

// The folder as a path that names the open descriptor, not the folder's
// name, so that QSettings' own file operations stay inside the checked
// folder. Empty when /proc cannot provide one.
QString pinnedPath(int folder)
{
    const QString path = QStringLiteral("/proc/self/fd/") + QString::number(folder);
    struct stat viaPath {
    }, viaFd{};
    if (::stat(encoded(path).constData(), &viaPath) != 0 || ::fstat(folder, &viaFd) != 0 ||
        viaPath.st_dev != viaFd.st_dev || viaPath.st_ino != viaFd.st_ino)
        return {};
    return path;
}

// The host name as it may appear in a file name.
QString hostTag()
{
    QString host = QSysInfo::machineHostName();
    for (QChar& c : host)
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != u'-' && c != u'.' && c != u'_')
            c = u'_';
    return host.isEmpty() ? QStringLiteral("host") : host;
}

// Scratch files are named <file>.save-<host>-<process id>-<n>, with the
// suffixes a save adds: -checked while it is read back, .lock and the six
// characters of QSettings' own temporary file while it is written.
QRegularExpression scratchPattern(const QString& fileName, const QString& host)
{
    return QRegularExpression(QStringLiteral("\\A") + QRegularExpression::escape(fileName) +
                              QStringLiteral("\\.save-") + QRegularExpression::escape(host) +
                              QStringLiteral("-([0-9]{1,10})-[0-9]{1,10}"
                                             "(?:-checked|\\.lock|\\.[A-Za-z0-9]{6})?\\z"));
}

// Removes the scratch files that a save of this host left behind when its
// process was killed: only regular files of the user's whose process is
// gone.
void removeAbandonedScratchFiles(int folder, const QString& fileName, const QString& host)
{
    const int listFd = ::dup(folder);
    if (listFd < 0)
        return;
    DIR* dir = ::fdopendir(listFd);
    if (dir == nullptr) {
        ::close(listFd);
        return;
    }
    ::rewinddir(dir);
    const QRegularExpression pattern = scratchPattern(fileName, host);
    QList<QByteArray> victims;
    while (const dirent* entry = ::readdir(dir)) {
        const QRegularExpressionMatch match = pattern.match(QFile::decodeName(entry->d_name));
        if (!match.hasMatch())
            continue;
        const long long pid = match.captured(1).toLongLong();
        struct stat info {};
        if (pid > 0 && pid != ::getpid() && ::kill(static_cast<pid_t>(pid), 0) != 0 &&
            errno == ESRCH && ::fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && info.st_uid == ::geteuid())
            victims.push_back(QByteArray(entry->d_name));
    }
    ::closedir(dir);
    for (const QByteArray& name : victims)
        ::unlinkat(folder, name.constData(), 0);
}

// The scratch files of one save; removed unless the save kept them.
class ScratchFiles {
public:
    ScratchFiles(int folder, QList<QByteArray> names) : folder_(folder), names_(std::move(names)) {}
    ~ScratchFiles()
    {
        for (const QByteArray& name : names_)
            ::unlinkat(folder_, name.constData(), 0);
    }
    ScratchFiles(const ScratchFiles&) = delete;
    ScratchFiles& operator=(const ScratchFiles&) = delete;

private:
    int folder_;
    QList<QByteArray> names_;
};

QString problemOf(const Verdict& verdict)
{
    switch (verdict.access) {
    case StoreAccess::Ours:
    case StoreAccess::Absent: return {};
    case StoreAccess::Unreadable:
        return QStringLiteral("cannot read the settings store ") + verdict.path +
               QStringLiteral(": ") + verdict.why;
    case StoreAccess::Refused:
        return QStringLiteral("refusing to use the settings store ") + verdict.path +
               QStringLiteral(": ") + verdict.why;
    }
    return {};
}

class IniFileBackend : public StoreBackend {
public:
    IniFileBackend(const QString& organization, const QString& application)
    {
        // A path of its own, not QSettings' user scope: QSettings remembers
        // the configuration folder of the first store a process opens, and
        // XDG_CONFIG_HOME should count for every store.
        QString configFolder =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        if (configFolder.isEmpty())
            configFolder = QDir::homePath() + QStringLiteral("/.config");
        folderPath_ = configFolder + u'/' + organization;
        fileName_ = application + QStringLiteral(".conf");
        verdict_.path = folderPath_ + u'/' + fileName_;
        read();
    }

    StoreAccess access() const override { return verdict_.access; }
    QString location() const override { return verdict_.path; }
    QString problem() const override { return problemOf(verdict_); }

    QVariant value(const QString& key) const override
    {
        const auto found = values_.find(key);
        return found != values_.end() ? found->second : QVariant();
    }

    void refresh() override
    {
        Place place;
        if (locate(folderPath_, fileName_, false, place).access == StoreAccess::Ours &&
            version_ == FileVersion::of(place.info))
            return;
        read();
    }

    bool write(const StoredValues& values) override;

    bool keep() override
    {
        Place place;
        const Verdict verdict = locate(folderPath_, fileName_, false, place);
        if (verdict.access != StoreAccess::Ours)
            return verdict.access == StoreAccess::Absent && values_.empty();
        return (place.info.st_mode & 077) == 0 ||
               ::fchmod(place.file.get(), S_IRUSR | S_IWUSR) == 0;
    }

    std::optional<StoreFolder> folder(QString& problem) const override
    {
        Place place;
        const Verdict verdict = locate(folderPath_, fileName_, true, place);
        if (verdict.access != StoreAccess::Ours && verdict.access != StoreAccess::Absent) {
            problem = problemOf(verdict);
            return std::nullopt;
        }
        const QString pinned = place.folder ? pinnedPath(place.folder.get()) : QString();
        if (pinned.isEmpty()) {
            problem = QStringLiteral("cannot open the folder ") + place.folderPath;
            return std::nullopt;
        }
        return StoreFolder{std::make_shared<Fd>(std::move(place.folder)), pinned, place.folderPath,
                           place.name};
    }

private:
    void read();

    QString folderPath_;
    QString fileName_;
    Verdict verdict_;
    StoredValues values_;
    FileVersion version_;
};

void IniFileBackend::read()
{
    values_.clear();
    version_ = {};
    Place place;
    verdict_ = locate(folderPath_, fileName_, false, place);
    if (verdict_.access != StoreAccess::Ours) {
        if (verdict_.access == StoreAccess::Absent)
            verdict_.path = folderPath_ + u'/' + fileName_;
        return;
    }
    // QSettings reads the file by its path; the file that it read must be
    // the one checked above, unchanged.
    const QString path = place.path();
    StoredValues values = everyValue(QSettings(path, QSettings::IniFormat));
    struct stat byPath {
    }, after{};
    if (::stat(encoded(path).constData(), &byPath) != 0 || ::fstat(place.file.get(), &after) != 0 ||
        byPath.st_dev != place.info.st_dev || byPath.st_ino != place.info.st_ino ||
        !(FileVersion::of(after) == FileVersion::of(place.info))) {
        verdict_ = {StoreAccess::Unreadable, path, QStringLiteral("it changed while it was read")};
        return;
    }
    values_ = std::move(values);
    version_ = FileVersion::of(place.info);
    verdict_.path = folderPath_ + u'/' + fileName_;
}

bool IniFileBackend::write(const StoredValues& values)
{
    Place place;
    const Verdict verdict = locate(folderPath_, fileName_, true, place);
    if (verdict.access != StoreAccess::Ours && verdict.access != StoreAccess::Absent)
        return false;
    if (!place.folder)
        return false;

    // Values of the file that this store does not write stay as they are.
    QByteArray oldBytes;
    if (place.file && !readAll(place.file.get(), oldBytes))
        return false;

    const int folder = place.folder.get();
    const QString pinned = pinnedPath(folder);
    if (pinned.isEmpty())
        return false;
    const QString host = hostTag();
    removeAbandonedScratchFiles(folder, place.name, host);

    static std::atomic<unsigned> saves{0};
    const QString scratch = place.name + QStringLiteral(".save-") + host + u'-' +
                            QString::number(::getpid()) + u'-' + QString::number(++saves);
    const QString checked = scratch + QStringLiteral("-checked");
    const QByteArray scratchName = encoded(scratch);
    const QByteArray checkedName = encoded(checked);
    const ScratchFiles cleanup(folder, {scratchName, checkedName, encoded(scratch + ".lock")});

    // Owner-only from the start; QSettings keeps the mode of a file that
    // exists when it replaces it.
    {
        const Fd fd(::openat(folder, scratchName.constData(),
                             O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                             S_IRUSR | S_IWUSR));
        if (!fd || !writeAll(fd.get(), oldBytes))
            return false;
    }
    {
        QSettings writer(pinned + u'/' + scratch, QSettings::IniFormat);
        for (const auto& [key, value] : values)
            writer.setValue(key, value);
        writer.sync();
        // A damaged old file shows as a format error; the read-back decides.
        if (writer.status() == QSettings::AccessError)
            return false;
    }

    // QSettings can report success for a write that ran out of room, its
    // file cut short or empty (QtSettingsStoreTest.
    // UnwritableStoreReportsFailureAndKeepsTheOldFile shows it under a file
    // size limit), and it remembers what it wrote under the file's name. So
    // the copy is read back from the disk under a name it has not seen, and
    // only a complete one replaces the store.
    if (::renameat(folder, scratchName.constData(), folder, checkedName.constData()) != 0)
        return false;
    StoredValues stored = everyValue(QSettings(pinned + u'/' + checked, QSettings::IniFormat));
    for (const auto& [key, value] : values) {
        const auto found = stored.find(key);
        if (found == stored.end() || !holdsExactly(found->second, value))
            return false;
    }

    const Fd copy(::openat(folder, checkedName.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    if (!copy || ::fstat(copy.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_uid != ::geteuid())
        return false;
    if ((info.st_mode & 077) != 0 && ::fchmod(copy.get(), S_IRUSR | S_IWUSR) != 0)
        return false;
    if (::fsync(copy.get()) != 0)
        return false;
    if (::renameat(folder, checkedName.constData(), folder, encoded(place.name).constData()) != 0)
        return false;
    // The rename survives a power loss only once the folder is synced.
    if (::fsync(folder) != 0)
        return false;

    if (::fstat(copy.get(), &info) == 0)
        version_ = FileVersion::of(info);
    values_ = std::move(stored);
    verdict_ = {StoreAccess::Ours, folderPath_ + u'/' + fileName_, {}};
    return true;
}

} // namespace

std::unique_ptr<StoreBackend> openStoreBackend(const QString& organization,
                                               const QString& application)
{
    return std::make_unique<IniFileBackend>(organization, application);
}
