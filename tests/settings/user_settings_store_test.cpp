#include "settings/user_settings_store.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSettings>
#include <QSysInfo>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <thread>

#include "charsets/char_list.h"
#include "settings/load_save.h"
#include "settings/memory_settings_store.h"
#include "tests/support/config_home.h"
#include "tests/support/reg_fixtures.h"
#include "tests/support/window_store.h"

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

// Every field that the store keeps, set to unremarkable values.
StoredSettings plainModel()
{
    StoredSettings model;
    model.ownerName = u"山田";
    model.ownerKey = u"key";
    model.currentList = u"abc";
    model.length = 12;
    model.stringSeedMode = false;
    model.seedText = u"TANE";
    model.numericSeedText = u"1-2-3-4-5-6-7";
    model.complexity = 1;
    model.sets.setCount = 2;
    model.sets.currentSet = 0;
    model.sets.setLists = {u"abc", u"xyz"};
    model.sets.setNames = {u"default", u"web"};
    model.spreadLevel = 3;
    return model;
}

StoredSettings loadFromDisk()
{
    const UserSettingsStore store = windowStore();
    StoredSettings model;
    loadSettings(store, model, SeedEntropy{});
    return model;
}

// Each test gets a configuration folder of its own, which does not exist
// until something creates it.
class UserSettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString storeFolder() const { return storeFolderIn(configHome_); }
    QString storeFile() const { return storeFileIn(configHome_); }

    QByteArray fileBytes() const
    {
        QFile file(storeFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void putFile(const QByteArray& bytes) const
    {
        ASSERT_TRUE(QDir().mkpath(storeFolder()));
        QFile file(storeFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    QTemporaryDir dir_;
    QString configHome_ = dir_.path() + QStringLiteral("/config");
    ScopedConfigHome scopedHome_{configHome_};
};

TEST_F(UserSettingsStoreTest, IniFileHoldsTheSectionWithEveryValue)
{
    UserSettingsStore store = windowStore();
    EXPECT_EQ(store.location(), storeFile());
    ASSERT_TRUE(saveSettings(store, plainModel()));

    // A new file lays its keys out by name, as QSettings did; integers
    // appear as bare numbers.
    EXPECT_EQ(QString::fromUtf8(fileBytes()).toStdString(), "[setting102]\n"
                                                            "MS01=abc\n"
                                                            "MS01_name=default\n"
                                                            "MS02=xyz\n"
                                                            "MS02_name=web\n"
                                                            "complex=1\n"
                                                            "length=12\n"
                                                            "mode=9265\n"
                                                            "moji%20list=abc\n"
                                                            "mojisetmax=2\n"
                                                            "mojisetsel=0\n"
                                                            "seed1=TANE\n"
                                                            "seed2=1-2-3-4-5-6-7\n"
                                                            "spread=3\n"
                                                            "unique%20key=key\n"
                                                            "user%20name=山田\n");
    EXPECT_EQ(valuesOf(loadFromDisk()), valuesOf(plainModel()));
}

TEST_F(UserSettingsStoreTest, TextsThatIniTreatsSpeciallyComeBackUnchanged)
{
    std::u16string everyByte;
    for (char16_t unit = 1; unit < 0x100; ++unit)
        everyByte.push_back(unit);
    StoredSettings model = plainModel();
    model.ownerKey = u" k;e=y,\"@\\ \t";
    model.seedText = u"@Variant(x)";
    model.numericSeedText = u"";
    model.sets.setCount = 4;
    model.sets.currentSet = 2;
    model.sets.setLists = {u"a", u" ,;", normalizeCharList(everyByte), u""};
    model.sets.setNames = {u"", u" （追加） ", u"a, b", u"#x"};
    model.currentList = model.sets.setLists[2];

    UserSettingsStore store = windowStore();
    ASSERT_TRUE(saveSettings(store, model));
    EXPECT_EQ(valuesOf(loadFromDisk()), valuesOf(model));
}

TEST_F(UserSettingsStoreTest, DamagedStoresAreReadExactlyOrRefusedAndNeverSavedOver)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        std::optional<std::u16string> ownerKey; // read exactly; nothing: refused
        QString says;                           // what a refusal names besides the file
    };
    const Case cases[] = {
        {"a text that looks like a list", "[setting102]\nunique%20key=my, key\n", u"my, key", {}},
        {"a hand-edited file with comments and spaces",
         "; mine\n[setting102]\n unique key = \" spaced \" ; note\nlength=abc\n",
         u" spaced ",
         {}},
        {"a byte array", "[setting102]\nunique%20key=@ByteArray(abc)\nseed1=x\n", std::nullopt,
         QStringLiteral("its value 'unique key' is @ByteArray(...), not a text")},
        {"a variant", "[setting102]\nunique%20key=k\nMS03_name=@Variant(\\0\\0\\0\\x2)\n",
         std::nullopt, QStringLiteral("its value 'MS03_name' is @Variant(...), not a text")},
        {"a header left open", "[setting102\nunique%20key=k\n", std::nullopt,
         QStringLiteral("line 1: a section header without its closing ']'")},
        {"binary garbage", QByteArray("\x7f\x45\x4c\x46\x02\x01\x01\x00\xff\xfe[setting102]\n", 23),
         std::nullopt, QStringLiteral("not UTF-8")},
        {"another program's file", "[General]\nunique%20key=k\n", std::nullopt,
         QStringLiteral("no [setting102] section")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        putFile(c.bytes);
        UserSettingsStore store = windowStore();
        StoredSettings model;
        loadSettings(store, model, SeedEntropy{});
        if (c.ownerKey) {
            EXPECT_EQ(store.access(), StoreAccess::Ours) << store.problem().toStdString();
            EXPECT_EQ(model.ownerKey, *c.ownerKey);
            // A number that does not read as one is its default, and the
            // next save writes that, as it always has.
            EXPECT_EQ(model.length, 10);
            ASSERT_TRUE(saveSettings(store, model));
            EXPECT_EQ(valuesOf(loadFromDisk()), valuesOf(model));
            continue;
        }
        EXPECT_EQ(store.access(), StoreAccess::Unreadable);
        EXPECT_TRUE(store.problem().startsWith(QStringLiteral("cannot read the settings store ") +
                                               storeFile()))
            << store.problem().toStdString();
        EXPECT_NE(store.problem().indexOf(c.says), -1) << store.problem().toStdString();
        EXPECT_FALSE(saveSettings(store, model));
        EXPECT_EQ(fileBytes(), c.bytes);
    }
}

TEST_F(UserSettingsStoreTest, StartingAfreshReplacesOnlyWhatCouldNotBeRead)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        QByteArray kept; // what stays of the file
    };
    const Case cases[] = {
        {"no store", "\xff\xfe junk\n", ""},
        {"a value that is no text", "; mine\n[other]\nx=1\n[setting102]\nunique%20key=@Invalid()\n",
         "; mine\n[other]\nx=1\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        putFile(c.bytes);
        UserSettingsStore store = windowStore();
        ASSERT_EQ(store.access(), StoreAccess::Unreadable);
        store.allowOverwrite();
        ASSERT_TRUE(saveSettings(store, plainModel()));
        EXPECT_TRUE(fileBytes().startsWith(c.kept + "[setting102]\n")) << fileBytes().toStdString();
        EXPECT_EQ(valuesOf(loadFromDisk()), valuesOf(plainModel()));
    }
}

TEST_F(UserSettingsStoreTest, HalfSurrogatePairsAreKeptThroughASave)
{
    // UTF-8 cannot hold half a surrogate pair; an escape spells it, and the
    // save writes it so again.
    putFile("[setting102]\nunique%20key=k\\xd800\nlength=12\n");
    UserSettingsStore store = windowStore();
    StoredSettings model;
    loadSettings(store, model, SeedEntropy{});
    EXPECT_EQ(model.ownerKey, u"k\xD800");
    model.length = 20;
    ASSERT_TRUE(saveSettings(store, model));
    EXPECT_EQ(loadFromDisk().ownerKey, u"k\xD800");
}

// A store that a released version wrote through QSettings, with the first
// and the last of the sixteen passwords it made (spread level 4).
struct ReleasedStore {
    const char* fixture;
    std::u16string ownerKey;
    std::int32_t setCount;
    std::u16string first;
    std::u16string last;
};

TEST_F(UserSettingsStoreTest, StoresOfReleasedVersionsLoadToTheirValuesAndPasswords)
{
    // Made by the released programs: the window's first start, an import
    // with tovrik-settings over a first start, and an import and
    // set-owner-key over a file that held a section of another program.
    const ReleasedStore stores[] = {
        {"ini/first.conf", u"", 1, u"rGhrZfcW(.", u"$9!EE7tD*+"},
        {"ini/numeric.conf", u"", 1, u"zxxxxxxxyx", u"yzyxzzzzyy"},
        {"ini/full.conf", u"@key, with; \"quotes\" \\ back", 10,
         u"*RhaVW(o'?G5foN(TkE/FRdnLk4JTigIh&20Cf@|cU-tKr31jwm/#h3-ppI,cp{L`P9Dvu2vHtPyK=^F`!`*w!l["
         u"H4^`;um+/hB",
         u":-%bi]@EGGbCc#Otr!tD]UOE|yk=V3T-IWlWKFF=LT$99xNPDEV'Hi_WLO$t5AQ:J#x.kYjc:*{^B{M.W3@SuW-"
         u"qTZo;b#LQJsC"},
    };
    for (const ReleasedStore& released : stores) {
        SCOPED_TRACE(released.fixture);
        const std::string bytes = fixtureBytes(released.fixture);
        putFile(QByteArray::fromStdString(bytes));
        UserSettingsStore store = windowStore();
        ASSERT_EQ(store.access(), StoreAccess::Ours) << store.problem().toStdString();
        StoredSettings model;
        loadSettings(store, model, SeedEntropy{});
        EXPECT_EQ(model.ownerKey, released.ownerKey);
        EXPECT_EQ(model.sets.setCount, released.setCount);
        const std::optional<Passwords> passwords = GeneratePasswords(generationRequestOf(model));
        ASSERT_TRUE(passwords);
        EXPECT_EQ(passwords->front(), released.first);
        EXPECT_EQ(passwords->back(), released.last);

        // The start-up save finds every value in place.
        ASSERT_TRUE(saveSettings(store, model));
        EXPECT_EQ(fileBytes().toStdString(), bytes);

        // A changed value: QSettings, as the released versions read, sees
        // what this store sees, the other program's section included.
        model.seedText = u"@new, seed";
        ASSERT_TRUE(saveSettings(store, model));
        const QSettings settings(storeFile(), QSettings::IniFormat);
        for (const NamedValue& value : valuesOf(model)) {
            const QVariant read = settings.value(QStringLiteral("setting102/") + toQ(value.name));
            if (const auto* text = std::get_if<std::u16string>(&value.value)) {
                EXPECT_EQ(fromQ(read.toString()), *text) << toUtf8(value.name);
            } else {
                EXPECT_EQ(read.toString().toInt(), std::get<std::int32_t>(value.value));
            }
        }
        if (released.setCount == 10) {
            EXPECT_EQ(settings.value(QStringLiteral("foreign")).toString(), QStringLiteral("kept"));
        }
    }
}

#ifdef Q_OS_LINUX

// Sets the process umask for one test and restores it however the test
// ends, so a failed assertion leaves no changed umask to later tests.
class UmaskGuard {
public:
    explicit UmaskGuard(mode_t mask) : old_(umask(mask)) {}
    ~UmaskGuard() { umask(old_); }
    UmaskGuard(const UmaskGuard&) = delete;
    UmaskGuard& operator=(const UmaskGuard&) = delete;

private:
    mode_t old_;
};

TEST_F(UserSettingsStoreTest, ReadingCreatesNothingAndSavingIsOwnerOnly)
{
    const UmaskGuard mask(022);
    UserSettingsStore store = windowStore();
    StoredSettings model;
    loadSettings(store, model, SeedEntropy{});
    EXPECT_FALSE(QFileInfo::exists(configHome_));

    ASSERT_TRUE(saveSettings(store, model));
    const auto mode = [](const QString& path) {
        struct stat info {};
        EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
        return info.st_mode & 07777;
    };
    EXPECT_EQ(mode(configHome_), 0700u);
    EXPECT_EQ(mode(storeFolder()), 0700u);
    EXPECT_EQ(mode(storeFile()), 0600u);

    // A file loosened since is tightened by the next save.
    ASSERT_EQ(::chmod(QFile::encodeName(storeFile()).constData(), 0644), 0);
    ASSERT_TRUE(saveSettings(store, model));
    EXPECT_EQ(mode(storeFile()), 0600u);
}

enum class Obstacle { ReadOnlyFolder, FileSizeLimit };

// Runs in a child process: puts an obstacle in the way of a save, checks
// that the save reports failure and leaves the old file alone, then removes
// the obstacle and checks that the same store saves again. Returns what went
// wrong, or nothing.
std::string saveAgainstObstacle(const QString& tempDir, const QString& folder, const QString& file,
                                Obstacle obstacle, bool handEdited)
{
    const QByteArray folderName = QFile::encodeName(folder);
    if (obstacle == Obstacle::ReadOnlyFolder && geteuid() == 0) {
        // Permissions do not stop root: carry on as an ordinary user.
        const uid_t nobody = 65534;
        if (::chown(QFile::encodeName(tempDir).constData(), nobody, nobody) != 0 ||
            setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0)
            return "cannot drop root privileges";
    }

    UserSettingsStore store = windowStore();
    StoredSettings before = plainModel();
    if (handEdited) {
        if (!QDir().mkpath(folder))
            return "cannot make the folder";
        QFile edited(file);
        if (!edited.open(QIODevice::WriteOnly) ||
            edited.write("; edited by hand\n[other]\nx=1\n[setting102]\nfoo=bar\n") < 0)
            return "cannot write the hand-edited file";
    } else if (!saveSettings(store, before)) {
        return "the first save failed";
    }
    QFile oldFile(file);
    if (!oldFile.open(QIODevice::ReadOnly))
        return "cannot read the old file";
    const QByteArray oldBytes = oldFile.readAll();
    oldFile.close();

    rlimit oldLimit{};
    getrlimit(RLIMIT_FSIZE, &oldLimit);
    if (obstacle == Obstacle::ReadOnlyFolder) {
        if (::chmod(folderName.constData(), 0500) != 0)
            return "cannot make the folder read-only";
    } else {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = oldLimit;
        small.rlim_cur = 512; // room for the lock file, not for the values
        setrlimit(RLIMIT_FSIZE, &small);
    }

    StoredSettings after = plainModel();
    after.length = 50;
    after.sets.setCount = 10;
    after.sets.setLists.assign(10, normalizeCharList(DefaultCharList));
    after.sets.setNames.assign(10, u"a longer name");
    if (saveSettings(store, after))
        return "the obstructed save passed for a success";
    if (!oldFile.open(QIODevice::ReadOnly) || oldFile.readAll() != oldBytes)
        return "the obstructed save changed the file";

    if (obstacle == Obstacle::ReadOnlyFolder)
        ::chmod(folderName.constData(), 0700);
    else
        setrlimit(RLIMIT_FSIZE, &oldLimit);
    if (!saveSettings(store, after))
        return "the save after the obstacle failed";
    if (loadFromDisk().length != 50)
        return "the save after the obstacle did not store the values";
    return {};
}

TEST_F(UserSettingsStoreTest, UnwritableStoreReportsFailureAndKeepsTheOldFile)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const Obstacle obstacle : {Obstacle::ReadOnlyFolder, Obstacle::FileSizeLimit}) {
        for (const bool handEdited : {false, true}) {
            SCOPED_TRACE(std::string(obstacle == Obstacle::ReadOnlyFolder ? "read-only folder"
                                                                          : "file size limit") +
                         (handEdited ? ", hand-edited file" : ""));
            QDir(configHome_).removeRecursively();
            EXPECT_EXIT(
                {
                    const std::string problem = saveAgainstObstacle(
                        dir_.path(), storeFolder(), storeFile(), obstacle, handEdited);
                    std::fputs(problem.c_str(), stderr);
                    std::_Exit(problem.empty() ? 0 : 1);
                },
                ::testing::ExitedWithCode(0), "^$");
        }
    }
}

