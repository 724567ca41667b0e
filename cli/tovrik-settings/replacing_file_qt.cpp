// Platforms without POSIX descriptors: QSaveFile writes a new file and
// replaces the old one in one step.
#include "cli/tovrik-settings/replacing_file.h"

#include <QFileInfo>
#include <QSaveFile>

std::optional<std::string> writeReplacingFile(const QString& path, std::string_view bytes)
{
    if (QFileInfo(path).isSymLink())
        return std::string("refused: it is a link; remove it, or choose another name");
    QSaveFile saved(path);
    if (!saved.open(QIODevice::WriteOnly))
        return "cannot write: " + saved.errorString().toStdString();
    saved.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    saved.write(bytes.data(), static_cast<qint64>(bytes.size()));
    if (!saved.commit())
        return "cannot write: " + saved.errorString().toStdString();
    return std::nullopt;
}
