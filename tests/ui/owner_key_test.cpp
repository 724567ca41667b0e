// The owner key set in the window: the dialog's paths, what reaches the
// store, the first start, and the hints while the key is empty.
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>

#include "settings/key_strength.h"
#include "tests/ui/window_fixture.h"
#include "text/control_characters.h"
#include "ui/about_dlg.h"
#include "ui/owner_key_dlg.h"
#include "ui/system_menu.h"

namespace {

const std::u16string KeyName(u"unique key");
// Random words apart by spaces: strong enough that nothing is asked.
const QString StrongKey = QStringLiteral("feast capillary city hazard watch able");

// The first password of owner "テスト" and seed "TANE" with the default list
// at length 10 and StrongKey, from the independent reference generator
// (tests/engine); without the key it would be "2F=AoJq<hm".
const QString FirstWithStrongKey = QStringLiteral("LNh/sRxnSA");

class OwnerKeyTest : public WindowTest {
protected:
    // Opens the owner key's dialog from the window menu; the script acts in it.
    void setKeyFromMenu(CVeldraDlg& d, std::function<int(COwnerKeyDlg&)> script)
    {
        seams.modalScripts.push_back(
            [script](QDialog& opened) { return script(dynamic_cast<COwnerKeyDlg&>(opened)); });
        d.onSysCommand(OwnerKeyCommandId);
    }

    // Types the key twice as a user would, and presses Enter.
    // Typed; a key with a control character, which no key types, pasted.
    static void enter(QLineEdit* edit, const QString& text)
    {
        if (holdsControlCharacters(fromQ(text))) {
            QGuiApplication::clipboard()->setText(text);
            QTest::keySequence(edit, QKeySequence::Paste);
        } else {
            QTest::keyClicks(edit, text);
        }
    }

    static int typeTwice(COwnerKeyDlg& key, const QString& first, const QString& second)
    {
        enter(key.keyEdit, first);
        enter(key.repeatEdit, second);
        QTest::keyClick(key.repeatEdit, Qt::Key_Return);
        return key.result();
    }
};

TEST_F(OwnerKeyTest, AKeyTypedTwiceIsStoredAloneAndMakesThePasswords)
{
    store.writeText(u"user name", u"テスト");
    store.writeText(KeyName, u"");
    CVeldraDlg& d = start();
    store.clearWrites();
    setKeyFromMenu(d, [](COwnerKeyDlg& key) {
        EXPECT_EQ(key.windowTitle(), QStringLiteral("所有者キーの設定"));
        EXPECT_EQ(key.focusWidget(), key.keyEdit);
        EXPECT_EQ(key.keyEdit->echoMode(), QLineEdit::Password);
        EXPECT_EQ(key.repeatEdit->echoMode(), QLineEdit::Password);
        EXPECT_EQ(key.keyEdit->accessibleName(), QStringLiteral("所有者キー"));
        EXPECT_EQ(key.repeatEdit->accessibleName(), QStringLiteral("所有者キーの確認"));
        const int result = typeTwice(key, StrongKey, StrongKey);
        if (estimatedKeyBits(u"x", u"")) // a build with an estimator shows the strength
            EXPECT_TRUE(key.strengthLabel->text().startsWith(QStringLiteral("強さ: 約 ")));
        else
            EXPECT_TRUE(key.strengthLabel->isHidden());
        return result;
    });

    // Only the key was written, at once; the window's passwords use it.
    ASSERT_EQ(store.writes().size(), 1u);
    EXPECT_EQ(store.writes()[0].name, KeyName);
    EXPECT_EQ(text(KeyName), fromQ(StrongKey));
    EXPECT_TRUE(seams.messages.empty());
    Controls(d).generateButton->click();
    EXPECT_EQ(Controls(d).resultEdits[0]->text(), FirstWithStrongKey);
}

TEST_F(OwnerKeyTest, ARefusedEntryKeepsTheDialogOpenAndTheStoreAsItWas)
{
    struct Case {
        const char* what;
        QString first, second;
        bool confirmWeak;
        const char* message; // the kind of box shown
        bool set;
    };
    const Case cases[] = {
        {"empty", {}, {}, false, "warning", false},
        {"mismatch", StrongKey, StrongKey + u'x', false, "warning", false},
        // A tab pasted with the key would change every password unseen.
        {"control character", StrongKey + u'\t', StrongKey + u'\t', false, "warning", false},
        {"weak, declined", QStringLiteral("password1"), QStringLiteral("password1"), false,
         "confirm", false},
        {"weak, confirmed", QStringLiteral("password1"), QStringLiteral("password1"), true,
         "confirm", true},
    };
    const bool estimated = estimatedKeyBits(u"x", u"").has_value();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const bool weak = std::string_view(c.message) == "confirm";
        if (weak && !estimated)
            continue; // a build without an estimator asks nothing
        store = MemorySettingsStore();
        store.writeText(KeyName, u"old");
        seams.messages.clear();
        seams.confirmAnswer = c.confirmWeak;
        CVeldraDlg& d = start();
        bool stillOpen = false;
        setKeyFromMenu(d, [&](COwnerKeyDlg& key) {
            const int result = typeTwice(key, c.first, c.second);
            stillOpen = key.isVisible();
            return result;
        });
        ASSERT_EQ(seams.messages.size(), 1u);
        EXPECT_EQ(seams.messages[0].kind, QString::fromLatin1(c.message));
        EXPECT_EQ(stillOpen, !c.set);
        EXPECT_EQ(text(KeyName), c.set ? fromQ(c.first) : u"old");
        EXPECT_EQ(d.model().ownerKey, text(KeyName));
        if (weak) { // its strength against the advice
            EXPECT_NE(seams.messages[0].text.indexOf(QString::number(AdvisedKeyBits)), -1);
        }
    }
}

