#include <QComboBox>
#include <QTest>
#include <QWindow>

#include <functional>

#include "tests/ui/window_fixture.h"
#include "ui/about_dlg.h"
#include "ui/add_set_dlg.h"
#include "ui/wayland_platform.h"

namespace {

// Notes when the compositor gives a window the states asked for: Qt
// delivers each of its answers as a spontaneous event, while the window's
// own request is not one (and changes the states before any answer).
class StateAnswer : public QObject {
public:
    StateAnswer(QWindow& window, Qt::WindowStates asked) : window_(window), asked_(asked)
    {
        window.installEventFilter(this);
    }
    ~StateAnswer() override { window_.removeEventFilter(this); }
    bool given = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::WindowStateChange && event->spontaneous() &&
            window_.windowStates() == asked_)
            given = true;
        return false;
    }

private:
    QWindow& window_;
    Qt::WindowStates asked_;
};

// Asks for the states as Qt's title bar asks, and waits until the
// compositor gives them, or for a moment when it refuses them (answering
// with the states the window has, or not at all).
void ask(QWidget& window, Qt::WindowStates states)
{
    QWindow& native = *window.windowHandle();
    if (native.windowStates() == states)
        return; // Qt asks nothing then
    const StateAnswer answer(native, states);
    native.setWindowStates(states);
    static_cast<void>(QTest::qWaitFor([&] { return answer.given; }, 2000));
}

// What a test does while the window is in a large state: granted says
// whether the compositor gave it.
using WhileLarge = std::function<void(bool granted)>;

// Maximised, then full screen, each and back: refused, the window keeps its
// size (granted, it takes the compositor's, or Weston ends the program);
// back to normal, it has the fixed size it was last given (whileLarge may
// give another).
void roundTrip(QWidget& window, const WhileLarge& whileLarge)
{
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (const Qt::WindowState large : {Qt::WindowMaximized, Qt::WindowFullScreen}) {
        SCOPED_TRACE(large == Qt::WindowMaximized ? "maximised" : "full screen");
        const QSize fixed = window.size();
        ask(window, large);
        const bool granted = window.windowHandle()->windowStates() & large;
        if (!granted) {
            EXPECT_EQ(window.size(), fixed);
        }
        whileLarge(granted);
        ask(window, Qt::WindowNoState);
        // mutter may bring a window back from full screen to maximised.
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
    roundTrip(d, [&](bool granted) {
        const QSize large = d.size();
        d.layoutResults(3);
        if (granted) {
            EXPECT_EQ(d.size(), large) << "the growth fixed the size of a large window";
        }
    });
    EXPECT_EQ(d.size(), grown);

    seams.modalScripts.push_back([](QDialog& about) {
        roundTrip(about, [](bool) {});
        return QDialog::Rejected;
    });
    d.onSysCommand(0x0010);
    seams.modalScripts.push_back([](QDialog& add) {
        roundTrip(add, [](bool) {});
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
