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
    const Controls ui(d);
    std::vector<std::pair<QWidget*, QString>> expected = {
        {ui.lengthEdit, QStringLiteral("文字数")},
        {ui.lengthSpin, QStringLiteral("文字数")},
        {arrow(ui.lengthSpin, Qt::UpArrow), QStringLiteral("文字数を増やす")},
        {arrow(ui.lengthSpin, Qt::DownArrow), QStringLiteral("文字数を減らす")},
        {ui.complexityCheck, QStringLiteral("複雑性")},
        {ui.setCombo, QStringLiteral("文字セット")},
        {ui.deleteButton, QStringLiteral("削")},
        {ui.listEdit, QStringLiteral("文字リスト")},
        {ui.stringSeedRadio, QStringLiteral("文字列")},
        {ui.numericSeedRadio, QStringLiteral("数字")},
        {ui.seedTextEdit, QStringLiteral("種の文字列")},
        {ui.spreadButton, QStringLiteral("割")},
        {ui.generateButton, QStringLiteral("生成")},
    };
    for (int i = 0; i < 7; ++i)
        expected.push_back({ui.seedNumberEdits[i], QStringLiteral("数字 %1").arg(i + 1)});
    for (int i = 0; i < PasswordCount; ++i)
        expected.push_back({ui.resultEdits[i], QStringLiteral("生成パスワード %1").arg(i + 1)});
    expectNames(expected, &d);

    // The one-character buttons say what they do.
    EXPECT_FALSE(accessibleText(ui.deleteButton, QAccessible::Description).isEmpty());
    EXPECT_FALSE(accessibleText(ui.spreadButton, QAccessible::Description).isEmpty());
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
    const Controls ui(d);
    const std::initializer_list<QWidget*> starts = {ui.seedTextEdit, ui.lengthEdit, ui.setCombo,
                                                    ui.resultEdits[0]};
    for (QWidget* from : starts) {
        SCOPED_TRACE(from->metaObject()->className());
        focusTo(from);
        QTest::keyClick(from, Qt::Key_F2);
        ASSERT_TRUE(d.model().listEditing);
        EXPECT_TRUE(ui.listEdit->isEnabled());
        EXPECT_EQ(d.focusWidget(), ui.listEdit);

        QTest::keyClick(ui.listEdit, Qt::Key_F2); // already open: nothing more
        EXPECT_TRUE(d.model().listEditing);

        ui.listEdit->setPlainText(QStringLiteral("zyx"));
        QTest::keyClick(ui.listEdit, Qt::Key_Tab);
        EXPECT_FALSE(d.model().listEditing);
        EXPECT_FALSE(ui.listEdit->isEnabled());
        EXPECT_EQ(d.model().currentList, u"xyz");
    }
}

TEST_F(WindowTest, EscapeClosesAlsoFromTheOpenListEdit)
{
    CVeldraDlg& d = start();
    const Controls ui(d);
    focusTo(ui.seedTextEdit);
    QTest::keyClick(ui.seedTextEdit, Qt::Key_F2);
    ASSERT_EQ(d.focusWidget(), ui.listEdit);
    QTest::keyClick(ui.listEdit, Qt::Key_Escape);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Rejected);
}

#ifndef Q_OS_WIN // Windows has the item in the native window menu.
TEST_F(WindowTest, MenuKeyAndShiftF10OpenTheAboutMenuWhereverTheFocusIs)
{
    CVeldraDlg& d = start();
    const Controls ui(d);
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {{Qt::Key_Menu, Qt::NoModifier},
                                                              {Qt::Key_F10, Qt::ShiftModifier}};
    int expectedRuns = 0;
    QStringList shown;
    for (const auto& [key, modifiers] : keys) {
        const std::initializer_list<QWidget*> starts = {ui.lengthEdit,     ui.seedTextEdit,
                                                        ui.resultEdits[0], ui.setCombo,
                                                        ui.generateButton, ui.complexityCheck};
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
            EXPECT_EQ(shown.join(u'|').toStdString(),
                      "バージョン情報 (&A)...|所有者キーの設定(&K)...（未設定）");
            EXPECT_EQ(seams.modalRuns, ++expectedRuns); // the about box opened
        }
    }
}
#endif

} // namespace
