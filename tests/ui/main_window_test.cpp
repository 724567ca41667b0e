#include <QAccessible>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWindow>

#include "charsets/char_list.h"
#include "tests/ui/window_fixture.h"
#include "ui/about_dlg.h"
#include "ui/secret_clipboard.h"
#include "ui/ui_seams.h"
#include "ui/up_down.h"

namespace {

constexpr int TemplateHeight = 299;

int countOf(const QString& text, const QString& part)
{
    return static_cast<int>(text.count(part));
}

std::vector<bool> visibleBoxes(const CVeldraDlg& d)
{
    std::vector<bool> visible;
    for (QLineEdit* box : Controls(d).resultEdits)
        visible.push_back(box->isVisibleTo(&d));
    return visible;
}

TEST_F(WindowTest, FirstStartShowsAndStoresTheDefaults)
{
    CVeldraDlg& d = start();
    const Controls ui(d);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("トヴリク (○○さん用)"));
    EXPECT_TRUE(ui.stringSeedRadio->isChecked());
    EXPECT_FALSE(ui.numericSeedRadio->isChecked());
    EXPECT_TRUE(ui.seedTextEdit->isEnabled());
    EXPECT_EQ(ui.seedTextEdit->text(), QStringLiteral("TANE"));
    for (QLineEdit* edit : ui.seedNumberEdits) {
        EXPECT_FALSE(edit->isEnabled());
        bool ok = false;
        EXPECT_LE(edit->text().toUInt(&ok), 99999u);
        EXPECT_TRUE(ok);
    }
    ASSERT_EQ(ui.setCombo->count(), 2);
    EXPECT_EQ(ui.setCombo->itemText(0), QStringLiteral("default"));
    EXPECT_EQ(ui.setCombo->itemText(1), QStringLiteral("（追加）"));
    EXPECT_EQ(ui.setCombo->currentIndex(), 0);
    EXPECT_FALSE(ui.listEdit->isEnabled());
    EXPECT_EQ(ui.listEdit->toPlainText(),
              QStringLiteral("!#$%&()*+-./0123456789<=>?@ABCDEFGHJKLMNPQRSTUVWXYZabcdefghi\n"
                             "jkmnopqrstuvwxyz"));
    EXPECT_EQ(ui.lengthEdit->text(), QStringLiteral("10"));
    EXPECT_FALSE(ui.complexityCheck->isChecked());
    std::vector<bool> onlyFirst(16, false);
    onlyFirst[0] = true;
    EXPECT_EQ(visibleBoxes(d), onlyFirst);
    EXPECT_EQ(d.height(), TemplateHeight);
    EXPECT_EQ(d.focusWidget(), ui.lengthEdit);

    // The start-up save leaves the complete, cleaned-up values.
    EXPECT_EQ(text(u"user name"), u"○○");
    EXPECT_EQ(number(u"length"), 10);
    EXPECT_EQ(number(u"mode"), 31415);
    EXPECT_EQ(text(u"seed1"), u"TANE");
    EXPECT_EQ(number(u"complex"), 0);
    EXPECT_EQ(number(u"mojisetmax"), 1);
    EXPECT_EQ(number(u"mojisetsel"), 0);
    EXPECT_EQ(text(u"MS01"), normalizeCharList(DefaultCharList));
    EXPECT_EQ(text(u"MS01_name"), u"default");
    EXPECT_EQ(number(u"spread"), 0);
}

TEST_F(WindowTest, StoredNumericModeAndSpreadLevelAreRestored)
{
    store.writeInt(u"mode", 9265);
    store.writeInt(u"spread", 3);
    store.writeText(u"seed1", u"old text");
    store.writeText(u"seed2", u"12-345-6");
    store.writeInt(u"length", 120);
    CVeldraDlg& d = start();
    const Controls ui(d);
    EXPECT_TRUE(ui.numericSeedRadio->isChecked());
    EXPECT_FALSE(ui.seedTextEdit->isEnabled());
    EXPECT_EQ(ui.seedTextEdit->text(), QStringLiteral("old text"));
    const char* expected[] = {"12", "345", "6", "0", "0", "0", "0"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_TRUE(ui.seedNumberEdits[i]->isEnabled());
        EXPECT_EQ(ui.seedNumberEdits[i]->text(), QString::fromLatin1(expected[i]));
    }
    std::vector<bool> firstEight(16, false);
    std::fill(firstEight.begin(), firstEight.begin() + 8, true);
    EXPECT_EQ(visibleBoxes(d), firstEight);
    EXPECT_EQ(d.height(), TemplateHeight + 23);
    EXPECT_TRUE(ui.resultEdits[0]->text().isEmpty());
    EXPECT_EQ(ui.lengthEdit->text(), QStringLiteral("99"));
    EXPECT_EQ(number(u"length"), 99);
    EXPECT_EQ(number(u"spread"), 3);
}

