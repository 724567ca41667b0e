#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "settings/memory_settings_store.h"
#include "tests/ui/fake_seams.h"
#include "ui/veldra_dlg.h"

inline QString toQ(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// A main window over an in-memory store and fake platform seams.
class WindowTest : public testing::Test {
protected:
    MemorySettingsStore store;
    FakeSeams seams;
    std::unique_ptr<CVeldraDlg> dialog;

    CVeldraDlg& start()
    {
        dialog = std::make_unique<CVeldraDlg>(store, seams, QStringLiteral("/tmp/store.conf"));
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
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
    static void doubleClickAt(CVeldraDlg& d, QPoint p) { mouseAt(d, p, true); }

    std::u16string text(std::u16string_view name) const
    {
        return store.readText(name, u"<absent>");
    }
    std::int32_t number(std::u16string_view name) const { return store.readInt(name, -99999); }
};
