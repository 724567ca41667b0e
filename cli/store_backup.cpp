#include "cli/store_backup.h"

#include <QFile>

std::optional<QString> backupStoreFile(const QString& file, const QDateTime& now,
                                       std::string& error)
{
    QFile store(file);
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

    const QString stem = file + u'.' + now.toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    for (int attempt = 1; attempt < 100; ++attempt) {
        const QString path = stem + (attempt == 1 ? QString() : u'-' + QString::number(attempt)) +
                             QStringLiteral(".bak");
        QFile copy(path);
        if (!copy.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                       QFile::ReadOwner | QFile::WriteOwner)) {
            if (QFile::exists(path))
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
    error = "too many backups named " + stem.toStdString() + "*.bak";
    return std::nullopt;
}