TEST_F(WindowTest, GenerateShowsTheEnginePasswordsSavesAndReports)
{
    CVeldraDlg& d = start();
    const Controls ui(d);
    ui.seedTextEdit->setText(QStringLiteral("mail"));
    ui.lengthEdit->setText(QStringLiteral("12"));
    ui.complexityCheck->setChecked(true);
    QTest::mouseClick(ui.generateButton, Qt::LeftButton);

    // From the independent reference generator (tests/engine).
    const Passwords expected = {
        u"Pbn>E0B46b&X", u"t2*?HidUh@Q/", u"yj-!ou85R7FM", u"X-#7=@Kfnmc8",
        u"N)G6ahvTRssQ", u"TNP/2=4Xp7Qt", u"JYx#2oiCS1Ve", u"y1!Xi>w)@s=R",
        u"zEN!1VT2+/dq", u"=2by.p=W0pNb", u"3uHB!Zobm=2@", u"/y=100gg@GCG",
        u"fxU3)syHgS+f", u".sohpyA)3+pL", u"#aEByAku#Dh2", u"5>E(Q3Nw9ay4",
    };
    EXPECT_EQ(ui.resultEdits[0]->text(), toQ(expected[0]));
    EXPECT_EQ(d.model().results, expected);
    EXPECT_EQ(text(u"seed1"), u"mail");
    EXPECT_EQ(text(u"seed2"), FormatNumericSeed(d.model().seedNumbers));
    EXPECT_EQ(number(u"length"), 12);
    EXPECT_EQ(number(u"complex"), 1);

    ASSERT_EQ(seams.clipboard.size(), 1u);
    EXPECT_EQ(seams.clipboard[0],
              QStringLiteral("[ トヴリク ver1.02 ]\r\n"
                             "生成日時: 2026/12/10 09:05:07\r\n"
                             "文字数: 12\r\n"
                             "複雑性: あり\r\n"
                             "文字セット名: default\r\n"
                             "文字セット: !#$%&()*+-./0123456789<=>?@ABCDEFGHJKLMNPQRSTUVWXYZ"
                             "abcdefghijkmnopqrstuvwxyz\r\n"
                             "種: mail\r\n"
                             "生成パスワード( 1): Pbn>E0B46b&X\r\n"));
    EXPECT_TRUE(d.isVisible());
}

TEST_F(WindowTest, ReportListsTheShownPasswords)
{
    for (int spread : {0, 4}) {
        store.writeInt(u"spread", spread);
        seams.clipboard.clear();
        CVeldraDlg& d = start();
        const Controls ui(d);
        QTest::mouseClick(ui.generateButton, Qt::LeftButton);
        ASSERT_EQ(seams.clipboard.size(), 1u);
        const QString report = seams.clipboard[0];
        EXPECT_EQ(countOf(report, QStringLiteral("生成パスワード(")), 1 << spread);
        EXPECT_TRUE(report.endsWith(QStringLiteral("\r\n")));
        if (spread == 4) {
            EXPECT_TRUE(report.contains(QStringLiteral("生成パスワード( 9): ") +
                                        ui.resultEdits[8]->text()));
            EXPECT_TRUE(report.contains(QStringLiteral("生成パスワード(16): ") +
                                        ui.resultEdits[15]->text()));
            EXPECT_EQ(d.height(), TemplateHeight + 69);
        }
    }
}

TEST_F(WindowTest, FiveSpreadClicksReturnEveryGeometry)
{
    CVeldraDlg& d = start();
    const Controls ui(d);
    auto geometry = [&d, &ui] {
        std::vector<QRect> rects{QRect(QPoint(), d.size()), ui.resultGroup->geometry()};
        for (QLineEdit* box : ui.resultEdits)
            if (box->isVisibleTo(&d))
                rects.push_back(box->geometry());
        return rects;
    };
    const auto before = geometry();
    std::vector<int> heights;
    for (int click = 1; click <= 5; ++click) {
        QTest::mouseClick(ui.spreadButton, Qt::LeftButton);
        heights.push_back(d.height());
        EXPECT_EQ(number(u"spread"), click % 5);
        const std::vector<bool> visible = visibleBoxes(d);
        EXPECT_EQ(std::count(visible.begin(), visible.end(), true), 1 << (click % 5));
    }
    EXPECT_EQ(heights, (std::vector<int>{TemplateHeight, TemplateHeight, TemplateHeight + 23,
                                         TemplateHeight + 69, TemplateHeight}));
    EXPECT_EQ(geometry(), before);
    EXPECT_EQ(seams.clipboard.size(), 5u);
}

