// What keyboard and screen-reader users meet: a spoken name for every
// control that takes input or acts, and a key for every mouse path.
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

#include "tests/ui/window_fixture.h"
#include "ui/about_dlg.h"
#include "ui/add_set_dlg.h"
#include "ui/up_down.h"

namespace {

QString accessibleText(QWidget* widget, QAccessible::Text kind)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    return iface ? iface->text(kind) : QString();
}

// What a screen reader says a control is. A combo box speaks its current
// item as its name on Linux; its own name there is its label, which the
// reader takes from the labelled-by relation.
QString spokenName(QWidget* widget)
{
    if (qobject_cast<QComboBox*>(widget)) {
        const auto labels =
            QAccessible::queryAccessibleInterface(widget)->relations(QAccessible::Label);
        return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
    }
    return accessibleText(widget, QAccessible::Name);
}

// The controls of a window that take input or act.
std::vector<QWidget*> interactiveControls(QWidget* window)
{
    std::vector<QWidget*> controls;
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (child->window() != window)
            continue; // the combo box's own popup
        if (qobject_cast<QAbstractButton*>(child) || qobject_cast<QLineEdit*>(child) ||
            qobject_cast<QPlainTextEdit*>(child) || qobject_cast<QComboBox*>(child) ||
            qobject_cast<UpDown*>(child))
            controls.push_back(child);
    }
    return controls;
}

void expectNames(const std::vector<std::pair<QWidget*, QString>>& expected, QWidget* window)
{
    for (const auto& [widget, name] : expected) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(spokenName(widget).toStdString(), name.toStdString());
    }
    // Nothing left unnamed, also what this list does not know of.
    for (QWidget* control : interactiveControls(window)) {
        SCOPED_TRACE(control->metaObject()->className());
        EXPECT_FALSE(spokenName(control).trimmed().isEmpty());
    }
}

QToolButton* arrow(UpDown* upDown, Qt::ArrowType type)
{
    for (QToolButton* button : upDown->findChildren<QToolButton*>())
        if (button->arrowType() == type)
            return button;
    return nullptr;
}

TEST_F(WindowTest, EveryControlOfTheMainWindowHasASpokenName)
{
    CVeldraDlg& d = start();
    std::vector<std::pair<QWidget*, QString>> expected = {
        {d.lengthEdit, QStringLiteral("文字数")},
        {d.lengthSpin, QStringLiteral("文字数")},
        {arrow(d.lengthSpin, Qt::UpArrow), QStringLiteral("文字数を増やす")},
        {arrow(d.lengthSpin, Qt::DownArrow), QStringLiteral("文字数を減らす")},
        {d.complexityCheck, QStringLiteral("複雑性")},
        {d.setCombo, QStringLiteral("文字セット")},
        {d.deleteButton, QStringLiteral("削")},
        {d.listEdit, QStringLiteral("文字リスト")},
        {d.stringSeedRadio, QStringLiteral("文字列")},
        {d.numericSeedRadio, QStringLiteral("数字")},
        {d.seedTextEdit, QStringLiteral("種の文字列")},
        {d.spreadButton, QStringLiteral("割")},
        {d.generateButton, QStringLiteral("生成")},
    };
    for (int i = 0; i < 7; ++i)
        expected.push_back({d.seedNumberEdits[i], QStringLiteral("数字 %1").arg(i + 1)});
    for (int i = 0; i < PasswordCount; ++i)
        expected.push_back({d.resultEdits[i], QStringLiteral("生成パスワード %1").arg(i + 1)});
    expectNames(expected, &d);

    // The one-character buttons say what they do.
    EXPECT_FALSE(accessibleText(d.deleteButton, QAccessible::Description).isEmpty());
    EXPECT_FALSE(accessibleText(d.spreadButton, QAccessible::Description).isEmpty());
}

TEST(DialogNames, TheAboutBoxAndTheAddDialogNameTheirControls)
{
    CAboutDlg about;
    expectNames({{about.nameEdit, QStringLiteral("使用者名")}}, &about);

    FakeSeams seams;
    DLGaddset add(seams);
    expectNames({{add.nameEdit, QStringLiteral("文字セット名")},
                 {add.listEdit, QStringLiteral("文字リスト")}},
                &add);
}

TEST_F(WindowTest, F2OpensTheListEditFromAnywhereAndTabCommitsIt)
{
    CVeldraDlg& d = start();
    const std::initializer_list<QWidget*> starts = {d.seedTextEdit, d.lengthEdit, d.setCombo,
                                                    d.resultEdits[0]};
    for (QWidget* from : starts) {
        SCOPED_TRACE(from->metaObject()->className());
        focusTo(from);
        QTest::keyClick(from, Qt::Key_F2);
        ASSERT_TRUE(d.model.listEditing);
        EXPECT_TRUE(d.listEdit->isEnabled());
        EXPECT_EQ(d.focusWidget(), d.listEdit);

        QTest::keyClick(d.listEdit, Qt::Key_F2); // already open: nothing more
        EXPECT_TRUE(d.model.listEditing);

        d.listEdit->setPlainText(QStringLiteral("zyx"));
        QTest::keyClick(d.listEdit, Qt::Key_Tab);
        EXPECT_FALSE(d.model.listEditing);
        EXPECT_FALSE(d.listEdit->isEnabled());
        EXPECT_EQ(d.model.currentList, u"xyz");
    }
}

TEST_F(WindowTest, EscapeClosesAlsoFromTheOpenListEdit)
{
    CVeldraDlg& d = start();
    focusTo(d.seedTextEdit);
    QTest::keyClick(d.seedTextEdit, Qt::Key_F2);
    ASSERT_EQ(d.focusWidget(), d.listEdit);
    QTest::keyClick(d.listEdit, Qt::Key_Escape);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Rejected);
}

#ifndef Q_OS_WIN // Windows has the item in the native window menu.
TEST_F(WindowTest, MenuKeyAndShiftF10OpenTheAboutMenuWhereverTheFocusIs)
{
    CVeldraDlg& d = start();
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {{Qt::Key_Menu, Qt::NoModifier},
                                                              {Qt::Key_F10, Qt::ShiftModifier}};
    int expectedRuns = 0;
    QStringList shown;
    for (const auto& [key, modifiers] : keys) {
        const std::initializer_list<QWidget*> starts = {d.lengthEdit,     d.seedTextEdit,
                                                        d.resultEdits[0], d.setCombo,
                                                        d.generateButton, d.complexityCheck};
        for (QWidget* from : starts) {
            SCOPED_TRACE(std::string(from->metaObject()->className()) + " key " +
                         std::to_string(key));
            QApplication::setActiveWindow(&d); // back from the about box
            focusTo(from);
            shown.clear();
            // The menu runs its own loop; choose its item from inside it.
            QTimer::singleShot(0, [&shown] {
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                if (menu == nullptr)
                    return;
                for (QAction* action : menu->actions())
                    shown << action->text();
                QTest::keyClick(menu, Qt::Key_Return); // chooses the highlighted item
                if (menu->isVisible())
                    menu->close();
            });
            QTest::keyClick(from, key, modifiers);
            QApplication::processEvents(); // the timer, had no menu opened
            EXPECT_EQ(shown.join(u'|').toStdString(), "バージョン情報 (&A)...");
            EXPECT_EQ(seams.modalRuns, ++expectedRuns); // the about box opened
        }
    }
}
#endif

} // namespace
