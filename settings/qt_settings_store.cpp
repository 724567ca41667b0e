#include "settings/qt_settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <atomic>
#include <cstdint>
#include <limits>
#include <optional>

#include "settings/load_save.h"

// Linux and the other non-Apple Unix systems keep the store in an INI file
// whose path this class works out itself: QSettings remembers the
// configuration folder of the first store a process opens, so a path of its
// own keeps XDG_CONFIG_HOME effective for every store.
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
#define TOVRIK_SETTINGS_INI_FILE 1
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#define TOVRIK_SETTINGS_INI_FILE 0
#endif

namespace {

QString toQString(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

QString valueKey(std::u16string_view name)
{
    return toQString(SettingsSection) + u'/' + toQString(name);
}

std::optional<std::int32_t> inInt32Range(long long value)
{
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

// An INI file holds every value as text, the registry integers as
// REG_DWORD (read as int) or REG_QWORD. Anything that is not a whole
// number within 32 bits counts as absent; QVariant::toInt would wrap it.
std::optional<std::int32_t> toInt32(const QVariant& value)
{
    bool ok = false;
    long long number = 0;
    switch (value.typeId()) {
    case QMetaType::Int: return value.toInt();
    case QMetaType::LongLong: return inInt32Range(value.toLongLong());
    case QMetaType::ULongLong: {
        const qulonglong unsignedNumber = value.toULongLong();
        if (unsignedNumber > static_cast<qulonglong>(std::numeric_limits<std::int32_t>::max()))
            return std::nullopt;
        return static_cast<std::int32_t>(unsignedNumber);
    }
    case QMetaType::QString: number = value.toString().trimmed().toLongLong(&ok, 10); break;
    default: return std::nullopt;
    }
    return ok ? inInt32Range(number) : std::nullopt;
}

std::optional<QString> toText(const QVariant& value)
{
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

#if TOVRIK_SETTINGS_INI_FILE

// Makes the folder and any missing parent, each open to the owner only.
// Folders that exist keep their mode.
bool makeOwnerOnlyFolders(const QByteArray& folder)
{
    struct stat info;
    if (::stat(folder.constData(), &info) == 0)
        return S_ISDIR(info.st_mode);
    const qsizetype slash = folder.lastIndexOf('/');
    if (slash > 0 && !makeOwnerOnlyFolders(folder.left(slash)))
        return false;
    return ::mkdir(folder.constData(), S_IRWXU) == 0 || errno == EEXIST;
}

// Creates the file, readable and writable by the owner only, holding the
// bytes; false unless every byte was written.
bool writeNewOwnerOnlyFile(const QString& path, const QByteArray& bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0)
        return false;
    const char* next = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, next, static_cast<std::size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            break;
        next += written;
        left -= written;
    }
    return ::close(fd) == 0 && left == 0;
}

// The scratch files of one flush; removed unless the flush kept them.
class ScratchFiles {
public:
    explicit ScratchFiles(QStringList paths) : paths_(std::move(paths)) {}
    ~ScratchFiles()
    {
        for (const QString& path : paths_)
            QFile::remove(path);
    }
    ScratchFiles(const ScratchFiles&) = delete;
    ScratchFiles& operator=(const ScratchFiles&) = delete;

private:
    QStringList paths_;
};

// Scratch files are named <file>.save-<process id>-...; those of a process
// that no longer runs were left by a crash or a kill.
void removeAbandonedScratchFiles(const QString& folder, const QString& prefix)
{
    const QStringList names =
        QDir(folder).entryList({prefix + u'*'}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        bool ok = false;
        const long long pid = name.mid(prefix.size()).section(u'-', 0, 0).toLongLong(&ok);
        if (ok && pid > 0 && pid != ::getpid() && ::kill(static_cast<pid_t>(pid), 0) != 0 &&
            errno == ESRCH)
            QFile::remove(folder + u'/' + name);
    }
}

// A rename survives a power loss only once its folder is synced.
void syncFolder(const QString& folder)
{
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

#endif

} // namespace

QtSettingsStore::QtSettingsStore(const QString& organization, const QString& application)
    : organization_(organization), application_(application)
{
#if TOVRIK_SETTINGS_INI_FILE
    QString configFolder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (configFolder.isEmpty())
        configFolder = QDir::homePath() + QStringLiteral("/.config");
    filePath_ = configFolder + u'/' + organization_ + u'/' + application_ + QStringLiteral(".conf");
    reader_ = std::make_unique<QSettings>(filePath_, QSettings::IniFormat);
#else
    reader_ = openNative();
#endif
}

QtSettingsStore::~QtSettingsStore() = default;

std::unique_ptr<QSettings> QtSettingsStore::openNative() const
{
    auto settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                organization_, application_);
    // Only this program's own values: no organization-wide or system-wide
    // keys mixed in.
    settings->setFallbacksEnabled(false);
    return settings;
}

QVariant QtSettingsStore::read(std::u16string_view name) const
{
    const QString key = valueKey(name);
    const auto found = written_.find(key);
    return found != written_.end() ? found->second : reader_->value(key);
}

std::u16string QtSettingsStore::readText(std::u16string_view name,
                                         std::u16string_view fallback) const
{
    const std::optional<QString> text = toText(read(name));
    return text ? text->toStdU16String() : std::u16string(fallback);
}

std::int32_t QtSettingsStore::readInt(std::u16string_view name, std::int32_t fallback) const
{
    return toInt32(read(name)).value_or(fallback);
}

void QtSettingsStore::writeText(std::u16string_view name, std::u16string_view value)
{
    written_[valueKey(name)] = toQString(value);
    unflushed_ = true;
}

void QtSettingsStore::writeInt(std::u16string_view name, std::int32_t value)
{
    written_[valueKey(name)] = QVariant(static_cast<int>(value));
    unflushed_ = true;
}

bool QtSettingsStore::flush()
{
    if (!unflushed_)
        return true;
#if TOVRIK_SETTINGS_INI_FILE
    const bool stored = flushIniFile();
#else
    const bool stored = flushNative();
#endif
    if (stored)
        unflushed_ = false;
    return stored;
}

bool QtSettingsStore::flushNative()
{
    // QSettings keeps the first error it meets: a damaged store that it
    // reads back during the sync reports a format error and hides the
    // outcome of the write. The sync has then rewritten the store if it
    // could, and a second one tells whether the values are stored.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const std::unique_ptr<QSettings> writer = openNative();
        for (const auto& [key, value] : written_)
            writer->setValue(key, value);
        writer->sync();
        if (writer->status() == QSettings::NoError)
            return true;
        if (writer->status() != QSettings::FormatError)
            return false;
    }
    return false;
}