TEST_F(WindowTest, SpreadLayoutsKeepTheGrid)
{
    store.writeInt(u"spread", 1);
    CVeldraDlg& d = start();
    const Controls ui(d);
    EXPECT_EQ(ui.resultEdits[0]->geometry(), QRect(38, 246, 164, 21));
    EXPECT_EQ(ui.resultEdits[1]->geometry(), QRect(203, 246, 162, 21));
    QTest::mouseClick(ui.spreadButton, Qt::LeftButton);
    QTest::mouseClick(ui.spreadButton, Qt::LeftButton);
    QTest::mouseClick(ui.spreadButton, Qt::LeftButton);
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(ui.resultEdits[k]->geometry(),
                  QRect(38 + 82 * (k % 4), 246 + 25 * (k / 4), 81, 21));
}

TEST_F(WindowTest, LongTextsShowFromTheirStart)
{
    store.writeInt(u"spread", 2);
    store.writeInt(u"length", 40);
    store.writeText(u"seed1", std::u16string(70, u's') + u"END");
    CVeldraDlg& d = start();
    const Controls ui(d);
    auto expectAtStart = [&d, &ui](const char* when) {
        SCOPED_TRACE(when);
        std::vector<QLineEdit*> edits{ui.lengthEdit, ui.seedTextEdit};
        edits.insert(edits.end(), ui.seedNumberEdits.begin(), ui.seedNumberEdits.end());
        edits.insert(edits.end(), ui.resultEdits.begin(), ui.resultEdits.begin() + 4);
        // The focused edit's text is selected by the focus, as it should be.
        for (QLineEdit* edit : edits)
            EXPECT_EQ(edit->hasFocus() ? 0 : edit->cursorPosition(), 0)
                << edit->accessibleName().toStdString();
    };
    expectAtStart("start-up");
    QTest::mouseClick(ui.generateButton, Qt::LeftButton);
    ASSERT_EQ(ui.resultEdits[3]->text().size(), 40);
    expectAtStart("generation");
    focusTo(ui.lengthEdit);
    ui.lengthEdit->setText(QStringLiteral("7"));
    QTest::keyClick(ui.lengthEdit, Qt::Key_Up);
    focusTo(ui.seedTextEdit);
    expectAtStart("up arrow and clamp");
}

TEST_F(WindowTest, SpreadClickBringsBackTheUnreadSeedText)
{
    CVeldraDlg& d = start();
    const Controls ui(d);
    ui.seedTextEdit->setText(QStringLiteral("typed but never read"));
    QTest::mouseClick(ui.spreadButton, Qt::LeftButton);
    EXPECT_EQ(ui.seedTextEdit->text(), QStringLiteral("TANE"));
    EXPECT_EQ(d.model().seedText, u"TANE");
}

TEST_F(WindowTest, RangeFailureReportsAndStopsTheExchange)
{
    store.writeInt(u"mode", 9265);
    store.writeText(u"seed2", u"1-2-3-4-5-6-7");
    CVeldraDlg& d = start();
    const Controls ui(d);
    QLineEdit* second = ui.seedNumberEdits[1];
    focusTo(second);
    second->selectAll();
    QTest::keyClicks(second, QStringLiteral("100000"));
    ASSERT_FALSE(seams.messages.empty());
    EXPECT_EQ(seams.messages.back().kind, QStringLiteral("warning"));
    EXPECT_TRUE(seams.messages.back().text.contains(QStringLiteral("99999")));
    EXPECT_EQ(d.model().seedNumbers[1], 100000u);
    EXPECT_EQ(d.focusWidget(), second);
    EXPECT_EQ(second->selectedText(), QStringLiteral("100000"));

    // Later items keep their values while the failure stands.
    ui.complexityCheck->setChecked(true);
    ui.seedNumberEdits[2]->setText(QStringLiteral("77"));
    EXPECT_FALSE(d.exchangeData(true));
    EXPECT_EQ(d.model().complexity, 0);
    EXPECT_EQ(d.model().seedNumbers[2], 3u);

    // The generation goes on with the numbers as they stand.
    QTest::mouseClick(ui.generateButton, Qt::LeftButton);
    EXPECT_EQ(text(u"seed2"), u"1-100000-3-4-5-6-7");
}

