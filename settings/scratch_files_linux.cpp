#include "settings/scratch_files_linux.h"

#include <QFile>
#include <QRegularExpression>
#include <QSysInfo>

#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace store_files {

namespace {

// The names of this host's scratch files of the store file.
QRegularExpression scratchPattern(const QString& fileName, const QString& host)
{
    return QRegularExpression(QStringLiteral("\\A") + QRegularExpression::escape(fileName) +
                              QStringLiteral("\\.save-") + QRegularExpression::escape(host) +
                              QStringLiteral("-([0-9]{1,10})-[0-9]{1,10}"
                                             "(?:-checked|\\.lock|\\.[A-Za-z0-9]{6})?\\z"));
}

} // namespace

// The host name as it may appear in a file name.
QString hostTag()
{
    QString host = QSysInfo::machineHostName();
    for (QChar& c : host)
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != u'-' && c != u'.' && c != u'_')
            c = u'_';
    return host.isEmpty() ? QStringLiteral("host") : host;
}

void removeAbandonedScratchFiles(int folder, const QString& fileName, const QString& host)
{
    const int listFd = ::dup(folder);
    if (listFd < 0)
        return;
    DIR* dir = ::fdopendir(listFd);
    if (dir == nullptr) {
        ::close(listFd);
        return;
    }
    ::rewinddir(dir);
    const QRegularExpression pattern = scratchPattern(fileName, host);
    QList<QByteArray> victims;
    while (const dirent* entry = ::readdir(dir)) {
        const QRegularExpressionMatch match = pattern.match(QFile::decodeName(entry->d_name));
        if (!match.hasMatch())
            continue;
        const long long pid = match.captured(1).toLongLong();
        struct stat info {};
        if (pid > 0 && pid != ::getpid() && ::kill(static_cast<pid_t>(pid), 0) != 0 &&
            errno == ESRCH && ::fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && info.st_uid == ::geteuid())
            victims.push_back(QByteArray(entry->d_name));
    }
    ::closedir(dir);
    for (const QByteArray& name : victims)
        ::unlinkat(folder, name.constData(), 0);
}

} // namespace store_files
