#pragma once

#include <QString>
#include <QTimer>

#include <memory>

#include "base/result.h"

class UserSettingsStore;

// A running window holds a lock file beside the store, so that
// tovrik-settings does not write values that the window's next save would
// silently undo. Earlier versions' QSettings used <file>.lock, hence a name
// of our own: <file>.window-lock, in the store's checked folder. Only a regular
// file of the user's counts as the lock; anything else at its name is
// refused, never waited on.
struct WindowLockPlace {
    std::shared_ptr<void> folder; // keeps the checked folder open
    QString path;                 // for the lock itself
    QString shownPath;            // for messages
};

// The lock's place, the store's folder made (owner-only) when missing. A
// store that is no file (the registry) has its lock in the user's temporary
// folder. An error naming the path when the store's folder fails the
// store's checks.
Result<WindowLockPlace> windowLockPlace(const UserSettingsStore& store);

// Held by a window for its whole run, from before it loads the store. A
// window started while another holds the lock starts all the same, and takes
// the lock once the other has ended. tovrik-settings holds the lock only for
// one write: a window waits for that write to end (writerWaitMilliseconds at
// most), so that it loads what the write left rather than save the old
// values over it.
class WindowLock {
public:
    static constexpr int WriterWaitMilliseconds = 5000;

    // Tries again every retryMilliseconds while the lock cannot be taken.
    explicit WindowLock(WindowLockPlace place, int retryMilliseconds = 2000,
                        int writerWaitMilliseconds = WriterWaitMilliseconds);

    bool held() const { return held_ != nullptr; }

private:
    bool tryTake();

    std::shared_ptr<void> folder_;
    QString path_;
    QString shownPath_;
    std::shared_ptr<void> held_;
    QTimer retry_;
};

// The same lock for the time of one write by tovrik-settings: a token that
// holds it while it lives, or why it cannot be had. A lock left by a
// process that no longer runs is taken over.
Result<std::shared_ptr<void>> lockForWriting(const WindowLockPlace& place);
