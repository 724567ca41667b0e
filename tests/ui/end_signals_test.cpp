#include "ui/end_signals.h"

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <string>
#include <vector>

namespace {

#ifdef Q_OS_UNIX

// Runs a nested modal loop of each kind the window has, and records each
// one's end.
class NestedLoops {
public:
    NestedLoops(QDialog& main, int signal) : main_(main), signal_(signal) {}

    void run()
    {
        QTimer::singleShot(0, &main_, [this] {
            QDialog dialog(&main_);
            QTimer::singleShot(0, &dialog, [this, &dialog] {
                QMenu menu(&dialog);
                menu.addAction(QStringLiteral("item"));
                QTimer::singleShot(0, &menu, [this] { std::raise(signal_); });
                menu.exec(dialog.mapToGlobal(QPoint(5, 5)));
                steps.push_back("menu");
                // Code after a closed box may open another: it ends too.
                QMessageBox box(QMessageBox::Warning, {}, QStringLiteral("box"), QMessageBox::Ok,
                                &dialog);
                box.exec();
                steps.push_back("box");
            });
            steps.push_back("dialog " + std::to_string(dialog.exec()));
            QMessageBox again(QMessageBox::Warning, {}, QStringLiteral("again"), QMessageBox::Ok,
                              &main_);
            again.exec();
            steps.push_back("again");
        });
        steps.push_back("main " + std::to_string(main_.exec()));
    }

    std::vector<std::string> steps;

private:
    QDialog& main_;
    int signal_;
};

TEST(EndSignals, EachEndsTheDialogAsEscapeDoesWithWhatIsOpenOverIt)
{
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(strsignal(signal));
        const EndSignals ending;
        QDialog main;
        QObject::connect(&ending, &EndSignals::received, &main, [&main] { endLikeEscape(main); });
        // Should the dialogs stay open, the test fails instead of hanging.
        bool hung = false;
        QTimer watchdog;
        QObject::connect(&watchdog, &QTimer::timeout, [&hung] {
            hung = true;
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->done(99);
        });
        watchdog.start(10000);

        NestedLoops loops(main, signal);
        loops.run();
        EXPECT_FALSE(hung);
        EXPECT_EQ(loops.steps,
                  (std::vector<std::string>{"menu", "box", "dialog 0", "again", "main 0"}));
    }
}

TEST(EndSignals, HandlersComeBackAndAnIgnoredSignalStaysIgnored)
{
    const auto handler = [](int signal) {
        struct sigaction now {};
        ::sigaction(signal, nullptr, &now);
        return now.sa_handler;
    };
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction before {};
    ASSERT_EQ(::sigaction(SIGHUP, &ignore, &before), 0); // as nohup leaves it
    {
        const EndSignals ending;
        EXPECT_EQ(handler(SIGHUP), SIG_IGN);
        EXPECT_NE(handler(SIGTERM), SIG_DFL);
    }
    EXPECT_EQ(handler(SIGHUP), SIG_IGN);
    EXPECT_EQ(handler(SIGTERM), SIG_DFL);
    ::sigaction(SIGHUP, &before, nullptr);
}

#endif

} // namespace
