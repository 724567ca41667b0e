#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "base/result.h"

// Plain POSIX descriptor I/O: a descriptor that closes itself, whole reads
// and writes that go on after EINTR and short counts, the system's text for
// an errno value, and the one step that replaces a file durably.

class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&& other) noexcept
    {
        std::swap(fd_, other.fd_);
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd();

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// Writes every byte; false when the descriptor took fewer.
bool writeAll(int fd, std::string_view bytes);
// Appends what is left to read; false on an error.
bool readAll(int fd, std::string& bytes);

// The system's text for an errno value, in UTF-8.
std::string reason(int error);

// Replaces the file `name` of an open folder, which the caller has checked,
// by one that holds bytes, readable and writable by its owner only, in one
// step: the bytes go to the new file `scratch` (made without following a
// link), are synced and read back, since a write that ran out of room can
// report success with the file cut short, and only then is scratch renamed
// onto name; the folder is synced too, so that the rename survives a power
// loss. The new file, still open. The scratch file is gone either way.
Result<Fd> replaceFileAt(int folder, const std::string& name, const std::string& scratch,
                         std::string_view bytes);
