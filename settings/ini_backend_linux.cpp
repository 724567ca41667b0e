// The store as an INI file that must be the user's own:
// <config folder>/<organization>/<application>.conf, in a checked folder
// (checked_folder_linux.h), its section read and written by ini_section.h.

#include "settings/store_backend.h"

#include <QDir>
#include <QFile>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/fd_io.h"
#include "settings/checked_folder_linux.h"
#include "settings/ini_section.h"
#include "settings/scratch_files_linux.h"
#include "settings/setting_table.h"
#include "text/qt_text.h"

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

// Far beyond any store the programs write; a larger file is not read.
constexpr off_t MaxStoreBytes = 16 * 1024 * 1024;

// The section's values by key: a text as a QString, anything else as the
// ForeignValue of its form.
StoredValues valuesOf(const IniValues& section)
{
    StoredValues values;
    for (const auto& [name, value] : section)
        values.emplace(toQ(name), value.text ? QVariant(toQ(*value.text))
                                             : QVariant::fromValue(ForeignValue{
                                                   QString::fromStdString(value.form), 0, {}}));
    return values;
}

// The file's bytes, read from the checked descriptor, and what they hold.
// Nothing, with the verdict on the file, when they cannot be read or are no
// store.
std::optional<IniValues> readStore(const Place& place, std::u16string_view section,
                                   std::string& bytes, Verdict& verdict)
{
    const QString path = place.path();
    if (place.info.st_size > MaxStoreBytes) {
        verdict = {StoreAccess::Unreadable, path,
                   QStringLiteral("it is larger than any settings store")};
        return std::nullopt;
    }
    if (::lseek(place.file.get(), 0, SEEK_SET) != 0 || !readAll(place.file.get(), bytes)) {
        verdict = unreadable(path, errno);
        return std::nullopt;
    }
    Result<IniValues> read = readIniSection(bytes, section);
    if (!read) {
        const Error& error = read.error();
        const QString where =
            error.line > 0 ? QStringLiteral("line %1: ").arg(error.line) : QString();
        verdict = {StoreAccess::Unreadable, path,
                   QStringLiteral("it is no settings store (") + where +
                       QString::fromStdString(error.message) + u')'};
        return std::nullopt;
    }
    return std::move(read.value());
}

class IniFileBackend : public StoreBackend {
public:
    explicit IniFileBackend(const StoreIdentity& identity) : section_(identity.section)
    {
        // Looked up for each store, so that XDG_CONFIG_HOME counts for every
        // store a process opens.
        fileName_ = identity.iniFileName();
        QString shown;
        QString why;
        if (const std::optional<QString> config = configFolder(shown, why)) {
            folderPath_ = *config + u'/' + identity.organization;
            storePath_ = folderPath_ + u'/' + fileName_;
            read();
        } else {
            // No path would be the right one: nothing is read or written.
            storePath_ = shown + u'/' + identity.organization + u'/' + fileName_;
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

    bool write(const StoredValues& values, bool replaceUnreadable) override;

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

    Result<std::optional<StoreFolder>> folder() const override
    {
        if (folderPath_.isEmpty())
            return Error{problemOf(verdict_, storePath_).toStdString()};
        Place place;
        const Verdict verdict = locate(folderPath_, fileName_, true, place);
        if (!mayBeUsed(verdict.access))
            return Error{problemOf(verdict, storePath_).toStdString()};
        const QString pinned = place.folder ? pinnedPath(place.folder.get()) : QString();
        if (pinned.isEmpty())
            return Error{"cannot open the folder " + place.folderPath.toStdString()};
        return std::optional(StoreFolder{std::make_shared<Fd>(std::move(place.folder)), pinned,
                                         place.folderPath, place.name});
    }

private:
    void read();
    bool readOnce();

    QString folderPath_; // empty when the configuration folder is refused
    std::u16string section_;
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
    // The bytes come from the descriptor that was checked; it must still
    // hold the same version of the file once they are read.
    std::string bytes;
    const std::optional<IniValues> section = readStore(place, section_, bytes, verdict_);
    struct stat after {};
    if (::fstat(place.file.get(), &after) != 0 ||
        !(FileVersion::of(after) == FileVersion::of(place.info))) {
        verdict_ = {StoreAccess::Unreadable, place.path(),
                    QStringLiteral("it kept changing while it was read")};
        return false;
    }
    version_ = FileVersion::of(place.info);
    if (!section)
        return true;
    values_ = valuesOf(*section);
    verdict_.path = storePath_;
    return true;
}

bool IniFileBackend::write(const StoredValues& values, bool replaceUnreadable)
{
    if (folderPath_.isEmpty())
        return false;
    Place place;
    const Verdict verdict = locate(folderPath_, fileName_, true, place);
    if (!mayBeUsed(verdict.access))
        return false;
    if (!place.folder)
        return false;

    // Everything of the file that this store does not write stays as it is;
    // a file that is no store is replaced only when the user chose so.
    std::string oldBytes;
    if (place.file) {
        Verdict fileVerdict;
        if (!readStore(place, section_, oldBytes, fileVerdict)) {
            if (!replaceUnreadable || fileVerdict.access != StoreAccess::Unreadable)
                return false;
            oldBytes.clear();
        }
    }
    std::vector<std::pair<std::u16string, std::u16string>> texts;
    for (const auto& [key, value] : values)
        texts.emplace_back(fromQ(key), fromQ(value.typeId() == QMetaType::QString
                                                 ? value.toString()
                                                 : QString::number(value.toInt())));
    const std::string newBytes = writeIniSection(oldBytes, section_, texts);
    const Result<IniValues> stored = readIniSection(newBytes, section_);
    if (!stored)
        return false;

    const int folder = place.folder.get();
    const QString host = hostTag();
    removeAbandonedScratchFiles(folder, place.name, host);
    static std::atomic<unsigned> saves{0};
    const QString scratch = place.name + QStringLiteral(".save-") + host + u'-' +
                            QString::number(::getpid()) + u'-' + QString::number(++saves);
    const Result<Fd> copy = replaceFileAt(folder, encoded(place.name).toStdString(),
                                          encoded(scratch).toStdString(), newBytes);
    if (!copy)
        return false;

    struct stat info {};
    if (::fstat(copy->get(), &info) == 0)
        version_ = FileVersion::of(info);
    values_ = valuesOf(stored.value());
    verdict_ = {StoreAccess::Ours, storePath_, {}};
    return true;
}

} // namespace

std::unique_ptr<StoreBackend> openStoreBackend(const StoreIdentity& identity)
{
    return std::make_unique<IniFileBackend>(identity);
}