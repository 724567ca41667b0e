#pragma once

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

#include "tests/support/recording_store.h"
#include "tests/ui/fake_seams.h"
#include "text/qt_text.h"
#include "ui/up_down.h"
#include "ui/veldra_dlg.h"

// The main window's controls, found by their object names as a user's
// tools find them; a missing one fails the test.
struct Controls {
    explicit Controls(const QWidget& window) : window_(window)
    {
        for (std::size_t i = 0; i < seedNumberEdits.size(); ++i)
            seedNumberEdits[i] = find<QLineEdit>(QStringLiteral("seedNumberEdit%1").arg(i + 1));
        for (std::size_t i = 0; i < resultEdits.size(); ++i)
            resultEdits[i] = find<QLineEdit>(QStringLiteral("resultEdit%1").arg(i + 1));
    }

    template <class Widget> Widget* find(const QString& name) const
    {
        Widget* widget = window_.findChild<Widget*>(name);
        if (widget == nullptr)
            ADD_FAILURE() << "no control named " << name.toStdString();
        return widget;
    }

private:
    const QWidget& window_;

public:
    QLineEdit* lengthEdit = find<QLineEdit>(QStringLiteral("lengthEdit"));
    UpDown* lengthSpin = find<UpDown>(QStringLiteral("lengthSpin"));
    QPlainTextEdit* listEdit = find<QPlainTextEdit>(QStringLiteral("listEdit"));
    QRadioButton* stringSeedRadio = find<QRadioButton>(QStringLiteral("stringSeedRadio"));
    QRadioButton* numericSeedRadio = find<QRadioButton>(QStringLiteral("numericSeedRadio"));
    QLineEdit* seedTextEdit = find<QLineEdit>(QStringLiteral("seedTextEdit"));
    std::array<QLineEdit*, 7> seedNumberEdits{};
    QGroupBox* resultGroup = find<QGroupBox>(QStringLiteral("resultGroup"));
    QPushButton* generateButton = find<QPushButton>(QStringLiteral("generateButton"));
    QCheckBox* complexityCheck = find<QCheckBox>(QStringLiteral("complexityCheck"));
    QComboBox* setCombo = find<QComboBox>(QStringLiteral("setCombo"));
    QPushButton* deleteButton = find<QPushButton>(QStringLiteral("deleteButton"));
    QPushButton* spreadButton = find<QPushButton>(QStringLiteral("spreadButton"));
    std::array<QLineEdit*, PasswordCount> resultEdits{};
};

// A main window over an in-memory store and fake platform seams.
class WindowTest : public testing::Test {
protected:
    RecordingSettingsStore store;
    FakeSeams seams;
    std::unique_ptr<CVeldraDlg> dialog;

    CVeldraDlg& start()
    {
        dialog = std::make_unique<CVeldraDlg>(store, seams, QStringLiteral("/tmp/store.conf"));
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        // A Wayland client cannot activate its window: the compositor does,
        // and the test holds only once the window is on the screen.
        EXPECT_TRUE(QGuiApplication::platformName() == u"wayland"
                        ? QTest::qWaitForWindowExposed(dialog.get())
                        : QTest::qWaitForWindowActive(dialog.get()));
        return *dialog;
    }

    // Moves the keyboard focus the way a user's Tab or click would.
    static void focusTo(QWidget* widget)
    {
        widget->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }

    static void mouseAt(CVeldraDlg& d, QPoint p, bool twice)
    {
        QWidget* target = d.childAt(p);
        if (target == nullptr)
            target = &d;
        const QPoint local = target->mapFrom(&d, p);
        QTest::mousePress(target, Qt::LeftButton, {}, local);
        QTest::mouseRelease(target, Qt::LeftButton, {}, local);
        if (twice) {
            QTest::mouseDClick(target, Qt::LeftButton, {}, local);
            QTest::mouseRelease(target, Qt::LeftButton, {}, local);
        }
    }

    // Presses the mouse where a window system would deliver it: to the
    // deepest child under the point.
    static void clickAt(CVeldraDlg& d, QPoint p) { mouseAt(d, p, false); }

    // The items of the window's own menu, read while it is open (where the
    // window manager owns the window menu; Windows has them in its own).
    static QStringList windowMenuItems(CVeldraDlg& d)
    {
        QStringList items;
        QTimer::singleShot(0, [&items] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (QAction* action : menu->actions())
                    items << action->text();
                menu->close();
            }
        });
        QApplication::setActiveWindow(&d); // back from a dialog
        QTest::keyClick(&d, Qt::Key_F10, Qt::ShiftModifier);
        return items;
    }
    static void doubleClickAt(CVeldraDlg& d, QPoint p) { mouseAt(d, p, true); }

    std::u16string text(std::u16string_view name) const
    {
        return store.readText(name).value_or(u"<absent>");
    }
    std::int32_t number(std::u16string_view name) const
    {
        return store.readInt(name).value_or(-99999);
    }
};
