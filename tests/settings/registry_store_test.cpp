// The store in the registry, as other programs reading the same key see it:
// every text exactly as written, integers as REG_DWORD, and values of the
// wrong type read as absent and replaced by the next save.

#include <gtest/gtest.h>

#include "platform/windows_api.h"

#include <string>

#include "settings/load_save.h"
#include "settings/program_names.h"
#include "settings/qt_settings_store.h"
#include "settings/setting_table.h"
#include "text/qt_text.h"

namespace {

// A program key of the test's own, removed before and after each test.
class RegistryStore : public testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, programKey().c_str()); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, programKey().c_str()); }

    static QString application()
    {
        return QStringLiteral("tovrik-test-%1").arg(GetCurrentProcessId());
    }
    static std::wstring programKey()
    {
        return (QStringLiteral("Software\\") + toQ(SettingsOrganization) + u'\\' + application())
            .toStdWString();
    }
    static std::wstring sectionKey()
    {
        return programKey() + L"\\" + toQ(SettingsSection).toStdWString();
    }

    static QtSettingsStore open()
    {
        return QtSettingsStore(toQ(SettingsOrganization), application());
    }

    // The value as the registry holds it: its type and its bytes.
    struct Raw {
        DWORD type = REG_NONE;
        std::string bytes;
        bool operator==(const Raw&) const = default;
    };
    static Raw raw(const wchar_t* name)
    {
        Raw value;
        DWORD size = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, sectionKey().c_str(), name, RRF_RT_ANY | RRF_NOEXPAND,
                         &value.type, nullptr, &size) != ERROR_SUCCESS)
            return {};
        value.bytes.resize(size);
        RegGetValueW(HKEY_CURRENT_USER, sectionKey().c_str(), name, RRF_RT_ANY | RRF_NOEXPAND,
                     &value.type, value.bytes.data(), &size);
        value.bytes.resize(size);
        return value;
    }
    static void setRaw(const wchar_t* name, DWORD type, const void* data, DWORD size)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, sectionKey().c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    static Raw sz(std::wstring_view text)
    {
        const std::wstring terminated(text);
        return {REG_SZ, std::string(reinterpret_cast<const char*>(terminated.c_str()),
                                    (terminated.size() + 1) * sizeof(wchar_t))};
    }
    static Raw dword(DWORD number)
    {
        return {REG_DWORD, std::string(reinterpret_cast<const char*>(&number), sizeof number)};
    }
};

TEST_F(RegistryStore, TextsAreStoredExactlyAsTheyAre)
{
    // Texts that a settings layer might escape or decode on the way: the
    // registry must hold, and give back, each one unchanged.
    const std::u16string texts[] = {u"@x",          u"@@x", u"@String(山田)", u"@ByteArray(tane)",
                                    u"@Variant(x)", u"",    u"日本語の鍵",    u"a\\b\"c",
                                    u"#;=[x]"};
    for (const std::u16string& text : texts) {
        SCOPED_TRACE(toQ(text).toStdString());
        {
            QtSettingsStore store = open();
            store.writeText(u"user name", text);
            ASSERT_TRUE(store.flush());
        }
        EXPECT_EQ(raw(L"user name"), sz(toQ(text).toStdWString()));
        EXPECT_EQ(open().readText(u"user name"), text);
    }
}

TEST_F(RegistryStore, TextsWrittenByOtherProgramsAreReadAsTheyAre)
{
    const std::wstring atString = L"@String(山田)";
    setRaw(L"user name", REG_SZ, atString.c_str(), DWORD((atString.size() + 1) * 2));
    // A text with a NUL inside it ends there, and one without its closing
    // NUL is read whole.
    const wchar_t withNul[] = L"A\0B";
    setRaw(L"seed1", REG_SZ, withNul, sizeof withNul);
    const wchar_t unterminated[] = {L'x', L'y'};
    setRaw(L"moji list", REG_SZ, unterminated, sizeof unterminated);
    // The registry's value names ignore case.
    const DWORD twelve = 12;
    setRaw(L"LENGTH", REG_DWORD, &twelve, sizeof twelve);

    const QtSettingsStore store = open();
    EXPECT_EQ(store.access(), StoreAccess::Ours);
    EXPECT_EQ(store.readText(u"user name"), u"@String(山田)");
    EXPECT_EQ(store.readText(u"seed1"), u"A");
    EXPECT_EQ(store.readText(u"moji list"), u"xy");
    EXPECT_EQ(store.readInt(u"length"), 12);
}

TEST_F(RegistryStore, IntegersAreDwordsAndAValueOfTheWrongTypeIsReplaced)
{
    const std::wstring ten = L"10";
    setRaw(L"length", REG_SZ, ten.c_str(), DWORD((ten.size() + 1) * 2));
    const DWORD five = 5;
    setRaw(L"user name", REG_DWORD, &five, sizeof five);
    const char bytes[] = "tane";
    setRaw(L"seed1", REG_BINARY, bytes, 4);

    QtSettingsStore store = open();
    EXPECT_EQ(store.readInt(u"length"), std::nullopt);
    EXPECT_EQ(store.readText(u"user name"), std::nullopt);
    EXPECT_EQ(store.readText(u"seed1"), std::nullopt);
    // So the window loads the defaults, and its first save writes every value
    // with its own type, although "10" equals the default length.
    DialogModel model;
    loadSettings(store, model, SeedEntropy{});
    EXPECT_EQ(model.length, DefaultPasswordLength);
    EXPECT_EQ(model.ownerName, u"○○");
    EXPECT_EQ(model.seedText, u"TANE");
    ASSERT_TRUE(saveSettings(store, model));
    EXPECT_EQ(raw(L"length"), dword(10));
    EXPECT_EQ(raw(L"user name"), sz(L"○○"));
    EXPECT_EQ(raw(L"seed1"), sz(L"TANE"));

    // Negative numbers go through as the same 32 bits.
    store.writeInt(u"complex", -1);
    ASSERT_TRUE(store.flush());
    EXPECT_EQ(raw(L"complex"), dword(0xFFFFFFFFu));
    EXPECT_EQ(open().readInt(u"complex"), -1);
}

TEST_F(RegistryStore, AFirstStartFindsNothingAndASaveMakesTheKey)
{
    QtSettingsStore store = open();
    EXPECT_EQ(store.access(), StoreAccess::Absent);
    EXPECT_EQ(store.readText(u"user name"), std::nullopt);
    EXPECT_TRUE(store.location().startsWith(QStringLiteral("HKEY_CURRENT_USER\\Software\\")));
    DialogModel model;
    loadSettings(store, model, SeedEntropy{});
    ASSERT_TRUE(saveSettings(store, model));
    EXPECT_EQ(open().access(), StoreAccess::Ours);
    EXPECT_EQ(raw(L"mode"), dword(std::uint32_t(StringSeedModeCode)));
}

} // namespace
