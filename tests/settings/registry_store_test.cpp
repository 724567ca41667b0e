// The store in the registry, as other programs reading the same key see it:
// every text exactly as written, integers as REG_DWORD; a number of the
// wrong type reads as absent and is replaced by the next save, a text of
// the wrong type is refused and backed up before anything saves over it.

#include <gtest/gtest.h>

#include "platform/windows_api.h"

#include <aclapi.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "settings/backup_folder.h"
#include "settings/load_save.h"
#include "settings/program_names.h"
#include "settings/setting_table.h"
#include "settings/store_backup.h"
#include "settings/user_settings_store.h"
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

    static UserSettingsStore open()
    {
        return UserSettingsStore(StoreIdentity::ofWindow(application()));
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
            UserSettingsStore store = open();
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

    const UserSettingsStore store = open();
    EXPECT_EQ(store.access(), StoreAccess::Ours);
    EXPECT_EQ(store.readText(u"user name"), u"@String(山田)");
    EXPECT_EQ(store.readText(u"seed1"), u"A");
    EXPECT_EQ(store.readText(u"moji list"), u"xy");
    EXPECT_EQ(store.readInt(u"length"), 12);
}

TEST_F(RegistryStore, NumbersOfTheWrongTypeReadAsTheirDefaultAndAreReplaced)
{
    const std::wstring ten = L"10";
    setRaw(L"length", REG_SZ, ten.c_str(), DWORD((ten.size() + 1) * 2));
    const unsigned long long one = 1;
    setRaw(L"complex", REG_QWORD, &one, sizeof one);

    UserSettingsStore store = open();
    EXPECT_EQ(store.access(), StoreAccess::Ours) << store.problem().toStdString();
    EXPECT_EQ(store.readInt(u"length"), std::nullopt);
    EXPECT_EQ(store.readInt(u"complex"), std::nullopt);
    // So the window loads the defaults, and its first save writes every value
    // with its own type, although "10" equals the default length.
    StoredSettings model;
    loadSettings(store, model, SeedEntropy{});
    EXPECT_EQ(model.length, DefaultPasswordLength);
    EXPECT_EQ(model.complexity, 0);
    ASSERT_TRUE(saveSettings(store, model));
    EXPECT_EQ(raw(L"length"), dword(10));
    EXPECT_EQ(raw(L"complex"), dword(0));

    // Negative numbers go through as the same 32 bits.
    store.writeInt(u"complex", -1);
    ASSERT_TRUE(store.flush());
    EXPECT_EQ(raw(L"complex"), dword(0xFFFFFFFFu));
    EXPECT_EQ(open().readInt(u"complex"), -1);
}