// A model whose every value shows which save it came from.
StoredSettings numberedModel(std::uint32_t n)
{
    StoredSettings model;
    const std::string number = std::to_string(n);
    const std::u16string text(number.begin(), number.end());
    model.ownerName = u"owner" + text;
    model.ownerKey = u"key" + text;
    model.length = 4 + static_cast<std::int32_t>(n % 96);
    model.stringSeedMode = n % 2 == 0;
    model.seedText = u"save " + text;
    model.numericSeedText = text + u"-1-2-3-4-5-6";
    model.complexity = static_cast<std::int32_t>(n % 2);
    model.sets.setCount = n % 2 == 0 ? 1 : 10;
    for (std::int32_t k = 0; k < model.sets.setCount; ++k) {
        model.sets.setLists.push_back(u"abcdefghijklmnopqrstuvwxyz" + text.substr(0, k % 3 + 1));
        model.sets.setNames.push_back(u"set" + text + u"x" + std::u16string(1, u'0' + k));
    }
    model.sets.currentSet = model.sets.setCount - 1;
    model.currentList = model.sets.setLists.back();
    model.spreadLevel = static_cast<std::int32_t>(n % 5);
    return model;
}

// The file, read as plain text, holds every value of one complete save.
void expectOneCompleteSave(const QByteArray& bytes)
{
    ASSERT_TRUE(bytes.startsWith("[setting102]\n")) << bytes.left(40).toStdString();
    ASSERT_TRUE(bytes.endsWith('\n'));
    std::map<std::string, std::string> values;
    for (const QByteArray& line : bytes.split('\n').mid(1)) {
        if (line.isEmpty())
            continue;
        const qsizetype equals = line.indexOf('=');
        ASSERT_GT(equals, 0) << line.toStdString();
        values[line.left(equals).replace("%20", " ").toStdString()] =
            line.mid(equals + 1).toStdString();
    }
    const std::string seed = values["seed1"];
    ASSERT_TRUE(seed.starts_with("save ")) << seed;
    MemorySettingsStore expected;
    ASSERT_TRUE(saveSettings(
        expected, numberedModel(static_cast<std::uint32_t>(std::stoul(seed.substr(5))))));
    for (const auto& [name, value] : expected.values()) {
        const std::string key(name.begin(), name.end());
        const std::string text =
            std::holds_alternative<std::int32_t>(value)
                ? std::to_string(std::get<std::int32_t>(value))
                : QString::fromStdU16String(std::get<std::u16string>(value)).toStdString();
        EXPECT_EQ(values[key], text) << key;
    }
}

