// The window in its two languages: which one a user's system chooses, an
// English window free of Japanese, a Japanese one as the code writes it,
// texts that fit the fixed layout in both, and the same data whatever the
// language.
#include <QAccessible>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QStyleOptionButton>

#include <algorithm>

#include "tests/ui/window_fixture.h"
#include "ui/about_dlg.h"
#include "ui/add_set_dlg.h"
#include "ui/dialog_units.h"
#include "ui/owner_key_dlg.h"
#include "ui/qt_translation.h"

namespace {

// The build's translations, found also where the tests do not run beside
// the window's program.
QStringList testFolders()
{
    return translationFolders() << QStringLiteral(TOVRIK_BUILD_TRANSLATIONS);
}

bool hasJapanese(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0x3000 && u <= 0x30FF) || (u >= 0x4E00 && u <= 0x9FFF) ||
               (u >= 0xFF00 && u <= 0xFFEF);
    });
}

// Every text a window shows or speaks, each with what it belongs to: the
// title, the controls' texts and items, tooltips, and the names and
// descriptions a screen reader gets.
std::vector<std::pair<QString, QString>> textsOf(QWidget* window)
{
    std::vector<std::pair<QString, QString>> texts = {
        {QStringLiteral("title"), window->windowTitle()}};
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->window() != window)
            continue; // the combo box's own popup
        const QString owner = w->objectName().isEmpty()
                                  ? QString::fromLatin1(w->metaObject()->className())
                                  : w->objectName();
        auto add = [&](const QString& text) { texts.push_back({owner, text}); };
        if (auto* label = qobject_cast<QLabel*>(w))
            add(label->text());
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            add(button->text());
        if (auto* group = qobject_cast<QGroupBox*>(w))
            add(group->title());
        if (auto* combo = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < combo->count(); ++i)
                add(combo->itemText(i));
        add(w->toolTip());
        if (QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(w)) {
            add(spoken->text(QAccessible::Name));
            add(spoken->text(QAccessible::Description));
        }
    }
    return texts;
}

void expectNoJapanese(const std::vector<std::pair<QString, QString>>& texts)
{
    for (const auto& [owner, text] : texts)
        EXPECT_FALSE(hasJapanese(text)) << owner.toStdString() << ": " << text.toStdString();
}

// Qt's own texts: the standard menu of an edit.
QStringList qtMenuTexts()
{
    QLineEdit edit;
    const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << action->text();
    return texts;
}

TEST(UiLanguage, JapaneseForJapaneseAndTheCLocaleEnglishForEveryOther)
{
    const std::pair<QStringList, UiLanguage> cases[] = {
        {{"ja-JP", "ja-Jpan-JP", "ja"}, UiLanguage::Japanese},
        {{"ja"}, UiLanguage::Japanese},
        {{"C"}, UiLanguage::Japanese}, // LANG=C, C.UTF-8, POSIX
        {{}, UiLanguage::Japanese},
        {{"en-US", "en-Latn-US", "en"}, UiLanguage::English},
        {{"de-DE"}, UiLanguage::English},
        {{"fr", "fr-Latn-FR", "en"}, UiLanguage::English}, // LANGUAGE=fr:en
        {{"fr", "ja"}, UiLanguage::English},               // the first one decides
        {{"en", "ja-JP"}, UiLanguage::English},
    };
    for (const auto& [languages, expected] : cases)
        EXPECT_EQ(uiLanguageOf(languages), expected) << languages.join(u',').toStdString();
}

