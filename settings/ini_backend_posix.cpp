// The store as an INI file that must be the user's own:
// <config folder>/<organization>/<application>.conf, in a checked folder
// (checked_folder_posix.h).

#include "settings/store_backend.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/fd_io.h"
#include "settings/checked_folder_posix.h"
#include "settings/scratch_files_posix.h"
#include "settings/variant_value.h"

namespace {

using namespace store_files;

// The configuration folder as the XDG rules have it: XDG_CONFIG_HOME when
// it is an absolute path (a relative one is ignored), ~/.config otherwise.
// Nothing, with the reason, when the value in use is not valid in the
// locale's encoding: its decoded name would be another folder's.
std::optional<QString> configFolder(QString& shown, QString& why)
{
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    if (configHome.startsWith('/')) {
        shown = QStringLiteral("$XDG_CONFIG_HOME");
        std::optional<QString> folder = decodedName(configHome);
        if (!folder)
            why = QStringLiteral("XDG_CONFIG_HOME is not valid in the locale's encoding");
        return folder;
    }
    shown = QStringLiteral("~/.config");
    if (!decodedName(qgetenv("HOME"))) {
        why = QStringLiteral("HOME is not valid in the locale's encoding");
        return std::nullopt;
    }
    return QDir::homePath() + QStringLiteral("/.config");
}

StoredValues everyValue(const QSettings& settings)
{
    StoredValues values;
    for (const QString& key : settings.allKeys())
        values.emplace(key, settings.value(key));
    return values;
}

class IniFileBackend : public StoreBackend {
public:
    IniFileBackend(const QString& organization, const QString& application)
    {
        // A path of its own, not QSettings' user scope: QSettings remembers
        // the configuration folder of the first store a process opens, and
        // XDG_CONFIG_HOME should count for every store.
        fileName_ = application + QStringLiteral(".conf");
        QString shown;
        QString why;
        if (const std::optional<QString> config = configFolder(shown, why)) {
            folderPath_ = *config + u'/' + organization;
            storePath_ = folderPath_ + u'/' + fileName_;
            read();
        } else {
            // No path would be the right one: nothing is read or written.
            storePath_ = shown + u'/' + organization + u'/' + fileName_;
            verdict_ = refused(storePath_, why);
        }
    }

    StoreAccess access() const override { return verdict_.access; }
    QString location() const override { return verdict_.path; }
    QString problem() const override { return problemOf(verdict_, storePath_); }

    QVariant value(const QString& key) const override
    {
        const auto found = values_.find(key);
        return found != values_.end() ? found->second : QVariant();
    }

    void refresh() override
    {
        if (folderPath_.isEmpty())
            return;
        Place place;
        if (locate(folderPath_, fileName_, false, place).access == StoreAccess::Ours &&
            version_ == FileVersion::of(place.info))
            return;
        read();
    }

    bool write(const StoredValues& values) override;

    bool keep() override
    {
        if (folderPath_.isEmpty())
            return false;
        Place place;
        const Verdict verdict = locate(folderPath_, fileName_, false, place);
        if (verdict.access != StoreAccess::Ours)
            return verdict.access == StoreAccess::Absent && values_.empty();
        return (place.info.st_mode & 077) == 0 ||
               ::fchmod(place.file.get(), S_IRUSR | S_IWUSR) == 0;
    }

    std::optional<StoreFolder> folder(QString& problem) const override
    {
        if (folderPath_.isEmpty()) {
            problem = problemOf(verdict_, storePath_);
            return std::nullopt;
        }
        Place place;
        const Verdict verdict = locate(folderPath_, fileName_, true, place);
        if (verdict.access != StoreAccess::Ours && verdict.access != StoreAccess::Absent) {
            problem = problemOf(verdict, storePath_);
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
    bool readOnce();

    QString folderPath_; // empty when the configuration folder is refused
    QString fileName_;
    QString storePath_; // the store file as the user knows it
    Verdict verdict_;
    StoredValues values_;
    FileVersion version_;
};

void IniFileBackend::read()
{
    // Another program may replace the file by a save while it is read, and
    // another window may save at any time: a file that changed is read again
    // before it counts as unreadable.
    constexpr int Attempts = 6;
    for (int attempt = 1; !readOnce() && attempt < Attempts; ++attempt)
        std::this_thread::sleep_for(std::chrono::milliseconds(5 << (attempt - 1)));
}

// One read of the file; false when it changed while it was read.
bool IniFileBackend::readOnce()
{
    values_.clear();
    version_ = {};
    Place place;
    verdict_ = locate(folderPath_, fileName_, false, place);
    if (verdict_.access != StoreAccess::Ours) {
        if (verdict_.access == StoreAccess::Absent)
            verdict_.path = storePath_;
        return true;
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
        verdict_ = {StoreAccess::Unreadable, path,
                    QStringLiteral("it kept changing while it was read")};
        return false;
    }
    values_ = std::move(values);
    version_ = FileVersion::of(place.info);
    verdict_.path = storePath_;
    return true;
}

bool IniFileBackend::write(const StoredValues& values)
{
    if (folderPath_.isEmpty())
        return false;
    Place place;
    const Verdict verdict = locate(folderPath_, fileName_, true, place);
    if (verdict.access != StoreAccess::Ours && verdict.access != StoreAccess::Absent)
        return false;
    if (!place.folder)
        return false;

    // Values of the file that this store does not write stay as they are.
    std::string oldBytes;
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
    verdict_ = {StoreAccess::Ours, storePath_, {}};
    return true;
}

} // namespace

std::unique_ptr<StoreBackend> openStoreBackend(const QString& organization,
                                               const QString& application)
{
    return std::make_unique<IniFileBackend>(organization, application);
}