// However the failing exchange started, the edit is selected again, so that
// the next keystroke replaces the bad value.
TEST_F(WindowTest, RangeFailureSelectsTheEditWhicheverWayItStarted)
{
    store.writeInt(u"mode", 9265);
    CVeldraDlg& d = start();
    const Controls ui(d);
    QLineEdit* first = ui.seedNumberEdits[0];
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"keystroke", [] {}},
        {"Tab", [first] { QTest::keyClick(first, Qt::Key_Tab); }},
        {"click on another edit",
         [&d, &ui] { QTest::mouseClick(ui.seedNumberEdits[3], Qt::LeftButton); }},
        {"生成", [&d, &ui] { QTest::mouseClick(ui.generateButton, Qt::LeftButton); }},
    };
    for (const auto& [way, act] : ways) {
        focusTo(first);
        first->selectAll();
        QTest::keyClicks(first, QStringLiteral("123456"));
        const std::size_t shown = seams.messages.size();
        act();
        QApplication::processEvents();
        if (std::string_view(way) != "keystroke") {
            EXPECT_GT(seams.messages.size(), shown) << way; // the message again
        }
        EXPECT_EQ(QApplication::focusWidget(), first) << way;
        EXPECT_EQ(first->selectedText(), QStringLiteral("123456")) << way;
        QTest::keyClick(first, Qt::Key_9);
        EXPECT_EQ(first->text(), QStringLiteral("9")) << way;
    }
}

TEST_F(WindowTest, SeedModeRadiosSwitchTheEditsAndKeepTheirText)
{
    CVeldraDlg& d = start();
    const Controls ui(d);
    ui.seedTextEdit->setText(QStringLiteral("kept"));
    QTest::mouseClick(ui.numericSeedRadio, Qt::LeftButton);
    EXPECT_FALSE(d.model().stringSeedMode);
    EXPECT_FALSE(ui.seedTextEdit->isEnabled());
    for (QLineEdit* edit : ui.seedNumberEdits)
        EXPECT_TRUE(edit->isEnabled());
    QTest::mouseClick(ui.stringSeedRadio, Qt::LeftButton);
    EXPECT_TRUE(ui.seedTextEdit->isEnabled());
    EXPECT_EQ(ui.seedTextEdit->text(), QStringLiteral("kept"));
    EXPECT_EQ(d.model().seedText, u"TANE"); // only a generation takes the text over
}

TEST_F(WindowTest, LengthEditIsClampedWhenItLosesTheFocus)
{
    CVeldraDlg& d = start();
    const Controls ui(d);
    const std::pair<const char*, const char*> cases[] = {
        {"3", "4"}, {"100", "99"}, {"", "4"}, {"4", "4"}, {"99", "99"}, {"99999999999", "4"}};
    for (const auto& [typed, shown] : cases) {
        focusTo(ui.lengthEdit);
        ui.lengthEdit->setText(QString::fromLatin1(typed));
        focusTo(ui.seedTextEdit);
        EXPECT_EQ(ui.lengthEdit->text(), QString::fromLatin1(shown)) << typed;
    }
    // The up-down follows the edit; a generation takes its position.
    ui.lengthEdit->setText(QStringLiteral("42"));
    QTest::keyClick(ui.lengthEdit, Qt::Key_Up);
    EXPECT_EQ(ui.lengthEdit->text(), QStringLiteral("43"));
    QTest::mouseClick(ui.generateButton, Qt::LeftButton);
    EXPECT_EQ(d.model().length, 43);
    EXPECT_EQ(ui.resultEdits[0]->text().size(), 43);
}

TEST_F(WindowTest, EnterGeneratesWithoutClosing)
{
    CVeldraDlg& d = start();
    const Controls ui(d);
    focusTo(ui.seedTextEdit);
    QTest::keyClick(ui.seedTextEdit, Qt::Key_Return);
    EXPECT_EQ(seams.clipboard.size(), 1u);
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(ui.resultEdits[0]->text().isEmpty());

    // A focused push button takes Enter for itself.
    focusTo(ui.spreadButton);
    QTest::keyClick(ui.spreadButton, Qt::Key_Return);
    EXPECT_EQ(d.model().spreadLevel, 1);
    EXPECT_EQ(seams.clipboard.size(), 2u);
    EXPECT_TRUE(d.isVisible());
}

