#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "charsets/char_list.h"
#include "tests/ui/window_fixture.h"
#include "ui/add_set_dlg.h"
#include "ui/set_combo.h"

namespace {

const QString AddEntry = QStringLiteral("（追加）");

QStringList comboItems(const CVeldraDlg& d)
{
    const QComboBox* combo = Controls(d).setCombo;
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

class CharSetTest : public WindowTest {
protected:
    // A stored table of the given names; set k holds the list "k" + letters.
    void storeSets(const std::vector<std::u16string>& names, int selected = 0)
    {
        store.writeInt(u"mojisetmax", static_cast<std::int32_t>(names.size()));
        store.writeInt(u"mojisetsel", selected);
        for (std::size_t i = 0; i < names.size(); ++i) {
            const QString key = QString::asprintf("MS%02d", static_cast<int>(i + 1));
            store.writeText(key.toStdU16String(), u"xyz" + std::u16string(1, u'a' + i));
            store.writeText((key + QStringLiteral("_name")).toStdU16String(), names[i]);
        }
    }

    // Chooses the add entry; each script answers one opening of the add dialog.
    void chooseAdd(std::initializer_list<std::function<void(DLGaddset&)>> answers)
    {
        for (const auto& answer : answers)
            seams.modalScripts.push_back([answer](QDialog& opened) {
                auto& add = dynamic_cast<DLGaddset&>(opened);
                answer(add);
                return add.result();
            });
        const int addIndex = setCombo()->findText(AddEntry);
        ASSERT_GE(addIndex, 0);
        select(addIndex);
    }

    // Chooses an entry of the set selector, as a click in its list does.
    void select(int index)
    {
        setCombo()->setCurrentIndex(index);
        emit setCombo()->activated(index);
    }

    QComboBox* setCombo() const { return Controls(*dialog).setCombo; }

    static std::function<void(DLGaddset&)> registerName(QString name)
    {
        return [name](DLGaddset& add) {
            add.nameEdit->setText(name);
            add.accept();
        };
    }
};

TEST_F(CharSetTest, AddDialogProposesTheFirstFreeNameAndTheDefaultList)
{
    storeSets({u"default", u"mine", u"文字セット_03"});
    start();
    chooseAdd({[](DLGaddset& add) {
        EXPECT_EQ(add.nameEdit->text(), QStringLiteral("文字セット_04"));
        EXPECT_EQ(add.listEdit->toPlainText(),
                  QStringLiteral("0123456789ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz!\n"
                                 "#$%&()*+-./<=>?@"));
        EXPECT_EQ(add.focusWidget()->property("text").toString(), QStringLiteral("登録"));
        add.accept();
    }});
    CVeldraDlg& d = *dialog;
    const Controls ui(d);
    EXPECT_EQ(comboItems(d),
              (QStringList{"default", "mine", "文字セット_03", "文字セット_04", AddEntry}));
    EXPECT_EQ(ui.setCombo->currentIndex(), 3);
    EXPECT_EQ(d.model().sets.setCount, 4);
    EXPECT_EQ(d.model().currentList, normalizeCharList(DefaultCharList));
    EXPECT_EQ(number(u"mojisetmax"), 4);
    EXPECT_EQ(number(u"mojisetsel"), 3);
    EXPECT_EQ(text(u"MS04_name"), u"文字セット_04");
    EXPECT_EQ(text(u"MS04"), normalizeCharList(DefaultCharList));
}

TEST_F(CharSetTest, NamesAreTrimmedAndReservedOrTakenNamesRefused)
{
    start();
    // Blanks only: the empty name, accepted while no set has it.
    chooseAdd({registerName(QStringLiteral(" \u3000 "))});
    EXPECT_EQ(dialog->model().sets.setNames.back(), u"");

    // The reserved name, blanks around it, keeps the dialog open with a stop
    // box; a taken name reopens the dialog with the texts as they were.
    chooseAdd({[](DLGaddset& add) {
                   add.nameEdit->setText(QStringLiteral("\u3000（追加） "));
                   add.listEdit->setPlainText(QStringLiteral("cba"));
                   add.accept();
                   EXPECT_TRUE(add.isVisible());
                   EXPECT_EQ(add.nameEdit->text(), QStringLiteral("（追加）"));
                   add.nameEdit->setText(QStringLiteral(" default "));
                   add.accept();
               },
               [](DLGaddset& add) {
                   EXPECT_EQ(add.nameEdit->text(), QStringLiteral("default"));
                   EXPECT_EQ(add.listEdit->toPlainText(), QStringLiteral("cba"));
                   add.nameEdit->setText(QStringLiteral("abc set"));
                   add.accept();
               }});
    ASSERT_EQ(seams.messages.size(), 2u);
    EXPECT_EQ(seams.messages[0].kind, QStringLiteral("stop"));
    EXPECT_EQ(seams.messages[0].caption, QStringLiteral("トヴリク 1.02"));
    EXPECT_EQ(seams.messages[0].text,
              QStringLiteral("指定されたセット名は予約語のため登録できません"));
    EXPECT_NE(seams.messages[0].owner, dialog.get());
    EXPECT_EQ(seams.messages[1].kind, QStringLiteral("warning"));
    EXPECT_EQ(seams.messages[1].text, QStringLiteral("同一名がすでに存在します"));
    EXPECT_EQ(dialog->model().sets.setNames.back(), u"abc set");
    EXPECT_EQ(dialog->model().currentList, u"abc");
}

TEST_F(CharSetTest, TheAddDialogReadsBackExactlyWhatItsListEditHolds)
{
    start();
    chooseAdd({[](DLGaddset& add) {
        add.listEdit->setPlainText(QStringLiteral("z\u00A0y\u2028"));
        add.nameEdit->setText(QStringLiteral("nbsp"));
        add.accept();
        EXPECT_EQ(add.listText, QStringLiteral("z\u00A0y\u2028"));
    }});
    EXPECT_EQ(dialog->model().sets.setLists.back(), u"\u00A0(yz");
}

TEST_F(CharSetTest, CancelRestoresTheSelectionAndLeavesTheStoreAlone)
{
    storeSets({u"default", u"two"}, 1);
    start();
    const auto before = store.values();
    store.clearWrites();
    chooseAdd({[](DLGaddset& add) { add.reject(); }});
    EXPECT_EQ(setCombo()->currentIndex(), 1);
    EXPECT_EQ(dialog->model().sets.setCount, 2);
    EXPECT_TRUE(store.writes().empty());
    EXPECT_EQ(store.values(), before);
}

TEST_F(CharSetTest, TheTenthSetRemovesTheAddEntryAndADeletionBringsItBack)
{
    storeSets({u"default", u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8"});
    start();
    chooseAdd({registerName(QStringLiteral("9"))});
    CVeldraDlg& d = *dialog;
    const Controls ui(d);
    EXPECT_EQ(ui.setCombo->count(), 10);
    EXPECT_EQ(ui.setCombo->findText(AddEntry), -1);
    EXPECT_EQ(number(u"mojisetmax"), 10);

    select(4);
    QTest::mouseClick(ui.deleteButton, Qt::LeftButton);
    EXPECT_EQ(ui.setCombo->count(), 10);
    EXPECT_EQ(ui.setCombo->itemText(9), AddEntry);
    EXPECT_EQ(ui.setCombo->currentIndex(), 3);
    EXPECT_EQ(number(u"mojisetmax"), 9);
}

TEST_F(CharSetTest, DeletingSelectsThePreviousSetAndMovesTheRestDown)
{
    storeSets({u"default", u"b", u"c", u"d", u"e"}, 2);
    CVeldraDlg& d = start();
    const Controls ui(d);
    QTest::mouseClick(ui.deleteButton, Qt::LeftButton);
    EXPECT_EQ(comboItems(d), (QStringList{"default", "b", "d", "e", AddEntry}));
    EXPECT_EQ(ui.setCombo->currentIndex(), 1);
    EXPECT_EQ(d.model().currentList, u"bxyz");
    EXPECT_EQ(d.model().sets.setLists[2], u"dxyz");
    EXPECT_EQ(number(u"mojisetmax"), 4);
    EXPECT_EQ(number(u"mojisetsel"), 1);
    EXPECT_EQ(text(u"MS03_name"), u"d");
    EXPECT_EQ(text(u"MS04_name"), u"e");
    EXPECT_EQ(text(u"MS05_name"), u"e"); // left behind, unread

    select(0);
    QTest::mouseClick(ui.deleteButton, Qt::LeftButton);
    ASSERT_EQ(seams.messages.size(), 1u);
    EXPECT_EQ(seams.messages[0].text, QStringLiteral("default は 削除できません"));
    EXPECT_EQ(d.model().sets.setCount, 4);
}

TEST_F(CharSetTest, SelectingASetMakesItsListCurrentAndSaves)
{
    storeSets({u"default", u"b"});
    CVeldraDlg& d = start();
    const Controls ui(d);
    select(1);
    EXPECT_EQ(d.model().currentList, u"bxyz");
    EXPECT_EQ(ui.listEdit->toPlainText(), QStringLiteral("bxyz\n"));
    EXPECT_EQ(text(u"moji list"), u"bxyz");
    EXPECT_EQ(number(u"mojisetsel"), 1);
}

// Names that differ only in their last digit stay apart in the closed
// selector, and its tooltip gives the whole name.
TEST_F(CharSetTest, ClosedSelectorTellsNumberedSetsApart)
{
    std::vector<std::u16string> names;
    for (int k = 0; k < 10; ++k)
        names.push_back(QString::asprintf("文字セット_%02d", k).toStdU16String());
    storeSets(names);
    CVeldraDlg& d = start();
    const Controls ui(d);
    auto* combo = dynamic_cast<SetCombo*>(ui.setCombo);
    ASSERT_NE(combo, nullptr);
    std::vector<QImage> drawn;
    for (int k = 0; k < 10; ++k) {
        select(k);
        const QString full = toQ(names[k]);
        EXPECT_EQ(combo->toolTip(), full);
        const QString shown = combo->shownText();
        EXPECT_TRUE(shown.endsWith(full.right(2))) << shown.toStdString();
        EXPECT_TRUE(shown.startsWith(full.left(2))) << shown.toStdString();
#ifdef Q_OS_WIN
        // Qt's offscreen platform on Windows finds no fonts and draws no
        // text, so the pictures would all be alike.
        if (QGuiApplication::platformName() == u"offscreen")
            continue;
#endif
        drawn.push_back(combo->grab().toImage());
        for (int j = 0; j < k; ++j)
            EXPECT_NE(drawn[j], drawn[k]) << j << " and " << k << " look alike";
    }
}

// In-place editing of the list.

TEST_F(CharSetTest, DoubleClickOpensTheListOnlyInsideItsArea)
{
    CVeldraDlg& d = start();
    const Controls ui(d);
    // The area is the list edit's own: x 38..437, y 68..108 in this layout.
    const QRect area = ui.listEdit->geometry();
    ASSERT_EQ(area, QRect(QPoint(38, 68), QPoint(437, 108)));
    const QPoint inside[] = {area.topLeft(), area.bottomRight(), area.topRight(), area.bottomLeft(),
                             area.center()};
    const QPoint outside[] = {area.topLeft() - QPoint(1, 0), area.topLeft() - QPoint(0, 1),
                              area.bottomRight() + QPoint(1, 0), area.bottomRight() + QPoint(0, 1),
                              QPoint(442, 109)};
    for (QPoint p : outside) {
        doubleClickAt(d, p);
        EXPECT_FALSE(d.model().listEditing) << p.x() << "," << p.y();
    }
    for (QPoint p : inside) {
        doubleClickAt(d, p);
        EXPECT_TRUE(d.model().listEditing) << p.x() << "," << p.y();
        EXPECT_TRUE(ui.listEdit->isEnabled());
        // A click on a label commits.
        clickAt(d, QPoint(45, 34));
        EXPECT_FALSE(d.model().listEditing);
        EXPECT_FALSE(ui.listEdit->isEnabled());
    }
}

TEST_F(CharSetTest, SurfaceClickCommitsTheNormalisedListWithoutSaving)
{
    CVeldraDlg& d = start();
    const Controls ui(d);
    doubleClickAt(d, QPoint(60, 80));
    ASSERT_TRUE(d.model().listEditing);
    ui.listEdit->setPlainText(QStringLiteral("cbaa\na"));
    clickAt(d, QPoint(5, 5));
    EXPECT_EQ(d.model().currentList, u"abc");
    EXPECT_EQ(d.model().sets.setLists[0], u"abc");
    EXPECT_EQ(ui.listEdit->toPlainText(), QStringLiteral("abc\n"));
    EXPECT_EQ(text(u"MS01"), normalizeCharList(DefaultCharList));

    QTest::mouseClick(ui.spreadButton, Qt::LeftButton); // the next save takes it
    EXPECT_EQ(text(u"MS01"), u"abc");
    EXPECT_EQ(text(u"moji list"), u"abc");
}

// The edit gives back what it holds: a no-break space (a list character in
// its own right) and a line separator are not a space and a line break.
TEST_F(CharSetTest, AnInPlaceCommitReadsBackExactlyWhatTheEditHolds)
{
    storeSets({u"default", u"space"});
    store.writeText(u"MS01", u"\u00A0ab");
    store.writeText(u"MS02", u" ab");
    CVeldraDlg& d = start();
    const Controls ui(d);
    const std::pair<const char16_t*, const char16_t*> typed[] = {
        {nullptr, u"\u00A0ab"}, // left as shown
        {u"x\u2028y", u"(xy"},  // U+2028 counts by its low byte, as any character
        {u"b\u00A0\na", u"\u00A0ab"},
    };
    for (const auto& [text, list] : typed) {
        SCOPED_TRACE(QString::fromStdU16String(list).toStdString());
        doubleClickAt(d, QPoint(60, 80));
        ASSERT_TRUE(d.model().listEditing);
        if (text)
            ui.listEdit->setPlainText(QString::fromStdU16String(text));
        clickAt(d, QPoint(5, 5));
        EXPECT_EQ(d.model().currentList, list);
        EXPECT_EQ(d.model().sets.setLists[0], list);
    }
    // From the independent reference generator (tests/engine).
    const Passwords expected = {
        u"a\u00A0\u00A0aba\u00A0bba",
        u"aa\u00A0baa\u00A0ba\u00A0",
        u"aa\u00A0b\u00A0baaaa",
        u"ba\u00A0bb\u00A0bb\u00A0a",
        u"b\u00A0aabbabba",
        u"bbb\u00A0\u00A0aaa\u00A0\u00A0",
        u"ba\u00A0\u00A0\u00A0baba\u00A0",
        u"a\u00A0a\u00A0baa\u00A0ab",
        u"a\u00A0bbabbb\u00A0\u00A0",
        u"aa\u00A0\u00A0baba\u00A0\u00A0",
        u"\u00A0bbaba\u00A0\u00A0ab",
        u"\u00A0\u00A0ab\u00A0aaa\u00A0a",
        u"babb\u00A0baa\u00A0\u00A0",
        u"\u00A0\u00A0\u00A0a\u00A0ab\u00A0bb",
        u"\u00A0\u00A0babb\u00A0baa",
        u"a\u00A0\u00A0\u00A0ba\u00A0aba",
    };
    QTest::mouseClick(ui.generateButton, Qt::LeftButton);
    EXPECT_EQ(d.model().results, expected);
    EXPECT_EQ(text(u"MS01"), u"\u00A0ab");

    // A set whose list differs only there is shown as itself.
    select(1);
    doubleClickAt(d, QPoint(60, 80));
    clickAt(d, QPoint(5, 5));
    EXPECT_EQ(d.model().currentList, u" ab");
}

// The longest lists: their display form, with its CR LF, holds more than
// the 200 characters a list is made from, yet an edit opened and left as it
// was keeps them whole.
TEST_F(CharSetTest, AnUneditedInPlaceEditKeepsALongListWhole)
{
    // Every unit a list may hold, controls, no-break space and high bytes
    // included: 251 of them, in list order.
    std::u16string every;
    for (unsigned i = 0; i < 256; ++i) {
        const auto unit = static_cast<char16_t>((i + 0x80u) & 0xFFu);
        if (std::u16string_view(u"\0\a\b\n\r", 5).find(unit) == std::u16string_view::npos)
            every.push_back(unit);
    }
    const std::u16string lists[] = {every.substr(every.size() - 200), every.substr(0, 199)};
    storeSets({u"default", u"long"});
    store.writeText(u"MS01", lists[0]);
    store.writeText(u"MS02", lists[1]);
    CVeldraDlg& d = start();
    const Controls ui(d);
    for (int set : {0, 1}) {
        const std::u16string& list = lists[set];
        SCOPED_TRACE(list.size());
        select(set);
        ASSERT_EQ(d.model().currentList, list);
        doubleClickAt(d, QPoint(60, 80));
        ASSERT_TRUE(d.model().listEditing);
        clickAt(d, QPoint(5, 5));
        EXPECT_EQ(d.model().currentList, list);
        EXPECT_EQ(d.model().sets.setLists[static_cast<std::size_t>(set)], list);
        EXPECT_EQ(d.model().listDisplay, makeListDisplay(list));
    }
    QTest::mouseClick(ui.spreadButton, Qt::LeftButton);
    EXPECT_EQ(text(u"MS01"), lists[0]);
    EXPECT_EQ(text(u"MS02"), lists[1]);
}

// A line break, pasted as CR LF or as LF alone, is held by the edit as CR LF
// and counts as two of a list's 200 characters, in the in-place edit and in
// the add dialog alike.
TEST_F(CharSetTest, PastedLineBreaksCountTowardsTheTwoHundredCharacters)
{
    const auto repeat = [](QString unit, int times) { return unit.repeated(times); };
    const std::pair<QString, std::u16string> pasted[] = {
        {repeat(QStringLiteral("a\r\n"), 80) + QStringLiteral("b"), u"a"},
        {repeat(QStringLiteral("a\n"), 80) + QStringLiteral("b"), u"a"},
        {repeat(QStringLiteral("a\n"), 66) + QStringLiteral("b"), u"ab"}, // "b" is the 199th
    };
    CVeldraDlg& d = start();
    const Controls ui(d);
    for (const auto& [paste, list] : pasted) {
        SCOPED_TRACE(paste.size());
        doubleClickAt(d, QPoint(60, 80));
        ASSERT_TRUE(d.model().listEditing);
        ui.listEdit->selectAll();
        ui.listEdit->insertPlainText(paste); // as a paste inserts it
        clickAt(d, QPoint(5, 5));
        EXPECT_EQ(d.model().currentList, list);

        chooseAdd({[&paste](DLGaddset& add) {
            add.listEdit->selectAll();
            add.listEdit->insertPlainText(paste);
            add.accept();
        }});
        EXPECT_EQ(d.model().currentList, list);
        EXPECT_EQ(d.model().sets.setLists.back(), list);
    }
}

TEST_F(CharSetTest, TabCommitsAndEnterGeneratesFromTheOldList)
{
    CVeldraDlg& d = start();
    const Controls ui(d);
    doubleClickAt(d, QPoint(60, 80));
    ASSERT_EQ(d.focusWidget(), ui.listEdit);
    ui.listEdit->setPlainText(QStringLiteral("01"));
    QTest::keyClick(ui.listEdit, Qt::Key_Return);
    EXPECT_TRUE(d.model().listEditing);
    EXPECT_EQ(ui.listEdit->toPlainText(), QStringLiteral("01"));
    EXPECT_EQ(seams.clipboard.size(), 1u);
    EXPECT_NE(ui.resultEdits[0]->text().toStdU16String().find_first_not_of(u"01"),
              std::u16string::npos);

    QTest::keyClick(ui.listEdit, Qt::Key_Tab);
    EXPECT_FALSE(d.model().listEditing);
    EXPECT_EQ(d.model().currentList, u"01");
}

TEST_F(CharSetTest, AMessageDuringAnExchangeCommitsNothing)
{
    store.writeInt(u"mode", 9265);
    CVeldraDlg& d = start();
    const Controls ui(d);
    doubleClickAt(d, QPoint(60, 80));
    ui.listEdit->setPlainText(QStringLiteral("xyz"));
    // The number's exchange fails; its message box takes the focus from the
    // open list edit, and that focus loss must not commit.
    ui.seedNumberEdits[3]->setText(QStringLiteral("123456"));
    ASSERT_EQ(seams.messages.size(), 1u);
    EXPECT_TRUE(d.model().listEditing);
    EXPECT_EQ(d.model().sets.setLists[0], normalizeCharList(DefaultCharList));
    EXPECT_EQ(d.focusWidget(), ui.seedNumberEdits[3]);
}

} // namespace
