#pragma once

#include <QLockFile>
#include <QString>
#include <QTimer>

#include <memory>
#include <string>

class QtSettingsStore;

// A running window holds a lock file beside the store, so that
// tovrik-settings does not write values that the window's next save would
// silently undo. QSettings uses <file>.lock for itself, hence a name of our
// own: <file>.window-lock.
QString windowLockPath(const QtSettingsStore& store);

// Held by a window for its whole run, from before it loads the store. A
// window started while another holds the lock starts all the same, and takes
// the lock once the other has ended. Makes the store's folder (owner-only)
// when it does not exist yet.
class WindowLock {
public:
    // Tries again every retryMilliseconds while another holds the lock.
    explicit WindowLock(const QString& path, int retryMilliseconds = 2000);

    bool held() const { return file_.isLocked(); }

private:
    bool tryTake();

    QLockFile file_;
    QTimer retry_;
};

// The same lock for the time of one write by tovrik-settings: a token that
// holds it while it lives, or nothing with the reason in why. A lock left
// by a process that no longer runs is taken over. The store's folder is
// made (owner-only) when it does not exist yet.
std::shared_ptr<void> lockForWriting(const QString& path, std::string& why);
