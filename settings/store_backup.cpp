#include "settings/store_backup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <tuple>
#include <vector>

#include "settings/program_names.h"
#include "settings/qt_settings_store.h"
#include "settings/registry_mapping.h"
#include "settings/setting_table.h"
#include "text/qt_text.h"

namespace {

// The time in a backup's name.
QString timeTag(const QDateTime& now)
{
    return now.toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
}

// The backups' names are the stem, the time, "-N" from the second of a
// second on, and the suffix.
const QString ExportStem = QStringLiteral("tovrik-backup-");
const QString ExportSuffix = QStringLiteral(".reg");
const QString FileSuffix = QStringLiteral(".bak");

QString fileStem(const QString& storeFileName)
{
    return storeFileName + u'.';
}

// Writes bytes to a new owner-only file: the first free name of
// stem + suffix, stem-2 + suffix, ... The path as shownFolder names it.
std::optional<QString> writeNewFile(const QString& folder, const QString& shownFolder,
                                    const QString& stem, const QString& suffix,
                                    const QByteArray& bytes, std::string& error)
{
    for (int attempt = 1; attempt < 100; ++attempt) {
        const QString name =
            stem + (attempt == 1 ? QString() : u'-' + QString::number(attempt)) + suffix;
        const QString path = shownFolder + u'/' + name;
        // NewOnly makes the file with O_EXCL, which fails on any link.
        QFile copy(folder + u'/' + name);
        if (!copy.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                       QFile::ReadOwner | QFile::WriteOwner)) {
            if (QFileInfo(copy.fileName()).exists() || QFileInfo(copy.fileName()).isSymLink())
                continue;
            error = "cannot make the backup " + path.toStdString() + ": " +
                    copy.errorString().toStdString();
            return std::nullopt;
        }
        const bool written = copy.write(bytes) == bytes.size() && copy.flush();
        copy.close();
        if (!written || copy.error() != QFileDevice::NoError) {
            copy.remove();
            error = "cannot write the backup " + path.toStdString();
            return std::nullopt;
        }
        return path;
    }
    error = "too many backups named " + (shownFolder + u'/' + stem).toStdString() + "*" +
            suffix.toStdString();
    return std::nullopt;
}

std::optional<QString> backupFile(const StoreFolder& folder, const QDateTime& now,
                                  std::string& error)
{
    const QString file = folder.shownPath + u'/' + folder.fileName;
    QFile store(folder.path + u'/' + folder.fileName);
    if (!store.exists())
        return QString();
    if (!store.open(QIODevice::ReadOnly)) {
        error = "cannot read " + file.toStdString() + ": " + store.errorString().toStdString();
        return std::nullopt;
    }
    const QByteArray bytes = store.readAll();
    if (store.error() != QFileDevice::NoError) {
        error = "cannot read " + file.toStdString() + ": " + store.errorString().toStdString();
        return std::nullopt;
    }
    return writeNewFile(folder.path, folder.shownPath, fileStem(folder.fileName) + timeTag(now),
                        FileSuffix, bytes, error);
}

std::optional<QString> backupAsExport(const QtSettingsStore& store, const QDateTime& now,
                                      std::string& error)
{
    const std::vector<NamedValue> values = storedValues(store);
    if (values.empty())
        return QString();
    const std::string bytes = writeRegistryExport(settingsKeyPath(fromQ(toQ(StoreApplicationName))),
                                                  registryValues(values));
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return writeNewFile(folder, folder, ExportStem + timeTag(now), ExportSuffix,
                        QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), error);
}

// Removes the backups named stem<time>[-N]suffix in folder beyond the newest
// KeptBackups. The folder is the checked store folder, or the documents on
// a platform whose store is no file; its owner is the user.
void removeOldBackupsIn(const QString& folder, const QString& stem, const QString& suffix)
{
    const QRegularExpression name(
        QStringLiteral("^%1(\\d{4}-\\d\\d-\\d\\d-\\d{6})(?:-(\\d{1,2}))?%2$")
            .arg(QRegularExpression::escape(stem), QRegularExpression::escape(suffix)));
    const QDir dir(folder);
    const QFileInfo folderInfo(folder);
    // Newest first: by time, then by the number that a second backup within
    // the same second gets (none counts as 1).
    std::vector<std::tuple<QString, int, QString>> backups;
    for (const QString& entry : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QRegularExpressionMatch match = name.match(entry);
        if (!match.hasMatch())
            continue;
        const QString number = match.captured(2);
        backups.emplace_back(match.captured(1), number.isEmpty() ? 1 : number.toInt(), entry);
    }
    if (backups.size() <= static_cast<std::size_t>(KeptBackups))
        return;
    std::sort(backups.begin(), backups.end(), [](const auto& a, const auto& b) {
        return std::tie(std::get<0>(b), std::get<1>(b)) < std::tie(std::get<0>(a), std::get<1>(a));
    });
    for (std::size_t i = KeptBackups; i < backups.size(); ++i) {
        const QString path = dir.filePath(std::get<2>(backups[i]));
        const QFileInfo info(path);
        if (info.isSymLink() || !info.isFile() || info.ownerId() != folderInfo.ownerId())
            continue;
        QFile::remove(path);
    }
}

} // namespace

std::optional<QString> backupStore(const QtSettingsStore& store, const QDateTime& now,
                                   std::string& error)
{
    QString problem;
    if (const std::optional<StoreFolder> folder = store.folder(problem))
        return backupFile(*folder, now, error);
    if (!problem.isEmpty()) {
        error = problem.toStdString();
        return std::nullopt;
    }
    return backupAsExport(store, now, error);
}

void removeOldBackups(const QtSettingsStore& store)
{
    QString problem;
    if (const std::optional<StoreFolder> folder = store.folder(problem)) {
        removeOldBackupsIn(folder->path, fileStem(folder->fileName), FileSuffix);
        return;
    }
    if (problem.isEmpty())
        removeOldBackupsIn(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                           ExportStem, ExportSuffix);
}