TEST_F(UserSettingsStoreTest, KilledDuringSavesLeavesACompleteFile)
{
    std::mt19937 random(11u);
    for (std::uint32_t round = 0; round < 60; ++round) {
        int channel[2];
        ASSERT_EQ(pipe(channel), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Saves for ever, one mark per save, until it is killed.
            ::close(channel[0]);
            UserSettingsStore store = windowStore();
            for (std::uint32_t n = round * 100000u;; ++n) {
                const char mark = saveSettings(store, numberedModel(n)) ? '+' : '!';
                if (::write(channel[1], &mark, 1) != 1)
                    std::_Exit(1);
            }
        }
        ::close(channel[1]);
        const int saves = std::uniform_int_distribution<int>(1, 3)(random);
        std::string marks;
        for (char mark = 0;
             static_cast<int>(marks.size()) < saves && ::read(channel[0], &mark, 1) == 1;)
            marks += mark;
        // Spreads the kills over every stage of a save; nothing here depends
        // on where they land.
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<int>(0, 2000)(random)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ::close(channel[0]);
        ASSERT_EQ(marks, std::string(static_cast<std::size_t>(saves), '+')) << "round " << round;
        SCOPED_TRACE("round " + std::to_string(round));
        expectOneCompleteSave(fileBytes());
    }

    // The next save clears away what the killed saves left behind.
    UserSettingsStore store = windowStore();
    ASSERT_TRUE(saveSettings(store, numberedModel(1)));
    EXPECT_EQ(QDir(storeFolder()).entryList(QDir::Files | QDir::Hidden),
              QStringList{StoreFileName});
}

