// The checked folder by its descriptor's name under /proc, which only
// Linux provides.
#include "settings/checked_folder_linux.h"

#include <sys/stat.h>

namespace store_files {

QString pinnedPath(int folder)
{
    const QString path = QStringLiteral("/proc/self/fd/") + QString::number(folder);
    struct stat viaPath {
    }, viaFd{};
    if (::stat(encoded(path).constData(), &viaPath) != 0 || ::fstat(folder, &viaFd) != 0 ||
        viaPath.st_dev != viaFd.st_dev || viaPath.st_ino != viaFd.st_ino)
        return {};
    return path;
}

} // namespace store_files