TEST_F(WindowTest, EscapeEndsWithoutSaving)
{
    CVeldraDlg& d = start();
    const Controls ui(d);
    ui.lengthEdit->setText(QStringLiteral("20"));
    ui.complexityCheck->setChecked(true);
    // The last report is renewed on the clipboard while the window is there.
    bool renewedWhileShown = false;
    seams.onClipboardRenewal = [&] { renewedWhileShown = d.isVisible(); };
    QTest::keyClick(&d, Qt::Key_Escape);
    EXPECT_TRUE(renewedWhileShown);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_EQ(number(u"length"), 10);
    EXPECT_EQ(number(u"complex"), 0);
}

TEST_F(WindowTest, AboutBoxOkRenamesAndSavesCancelChangesNothing)
{
    CVeldraDlg& d = start();
    seams.modalScripts.push_back([](QDialog& opened) {
        auto& about = dynamic_cast<CAboutDlg&>(opened);
        EXPECT_EQ(about.nameEdit->text(), QStringLiteral("○○"));
        QStringList labels;
        for (const QLabel* label : about.findChildren<QLabel*>())
            labels << label->text();
        EXPECT_TRUE(labels.contains(QStringLiteral("Version 1.02")))
            << labels.join(u'|').toStdString();
        about.nameEdit->setText(QStringLiteral("変更なし"));
        about.reject();
        return about.result();
    });
    d.onSysCommand(0x0010);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("トヴリク (○○さん用)"));
    EXPECT_EQ(text(u"user name"), u"○○");

    seams.modalScripts.push_back([](QDialog& opened) {
        auto& about = dynamic_cast<CAboutDlg&>(opened);
        about.nameEdit->setText(QStringLiteral(" テスト"));
        about.accept();
        return about.result();
    });
    d.onSysCommand(0x001F); // the low four bits do not matter
    EXPECT_EQ(d.windowTitle(), QStringLiteral("トヴリク ( テストさん用)"));
    EXPECT_EQ(text(u"user name"), u" テスト");
    EXPECT_EQ(seams.modalRuns, 2);

    d.onSysCommand(0x0030); // no item of ours
    EXPECT_EQ(seams.modalRuns, 2);
}

TEST_F(WindowTest, EmptyListWarnsAndLeavesEverythingAsItWas)
{
    store.writeInt(u"mojisetmax", 1);
    store.writeText(u"MS01", u"\r\n");
    CVeldraDlg& d = start();
    const Controls ui(d);
    ui.seedTextEdit->setText(QStringLiteral("x"));
    QTest::mouseClick(ui.generateButton, Qt::LeftButton);
    ASSERT_EQ(seams.messages.size(), 1u);
    EXPECT_TRUE(seams.messages[0].text.contains(QStringLiteral("文字リストが空")));
    EXPECT_TRUE(seams.clipboard.empty());
    EXPECT_TRUE(ui.resultEdits[0]->text().isEmpty());
    EXPECT_EQ(text(u"seed1"), u"TANE");
}

TEST_F(WindowTest, ARefusedGenerationLeavesTheHeldFieldsForTheNextSave)
{
    store.writeInt(u"mojisetmax", 1);
    store.writeText(u"MS01", u"");
    CVeldraDlg& d = start();
    const Controls ui(d);
    const std::u16string storedNumbers = text(u"seed2");
    ui.seedTextEdit->setText(QStringLiteral("never used"));
    ui.lengthEdit->setText(QStringLiteral("33"));
    QTest::mouseClick(ui.generateButton, Qt::LeftButton);
    EXPECT_EQ(d.model().seedText, u"TANE");
    EXPECT_EQ(d.model().length, 10);

    // 割 saves before it generates (and is refused again).
    QTest::mouseClick(ui.spreadButton, Qt::LeftButton);
    EXPECT_EQ(number(u"spread"), 1);
    EXPECT_EQ(text(u"seed1"), u"TANE");
    EXPECT_EQ(text(u"seed2"), storedNumbers);
    EXPECT_EQ(number(u"length"), 10);
    EXPECT_EQ(seams.messages.size(), 2u);
}