// ---- A store that is not the user's own ----

mode_t modeOf(const QString& path)
{
    struct stat info {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return info.st_mode;
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Every file under a folder with its bytes, links as their targets.
std::map<QString, QByteArray> snapshot(const QString& folder)
{
    std::map<QString, QByteArray> files;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        files[info.filePath()] = info.isSymLink() ? ("-> " + info.symLinkTarget().toUtf8())
                                 : info.isFile()  ? readBytes(info.filePath())
                                                  : QByteArray("<other>");
    }
    return files;
}

constexpr uid_t Nobody = 65534;

TEST_F(UserSettingsStoreTest, HostileStoresAreRefusedAndNothingElseIsWritten)
{
    const QByteArray planted = "[setting102]\nunique%20key=chosen by someone else\n";
    const QString outside = dir_.path() + QStringLiteral("/outside");
    const QString victim = outside + QStringLiteral("/bashrc");
    const auto link = [&](const QString& target) {
        ASSERT_EQ(::symlink(QFile::encodeName(target).constData(),
                            QFile::encodeName(storeFile()).constData()),
                  0);
    };
    const auto chownTo = [](const QString& path, uid_t uid) {
        ASSERT_EQ(::lchown(QFile::encodeName(path).constData(), uid, uid), 0);
    };
    // The store folder as a link to `outside`.
    const auto linkFolder = [&] {
        QDir(storeFolder()).removeRecursively();
        writeBytes(outside + u'/' + StoreFileName, planted);
        ASSERT_EQ(::symlink(QFile::encodeName(outside).constData(),
                            QFile::encodeName(storeFolder()).constData()),
                  0);
    };
    struct Case {
        const char* name;
        bool needsRoot; // to make something another user's
        std::function<void()> setUp;
        QString says; // besides the store file's path
    };
    const Case cases[] = {
        {"folder of another user", true, [&] { chownTo(storeFolder(), Nobody); },
         QStringLiteral("the folder ") + storeFolder() +
             QStringLiteral(" belongs to another user")},
        {"store file of another user", true, [&] { chownTo(storeFile(), Nobody); },
         QStringLiteral("it belongs to another user")},
        {"folder of another user that others can write", true,
         [&] {
             chownTo(storeFolder(), Nobody);
             ::chmod(QFile::encodeName(storeFolder()).constData(), 0777);
         },
         QStringLiteral(" belongs to another user")},
        {"link made by another user", true,
         [&] {
             QFile::remove(storeFile());
             link(victim);
             chownTo(storeFile(), Nobody);
         },
         QStringLiteral("it is a link made by another user")},
        {"link into a folder that others can write", false,
         [&] {
             QFile::remove(storeFile());
             ::chmod(QFile::encodeName(outside).constData(), 0777);
             link(victim);
         },
         QStringLiteral("others can write to the folder ") + outside},
        {"link to a file of another user", true,
         [&] {
             QFile::remove(storeFile());
             chownTo(victim, Nobody);
             link(victim);
         },
         victim + QStringLiteral(" belongs to another user")},
        {"link to a link", false,
         [&] {
             QFile::remove(storeFile());
             ASSERT_EQ(::symlink("bashrc", QFile::encodeName(outside + "/again").constData()), 0);
             link(outside + QStringLiteral("/again"));
         },
         outside + QStringLiteral("/again is a link too")},
        {"link to a name that is not valid in the locale's encoding", false,
         [&] {
             QFile::remove(storeFile());
             // Decoded and encoded again, the name would be another file's.
             ASSERT_EQ(::symlink((QFile::encodeName(outside) + "/\xff").constData(),
                                 QFile::encodeName(storeFile()).constData()),
                       0);
             writeBytes(outside + u'/' + QChar(0xFFFD), planted);
         },
         QStringLiteral("not valid in the locale's encoding")},
        {"FIFO", false,
         [&] {
             QFile::remove(storeFile());
             ASSERT_EQ(::mkfifo(QFile::encodeName(storeFile()).constData(), 0600), 0);
         },
         QStringLiteral("it is not a regular file")},
        {"folder where the file should be", false,
         [&] {
             QFile::remove(storeFile());
             ASSERT_TRUE(QDir().mkpath(storeFile()));
         },
         QStringLiteral("it is not a regular file")},
        {"file where the folder should be", false,
         [&] {
             QDir(storeFolder()).removeRecursively();
             writeBytes(storeFolder(), planted);
         },
         storeFolder() + QStringLiteral(" is not a folder")},
        {"folder link made by another user", true,
         [&] {
             linkFolder();
             chownTo(storeFolder(), Nobody);
         },
         QStringLiteral("the folder ") + storeFolder() +
             QStringLiteral(" is a link made by another user")},
        {"folder link to a folder that others can write", false,
         [&] {
             linkFolder();
             ::chmod(QFile::encodeName(outside).constData(), 0777);
         },
         QStringLiteral("others can write to the folder ") + storeFolder()},
        {"folder link to a file", false,
         [&] {
             QDir(storeFolder()).removeRecursively();
             ASSERT_EQ(::symlink(QFile::encodeName(victim).constData(),
                                 QFile::encodeName(storeFolder()).constData()),
                       0);
         },
         storeFolder() + QStringLiteral(" links to something that is not a folder")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsRoot && ::geteuid() != 0) {
            std::printf("skipped without root: %s\n", c.name);
            continue;
        }
        QDir(configHome_).removeRecursively();
        QDir(outside).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(storeFolder()));
        ASSERT_TRUE(QDir().mkpath(outside));
        ::chmod(QFile::encodeName(outside).constData(), 0700);
        writeBytes(storeFile(), planted);
        writeBytes(victim, "echo the user's own shell start-up\n");
        c.setUp();
        const std::map<QString, QByteArray> before = snapshot(dir_.path());

        UserSettingsStore store = windowStore();
        EXPECT_EQ(store.access(), StoreAccess::Refused);
        // The store is named by its own path; what failed, by its own.
        const QString problem = store.problem();
        EXPECT_TRUE(problem.startsWith(QStringLiteral("refusing to use the settings store ") +
                                       storeFile() + QStringLiteral(": ")))
            << problem.toStdString();
        EXPECT_NE(problem.indexOf(c.says), -1) << problem.toStdString();
        EXPECT_NE(problem.indexOf(store.location()), -1) << problem.toStdString();
        EXPECT_TRUE(store.location().startsWith(configHome_) ||
                    store.location().startsWith(outside))
            << store.location().toStdString();
        StoredSettings model;
        loadSettings(store, model, SeedEntropy{});
        EXPECT_EQ(model.ownerKey, u""); // nothing of it is read
        model.ownerName = u"x; touch /tmp/owned";
        EXPECT_FALSE(saveSettings(store, model));
        EXPECT_EQ(snapshot(dir_.path()), before);
    }
}