TEST_F(WindowTest, TheEnglishWindowItsDialogsAndMessagesHoldNoJapanese)
{
    const UiTranslation english(UiLanguage::English, testFolders());
    ASSERT_EQ(english.language(), UiLanguage::English);
    store.setFlushFails(true); // the failed save's warning
    CVeldraDlg& d = start();
    const Controls ui(d);
    expectNoJapanese(textsOf(&d));
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Tovrik (for ○○)")); // the owner name is data
#ifndef Q_OS_WIN // Windows has the item in the native window menu.
    EXPECT_EQ(windowMenuItems(d), (QStringList{QStringLiteral("&About Tovrik..."),
                                               QStringLiteral("Owner &key... (not set)")}));
#endif
    for (const QString& text : qtMenuTexts())
        EXPECT_FALSE(hasJapanese(text)) << text.toStdString();

    CAboutDlg about(&d);
    about.noteEmptyOwnerKey();
    expectNoJapanese(textsOf(&about));
    COwnerKeyDlg key(seams, QStringLiteral("○○"), &d);
    key.keyEdit->setText(QStringLiteral("weak"));
    expectNoJapanese(textsOf(&key));

    // The add dialog, and its stop box for the reserved name; the name it
    // proposes is data, the same in every language.
    seams.modalScripts.push_back([](QDialog& opened) {
        auto& add = dynamic_cast<DLGaddset&>(opened);
        EXPECT_EQ(add.nameEdit->text(), QStringLiteral("文字セット_01"));
        add.nameEdit->clear();
        expectNoJapanese(textsOf(&add));
        add.nameEdit->setText(QStringLiteral("（追加）"));
        add.accept();
        add.nameEdit->setText(QStringLiteral("default"));
        add.accept();
        return add.result();
    });
    seams.modalScripts.push_back([](QDialog&) { return int(QDialog::Rejected); });
    ui.setCombo->setCurrentIndex(1);
    emit ui.setCombo->activated(1);

    // Every other message: a seed number that is no number, one out of
    // range, "default" deleted, an empty list.
    ui.numericSeedRadio->click();
    ui.seedNumberEdits[0]->setText(QStringLiteral("x"));
    ui.seedNumberEdits[0]->setText(QStringLiteral("100000"));
    ui.seedNumberEdits[0]->setText(QStringLiteral("1"));
    ui.deleteButton->click();
    // A double-click opens the list: unlike F2, it needs no active window,
    // which Wine's offscreen platform does not give back after a dialog.
    QApplication::setActiveWindow(&d); // back from the add dialog
    doubleClickAt(d, ui.listEdit->geometry().center());
    ui.listEdit->clear();
    QTest::keyClick(ui.listEdit, Qt::Key_Tab);
    ui.generateButton->click();

    ASSERT_EQ(seams.messages.size(), 7u);
    for (const FakeSeams::Message& message : seams.messages) {
        EXPECT_FALSE(hasJapanese(message.caption)) << message.caption.toStdString();
        EXPECT_FALSE(hasJapanese(message.text)) << message.text.toStdString();
    }
    EXPECT_EQ(seams.messages[1].caption, QStringLiteral("Tovrik 1.02"));
}

// The Japanese window is the code's own texts, with nothing of the English
// translation in it, and Qt's texts in Japanese.
TEST_F(WindowTest, TheJapaneseWindowIsTheCodesOwnTexts)
{
    const auto texts = [this] {
        CVeldraDlg& d = start();
        auto all = textsOf(&d);
#ifndef Q_OS_WIN
        all.push_back({QStringLiteral("menu"), windowMenuItems(d).join(u'|')});
#endif
        {
            CAboutDlg about(&d);
            about.noteEmptyOwnerKey();
            const auto aboutTexts = textsOf(&about);
            all.insert(all.end(), aboutTexts.begin(), aboutTexts.end());
            DLGaddset add(seams, &d);
            const auto addTexts = textsOf(&add);
            all.insert(all.end(), addTexts.begin(), addTexts.end());
            COwnerKeyDlg key(seams, QStringLiteral("○○"), &d);
            key.keyEdit->setText(QStringLiteral("weak"));
            const auto keyTexts = textsOf(&key);
            all.insert(all.end(), keyTexts.begin(), keyTexts.end());
        }
        dialog.reset();
        return all;
    };
    const auto source = texts();
    const UiTranslation japanese(UiLanguage::Japanese, testFolders());
    EXPECT_EQ(japanese.language(), UiLanguage::Japanese);
    EXPECT_EQ(texts(), source);
    EXPECT_TRUE(qtMenuTexts().join(QString()).contains(QStringLiteral("貼り付け")));
}

// Without its English texts the window stays Japanese, Qt's texts with it,
// rather than mix the two.
TEST(UiTranslationFallback, WithoutTheEnglishTextsEverythingStaysJapanese)
{
    const UiTranslation english(UiLanguage::English, {QStringLiteral("/nonexistent")});
    EXPECT_EQ(english.language(), UiLanguage::Japanese);
    EXPECT_TRUE(qtMenuTexts().join(QString()).contains(QStringLiteral("貼り付け")));
}

// Where a control's text is drawn: the part of the control that is not
// frame or indicator.
int roomForText(QAbstractButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    QStyle::SubElement element = QStyle::SE_PushButtonContents;
    if (qobject_cast<QCheckBox*>(button))
        element = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<QRadioButton*>(button))
        element = QStyle::SE_RadioButtonContents;
    return button->style()->subElementRect(element, &option, button).width();
}

int textWidth(const QWidget* widget, const QString& text)
{
    return widget->fontMetrics().size(Qt::TextShowMnemonic, text).width();
}

