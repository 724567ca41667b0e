#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>

#include <csignal>
#include <cstring>
#include <fstream>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "settings/program_names.h"
#include "settings/user_settings_store.h"
#include "tests/support/config_home.h"
#include "tests/support/window_store.h"

namespace {

// Strong enough that no confirmation is asked.
const std::string Key = "s3cret 鍵 kX9mQ2vL7pR4wZ8";

// tovrik-settings set-owner-key on a pseudo-terminal, run as a job of a
// small stand-in for a shell: the program has a process group of its own,
// in the terminal's foreground, whose parent is in another group of the
// same session. Such a group can be stopped (Ctrl-Z), as under a real
// shell; a session leader's own group could not.
class PromptOnATerminal : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    // Starts the program, after ending one that a test started before.
    // outputToAClosedPipe: its standard output and error go to a pipe that
    // nobody reads, as in "set-owner-key 2>&1 | true".
    void start(bool outputToAClosedPipe = false)
    {
        TearDown();
        master_ = -1;
        shell_ = program_ = -1;
        reaped_ = false;
        seen_.clear();
        const QByteArray config = QFile::encodeName(dir_.path());
        int pids[2];
        ASSERT_EQ(::pipe(pids), 0);
        shell_ = ::forkpty(&master_, nullptr, nullptr, nullptr);
        ASSERT_GE(shell_, 0);
        if (shell_ == 0) {
            int go[2];
            if (::pipe(go) != 0)
                ::_exit(127);
            const pid_t job = ::fork();
            if (job == 0) {
                ::setpgid(0, 0);
                char byte = 0;
                if (::read(go[0], &byte, 1) != 1)
                    ::_exit(127);
                int sink[2];
                if (outputToAClosedPipe &&
                    (::pipe(sink) != 0 || ::close(sink[0]) != 0 ||
                     ::dup2(sink[1], STDOUT_FILENO) < 0 || ::dup2(sink[1], STDERR_FILENO) < 0))
                    ::_exit(127);
                ::setenv("XDG_CONFIG_HOME", config.constData(), 1);
                ::execl(TOVRIK_SETTINGS_EXE, TOVRIK_SETTINGS_EXE, "set-owner-key", nullptr);
                ::_exit(127);
            }
            ::setpgid(job, job);
            ::tcsetpgrp(STDIN_FILENO, job);
            if (::write(pids[1], &job, sizeof job) != sizeof job || ::write(go[1], "", 1) != 1)
                ::_exit(127);
            int status = 0;
            ::waitpid(job, &status, 0);
            ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
        }
        ::close(pids[1]);
        ASSERT_EQ(::read(pids[0], &program_, sizeof program_),
                  static_cast<ssize_t>(sizeof program_));
        ::close(pids[0]);
    }

    void TearDown() override
    {
        // A test that failed half-way leaves no process behind.
        if (shell_ > 0 && !reaped_) {
            if (program_ > 0)
                ::kill(program_, SIGKILL);
            ::kill(shell_, SIGKILL);
            ::waitpid(shell_, nullptr, 0);
        }
        if (master_ >= 0)
            ::close(master_);
    }

    // Reads what the terminal shows until it holds the text `times` times
    // or 10 s have passed.
    bool showsAfterAWhile(std::string_view text, int times = 1)
    {
        const auto count = [&] {
            int found = 0;
            for (std::size_t at = seen_.find(text); at != std::string::npos;
                 at = seen_.find(text, at + 1))
                ++found;
            return found;
        };
        for (int waited = 0; count() < times; waited += 100) {
            if (waited > 10000)
                return false;
            pollfd ready{master_, POLLIN, 0};
            if (::poll(&ready, 1, 100) <= 0)
                continue;
            char buffer[256];
            const ssize_t got = ::read(master_, buffer, sizeof buffer);
            if (got <= 0)
                return false;
            seen_.append(buffer, static_cast<std::size_t>(got));
        }
        return true;
    }

