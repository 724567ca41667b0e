#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTranslator>

#include "tests/ui/window_fixture.h"
#include "ui/about_dlg.h"
#include "ui/add_set_dlg.h"
#include "ui/one_line_edit.h"
#include "ui/qt_translation.h"
#include "ui/secret_clipboard.h"

namespace {

QClipboard& clipboard()
{
    return *QGuiApplication::clipboard();
}

void pasteWithKeys(QLineEdit* edit, const QString& text)
{
    clipboard().setText(text);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
}

// Opens the edit's own right-click menu and chooses the standard action
// whose text Qt gives as `label`.
void chooseFromMenu(QLineEdit* edit, const QString& label)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2),
                            edit->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(edit, &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QAction* chosen = nullptr;
    for (QAction* action : menu->actions())
        if (action->text().section(u'\t', 0, 0) == label)
            chosen = action;
    ASSERT_NE(chosen, nullptr) << label.toStdString();
    chosen->trigger();
    menu->close();
}

TEST(OneLineEdit, FirstLineStopsAtEveryLineBreak)
{
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("ab\ncd\r\nef"), QStringLiteral("ab")},
        {QStringLiteral("ab\r\ncd"), QStringLiteral("ab")},
        {QStringLiteral("\nab"), QString()},
        {QStringLiteral("a\tb c"), QStringLiteral("a\tb c")},
        {QStringLiteral("a\u2028b"), QStringLiteral("a")},
        {QStringLiteral("a\u2029b"), QStringLiteral("a")},
        {QStringLiteral("a\u0085b"), QStringLiteral("a")},
        {QStringLiteral("a\vb\fc"), QStringLiteral("a")},
        {QStringLiteral("テスト"), QStringLiteral("テスト")},
    };
    for (const auto& [text, first] : cases)
        EXPECT_EQ(OneLineEdit::firstLine(text), first) << text.toStdString();
}

// What the window shows is what it uses, stores and reports.
TEST_F(WindowTest, PastedSeedKeepsOnlyItsFirstLine)
{
    CVeldraDlg& d = start();
    const Controls ui(d);
    ui.seedTextEdit->setText(QStringLiteral("xy"));
    ui.seedTextEdit->setCursorPosition(1);
    pasteWithKeys(ui.seedTextEdit, QStringLiteral("ab\ncd\r\nef"));
    EXPECT_EQ(ui.seedTextEdit->text(), QStringLiteral("xaby"));

    QTest::mouseClick(ui.generateButton, Qt::LeftButton);
    EXPECT_EQ(text(u"seed1"), u"xaby");
    // From the independent reference generator (tests/engine).
    const Passwords expected = {
        u"hj&6H-o.Fj", u"15hLb0K!-H", u"HzKbpi2k4>", u"XvygknE3dk", u"tKWcXd-Xn4", u"uEWUWTq)e#",
        u"8Xao2Z0/Yp", u"qaPE/g7UKF", u"!poF<cbE?i", u"p!W?fi2=#B", u"oy>4sp$2SN", u"$rp%qkZ**k",
        u"jwt2@9kfs<", u"f@#jb4*-pQ", u"aZXZZHpe*w", u"Z$xGGSd4iS",
    };
    EXPECT_EQ(d.model().results, expected);
    ASSERT_EQ(seams.clipboard.size(), 1u);
    EXPECT_TRUE(seams.clipboard[0].contains(QStringLiteral(": xaby\r\n生成パスワード")));
}

TEST_F(WindowTest, EveryOneLineEditPastesOnlyTheFirstLine)
{
    store.writeInt(u"mode", 9265);
    CVeldraDlg& d = start();
    const Controls ui(d);
    const std::pair<QLineEdit*, QString> edits[] = {
        {ui.seedNumberEdits[2], QStringLiteral("12")},
        {ui.lengthEdit, QStringLiteral("12")},
        {ui.resultEdits[0], QStringLiteral("12")},
    };
    for (const auto& [edit, shown] : edits) {
        edit->selectAll();
        pasteWithKeys(edit, QStringLiteral("12\r\n34"));
        EXPECT_EQ(edit->text(), shown);
        // The edit's own menu pastes the same way.
        edit->selectAll();
        clipboard().setText(QStringLiteral("12\n34"));
        chooseFromMenu(edit, QLineEdit::tr("&Paste"));
        EXPECT_EQ(edit->text(), shown);
    }
    EXPECT_EQ(d.model().seedNumbers[2], 12u);

    seams.modalScripts.push_back([](QDialog& opened) {
        auto& about = dynamic_cast<CAboutDlg&>(opened);
        about.nameEdit->selectAll();
        pasteWithKeys(about.nameEdit, QStringLiteral("名前\n二行目"));
        about.accept();
        return about.result();
    });
    d.onSysCommand(0x0010);
    EXPECT_EQ(text(u"user name"), u"名前");
    EXPECT_EQ(d.windowTitle(), QStringLiteral("トヴリク (名前さん用)"));

    seams.modalScripts.push_back([](QDialog& opened) {
        auto& add = dynamic_cast<DLGaddset&>(opened);
        add.nameEdit->selectAll();
        clipboard().setText(QStringLiteral("web\r\nmail"));
        chooseFromMenu(add.nameEdit, QLineEdit::tr("&Paste"));
        add.accept();
        return add.result();
    });
    ui.setCombo->setCurrentIndex(1);
    emit ui.setCombo->activated(1);
    EXPECT_EQ(text(u"MS02_name"), u"web");
}

TEST_F(WindowTest, CopiedPasswordsCarryTheSecretHint)
{
    CVeldraDlg& d = start();
    const Controls ui(d);
    QTest::mouseClick(ui.generateButton, Qt::LeftButton);
    QLineEdit* box = ui.resultEdits[0];
    const QString password = box->text();
    ASSERT_FALSE(password.isEmpty());

    auto expectSecret = [](const QString& text) {
        const QMimeData* data = clipboard().mimeData();
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(data->text(), text);
        EXPECT_TRUE(hasSecretHint(*data));
    };
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
    expectSecret(password);

    clipboard().setText(QStringLiteral("plain"));
    box->setSelection(0, 4);
    chooseFromMenu(box, QLineEdit::tr("&Copy"));
    expectSecret(password.left(4));

    box->setSelection(0, 4);
    QTest::keyClick(box, Qt::Key_X, Qt::ControlModifier);
    expectSecret(password.left(4));
    EXPECT_EQ(box->text(), password.mid(4));

    box->setSelection(0, 2);
    chooseFromMenu(box, QLineEdit::tr("Cu&t"));
    expectSecret(password.mid(4, 2));

    // Other edits copy as usual.
    ui.seedTextEdit->setFocus();
    ui.seedTextEdit->selectAll();
    QTest::keyClick(ui.seedTextEdit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard().text(), QStringLiteral("TANE"));
    EXPECT_FALSE(hasSecretHint(*clipboard().mimeData()));
}

// Qt's own Japanese translation loads, and with it Qt's standard texts
// (the edits' menus, the standard buttons) are no longer the English ones.
TEST(QtJapanese, QtsOwnTextsAreTranslated)
{
    const auto cancelText = [] {
        QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        return buttons.button(QDialogButtonBox::Cancel)->text();
    };
    const QString untranslated = cancelText();
    QTranslator translator;
    ASSERT_TRUE(loadQtTexts(translator, UiLanguage::Japanese));
    QCoreApplication::installTranslator(&translator);
    const QString translated = cancelText();
    QCoreApplication::removeTranslator(&translator);
    EXPECT_FALSE(translated.isEmpty());
    EXPECT_NE(translated, untranslated);
}

} // namespace
