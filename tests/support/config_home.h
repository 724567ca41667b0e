#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Sets an environment variable while it lives, and puts back what was
// there, unset included.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value)
        : name_(name), wasSet_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name))
    {
        qputenv(name_, value);
    }
    ~ScopedEnvironment()
    {
        if (wasSet_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    bool wasSet_;
    QByteArray old_;
};

// Points XDG_CONFIG_HOME, where the per-user store lives on Linux, at a
// folder of the test's own while it lives (or at bytes as they are, which
// need not be a valid name), and puts back what was there.
class ScopedConfigHome : public ScopedEnvironment {
public:
    explicit ScopedConfigHome(const QString& path) : ScopedConfigHome(QFile::encodeName(path)) {}
    explicit ScopedConfigHome(const QByteArray& bytes) : ScopedEnvironment(Name, bytes) {}

private:
    static constexpr const char* Name = "XDG_CONFIG_HOME";
};
