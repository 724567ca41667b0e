// The file is made under a new name in the same folder, opened with
// O_CREAT|O_EXCL|O_NOFOLLOW so that no link is followed, and renamed onto
// its name; rename replaces a link rather than its target.
#include "cli/tovrik-settings/replacing_file.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/fd_io.h"

namespace {

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

std::string reason(int error)
{
    return std::strerror(error);
}

} // namespace

std::optional<std::string> writeReplacingFile(const QString& path, std::string_view bytes)
{
    const QFileInfo info(path);
    const QByteArray name = QFile::encodeName(info.fileName());
    if (name.isEmpty() || name == "." || name == ".." || path.endsWith(u'/'))
        return std::string("not a file name");
    const Fd folder(
        ::open(QFile::encodeName(info.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0)
        return "cannot open its folder: " + reason(errno);

    struct stat existing {};
    if (::fstatat(folder.get(), name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(existing.st_mode) && existing.st_uid != ::geteuid())
            return std::string("refused: it is a link that another user made; remove it, or "
                               "choose another name");
        if (S_ISDIR(existing.st_mode))
            return std::string("refused: it is a folder");
        if (!S_ISLNK(existing.st_mode) && !S_ISREG(existing.st_mode))
            return std::string("refused: it is not a regular file");
    } else if (errno != ENOENT) {
        return "cannot look at it: " + reason(errno);
    }

    QByteArray scratch;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
        scratch = '.' + name + '.' +
                  QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".part";
        fd = ::openat(folder.get(), scratch.constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            return "cannot make a file in its folder: " + reason(errno);
    }
    if (fd < 0)
        return std::string("cannot make a file in its folder");
    const Fd file(fd);
    const auto discard = [&](std::string why) {
        ::unlinkat(folder.get(), scratch.constData(), 0);
        return std::optional<std::string>(std::move(why));
    };
    // 0600 whatever the umask; the file holds the owner key.
    if (::fchmod(file.get(), S_IRUSR | S_IWUSR) != 0 || !writeAll(file.get(), bytes) ||
        ::fsync(file.get()) != 0)
        return discard("cannot write: " + reason(errno));
    if (::renameat(folder.get(), scratch.constData(), folder.get(), name.constData()) != 0)
        return discard("cannot replace it: " + reason(errno));
    ::fsync(folder.get());
    return std::nullopt;
}
