#pragma once

// One try at taking a lock file, for the window's lock (store_lock.h). One
// implementation per platform, chosen in CMake: lock_file_posix.cpp takes
// only a regular file of the user's, never waits on what it finds at the
// name, and knows a holder that has gone by its released flock(); lock_file_qt.cpp
// is QLockFile.

#include <QString>

#include <memory>

struct LockTry {
    // Holds the lock while it or a copy of it lives; the file goes with
    // the last one. Empty when the lock was not taken.
    std::shared_ptr<void> held;
    // Another process holds the lock: who, as far as its file tells (a pid
    // of 0 when it does not).
    bool busy = false;
    qint64 pid = 0;
    QString host;   // empty for this machine
    QString holder; // the holder's program name
    // Otherwise: why the lock cannot be taken, in one line after the path.
    QString why;
    bool refused = false; // something else than a lock file is at the name
};

LockTry tryLockFile(const QString& path);