TEST_F(OwnerKeyTest, CancelAndEscapeChangeNothing)
{
    store.writeText(KeyName, u"old");
    CVeldraDlg& d = start();
    store.clearWrites();
    setKeyFromMenu(d, [](COwnerKeyDlg& key) {
        QTest::keyClicks(key.keyEdit, StrongKey);
        QTest::keyClicks(key.repeatEdit, StrongKey);
        QTest::keyClick(key.repeatEdit, Qt::Key_Escape);
        EXPECT_FALSE(key.isVisible());
        return key.result();
    });
    EXPECT_TRUE(store.writes().empty());
    EXPECT_EQ(d.model().ownerKey, u"old");
}

TEST_F(OwnerKeyTest, AKeySetMeanwhileByAnotherProgramIsKeptAndUsed)
{
    store.writeText(KeyName, u"old");
    CVeldraDlg& d = start();
    store.writeText(KeyName, u"theirs"); // tovrik-settings, say, after the window read it
    setKeyFromMenu(d, [](COwnerKeyDlg& key) { return typeTwice(key, StrongKey, StrongKey); });
    EXPECT_EQ(text(KeyName), u"theirs");
    EXPECT_EQ(d.model().ownerKey, u"theirs"); // the next save does not undo it
    ASSERT_EQ(seams.messages.size(), 1u);
    EXPECT_EQ(seams.messages[0].kind, QStringLiteral("warning"));
}

bool aboutNotesAnEmptyKey(FakeSeams& seams, CVeldraDlg& d)
{
    bool noted = false;
    seams.modalScripts.push_back([&noted](QDialog& opened) {
        noted = opened.findChild<QLabel*>(QStringLiteral("emptyKeyNote")) != nullptr;
        return int(QDialog::Rejected);
    });
    d.onSysCommand(AboutCommandId);
    return noted;
}

TEST_F(OwnerKeyTest, WhileTheKeyIsEmptyTheMenuAndTheAboutBoxSaySo)
{
    CVeldraDlg& d = start();
#ifndef Q_OS_WIN
    EXPECT_TRUE(windowMenuItems(d).contains(QStringLiteral("所有者キーの設定(&K)...（未設定）")));
#endif
    EXPECT_TRUE(aboutNotesAnEmptyKey(seams, d));
    setKeyFromMenu(d, [](COwnerKeyDlg& key) { return typeTwice(key, StrongKey, StrongKey); });
#ifndef Q_OS_WIN
    EXPECT_TRUE(windowMenuItems(d).contains(QStringLiteral("所有者キーの設定(&K)...")));
#endif
    EXPECT_FALSE(aboutNotesAnEmptyKey(seams, d));
}

// A first start asks for the key over the shown window; a cancel goes on
// with the empty key, which the start-up save has stored (so the store
// exists, and the next start is no first start).
TEST_F(OwnerKeyTest, AFirstStartAsksOverTheShownWindow)
{
    bool overTheWindow = false;
    seams.modalScripts.push_back([&overTheWindow](QDialog& opened) {
        auto& key = dynamic_cast<COwnerKeyDlg&>(opened);
        overTheWindow = key.parentWidget() != nullptr && key.parentWidget()->isVisible();
        key.reject();
        return key.result();
    });
    dialog = std::make_unique<CVeldraDlg>(store, seams, QStringLiteral("/tmp/store.conf"));
    dialog->askOwnerKeyAtFirstStart();
    dialog->show();
    QTRY_COMPARE(seams.modalRuns, 1);
    EXPECT_TRUE(overTheWindow);
    EXPECT_EQ(text(KeyName), u"");
    EXPECT_TRUE(dialog->isVisible());
}

} // namespace