TEST_F(UserSettingsStoreTest, FolderOfOursThatOthersCanWriteIsMadePrivate)
{
    ASSERT_TRUE(QDir().mkpath(storeFolder()));
    ASSERT_EQ(::chmod(QFile::encodeName(storeFolder()).constData(), 0777), 0);
    writeBytes(storeFile(), "[setting102]\nunique%20key=mine\n");
    UserSettingsStore store = windowStore();
    EXPECT_EQ(store.access(), StoreAccess::Ours);
    EXPECT_EQ(modeOf(storeFolder()) & 07777, 0700u);
    EXPECT_EQ(store.readText(u"unique key"), u"mine");
}

TEST_F(UserSettingsStoreTest, DeliberateLinksAreReadAndWrittenThrough)
{
    // As dotfile managers make them: the store file, or the whole store
    // folder, linked into a folder of the user's that others cannot write.
    const QString dotfiles = dir_.path() + QStringLiteral("/dotfiles");
    struct Case {
        const char* name;
        mode_t mode; // of the folder the link leads into
        QString link;
        QByteArray target;
    };
    const Case cases[] = {
        {"store file linked", 0755, storeFile(),
         QFile::encodeName(QStringLiteral("../../dotfiles/") + StoreFileName)},
        {"store folder linked", 0700, storeFolder(), QFile::encodeName(dotfiles)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(configHome_).removeRecursively();
        QDir(dotfiles).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(dotfiles));
        ASSERT_TRUE(QDir().mkpath(storeFolder()));
        if (c.link == storeFolder()) {
            ASSERT_TRUE(QDir(storeFolder()).removeRecursively());
        }
        ::chmod(QFile::encodeName(dotfiles).constData(), c.mode);
        writeBytes(dotfiles + u'/' + StoreFileName, "[setting102]\nunique%20key=mine\n");
        ASSERT_EQ(::symlink(c.target.constData(), QFile::encodeName(c.link).constData()), 0);

        UserSettingsStore store = windowStore();
        ASSERT_EQ(store.access(), StoreAccess::Ours) << store.problem().toStdString();
        StoredSettings model;
        loadSettings(store, model, SeedEntropy{});
        EXPECT_EQ(model.ownerKey, u"mine");
        model.length = 33;
        ASSERT_TRUE(saveSettings(store, model));
        EXPECT_TRUE(S_ISLNK(modeOf(c.link)));
        EXPECT_EQ(loadFromDisk().length, 33);
        // A folder the store did not make keeps its mode.
        EXPECT_EQ(modeOf(dotfiles) & 07777, c.mode);
        EXPECT_EQ(QDir(dotfiles).entryList(QDir::Files | QDir::Hidden), QStringList{StoreFileName});
    }
}