bool QtSettingsStore::flushIniFile()
{
#if TOVRIK_SETTINGS_INI_FILE
    // A store that the user made a link to another file is written there.
    QString target = filePath_;
    if (const QFileInfo link(filePath_); link.isSymLink() && !link.canonicalFilePath().isEmpty())
        target = link.canonicalFilePath();
    const QFileInfo targetInfo(target);
    const QString folder = targetInfo.absolutePath();
    if (!makeOwnerOnlyFolders(QFile::encodeName(folder)))
        return false;
    const QString prefix = targetInfo.fileName() + QStringLiteral(".save-");
    removeAbandonedScratchFiles(folder, prefix);

    // Values of the file that this store does not write stay as they are.
    QByteArray oldBytes;
    if (QFile old(target); old.exists()) {
        if (!old.open(QIODevice::ReadOnly))
            return false;
        oldBytes = old.readAll();
        if (old.error() != QFileDevice::NoError)
            return false;
    }

    static std::atomic<unsigned> flushes{0};
    const QString scratch =
        folder + u'/' + prefix + QString::number(::getpid()) + u'-' + QString::number(++flushes);
    const QString checked = scratch + QStringLiteral("-checked");
    const ScratchFiles cleanup({scratch, checked, scratch + QStringLiteral(".lock")});

    // Owner-only from the start; QSettings keeps the mode of a file that
    // exists when it replaces it.
    if (!writeNewOwnerOnlyFile(scratch, oldBytes))
        return false;
    {
        QSettings writer(scratch, QSettings::IniFormat);
        for (const auto& [key, value] : written_)
            writer.setValue(key, value);
        writer.sync();
        // A damaged old file shows as a format error; the read-back decides.
        if (writer.status() == QSettings::AccessError)
            return false;
    }

    // QSettings (Qt 6.4) can report success for a write that ran out of
    // room, its file cut short or empty, and it remembers what it wrote
    // under the file's name. So the copy is read back from the disk under a
    // name it has not seen, and only a complete one replaces the store.
    if (::rename(QFile::encodeName(scratch).constData(), QFile::encodeName(checked).constData()) !=
        0)
        return false;
    {
        const QSettings reread(checked, QSettings::IniFormat);
        for (const auto& [key, value] : written_) {
            const QVariant back = reread.value(key);
            const bool same = value.typeId() == QMetaType::QString
                                  ? toText(back) == value.toString()
                                  : toInt32(back) == std::optional<std::int32_t>(value.toInt());
            if (!same)
                return false;
        }
    }
    if (::rename(QFile::encodeName(checked).constData(), QFile::encodeName(target).constData()) !=
        0)
        return false;
    syncFolder(folder);
    return true;
#else
    return false;
#endif
}

QString QtSettingsStore::location() const
{
    return filePath_.isEmpty() ? reader_->fileName() : filePath_;
}
