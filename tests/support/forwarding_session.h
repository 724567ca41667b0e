#pragma once

#include <memory>
#include <utility>

#include "cli/tovrik-settings/run_settings.h"

// A store session that hands every step to another one, for tests that
// change one step of the system's session.
class ForwardingSession : public StoreSession {
public:
    explicit ForwardingSession(std::unique_ptr<StoreSession> session) : session_(std::move(session))
    {
    }
    QString location() const override { return session_->location(); }
    bool exists() const override { return session_->exists(); }
    Result<SettingsStore*> store() override { return session_->store(); }
    Result<void> lockForWriting() override { return session_->lockForWriting(); }
    Result<StoreBackup> backUp() override { return session_->backUp(); }
    void removeBackup(const QString& path) override { session_->removeBackup(path); }
    void removeOldBackups() override { session_->removeOldBackups(); }

private:
    std::unique_ptr<StoreSession> session_;
};
