#include "settings/store_backup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <tuple>
#include <vector>

#include "platform/file_writes.h"
#include "settings/backup_folder.h"
#include "settings/ini_section.h"
#include "settings/registry_mapping.h"
#include "settings/setting_table.h"
#include "settings/user_settings_store.h"
#include "text/qt_text.h"
#include "text/utf16le.h"

namespace {

using namespace std::string_literals;

// The backups' names: the stem, the number, "-", the time, the suffix. The
// stores of windows with other executable names share the backup folder of
// the registry's stores, so there the stem names the program, in the one
// case the registry gives all its spellings.
const QString ExportStemTail = QStringLiteral("-backup-");
const QString ExportSuffix = QStringLiteral(".reg");
const QString FileSuffix = QStringLiteral(".bak");
constexpr int NumberDigits = 6;

// Where the backups of a store go, and how they are named.
struct BackupPlace {
    std::shared_ptr<void> hold; // keeps a checked folder open
    QString folder;             // for file operations
    QString shownFolder;        // for messages
    QString stem;
    QString suffix;
    bool isExport = false; // registry exports, not copies of a file
};

Result<BackupPlace> placeOf(const UserSettingsStore& store)
{
    const Result<std::optional<StoreFolder>> folder = store.folder();
    if (!folder)
        return folder.error();
    if (const std::optional<StoreFolder>& beside = folder.value())
        return BackupPlace{beside->hold, beside->path, beside->shownPath, beside->fileName + u'.',
                           FileSuffix,   false};
    const Result<QString> own = privateBackupFolder(store.identity().organization);
    if (!own)
        return own.error();
    return BackupPlace{nullptr,
                       own.value(),
                       QDir::toNativeSeparators(own.value()),
                       store.identity().application.toLower() + ExportStemTail,
                       ExportSuffix,
                       true};
}

// A backup's name, and its place in the order of making.
struct BackupName {
    QString name;
    bool numbered = false; // the names of earlier versions have no number
    qint64 number = 0;
    QString time;
    int second = 0; // earlier versions: 2, 3, ... for more backups within a second

    auto order() const { return std::tie(numbered, number, time, second); }
};

// The backups in the folder, newest first.
std::vector<BackupName> backupsIn(const BackupPlace& place)
{
    const QString stem = QRegularExpression::escape(place.stem);
    const QString suffix = QRegularExpression::escape(place.suffix);
    const QRegularExpression numbered(
        QStringLiteral("^%1(\\d{%3,18})-(\\d{4}-\\d\\d-\\d\\d-\\d{6})%2$")
            .arg(stem, suffix)
            .arg(NumberDigits));
    const QRegularExpression earlier(
        QStringLiteral("^%1(\\d{4}-\\d\\d-\\d\\d-\\d{6})(?:-(\\d{1,2}))?%2$").arg(stem, suffix));
    std::vector<BackupName> backups;
    for (const QString& entry :
         QDir(place.folder).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (const QRegularExpressionMatch match = numbered.match(entry); match.hasMatch()) {
            backups.push_back({entry, true, match.captured(1).toLongLong(), match.captured(2), 0});
        } else if (const QRegularExpressionMatch old = earlier.match(entry); old.hasMatch()) {
            const QString second = old.captured(2);
            backups.push_back(
                {entry, false, 0, old.captured(1), second.isEmpty() ? 1 : second.toInt()});
        }
    }
    std::sort(backups.begin(), backups.end(),
              [](const BackupName& a, const BackupName& b) { return b.order() < a.order(); });
    return backups;
}

// The file's bytes, or why they cannot be read.
Result<QByteArray> bytesOf(const QString& path)
{
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError)
        return Error{file.errorString().toStdString()};
    return bytes;
}

// The lines of the values that the export writer leaves out, as the
// registry editor writes data of other types: "name"=hex(type):bytes.
std::string otherDataLines(const std::vector<std::pair<std::u16string, ForeignValue>>& values)
{
    std::string lines;
    for (const auto& [name, value] : values) {
        QString line = u'"' + toQ(name) + u'"' + u'=';
        line += value.registryType == 3 ? QStringLiteral("hex:")
                                        : QStringLiteral("hex(%1):").arg(value.registryType, 0, 16);
        line += QString::fromLatin1(value.bytes.toHex(','));
        appendUtf16Le(lines, fromQ(line + QStringLiteral("\r\n")));
    }
    return lines;
}

