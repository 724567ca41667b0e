#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "settings/qt_settings_store.h"
#include "tests/support/config_home.h"
#include "tests/support/window_store.h"

namespace {

// Reads what the terminal shows until it holds the text or 10 s have passed.
bool readUntil(int master, std::string& seen, std::string_view text)
{
    for (int waited = 0; seen.find(text) == std::string::npos; waited += 100) {
        if (waited > 10000)
            return false;
        pollfd ready{master, POLLIN, 0};
        if (::poll(&ready, 1, 100) <= 0)
            continue;
        char buffer[256];
        const ssize_t got = ::read(master, buffer, sizeof buffer);
        if (got <= 0)
            return false;
        seen.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}

TEST(OwnerKeyPrompt, ARealTerminalNeverShowsTheKey)
{
    QTemporaryDir dir;
    const QByteArray config = QFile::encodeName(dir.path());
    int master = -1;
    const pid_t child = ::forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setenv("XDG_CONFIG_HOME", config.constData(), 1);
        ::execl(TOVRIK_SETTINGS_EXE, TOVRIK_SETTINGS_EXE, "set-owner-key", nullptr);
        ::_exit(127);
    }

    const std::string key = "s3cret 鍵";
    std::string seen;
    ASSERT_TRUE(readUntil(master, seen, "Owner key: ")) << seen;
    ASSERT_EQ(::write(master, (key + "\n").data(), key.size() + 1),
              static_cast<ssize_t>(key.size() + 1));
    ASSERT_TRUE(readUntil(master, seen, "Owner key again: ")) << seen;
    ASSERT_EQ(::write(master, (key + "\n").data(), key.size() + 1),
              static_cast<ssize_t>(key.size() + 1));
    EXPECT_TRUE(readUntil(master, seen, "Every password")) << seen;
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << seen;
    EXPECT_EQ(seen.find("s3cret"), std::string::npos) << seen;
    // Echo is on again.
    termios terminal{};
    ASSERT_EQ(::tcgetattr(master, &terminal), 0);
    EXPECT_NE(terminal.c_lflag & ECHO, 0u);
    ::close(master);

    const ScopedConfigHome home(dir.path());
    const QtSettingsStore store = windowStore();
    EXPECT_EQ(store.readText(u"unique key"), u"s3cret 鍵");
}

} // namespace