TEST_F(UserSettingsStoreTest, UnreadableStoreIsNeitherReadNorOverwritten)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root";
    putFile("[setting102]\nunique%20key=mine\n");
    ASSERT_EQ(::chmod(QFile::encodeName(storeFile()).constData(), 0), 0);
    UserSettingsStore store = windowStore();
    EXPECT_EQ(store.access(), StoreAccess::Unreadable);
    EXPECT_NE(store.problem().indexOf(storeFile()), -1);
    EXPECT_FALSE(saveSettings(store, plainModel()));
    ::chmod(QFile::encodeName(storeFile()).constData(), 0600);
    EXPECT_EQ(readBytes(storeFile()), "[setting102]\nunique%20key=mine\n");
}

TEST_F(UserSettingsStoreTest, AStoreReplacedWhileItIsReadIsReadAgain)
{
    // Another window saves, replacing the file, while this one starts:
    // every start reads one whole save, and none takes the store for
    // unreadable.
    const QByteArray saves[] = {"[setting102]\nunique%20key=first\n",
                                "[setting102]\nunique%20key=second\n"};
    putFile(saves[0]);
    std::atomic<bool> writing{true};
    std::thread writer([&] {
        const QByteArray scratch = QFile::encodeName(storeFile() + QStringLiteral(".new"));
        const QByteArray target = QFile::encodeName(storeFile());
        for (int n = 1; n <= 60; ++n) {
            const QByteArray& bytes = saves[n % 2];
            const int fd =
                ::open(scratch.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
            const bool written =
                fd >= 0 && ::write(fd, bytes.constData(), bytes.size()) == bytes.size();
            if (fd >= 0)
                ::close(fd);
            if (!written || ::rename(scratch.constData(), target.constData()) != 0)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        writing = false;
    });
    int reads = 0;
    std::vector<std::string> problems;
    while (writing) {
        const UserSettingsStore store = windowStore();
        ++reads;
        const std::optional<std::u16string> key = store.readText(u"unique key");
        if (store.access() != StoreAccess::Ours || !(key == u"first" || key == u"second"))
            problems.push_back(store.problem().toStdString());
    }
    writer.join();
    EXPECT_EQ(problems.size(), 0u) << problems.front() << " (in " << reads << " reads)";
}

// Runs the test in a folder of its own, and goes back where it was.
class ScopedCurrentFolder {
public:
    explicit ScopedCurrentFolder(const QString& path) : old_(QDir::currentPath())
    {
        EXPECT_TRUE(QDir::setCurrent(path));
    }
    ~ScopedCurrentFolder() { QDir::setCurrent(old_); }
    ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
    ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;

private:
    QString old_;
};

TEST_F(UserSettingsStoreTest, ConfigFolderFollowsTheXdgRules)
{
    const QString home = dir_.path() + QStringLiteral("/home");
    const QString work = dir_.path() + QStringLiteral("/work");
    ASSERT_TRUE(QDir().mkpath(home));
    ASSERT_TRUE(QDir().mkpath(work));
    const ScopedCurrentFolder inWork(work);
    const QByteArray notText = QFile::encodeName(dir_.path()) + "/\xff\xfe";
    struct Case {
        const char* name;
        QByteArray configHome;
        QByteArray home;
        QString storeFile;    // where the store is; empty when it is refused
        QString refusalNames; // the variable a refusal names
    };
    const Case cases[] = {
        {"relative XDG_CONFIG_HOME, ignored",
         "config",
         QFile::encodeName(home),
         storeFileIn(home + QStringLiteral("/.config")),
         {}},
        {"XDG_CONFIG_HOME not valid in the locale's encoding",
         notText,
         QFile::encodeName(home),
         {},
         QStringLiteral("XDG_CONFIG_HOME")},
        {"HOME not valid in the locale's encoding, in use",
         "config",
         notText,
         {},
         QStringLiteral("HOME")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(home + QStringLiteral("/.config")).removeRecursively();
        const std::map<QString, QByteArray> before = snapshot(dir_.path());
        const ScopedConfigHome configHome(c.configHome);
        const ScopedEnvironment homeVariable("HOME", c.home);

        UserSettingsStore store = windowStore();
        if (!c.storeFile.isEmpty()) {
            EXPECT_EQ(store.location(), c.storeFile);
            ASSERT_TRUE(saveSettings(store, plainModel()));
            EXPECT_TRUE(QFileInfo(c.storeFile).isFile());
            EXPECT_TRUE(QDir(work).isEmpty());
            continue;
        }
        EXPECT_EQ(store.access(), StoreAccess::Refused);
        EXPECT_NE(store.problem().indexOf(c.refusalNames +
                                          QStringLiteral(" is not valid in the locale's encoding")),
                  -1)
            << store.problem().toStdString();
        EXPECT_NE(store.problem().indexOf(store.location()), -1);
        EXPECT_FALSE(saveSettings(store, plainModel()));
        const Result<std::optional<StoreFolder>> folder = store.folder();
        ASSERT_FALSE(folder);
        EXPECT_EQ(folder.error().message, store.problem().toStdString());
        EXPECT_EQ(snapshot(dir_.path()), before);
    }
}

// A process id that no process has now.
pid_t goneProcess()
{
    const pid_t child = fork();
    if (child == 0)
        std::_Exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST_F(UserSettingsStoreTest, OnlyOurOwnAbandonedScratchFilesAreRemoved)
{
    const QString host = QSysInfo::machineHostName();
    const QString gone = QString::number(goneProcess());
    const QString scratch = StoreFileName + QStringLiteral(".save-") + host + u'-' + gone + u'-';
    const QStringList abandoned = {scratch + u'1', scratch + QStringLiteral("2-checked"),
                                   scratch + QStringLiteral("3.lock"),
                                   scratch + QStringLiteral("4.aB3dE9")};
    const QStringList kept = {
        StoreFileName + QStringLiteral(".save-20250101"),                       // the user's backup
        StoreFileName + QStringLiteral(".save-") + gone + QStringLiteral("-1"), // no host
        StoreFileName + QStringLiteral(".save-otherhost-") + gone + QStringLiteral("-1"),
        scratch + QStringLiteral("1.bak"),
        // A glob made of the name "t?vrik" would match it.
        QStringLiteral("tXvrik.conf.save-") + host + u'-' + gone + QStringLiteral("-1"),
        u'x' + StoreFileName + QStringLiteral(".save-") + host + u'-' + gone + QStringLiteral("-1"),
        StoreFileName + QStringLiteral(".save-") + host + u'-' + QString::number(::getppid()) +
            QStringLiteral("-1"), // a save in progress
    };
    ASSERT_TRUE(QDir().mkpath(storeFolder()));
    for (const QString& name : abandoned + kept)
        writeBytes(storeFolder() + u'/' + name, "x");
    // Named like scratch files, but not regular files.
    ASSERT_TRUE(QDir().mkpath(storeFolder() + u'/' + scratch + QStringLiteral("5")));
    ASSERT_EQ(::symlink(QFile::encodeName(StoreFileName + QStringLiteral(".save-20250101")),
                        QFile::encodeName(storeFolder() + u'/' + scratch + u'6').constData()),
              0);

    UserSettingsStore store = windowStore();
    ASSERT_TRUE(saveSettings(store, plainModel()));
    // A store whose name holds pattern characters matches its own name only.
    UserSettingsStore patterned(StoreIdentity::ofWindow(QStringLiteral("t?vrik")));
    ASSERT_TRUE(saveSettings(patterned, plainModel()));

    QStringList expected = kept;
    expected << StoreFileName << QStringLiteral("t?vrik.conf") << scratch + QStringLiteral("5")
             << scratch + u'6';
    expected.sort();
    EXPECT_EQ(QDir(storeFolder())
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                             QDir::Name)
                  .join(u'\n')
                  .toStdString(),
              expected.join(u'\n').toStdString());
}

// ---- Saves that change nothing ----

struct FileState {
    ino_t inode;
    timespec modified;
    mode_t mode;
};

FileState stateOf(const QString& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    return {info.st_ino, info.st_mtim, info.st_mode & 07777};
}

TEST_F(UserSettingsStoreTest, SaveOfWhatTheStoreHoldsWritesNothing)
{
    {
        UserSettingsStore first = windowStore();
        ASSERT_TRUE(saveSettings(first, plainModel()));
    }
    const FileState saved = stateOf(storeFile());
    const QByteArray bytes = fileBytes();
    const auto unchanged = [&](const FileState& now) {
        return now.inode == saved.inode && now.modified.tv_sec == saved.modified.tv_sec &&
               now.modified.tv_nsec == saved.modified.tv_nsec && fileBytes() == bytes;
    };

    // A start-up: load, then save the cleaned-up values, which are the same.
    UserSettingsStore store = windowStore();
    StoredSettings model;
    loadSettings(store, model, SeedEntropy{});
    ASSERT_TRUE(saveSettings(store, model));
    EXPECT_TRUE(unchanged(stateOf(storeFile())));
    // Every later save too.
    ASSERT_TRUE(saveSettings(store, model));
    EXPECT_TRUE(unchanged(stateOf(storeFile())));

    // A file readable by others is still made owner-only.
    ASSERT_EQ(::chmod(QFile::encodeName(storeFile()).constData(), 0644), 0);
    ASSERT_TRUE(saveSettings(store, model));
    EXPECT_EQ(stateOf(storeFile()).mode, 0600u);
    EXPECT_EQ(fileBytes(), bytes);

    // Another program changed the store since: the same values are
    // written again.
    {
        UserSettingsStore other = windowStore();
        StoredSettings changed = plainModel();
        changed.length = 44;
        ASSERT_TRUE(saveSettings(other, changed));
    }
    ASSERT_TRUE(saveSettings(store, model));
    EXPECT_EQ(fileBytes(), bytes);

    // A value written the loose way a hand edit may leave it reads the same
    // but is rewritten.
    putFile(QByteArray(bytes).replace("length=12", "length=012"));
    UserSettingsStore edited = windowStore();
    ASSERT_TRUE(saveSettings(edited, model));
    EXPECT_EQ(fileBytes(), bytes);
}

#endif

} // namespace