// No text wider than its control, and no label or button that grew to hold
// its text over another control.
void expectTextsFit(QWidget* window)
{
    const QList<QWidget*> children = window->findChildren<QWidget*>();
    const auto grown = [](const QWidget* w) {
        return qobject_cast<const QLabel*>(w) || qobject_cast<const QCheckBox*>(w) ||
               qobject_cast<const QRadioButton*>(w);
    };
    for (QWidget* w : children) {
        if (w->window() != window || w->isHidden())
            continue;
        QString text;
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            text = button->text();
            EXPECT_LE(textWidth(button, text), roomForText(button)) << text.toStdString();
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            // The frame's corner and a margin on either side of the title.
            EXPECT_LE(textWidth(group, group->title()), group->width() - 16)
                << group->title().toStdString();
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            text = label->text();
            // A wrapped text needs the height of its lines at the label's width.
            if (label->wordWrap())
                EXPECT_LE(label->heightForWidth(label->contentsRect().width()),
                          label->contentsRect().height())
                    << text.toStdString();
            else
                EXPECT_LE(textWidth(label, text), label->contentsRect().width())
                    << text.toStdString();
        }
        if (!grown(w))
            continue;
        for (QWidget* other : children) {
            if (other != w && other->parentWidget() == window && !other->isHidden() &&
                !qobject_cast<QLabel*>(other) && !qobject_cast<QGroupBox*>(other)) {
                EXPECT_FALSE(w->geometry().intersects(other->geometry()))
                    << text.toStdString() << " over " << other->objectName().toStdString();
            }
        }
    }
}

class FitTest : public WindowTest, public testing::WithParamInterface<UiLanguage> {};

TEST_P(FitTest, EveryTextFitsItsControlAtTheLayoutsFont)
{
    // Widths mean something only in a face the layout asks for; a platform
    // without any of them (Wine's offscreen platform has no fonts at all)
    // measures placeholder glyphs.
    const QStringList faces = templateFont(QStringLiteral("MS UI Gothic"), 9).families();
    const QStringList present = QFontDatabase::families();
    if (std::none_of(faces.begin(), faces.end(),
                     [&](const QString& face) { return present.contains(face); }))
        GTEST_SKIP() << "none of the layout's faces is installed";
    const UiTranslation translation(GetParam(), testFolders());
    ASSERT_EQ(translation.language(), GetParam());
    store.writeInt(u"spread", 4); // every result box shown
    CVeldraDlg& d = start();
    expectTextsFit(&d);
    CAboutDlg about(&d);
    about.noteEmptyOwnerKey();
    expectTextsFit(&about);
    DLGaddset add(seams, &d);
    expectTextsFit(&add);
    COwnerKeyDlg key(seams, QStringLiteral("○○"), &d);
    key.keyEdit->setText(QStringLiteral("weak"));
    key.show(); // its layout sets its size
    expectTextsFit(&key);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, FitTest,
                         testing::Values(UiLanguage::Japanese, UiLanguage::English),
                         [](const testing::TestParamInfo<UiLanguage>& param) {
                             return param.param == UiLanguage::English ? "English" : "Japanese";
                         });

// What one session leaves behind: every value written to the store in
// order, the reports put on the clipboard, and the passwords shown.
struct Outcome {
    std::vector<NamedValue> writes;
    std::vector<QString> reports;
    QStringList passwords;
};

class SameDataTest : public WindowTest {
protected:
    // Generates, spreads, adds a set under its proposed name, generates from
    // the seed numbers and closes the about box with OK.
    Outcome session(UiLanguage language)
    {
        const UiTranslation translation(language, testFolders());
        EXPECT_EQ(translation.language(), language);
        store = MemorySettingsStore();
        seams.clipboard.clear();
        CVeldraDlg& d = start();
        const Controls ui(d);
        ui.generateButton->click();
        ui.spreadButton->click();
        seams.modalScripts.push_back([](QDialog& add) {
            add.accept();
            return add.result();
        });
        ui.setCombo->setCurrentIndex(1);
        emit ui.setCombo->activated(1);
        ui.numericSeedRadio->click();
        ui.generateButton->click();
        seams.modalScripts.push_back([](QDialog& about) {
            about.accept();
            return about.result();
        });
        d.onSysCommand(0x0010);
        Outcome outcome{store.writes(), seams.clipboard, {}};
        for (QLineEdit* box : ui.resultEdits)
            outcome.passwords << box->text();
        dialog.reset();
        return outcome;
    }
};

TEST_F(SameDataTest, PasswordsReportsAndStoredValuesAreTheSameInBothLanguages)
{
    const Outcome japanese = session(UiLanguage::Japanese);
    const Outcome english = session(UiLanguage::English);
    ASSERT_EQ(japanese.reports.size(), 3u);
    EXPECT_TRUE(japanese.reports[0].startsWith(QStringLiteral("[ トヴリク ver1.02 ]\r\n")));
    EXPECT_FALSE(japanese.passwords[0].isEmpty());
    EXPECT_TRUE(english.writes == japanese.writes);
    EXPECT_EQ(english.reports, japanese.reports);
    EXPECT_EQ(english.passwords, japanese.passwords);
}

} // namespace
