#include "cli/tovrik-settings/run_settings.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>

#include <functional>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

#include "settings/registry_mapping.h"
#include "settings/store_backup.h"
#include "settings/user_settings_store.h"
#include "tests/support/config_home.h"
#include "tests/support/forwarding_session.h"
#include "tests/support/reg_fixtures.h"
#include "tests/support/window_store.h"

namespace {

class NoInput : public SecretInput {
public:
    bool isTerminal() override { return false; }
    SecretRead readHidden(std::string_view) override { return ReadFailure::InputEnded; }
    SecretRead readLine() override { return ReadFailure::InputEnded; }
};

// tovrik-settings as the program runs it, on a store in a folder of the
// test's own.
class SettingsOnDisk : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString folder() const { return storeFolderIn(configHome_); }
    QString storeFile() const { return storeFileIn(configHome_); }

    QByteArray bytesOf(const QString& path) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void putStore(const QByteArray& bytes) const
    {
        ASSERT_TRUE(QDir().mkpath(folder()));
        QFile file(storeFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QStringList folderEntries() const
    {
        return QDir(folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    std::string file(const char* name, const std::string& bytes) const
    {
        QFile out(dir_.filePath(QString::fromLatin1(name)));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return out.fileName().toStdString();
    }

    ExitStatus run(std::vector<std::string> args, std::string* out = nullptr,
                   std::string* err = nullptr)
    {
        NoInput input;
        std::ostringstream o, e;
        const ExitStatus status = runSettings(args, o, e, systemSettingsEnvironment(input));
        if (out)
            *out = o.str();
        if (err)
            *err = e.str();
        return status;
    }

    QTemporaryDir dir_;
    QString configHome_ = dir_.filePath(QStringLiteral("config"));
    ScopedConfigHome scopedHome_{configHome_};
};

const QByteArray OldStore = "[setting102]\nunique%20key=old key\nlength=16\nmojisetmax=1\n";

// A window copied under another executable name keeps a store of its own;
// --app reaches it, and leaves the usual window's alone.
TEST_F(SettingsOnDisk, AppChoosesTheStoreOfAnotherExecutableName)
{
    putStore(OldStore);
    const QString other = folder() + QStringLiteral("/Tovrik2.conf");
    const std::u16string key =
        u"[HKEY_CURRENT_USER\\Software\\Ostrel Applications\\Tovrik2\\setting102]\n";
    const std::string reg = file(
        "tovrik2.reg", utf16File(u"Windows Registry Editor Version 5.00\n\n" + key +
                                 u"\"unique key\"=\"second key\"\n\"length\"=dword:00000014\n"));
    std::string out;
    ASSERT_EQ(run({"import", reg, "--app", "Tovrik2"}, &out), ExitStatus::Ok) << out;
    EXPECT_EQ(bytesOf(storeFile()), OldStore);
    EXPECT_TRUE(bytesOf(other).contains("length=20\n")) << bytesOf(other).toStdString();

    ASSERT_EQ(run({"path", "--app", "Tovrik2"}, &out), ExitStatus::Ok);
    EXPECT_NE(out.find(other.toStdString()), std::string::npos) << out;
    ASSERT_EQ(run({"show", "--reveal-key", "--app", "Tovrik2"}, &out), ExitStatus::Ok);
    EXPECT_NE(out.find("second key"), std::string::npos) << out;
    ASSERT_EQ(run({"show", "--reveal-key"}, &out), ExitStatus::Ok);
    EXPECT_NE(out.find("old key"), std::string::npos) << out;

    std::string err;
    for (const char* bad : {"../tovrik", "a/b", ".."}) {
        EXPECT_EQ(run({"show", "--app", bad}, &out, &err), ExitStatus::Usage) << bad;
        EXPECT_NE(err.find("--app"), std::string::npos) << err;
    }
}

TEST_F(SettingsOnDisk, DamagedFilesLeaveTheStoreAsItWasByteForByte)
{
    putStore(OldStore);
    const QStringList entries = folderEntries();
    const std::string unicode = fixtureBytes("windows-unicode.reg");
    const std::string ansi = fixtureBytes("windows-ansi.reg");
    const std::u16string header = u"Windows Registry Editor Version 5.00\n\n";
    struct Case {
        const char* name;
        std::string bytes;
        const char* where; // after the file name
    };
    const Case cases[] = {
        {"no-header.reg", utf16File(SettingsKey + u"\"length\"=dword:00000010\n"), ":1: "},
        {"cut-in-a-string.reg", unicode.substr(0, unicode.find(std::string("C\0:\0", 4))), ":9: "},
        {"cut-in-a-character.reg", ansi.substr(0, ansi.find('\x95') + 1), ":9: "},
        {"bad-dword.reg", utf16File(header + SettingsKey + u"\"length\"=dword:0000001g\n"), ":4: "},
        {"no-settings-key.reg",
         utf16File(header + u"[HKEY_CURRENT_USER\\Software\\Ostrel Applications\\Tovrik]\n"
                            u"\"length\"=dword:00000010\n"),
         ": no key"},
        {"odd-byte-count.reg", unicode.substr(0, unicode.size() - 1), ":31: "},
        // "length"=dword:000 and half of the next character.
        {"cut-in-a-dword.reg",
         unicode.substr(0, unicode.find(std::string("d\0w\0o\0r\0d\0:\0", 12)) + 19), ":11: "},
        {"cut-after-a-digit.reg",
         unicode.substr(0, unicode.find(std::string("d\0w\0o\0r\0d\0:\0", 12)) + 18), ":11: "},
        {"binary-junk.reg", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe", 18), ":1: "},
    };
    for (const Case& c : cases) {
        std::string out, err;
        EXPECT_EQ(run({"import", file(c.name, c.bytes)}, &out, &err), ExitStatus::Failure)
            << c.name;
        EXPECT_NE(err.find(std::string(c.name) + c.where), std::string::npos) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_EQ(out, "");
        EXPECT_EQ(bytesOf(storeFile()), OldStore) << c.name;
        EXPECT_EQ(folderEntries(), entries) << c.name; // no backup, no lock left
    }
}

TEST_F(SettingsOnDisk, ImportKeepsTheEarlierStoreBesideIt)
{
    putStore(OldStore);
    std::string out, err;
    ASSERT_EQ(run({"import", TOVRIK_TEST_FIXTURES "/windows-ansi.reg"}, &out, &err), ExitStatus::Ok)
        << err;
    QStringList backups = QDir(folder()).entryList({StoreFileName + QStringLiteral(".*.bak")});
    ASSERT_EQ(backups.size(), 1) << folderEntries().join(u' ').toStdString();
    const QString backup = folder() + u'/' + backups[0];
    EXPECT_EQ(bytesOf(backup), OldStore);
    EXPECT_EQ(QFile::permissions(backup) & 0x0FFF, QFile::ReadUser | QFile::WriteUser);
    EXPECT_NE(out.find(backup.toStdString()), std::string::npos) << out;
    EXPECT_FALSE(QFile::exists(storeFile() + QStringLiteral(".window-lock")));

    const UserSettingsStore store = windowStore();
    EXPECT_EQ(store.readText(u"unique key"), u"表\\ソ \"能\" C:\\鍵");
    EXPECT_EQ(store.readInt(u"length"), 16);

    // A second import in the same second gets a backup of its own.
    ASSERT_EQ(run({"import", TOVRIK_TEST_FIXTURES "/windows-unicode.reg"}), ExitStatus::Ok);
    EXPECT_EQ(QDir(folder()).entryList({StoreFileName + QStringLiteral(".*.bak")}).size(), 2);
}

// The system's session, with another program's save just before the lock
// is taken: between the command's first read and its write.
class SavedBeforeTheLock : public ForwardingSession {
public:
    SavedBeforeTheLock(std::unique_ptr<StoreSession> session, std::function<void()> save)
        : ForwardingSession(std::move(session)), save_(std::move(save))
    {
    }
    Result<void> lockForWriting() override
    {
        save_();
        return ForwardingSession::lockForWriting();
    }

private:
    std::function<void()> save_;
};

// An import reads the store once more under the lock: a key that another
// program saved after the command began is neither undone nor left out of
// the backup.
TEST_F(SettingsOnDisk, ASaveBeforeTheLockIsKeptAndBackedUp)
{
    putStore(OldStore);
    const QByteArray saved = "[setting102]\nunique%20key=newer key\nlength=16\nmojisetmax=1\n";
    const std::string reg =
        file("length.reg", utf16File(u"Windows Registry Editor Version 5.00\n\n" + SettingsKey +
                                     u"\"length\"=dword:00000014\n"));
    NoInput input;
    SettingsEnvironment env = systemSettingsEnvironment(input);
    env.openSession = [this, open = env.openSession, saved](const QString& app) {
        return std::make_unique<SavedBeforeTheLock>(open(app), [this, saved] { putStore(saved); });
    };
    std::ostringstream out, err;
    ASSERT_EQ(runSettings({"import", reg}, out, err, env), ExitStatus::Ok) << err.str();

    const UserSettingsStore store = windowStore();
    EXPECT_EQ(store.readText(u"unique key"), u"newer key");
    EXPECT_EQ(store.readInt(u"length"), 20);
    const QStringList backups =
        QDir(folder()).entryList({StoreFileName + QStringLiteral(".*.bak")});
    ASSERT_EQ(backups.size(), 1) << folderEntries().join(u' ').toStdString();
    EXPECT_EQ(bytesOf(folder() + u'/' + backups[0]), saved);
}

TEST_F(SettingsOnDisk, OnlyTheLastFiveBackupsAreKept)
{
    putStore(OldStore);
    const auto put = [&](const QString& name, const QByteArray& bytes) {
        QFile file(folder() + u'/' + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    // Six earlier backups, the oldest first; "-2" is the second of its second.
    const QStringList earlier = {
        StoreFileName + QStringLiteral(".2020-01-01-120000.bak"),
        StoreFileName + QStringLiteral(".2020-01-01-120000-2.bak"),
        StoreFileName + QStringLiteral(".2020-01-01-120000-10.bak"),
        StoreFileName + QStringLiteral(".2021-06-30-235959.bak"),
        StoreFileName + QStringLiteral(".2022-02-03-040506.bak"),
        StoreFileName + QStringLiteral(".2023-02-03-040506.bak"),
    };
    for (const QString& name : earlier)
        put(name, "old");
    // Named like a backup but not one to remove: a link (to a file of the
    // user's elsewhere), and names that backups never have.
    const QString elsewhere = dir_.filePath(QStringLiteral("elsewhere"));
    QFile(elsewhere).open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile::link(elsewhere, folder() + u'/' + StoreFileName +
                                           QStringLiteral(".2019-01-01-000000.bak")));
    const QStringList kept = {StoreFileName + QStringLiteral(".2019-01-01.bak"),
                              StoreFileName + QStringLiteral(".2019-01-01-000000.bak.mine"),
                              QStringLiteral("other.conf.2019-01-01-000000.bak")};
    for (const QString& name : kept)
        put(name, "mine");
    // Nor is a file of another user's (only root can make one here).
    const bool foreign = ::geteuid() == 0;
    if (foreign) {
        const QByteArray path = QFile::encodeName(folder() + u'/' + earlier[1]);
        ASSERT_EQ(::chown(path.constData(), 65534, 65534), 0);
    }

    std::string out, err;
    ASSERT_EQ(run({"import", TOVRIK_TEST_FIXTURES "/windows-ansi.reg"}, &out, &err), ExitStatus::Ok)
        << err;
    EXPECT_NE(out.find("the last 5 such copies are kept"), std::string::npos) << out;
    QStringList left = QDir(folder()).entryList({StoreFileName + QStringLiteral(".*.bak")},
                                                QDir::Files | QDir::System | QDir::NoSymLinks);
    left.removeAll(kept[0]);
    ASSERT_EQ(left.size(), foreign ? 6 : 5) << left.join(u' ').toStdString();
    // The new one, and the four newest of before.
    EXPECT_FALSE(left.contains(earlier[0]));
    EXPECT_EQ(left.contains(earlier[1]), foreign);
    for (const QString& name : earlier.mid(2))
        EXPECT_TRUE(left.contains(name)) << name.toStdString();
    EXPECT_TRUE(
        QFileInfo(folder() + u'/' + StoreFileName + QStringLiteral(".2019-01-01-000000.bak"))
            .isSymLink());
    EXPECT_TRUE(QFile::exists(elsewhere));
    for (const QString& name : kept)
        EXPECT_EQ(bytesOf(folder() + u'/' + name), "mine") << name.toStdString();
}

TEST_F(SettingsOnDisk, ImportsThatChangeNothingMakeNoBackup)
{
    putStore(OldStore);
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(run({"import", TOVRIK_TEST_FIXTURES "/windows-ansi.reg"}), ExitStatus::Ok);
    // The store before the first import, and after it: the later imports
    // found the newest backup holding what the store held.
    QStringList backups = QDir(folder()).entryList({StoreFileName + QStringLiteral(".*.bak")});
    ASSERT_EQ(backups.size(), 2) << backups.join(u' ').toStdString();
    EXPECT_EQ(bytesOf(folder() + u'/' + backups.front()), OldStore);
    EXPECT_EQ(bytesOf(folder() + u'/' + backups.back()), bytesOf(storeFile()));
}

TEST_F(SettingsOnDisk, TheLastBackupOfAnotherOwnerKeyIsNeverRemoved)
{
    putStore(OldStore);
    // Eight imports with a new key, each changing something else.
    for (int i = 0; i < 8; ++i) {
        const std::string path = file(
            "import.reg",
            utf16File(u"Windows Registry Editor Version 5.00\n\n"
                      u"[HKEY_CURRENT_USER\\Software\\Ostrel Applications\\tovrik\\setting102]\n"
                      u"\"unique key\"=\"new key\"\n\"seed1\"=\"seed " +
                      fromQ(QString::number(i)) + u"\"\n\n"));
        ASSERT_EQ(run({"import", path}), ExitStatus::Ok);
    }
    const QStringList backups = QDir(folder()).entryList({StoreFileName + QStringLiteral(".*.bak")},
                                                         QDir::Files, QDir::Name);
    // The five newest, and the only one that holds the earlier key.
    ASSERT_EQ(backups.size(), KeptBackups + 1) << backups.join(u' ').toStdString();
    EXPECT_EQ(bytesOf(folder() + u'/' + backups.front()), OldStore);
}

TEST_F(SettingsOnDisk, BackupsArePrunedInTheOrderTheyWereMadeWhateverTheClock)
{
    putStore(OldStore);
    const UserSettingsStore store = windowStore();
    // The clock goes back a day between two backups.
    QDateTime now = QDateTime::currentDateTime();
    for (int i = 1; i <= 7; ++i, now = now.addDays(-1)) {
        putStore("[setting102]\nunique%20key=k\nlength=" + QByteArray::number(i) + "\n");
        const Result<StoreBackup> backup = backupStore(store, now);
        ASSERT_TRUE(backup) << backup.error().message;
        ASSERT_TRUE(backup->made);
    }
    removeOldBackups(store);
    const QStringList left = QDir(folder()).entryList({StoreFileName + QStringLiteral(".*.bak")},
                                                      QDir::Files, QDir::Name);
    ASSERT_EQ(left.size(), KeptBackups);
    // Their names sort in the order made; the last made holds length 7.
    for (int i = 0; i < KeptBackups; ++i)
        EXPECT_TRUE(left[i].startsWith(StoreFileName + QStringLiteral(".00000%1-").arg(i + 3)))
            << left[i].toStdString();
    EXPECT_TRUE(bytesOf(folder() + u'/' + left.back()).contains("length=7"));
}

TEST_F(SettingsOnDisk, ExportReplacesALinkAndNeverWritesThroughIt)
{
    putStore(OldStore);
    const QString victim = dir_.filePath(QStringLiteral("victim"));
    const auto plant = [&](const QString& at) {
        QFile::remove(at);
        QFile file(victim);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("precious\n");
        file.close();
        ASSERT_TRUE(QFile::link(victim, at));
    };
    const QString exported = dir_.filePath(QStringLiteral("tovrik.reg"));

    // The user's own link: the export takes its place.
    plant(exported);
    ASSERT_EQ(run({"export", exported.toStdString()}), ExitStatus::Ok);
    EXPECT_EQ(bytesOf(victim), "precious\n");
    EXPECT_FALSE(QFileInfo(exported).isSymLink());
    EXPECT_TRUE(bytesOf(exported).startsWith("\xFF\xFE"));
    EXPECT_EQ(QFile::permissions(exported) & 0x0FFF, QFile::ReadUser | QFile::WriteUser);

    // A link that someone else planted in a shared folder is refused.
    if (::geteuid() == 0) {
        plant(exported);
        const QByteArray link = QFile::encodeName(exported);
        ASSERT_EQ(::lchown(link.constData(), 65534, 65534), 0);
        std::string err;
        EXPECT_EQ(run({"export", exported.toStdString()}, nullptr, &err), ExitStatus::Failure);
        EXPECT_NE(err.find("link that another user made"), std::string::npos) << err;
        EXPECT_EQ(bytesOf(victim), "precious\n");
        EXPECT_TRUE(QFileInfo(exported).isSymLink());
    }

    // Neither a folder nor a FIFO is replaced; nothing is left beside them.
    const QString fifo = dir_.filePath(QStringLiteral("fifo.reg"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QStringList before =
        QDir(dir_.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System);
    for (const QString& target :
         {fifo, dir_.path(), dir_.filePath(QStringLiteral("no/such.reg"))}) {
        std::string err;
        EXPECT_EQ(run({"export", target.toStdString()}, nullptr, &err), ExitStatus::Failure)
            << target.toStdString();
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
    EXPECT_EQ(QDir(dir_.path())
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System),
              before);
    EXPECT_TRUE(QFileInfo(fifo).isFile() == false && QFileInfo(fifo).exists());
}

TEST_F(SettingsOnDisk, TextsThatQSettingsGivesAMeaningRoundTrip)
{
    {
        UserSettingsStore store = windowStore();
        StoredSettings model;
        loadSettings(store, model, SeedEntropy{});
        model.ownerName = u"@Invalid()";
        model.ownerKey = u"@@鍵\\\"";
        model.seedText = u"@ByteArray(x)";
        model.numericSeedText = u"";
        model.sets.setNames[0] = u"@Variant(y)";
        ASSERT_TRUE(saveSettings(store, model));
    }
    const std::vector<NamedValue> before = storedValues(windowStore());
    const std::string exported = dir_.filePath(QStringLiteral("out.reg")).toStdString();
    ASSERT_EQ(run({"export", exported}), ExitStatus::Ok);
    ASSERT_TRUE(QFile::remove(storeFile()));
    ASSERT_EQ(run({"import", exported}), ExitStatus::Ok);
    EXPECT_EQ(storedValues(windowStore()), before);
    EXPECT_EQ(QDir(folder()).entryList({QStringLiteral("*.bak")}).size(), 0); // nothing to keep
}

TEST_F(SettingsOnDisk, ARunningWindowsLockRefusesTheImport)
{
    putStore(OldStore);
    QLockFile window(storeFile() + QStringLiteral(".window-lock"));
    ASSERT_TRUE(window.tryLock(0));
    std::string err;
    EXPECT_EQ(run({"import", TOVRIK_TEST_FIXTURES "/windows-unicode.reg"}, nullptr, &err),
              ExitStatus::Failure);
    EXPECT_NE(err.find("window is running"), std::string::npos) << err;
    EXPECT_EQ(bytesOf(storeFile()), OldStore);
    EXPECT_EQ(QDir(folder()).entryList({QStringLiteral("*.bak")}).size(), 0);
    // Reading goes on.
    EXPECT_EQ(run({"show"}), ExitStatus::Ok);
}

TEST_F(SettingsOnDisk, AStoreThatIsNotOursIsNeitherReadNorWritten)
{
    // A store file linked into a folder that others can write, and a FIFO
    // in place of the store: each command stops with one line naming the
    // path, and nothing is made beside the store.
    const QString shared = dir_.filePath(QStringLiteral("shared"));
    ASSERT_TRUE(QDir().mkpath(shared));
    ASSERT_TRUE(QFile::setPermissions(shared, QFile::ReadUser | QFile::WriteUser | QFile::ExeUser |
                                                  QFile::WriteOther | QFile::ReadOther |
                                                  QFile::ExeOther));
    const QString planted = shared + QStringLiteral("/tovrik.conf");
    const auto hostile = [&](bool fifo) {
        QFile::remove(storeFile());
        QFile::remove(planted);
        ASSERT_TRUE(QDir().mkpath(folder()));
        if (fifo) {
            ASSERT_EQ(::mkfifo(QFile::encodeName(storeFile()).constData(), 0600), 0);
        } else {
            QFile file(planted);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(OldStore);
            file.close();
            ASSERT_TRUE(QFile::link(planted, storeFile()));
        }
    };
    const std::string exported = dir_.filePath(QStringLiteral("out.reg")).toStdString();
    const std::vector<std::string> commands[] = {
        {"path"},
        {"show"},
        {"set-owner-key"},
        {"import", TOVRIK_TEST_FIXTURES "/windows-ansi.reg"},
        {"export", exported}};
    for (const bool fifo : {false, true}) {
        hostile(fifo);
        const QStringList entries = folderEntries();
        for (const std::vector<std::string>& args : commands) {
            std::string out, err;
            EXPECT_EQ(run(args, &out, &err), ExitStatus::Failure) << args[0] << ' ' << fifo;
            EXPECT_NE(err.find(fifo ? storeFile().toStdString() : shared.toStdString()),
                      std::string::npos)
                << err;
            EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
            EXPECT_EQ(out, "");
            EXPECT_EQ(folderEntries(), entries) << args[0];
            EXPECT_EQ(QDir(shared).entryList(QDir::Files | QDir::Hidden | QDir::System),
                      fifo ? QStringList() : QStringList{QStringLiteral("tovrik.conf")});
            EXPECT_FALSE(QFile::exists(QString::fromStdString(exported)));
        }
        if (!fifo) {
            EXPECT_EQ(bytesOf(planted), OldStore);
        }
    }
}

} // namespace
