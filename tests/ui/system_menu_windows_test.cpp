// The window's items in the native system menu of a real window: the items
// the window appends, and WM_SYSCOMMAND with its id, as the menu sends it,
// opening the about box. Needs the windows platform (the suite's second
// run); on the offscreen one the window has no native menu.

#include <gtest/gtest.h>

#include "platform/windows_api.h"

#include "tests/ui/window_fixture.h"
#include "ui/owner_key_dlg.h"
#include "ui/system_menu.h"

namespace {

class NativeSystemMenu : public WindowTest {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != u"windows")
            GTEST_SKIP() << "the native system menu needs the windows platform, not "
                         << QGuiApplication::platformName().toStdString();
    }
};

TEST_F(NativeSystemMenu, AboutItemOpensTheAboutBox)
{
    CVeldraDlg& window = start();
    const HWND hwnd = reinterpret_cast<HWND>(window.winId());
    const HMENU menu = GetSystemMenu(hwnd, FALSE);
    ASSERT_NE(menu, nullptr);

    wchar_t text[64] = {};
    ASSERT_GT(GetMenuStringW(menu, AboutCommandId, text, 64, MF_BYCOMMAND), 0);
    EXPECT_EQ(QString::fromWCharArray(text), QStringLiteral("バージョン情報 (&A)..."));

    // What the menu sends when the item is chosen, through the window's
    // message queue; the fake seams show the about box and close it.
    bool aboutShown = false;
    seams.modalScripts.push_back([&aboutShown](QDialog& about) {
        aboutShown = about.isVisible();
        return int(QDialog::Rejected);
    });
    PostMessageW(hwnd, WM_SYSCOMMAND, AboutCommandId, 0);
    QTRY_COMPARE(seams.modalRuns, 1);
    EXPECT_TRUE(aboutShown);

    // The window's other system commands stay the system's.
    EXPECT_TRUE(window.isVisible());
}

// The owner key's item says that the key is empty until one is set there.
TEST_F(NativeSystemMenu, OwnerKeyItemSetsTheKeyAndLosesItsEmptyMark)
{
    CVeldraDlg& window = start();
    const HWND hwnd = reinterpret_cast<HWND>(window.winId());
    const HMENU menu = GetSystemMenu(hwnd, FALSE);
    ASSERT_NE(menu, nullptr);
    const auto itemText = [menu] {
        wchar_t text[64] = {};
        GetMenuStringW(menu, OwnerKeyCommandId, text, 64, MF_BYCOMMAND);
        return QString::fromWCharArray(text);
    };
    EXPECT_EQ(itemText(), QStringLiteral("所有者キーの設定(&K)...（未設定）"));

    seams.confirmAnswer = true; // a weak key, where the build estimates it
    seams.modalScripts.push_back([](QDialog& opened) {
        auto& key = dynamic_cast<COwnerKeyDlg&>(opened);
        key.keyEdit->setText(QStringLiteral("a key typed in the window"));
        key.repeatEdit->setText(key.keyEdit->text());
        key.accept();
        return key.result();
    });
    PostMessageW(hwnd, WM_SYSCOMMAND, OwnerKeyCommandId, 0);
    QTRY_COMPARE(seams.modalRuns, 1);
    EXPECT_EQ(store.readText(u"unique key"), u"a key typed in the window");
    EXPECT_EQ(itemText(), QStringLiteral("所有者キーの設定(&K)..."));
}

} // namespace