TEST_F(RegistryStore, ATextOfTheWrongTypeIsBackedUpBeforeAnythingSavesOverIt)
{
    const wchar_t expandable[] = L"%USERNAME% key";
    const wchar_t multi[] = L"my\0key\0";
    const unsigned long long quad = 0x0123456789ABCDEFull;
    const char binary[] = {'k', 'e', 'y'};
    const DWORD number = 7;
    struct Case {
        const char* type;
        DWORD code;
        const void* data;
        DWORD size;
    };
    const Case cases[] = {
        {"REG_EXPAND_SZ", REG_EXPAND_SZ, expandable, sizeof expandable},
        {"REG_MULTI_SZ", REG_MULTI_SZ, multi, sizeof multi},
        {"REG_QWORD", REG_QWORD, &quad, sizeof quad},
        {"REG_BINARY", REG_BINARY, binary, sizeof binary},
        {"REG_DWORD", REG_DWORD, &number, sizeof number},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        SetUp();
        setRaw(L"unique key", c.code, c.data, c.size);
        const std::wstring name = L"Mine";
        setRaw(L"user name", REG_SZ, name.c_str(), DWORD((name.size() + 1) * 2));
        const Raw stored = raw(L"unique key");

        // Refused, naming the value and its type, and never saved over.
        UserSettingsStore store = open();
        EXPECT_EQ(store.access(), StoreAccess::Unreadable);
        const QString problem = store.problem();
        EXPECT_NE(problem.indexOf(QStringLiteral("'unique key' is ") + QString::fromLatin1(c.type)),
                  -1)
            << problem.toStdString();
        EXPECT_NE(problem.indexOf(store.location()), -1);
        StoredSettings model;
        loadSettings(store, model, SeedEntropy{});
        EXPECT_EQ(model.ownerName, u"Mine");
        EXPECT_FALSE(saveSettings(store, model));
        EXPECT_EQ(raw(L"unique key"), stored);

        // Backed up with its own type, in the user's own folder, before a
        // fresh start saves over it.
        const Result<StoreBackup> backup = backupStore(store, QDateTime::currentDateTime());
        ASSERT_TRUE(backup) << backup.error().message;
        ASSERT_TRUE(backup->made);
        const QString folder = QDir::fromNativeSeparators(
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u'/' +
            toQ(SettingsOrganization));
        EXPECT_TRUE(QDir::fromNativeSeparators(backup->path).startsWith(folder))
            << backup->path.toStdString();
        QFile file(backup->path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const QString text = QString::fromUtf16(
            reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
        // A number as a dword, anything else as hex data of its type.
        const QString hex =
            QString::fromLatin1(QByteArray(static_cast<const char*>(c.data), c.size).toHex(','));
        const QString line = c.code == REG_DWORD ? QStringLiteral("dword:00000007")
                             : c.code == REG_BINARY
                                 ? QStringLiteral("hex:") + hex
                                 : QStringLiteral("hex(%1):").arg(c.code, 0, 16) + hex;
        EXPECT_NE(text.indexOf(QStringLiteral("\"unique key\"=") + line), -1) << text.toStdString();
        file.close();
        QFile::remove(backup->path);

        store.allowOverwrite();
        ASSERT_TRUE(saveSettings(store, model));
        EXPECT_EQ(raw(L"unique key"), sz(L""));
        EXPECT_EQ(raw(L"user name"), sz(L"Mine"));
    }
}

TEST_F(RegistryStore, TheBackupFolderIsTheUsersAlone)
{
    const Result<QString> folder = privateBackupFolder(StoreIdentity::ofWindow().organization);
    ASSERT_TRUE(folder) << folder.error().message;
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    std::wstring path = QDir::toNativeSeparators(*folder).toStdWString();
    ASSERT_EQ(GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, &list, nullptr, &descriptor),
              ERROR_SUCCESS);
    ASSERT_NE(list, nullptr);
    // Wine accepts the list but answers with a default one of its own.
    if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr) {
        LocalFree(descriptor);
        GTEST_SKIP() << "Wine keeps no access list of a file";
    }
    EXPECT_EQ(list->AceCount, 1);
    void* ace = nullptr;
    ASSERT_TRUE(GetAce(list, 0, &ace));
    const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
    EXPECT_EQ(allowed->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    ASSERT_TRUE(GetTokenInformation(token, TokenUser, user.data(), size, &size));
    CloseHandle(token);
    EXPECT_TRUE(EqualSid(const_cast<DWORD*>(&allowed->SidStart),
                         reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid));
    LocalFree(descriptor);
}

TEST_F(RegistryStore, AValueThatGrowsWhileItIsReadIsReadWhole)
{
    // Another program saves the owner key, long and short by turns, while
    // this one loads: each load reads one of the two keys whole.
    const std::wstring keys[] = {std::wstring(2000, L'L'), L"short"};
    setRaw(L"unique key", REG_SZ, keys[1].c_str(), DWORD((keys[1].size() + 1) * 2));
    std::atomic<bool> writing{true};
    std::thread writer([&] {
        HKEY key = nullptr;
        RegOpenKeyExW(HKEY_CURRENT_USER, sectionKey().c_str(), 0, KEY_SET_VALUE, &key);
        // As often as saves come, not in a loop that never stops: a key
        // that keeps changing is refused, as a file would be.
        for (int n = 0; n < 60; ++n) {
            const std::wstring& text = keys[n % 2];
            RegSetValueExW(key, L"unique key", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(text.c_str()),
                           DWORD((text.size() + 1) * 2));
            Sleep(20);
        }
        RegCloseKey(key);
        writing = false;
    });
    int loads = 0;
    std::vector<std::string> problems;
    while (writing) {
        const UserSettingsStore store = open();
        ++loads;
        const std::optional<std::u16string> key = store.readText(u"unique key");
        if (store.access() != StoreAccess::Ours ||
            !(key == fromQ(QString::fromStdWString(keys[0])) || key == u"short"))
            problems.push_back(store.problem().toStdString());
    }
    writer.join();
    EXPECT_TRUE(problems.empty()) << problems.size() << " of " << loads << ": " << problems.front();
}

TEST_F(RegistryStore, AFirstStartFindsNothingAndASaveMakesTheKey)
{
    UserSettingsStore store = open();
    EXPECT_EQ(store.access(), StoreAccess::Absent);
    EXPECT_EQ(store.readText(u"user name"), std::nullopt);
    EXPECT_TRUE(store.location().startsWith(QStringLiteral("HKEY_CURRENT_USER\\Software\\")));
    StoredSettings model;
    loadSettings(store, model, SeedEntropy{});
    ASSERT_TRUE(saveSettings(store, model));
    EXPECT_EQ(open().access(), StoreAccess::Ours);
    EXPECT_EQ(raw(L"mode"), dword(std::uint32_t(StringSeedModeCode)));
}

} // namespace
