#pragma once

#include <QString>

#include <string_view>

#include "base/result.h"

// Files that hold the owner key (the store, its backups, an export) are
// written so that nobody else can read them, no link at their name is
// followed, and no crash or full disk leaves one cut short in place: the
// bytes are synced to the disk and read back before they count. One
// implementation per platform, chosen in CMake: file_writes_posix.cpp,
// file_writes_windows.cpp (Qt's files).

// Makes the new file path, readable and writable by its owner only, holding
// bytes. Whatever is at the name already, a link included, makes it fail.
Result<void> writeNewFile(const QString& path, std::string_view bytes);

// Replaces the file path by one that holds bytes, readable and writable by
// its owner only, in one step. A link at the name is replaced, never
// written through, and one that another user made is refused (in a shared
// folder such as /tmp it may have been planted); so are a folder, a FIFO
// and a device. The error says what went wrong, without the path.
Result<void> writeReplacingFile(const QString& path, std::string_view bytes);
