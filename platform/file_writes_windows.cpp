// Writes through Qt's files on Windows, which has no descriptors to hold a
// folder by: QSaveFile writes a new file and replaces the old one in one
// step. The files' folders grant the user alone access (see
// settings/backup_folder_windows.cpp); exports go where the user says.
#include "platform/file_writes.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

Result<void> writeNewFile(const QString& path, std::string_view bytes)
{
    // NewOnly makes the file with CREATE_NEW, which fails on anything there.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner))
        return Error{file.errorString().toStdString()};
    const bool written = file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
                             static_cast<qint64>(bytes.size()) &&
                         file.flush();
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        file.remove();
        return Error{"cannot write it"};
    }
    return {};
}

Result<void> writeReplacingFile(const QString& path, std::string_view bytes)
{
    if (QFileInfo(path).isSymLink())
        return Error{"refused: it is a link; remove it, or choose another name"};
    QSaveFile saved(path);
    if (!saved.open(QIODevice::WriteOnly))
        return Error{"cannot write: " + saved.errorString().toStdString()};
    saved.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    saved.write(bytes.data(), static_cast<qint64>(bytes.size()));
    if (!saved.commit())
        return Error{"cannot write: " + saved.errorString().toStdString()};
    return {};
}