// The store as a registry export: every value of the window's names that it
// holds, in the order of a save, wrong-typed ones as their own type.
QByteArray exportOf(const UserSettingsStore& store)
{
    std::vector<NamedValue> values;
    std::vector<std::pair<std::u16string, ForeignValue>> others;
    for (const StoredName& stored : storedNames()) {
        const QVariant value = store.heldValue(stored.name);
        if (value.typeId() == QMetaType::QString)
            values.push_back({stored.name, fromQ(value.toString())});
        else if (value.typeId() == QMetaType::Int)
            values.push_back({stored.name, static_cast<std::int32_t>(value.toInt())});
        else if (value.typeId() == qMetaTypeId<ForeignValue>())
            others.emplace_back(stored.name, value.value<ForeignValue>());
    }
    if (values.empty() && others.empty())
        return {};
    std::string bytes =
        writeRegistryExport(store.identity().settingsKeyPath(), registryValues(values));
    // Before the blank line that ends the file.
    const std::string end = "\r\0\n\0"s;
    bytes.insert(bytes.size() - end.size(), otherDataLines(others));
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// The owner key that the window would read from a backup's bytes; nothing
// when they cannot be read.
std::optional<std::u16string> ownerKeyIn(const QByteArray& bytes, bool isExport,
                                         const StoreIdentity& identity)
{
    const std::u16string keyName = settingName(Setting::OwnerKey);
    const std::string_view view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (!isExport) {
        const Result<IniValues> values = readIniSection(view, identity.section);
        if (!values)
            return std::nullopt;
        const auto found = values->find(keyName);
        if (found == values->end())
            return std::u16string();
        return found->second.text;
    }
    Result<RegistryExport> parsed = parseSettingsExport(view);
    if (!parsed)
        return std::nullopt;
    const Result<SectionImport> import = sectionImport(std::move(parsed->sections), std::nullopt);
    if (!import)
        return std::nullopt;
    const auto found = import->values.find(keyName);
    if (found == import->values.end() || !found->second)
        return std::u16string();
    return std::get<std::u16string>(*found->second);
}

// Writes bytes to a new owner-only file, the first free name from the
// number on. The path as the shown folder names it.
Result<QString> writeNewBackup(const BackupPlace& place, qint64 number, const QDateTime& now,
                               const QByteArray& bytes)
{
    const QString time = now.toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    for (int attempt = 0; attempt < 100; ++attempt, ++number) {
        const QString name = place.stem +
                             QStringLiteral("%1").arg(number, NumberDigits, 10, QLatin1Char('0')) +
                             u'-' + time + place.suffix;
        const QString path = place.folder + u'/' + name;
        const Result<void> written =
            writeNewFile(path, std::string_view(bytes.constData(), bytes.size()));
        if (written)
            return place.shownFolder + QDir::separator() + name;
        // Taken meanwhile, by a file or a link: the next number.
        if (QFileInfo(path).exists() || QFileInfo(path).isSymLink())
            continue;
        return Error{"cannot make the backup " +
                     (place.shownFolder + QDir::separator() + name).toStdString() + ": " +
                     written.error().message};
    }
    return Error{"too many backups named " +
                 (place.shownFolder + QDir::separator() + place.stem).toStdString() + "*" +
                 place.suffix.toStdString()};
}

} // namespace

Result<StoreBackup> backupStore(const UserSettingsStore& store, const QDateTime& now)
{
    const Result<BackupPlace> place = placeOf(store);
    if (!place)
        return place.error();
    QByteArray bytes;
    if (place->isExport) {
        bytes = exportOf(store);
        if (bytes.isEmpty())
            return StoreBackup{};
    } else {
        // The stem is the store file's name and a dot.
        const QString file = place->stem.chopped(1);
        if (!QFileInfo::exists(place->folder + u'/' + file))
            return StoreBackup{};
        Result<QByteArray> read = bytesOf(place->folder + u'/' + file);
        if (!read)
            return Error{"cannot read " + (place->shownFolder + u'/' + file).toStdString() + ": " +
                         read.error().message};
        bytes = std::move(read.value());
    }

    const std::vector<BackupName> backups = backupsIn(*place);
    if (!backups.empty()) {
        const Result<QByteArray> newest = bytesOf(place->folder + u'/' + backups.front().name);
        if (newest && newest.value() == bytes)
            return StoreBackup{place->shownFolder + QDir::separator() + backups.front().name,
                               false};
    }
    qint64 number = 1;
    for (const BackupName& backup : backups)
        number = std::max(number, backup.number + 1);
    Result<QString> path = writeNewBackup(*place, number, now, bytes);
    if (!path)
        return path.error();
    return StoreBackup{std::move(path.value()), true};
}

void removeOldBackups(const UserSettingsStore& store)
{
    const Result<BackupPlace> place = placeOf(store);
    if (!place)
        return; // no backups where they would be
    const std::vector<BackupName> backups = backupsIn(*place);
    if (backups.size() <= static_cast<std::size_t>(KeptBackups))
        return;
    const std::optional<std::u16string> storeKey = store.readText(settingName(Setting::OwnerKey));
    const QFileInfo folderInfo(place->folder);
    bool otherKeyKept = false;
    for (std::size_t i = 0; i < backups.size(); ++i) {
        const QString path = place->folder + u'/' + backups[i].name;
        if (!otherKeyKept) {
            const Result<QByteArray> bytes = bytesOf(path);
            const std::optional<std::u16string> key =
                bytes ? ownerKeyIn(bytes.value(), place->isExport, store.identity()) : std::nullopt;
            // A backup whose key cannot be read may hold another one.
            otherKeyKept = !key || !storeKey || *key != *storeKey;
            if (otherKeyKept)
                continue;
        }
        if (i < static_cast<std::size_t>(KeptBackups))
            continue;
        const QFileInfo info(path);
        if (info.isSymLink() || !info.isFile() || info.ownerId() != folderInfo.ownerId())
            continue;
        QFile::remove(path);
    }
}
