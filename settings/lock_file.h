#pragma once

// One try at taking a lock file, for the window's lock (store_lock.h). One
// implementation per platform, chosen in CMake: lock_file_linux.cpp takes
// only a regular file of the user's, never waits on what it finds at the
// name, and knows a holder that has gone by its released flock();
// lock_file_qt.cpp is QLockFile.

#include <QString>

#include <memory>

#include "base/result.h"

// Who holds a lock file, as far as its file tells.
struct LockHolder {
    qint64 pid = 0;  // 0 when the file does not tell
    QString host;    // empty for this machine
    QString program; // the holder's program name
};

// The lock taken, or who holds it.
struct LockTry {
    // Holds the lock while it or a copy of it lives; the file goes with
    // the last one. Empty when another process holds the lock.
    std::shared_ptr<void> held;
    LockHolder holder; // when another process holds it
};

// The lock at path, named shownPath in messages. An error when it cannot be
// taken at all: "cannot make the lock file <shownPath>: <reason>", or
// "refusing to use the lock file <shownPath>: ..." when something else than
// a lock file is at the name.
Result<LockTry> tryLockFile(const QString& path, const QString& shownPath);
