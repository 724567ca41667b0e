#pragma once

#include <string>
#include <string_view>

// Whole reads and writes on a POSIX file descriptor, going on after EINTR
// and short counts.

// Writes every byte; false when the descriptor took fewer.
bool writeAll(int fd, std::string_view bytes);
// Appends what is left to read; false on an error.
bool readAll(int fd, std::string& bytes);
