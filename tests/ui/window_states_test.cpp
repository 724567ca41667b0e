#include <QComboBox>
#include <QTest>
#include <QWindow>

#include <functional>

#include "tests/ui/window_fixture.h"
#include "ui/about_dlg.h"
#include "ui/add_set_dlg.h"
#include "ui/wayland_platform.h"

namespace {

// Counts the compositor's answers about a window's state: Qt delivers each
// as a spontaneous event, while the window's own request is not one.
class StateAnswers : public QObject {
public:
    explicit StateAnswers(QWindow& window) : window_(window) { window.installEventFilter(this); }
    ~StateAnswers() override { window_.removeEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::WindowStateChange && event->spontaneous())
            ++count;
        return false;
    }

private:
    QWindow& window_;
};

// Asks for the states as Qt's title bar asks, and waits for the answer,
// which a compositor owes to every such request.
void ask(QWidget& window, Qt::WindowStates states)
{
    QWindow& native = *window.windowHandle();
    const StateAnswers answers(native);
    native.setWindowStates(states);
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.count > 0; })) << "no answer to the request";
}

// Maximised, then full screen, each and back: granted, the window takes the
// compositor's size; refused, it keeps its own; back to normal, it has the
// fixed size it was last given (whileLarge may give another).
void roundTrip(
    QWidget& window, const std::function<void()>& whileLarge = [] {})
{
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (const Qt::WindowState large : {Qt::WindowMaximized, Qt::WindowFullScreen}) {
        SCOPED_TRACE(large == Qt::WindowMaximized ? "maximised" : "full screen");
        const QSize fixed = window.size();
        ask(window, large);
        if (window.windowHandle()->windowStates() & large)
            EXPECT_TRUE(QTest::qWaitFor([&] { return window.size() != fixed; }))
                << "granted, and still of its fixed size";
        else
            EXPECT_EQ(window.size(), fixed);
        whileLarge();
        ask(window, Qt::WindowNoState);
        EXPECT_TRUE(QTest::qWaitFor([&] {
            return window.minimumSize() == window.maximumSize() &&
                   window.size() == window.minimumSize();
        })) << "not fixed again";
    }
}

TEST_F(WindowTest, MaximisedOrFullScreenTheWindowsLiveAndComeBackToTheirSize)
{
    if (!onWaylandPlatform())
        GTEST_SKIP() << "a title bar drawn by Qt is a Wayland matter";
    CVeldraDlg& d = start();
    // The result boxes grow the window while it is large; back to normal,
    // it has the grown size.
    d.layoutResults(3);
    const QSize grown = d.size();
    d.layoutResults(0);
    roundTrip(d, [&] {
        const QSize large = d.size();
        d.layoutResults(3);
        EXPECT_EQ(d.size(), large) << "the growth fixed the size of a large window";
    });
    EXPECT_EQ(d.size(), grown);

    seams.modalScripts.push_back([](QDialog& about) {
        roundTrip(about);
        return QDialog::Rejected;
    });
    d.onSysCommand(0x0010);
    seams.modalScripts.push_back([](QDialog& add) {
        roundTrip(add);
        return QDialog::Rejected;
    });
    auto* combo = Controls(d).setCombo;
    combo->setCurrentIndex(combo->count() - 1);
    emit combo->activated(combo->count() - 1);
    EXPECT_EQ(seams.modalRuns, 2);
}

// A click on the main window while a modal dialog is open gives the focus
// back to the dialog.
TEST_F(WindowTest, ActivatingTheMainWindowRaisesItsModalDialogAgain)
{
    if (onWaylandPlatform())
        GTEST_SKIP() << "a Wayland client cannot take the focus itself";
    CVeldraDlg& d = start();
    seams.modalScripts.push_back([&d](QDialog& about) {
        EXPECT_TRUE(QTest::qWaitForWindowActive(&about));
        d.activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &about; }))
            << "the main window kept the focus";
        return QDialog::Rejected;
    });
    d.onSysCommand(0x0010);
    EXPECT_EQ(seams.modalRuns, 1);
}

} // namespace
