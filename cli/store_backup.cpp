#include "cli/store_backup.h"

#include <QFile>
#include <QFileInfo>

std::optional<QString> backupStoreFile(const StoreFolder& folder, const QDateTime& now,
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

    const QString stem = folder.fileName + u'.' + now.toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    for (int attempt = 1; attempt < 100; ++attempt) {
        const QString name = stem + (attempt == 1 ? QString() : u'-' + QString::number(attempt)) +
                             QStringLiteral(".bak");
        const QString path = folder.shownPath + u'/' + name;
        // NewOnly makes the file with O_EXCL, which fails on any link.
        QFile copy(folder.path + u'/' + name);
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
    error = "too many backups named " + (folder.shownPath + u'/' + stem).toStdString() + "*.bak";
    return std::nullopt;
}
