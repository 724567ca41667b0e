#include "platform/fd_io.h"

#include <QString>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Fd::~Fd()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool readAll(int fd, std::string& bytes)
{
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

std::string reason(int error)
{
    // The window runs in the user's locale, whose encoding the text is in.
    return QString::fromLocal8Bit(std::strerror(error)).toStdString();
}

namespace {

// A new owner-only file in the folder holding bytes, synced; removed again
// when that fails.
Result<Fd> newFileAt(int folder, const std::string& name, std::string_view bytes)
{
    Fd file(::openat(folder, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                     S_IRUSR | S_IWUSR));
    if (!file)
        return Error{errno == EEXIST ? "it exists already" : "cannot make it: " + reason(errno)};
    // Owner-only whatever the umask: the file holds the owner key.
    if (::fchmod(file.get(), S_IRUSR | S_IWUSR) != 0 || !writeAll(file.get(), bytes) ||
        ::fsync(file.get()) != 0) {
        const int error = errno;
        ::unlinkat(folder, name.c_str(), 0);
        return Error{"cannot write it: " + reason(error)};
    }
    return file;
}

} // namespace

Result<Fd> replaceFileAt(int folder, const std::string& name, const std::string& scratch,
                         std::string_view bytes)
{
    Result<Fd> made = newFileAt(folder, scratch, bytes);
    if (!made)
        return made;
    const Fd& file = made.value();
    const auto discard = [&](const std::string& what, int error) {
        ::unlinkat(folder, scratch.c_str(), 0);
        return Error{what + reason(error)};
    };
    std::string readBack;
    if (::lseek(file.get(), 0, SEEK_SET) != 0 || !readAll(file.get(), readBack))
        return discard("cannot read it back: ", errno);
    if (readBack != bytes)
        return discard("it was not written whole: ", EIO);
    if (::renameat(folder, scratch.c_str(), folder, name.c_str()) != 0)
        return discard("cannot replace it: ", errno);
    if (::fsync(folder) != 0)
        return Error{"cannot sync its folder: " + reason(errno)};
    return made;
}
