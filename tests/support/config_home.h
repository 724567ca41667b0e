#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Points XDG_CONFIG_HOME, where the per-user store lives on Linux, at a
// folder of the test's own while it lives, and puts back what was there,
// unset included.
class ScopedConfigHome {
public:
    explicit ScopedConfigHome(const QString& path)
        : wasSet_(qEnvironmentVariableIsSet(Name)), old_(qgetenv(Name))
    {
        qputenv(Name, QFile::encodeName(path));
    }
    ~ScopedConfigHome()
    {
        if (wasSet_)
            qputenv(Name, old_);
        else
            qunsetenv(Name);
    }
    ScopedConfigHome(const ScopedConfigHome&) = delete;
    ScopedConfigHome& operator=(const ScopedConfigHome&) = delete;

private:
    static constexpr const char* Name = "XDG_CONFIG_HOME";
    bool wasSet_;
    QByteArray old_;
};