// The icon comes from the resources in the form that the platform's Qt
// reads (an SVG, or on Windows an ICO), for the window and the about box.
TEST_F(WindowTest, TheWindowAndTheAboutBoxCarryTheIcon)
{
    CVeldraDlg& d = start();
    EXPECT_FALSE(d.icon().isNull());
    EXPECT_FALSE(d.icon().pixmap(32).isNull());
    bool aboutShowsIt = false;
    seams.modalScripts.push_back([&aboutShowsIt](QDialog& opened) {
        for (const QLabel* label : opened.findChildren<QLabel*>())
            aboutShowsIt = aboutShowsIt || !label->pixmap().isNull();
        return int(QDialog::Rejected);
    });
    d.onSysCommand(0x0010);
    EXPECT_TRUE(aboutShowsIt);
}

TEST_F(WindowTest, TheTitleShowsTheOwnerNameAsGiven)
{
    store.writeText(u"user name", u"a[*]b");
    CVeldraDlg& d = start();
    auto shownTitle = [&d] { return d.windowHandle()->title().toStdString(); };
    EXPECT_EQ(shownTitle(), "トヴリク (a[*]bさん用)");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&d)->text(QAccessible::Name).toStdString(),
              "トヴリク (a[*]bさん用)");
    seams.modalScripts.push_back([](QDialog& opened) {
        auto& about = dynamic_cast<CAboutDlg&>(opened);
        about.nameEdit->setText(QStringLiteral("[*][*]x[*]"));
        about.accept();
        return about.result();
    });
    d.onSysCommand(0x0010);
    EXPECT_EQ(shownTitle(), "トヴリク ([*][*]x[*]さん用)");
    EXPECT_EQ(text(u"user name"), u"[*][*]x[*]");
}

TEST_F(WindowTest, FailedSaveWarnsOnceAndClipboardFailureIsSilent)
{
    store.setFlushFails(true);
    seams.clipboardAvailable = false;
    CVeldraDlg& d = start();
    const Controls ui(d);
    ASSERT_EQ(seams.messages.size(), 1u);
    EXPECT_TRUE(seams.messages[0].text.contains(QStringLiteral("/tmp/store.conf")));
    // The start-up save's warning waits for the window and stands over it.
    EXPECT_EQ(seams.messages[0].owner, &d);
    EXPECT_TRUE(seams.messages[0].ownerShown);
    QTest::mouseClick(ui.generateButton, Qt::LeftButton);
    EXPECT_EQ(seams.messages.size(), 1u);
    EXPECT_FALSE(ui.resultEdits[0]->text().isEmpty());
}

TEST(MessageBoxes, StandOverTheirWindowInItsFont)
{
    QWidget window;
    window.setFont(QFont(QStringLiteral("IPAGothic"), 13));
    QWidget* child = new QWidget(&window);
    const std::unique_ptr<QMessageBox> box(buildMessageBox(
        QMessageBox::Warning, child, QStringLiteral("caption"), QStringLiteral("text")));
    EXPECT_EQ(box->parentWidget(), child);
    EXPECT_EQ(box->font(), window.font());
    EXPECT_EQ(box->windowTitle(), QStringLiteral("caption"));
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
}

TEST(SecretClipboard, KeepsTheTextAndMarksItSecret)
{
    const std::unique_ptr<QMimeData> data(makeSecretTextMimeData(QStringLiteral("a\r\nb")));
    EXPECT_EQ(data->text(), QStringLiteral("a\r\nb"));
#if defined(Q_OS_LINUX)
    EXPECT_EQ(data->data(QStringLiteral("x-kde-passwordManagerHint")), QByteArray("secret"));
#endif
}

// Quick reports reach the clipboard at once, marked, the last one last, and
// the window's end leaves the last one there.
TEST(SystemClipboard, EveryReportGoesOutAtOnceMarked)
{
    QClipboard& clipboard = *QGuiApplication::clipboard();
    SystemSeams seams;
    for (const QString& report : {QStringLiteral("first"), QStringLiteral("second")}) {
        EXPECT_TRUE(seams.putOnClipboard(report));
        EXPECT_EQ(clipboard.text(), report);
        EXPECT_TRUE(hasSecretHint(*clipboard.mimeData()));
    }
    seams.renewClipboard();
    EXPECT_EQ(clipboard.text(), QStringLiteral("second"));
    EXPECT_TRUE(hasSecretHint(*clipboard.mimeData()));
}

} // namespace