    void type(const std::string& text)
    {
        ASSERT_EQ(::write(master_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    bool echoes() const
    {
        termios terminal{};
        EXPECT_EQ(::tcgetattr(master_, &terminal), 0);
        return (terminal.c_lflag & ECHO) != 0;
    }

    // Whether the program is stopped, as /proc tells, within 10 s.
    bool stoppedAfterAWhile() const
    {
        for (int waited = 0; waited <= 10000; waited += 20) {
            std::ifstream stat("/proc/" + std::to_string(program_) + "/stat");
            std::string line;
            std::getline(stat, line);
            const std::size_t end = line.rfind(')');
            if (end != std::string::npos && end + 2 < line.size() && line[end + 2] == 'T')
                return true;
            ::usleep(20000);
        }
        return false;
    }

    // The exit status of the program, through its stand-in shell: as a
    // shell gives it, 128 + the signal that ended the program.
    int exitStatus()
    {
        int status = -1;
        EXPECT_EQ(::waitpid(shell_, &status, 0), shell_);
        reaped_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    QString storeFile() const { return storeFileIn(dir_.path()); }

    QTemporaryDir dir_;
    int master_ = -1;
    pid_t shell_ = -1;
    pid_t program_ = -1;
    bool reaped_ = false;
    std::string seen_;
};

TEST_F(PromptOnATerminal, NeverShowsTheKey)
{
    start();
    ASSERT_TRUE(showsAfterAWhile("Owner key: ")) << seen_;
    type(Key + "\n");
    ASSERT_TRUE(showsAfterAWhile("Owner key again: ")) << seen_;
    type(Key + "\n");
    EXPECT_TRUE(showsAfterAWhile("Every password")) << seen_;
    EXPECT_EQ(exitStatus(), 0) << seen_;
    EXPECT_EQ(seen_.find("s3cret"), std::string::npos) << seen_;
    EXPECT_TRUE(echoes());

    const ScopedConfigHome home(dir_.path());
    const UserSettingsStore store = windowStore();
    EXPECT_EQ(store.readText(u"unique key"), QString::fromStdString(Key).toStdU16String());
}

// Ctrl-Z, or a read or a change of the terminal from the background, stops
// the program: the shell gets its terminal back with echo on, and echo is
// off again, with the prompt shown anew, once the program continues.
TEST_F(PromptOnATerminal, AStopGivesTheTerminalBackWithEcho)
{
    start();
    ASSERT_TRUE(showsAfterAWhile("Owner key: ")) << seen_;
    EXPECT_FALSE(echoes());
    int prompts = 1;
    for (const int signal : {SIGTSTP, SIGTTIN, SIGTTOU}) {
        SCOPED_TRACE(::strsignal(signal));
        ASSERT_EQ(::kill(program_, signal), 0);
        ASSERT_TRUE(stoppedAfterAWhile());
        EXPECT_TRUE(echoes());
        ASSERT_EQ(::kill(program_, SIGCONT), 0);
        ASSERT_TRUE(showsAfterAWhile("Owner key: ", ++prompts)) << seen_;
        EXPECT_FALSE(echoes());
    }
    type(Key + "\n");
    ASSERT_TRUE(showsAfterAWhile("Owner key again: ")) << seen_;
    type(Key + "\n");
    EXPECT_EQ(exitStatus(), 0) << seen_;
    EXPECT_EQ(seen_.find("s3cret"), std::string::npos) << seen_;
    EXPECT_TRUE(echoes());
}

TEST_F(PromptOnATerminal, CtrlDEndsThePromptsLine)
{
    start();
    ASSERT_TRUE(showsAfterAWhile("Owner key: ")) << seen_;
    type("\x04");
    EXPECT_TRUE(showsAfterAWhile("unchanged")) << seen_;
    EXPECT_EQ(exitStatus(), 1) << seen_;
    EXPECT_NE(seen_.find("Owner key: \r\n" + std::string(SettingsProgramName) +
                         ": no owner key was entered"),
              std::string::npos)
        << seen_;
    EXPECT_TRUE(echoes());
}

// A window started while the key is typed holds the lock by the time the
// key is to be written; its next save would put the old key back.
TEST_F(PromptOnATerminal, AWindowStartedDuringThePromptRefusesTheKey)
{
    start();
    ASSERT_TRUE(showsAfterAWhile("Owner key: ")) << seen_;
    ASSERT_TRUE(QDir().mkpath(storeFolderIn(dir_.path())));
    QLockFile window(storeFile() + QStringLiteral(".window-lock"));
    ASSERT_TRUE(window.tryLock(0)) << "the lock is held while the key is typed";
    type(Key + "\n");
    ASSERT_TRUE(showsAfterAWhile("Owner key again: ")) << seen_;
    type(Key + "\n");
    EXPECT_TRUE(showsAfterAWhile("unchanged")) << seen_;
    EXPECT_EQ(exitStatus(), 1) << seen_;
    EXPECT_NE(seen_.find("window is running"), std::string::npos) << seen_;
    EXPECT_FALSE(QFile::exists(storeFile()));
}

// Any other signal whose default ends the program gives the terminal back
// with echo first, then ends it as that signal would. SIGPIPE is ignored.
TEST_F(PromptOnATerminal, AnEndingSignalGivesTheTerminalBackWithEcho)
{
    for (const int signal :
         {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGALRM, SIGUSR1, SIGUSR2, SIGABRT, SIGSYS, SIGXCPU,
          SIGXFSZ, SIGVTALRM, SIGPROF, SIGIO, SIGRTMIN, SIGRTMAX}) {
        SCOPED_TRACE(::strsignal(signal));
        start();
        ASSERT_TRUE(showsAfterAWhile("Owner key: ")) << seen_;
        EXPECT_FALSE(echoes());
        ASSERT_EQ(::kill(program_, signal), 0);
        EXPECT_EQ(exitStatus(), 128 + signal) << seen_;
        EXPECT_TRUE(echoes());
        EXPECT_FALSE(QFile::exists(storeFile()));
    }

    start();
    ASSERT_TRUE(showsAfterAWhile("Owner key: ")) << seen_;
    ASSERT_EQ(::kill(program_, SIGPIPE), 0);
    type(Key + "\n");
    ASSERT_TRUE(showsAfterAWhile("Owner key again: ")) << seen_;
    type(Key + "\n");
    EXPECT_EQ(exitStatus(), 0) << seen_;
    EXPECT_TRUE(echoes());
}

// "set-owner-key 2>&1 | true": the prompt cannot be written, which fails
// like any other write, with the terminal as it was.
TEST_F(PromptOnATerminal, APromptThatCannotBeWrittenIsAFailure)
{
    start(true);
    EXPECT_EQ(exitStatus(), 1);
    EXPECT_TRUE(echoes());
    EXPECT_FALSE(QFile::exists(storeFile()));
}

} // namespace
