#include "settings/store_backup.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

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
    return writeNewFile(folder.path, folder.shownPath, folder.fileName + u'.' + timeTag(now),
                        QStringLiteral(".bak"), bytes, error);
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
    return writeNewFile(folder, folder, QStringLiteral("tovrik-backup-") + timeTag(now),
                        QStringLiteral(".reg"),
                        QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), error);
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
