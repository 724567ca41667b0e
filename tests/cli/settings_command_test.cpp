#include "cli/tovrik-settings/run_settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <random>
#include <sstream>

#include "charsets/char_list.h"
#include "cli/tovrik-gen/gen_command.h"
#include "settings/key_strength.h"
#include "settings/memory_settings_store.h"
#include "settings/program_names.h"
#include "settings/registry_mapping.h"
#include "tests/support/recording_store.h"
#include "tests/support/reg_fixtures.h"
#include "tests/support/text_lines.h"
#include "text/qt_text.h"

namespace {

// Answers in turn; records the prompts.
class FakeSecretInput : public SecretInput {
public:
    bool terminal = false;
    std::deque<SecretRead> answers;
    std::vector<std::string> prompts;
    // Runs once the last answer has been taken, as while a user types.
    std::function<void()> afterLastAnswer;

    bool isTerminal() override { return terminal; }
    SecretRead readHidden(std::string_view prompt) override
    {
        prompts.emplace_back(prompt);
        return next();
    }
    SecretRead readLine() override { return next(); }

private:
    SecretRead next()
    {
        if (answers.empty())
            return ReadFailure::InputEnded;
        auto answer = answers.front();
        answers.pop_front();
        if (answers.empty() && afterLastAnswer)
            afterLastAnswer();
        return answer;
    }
};

struct Result {
    ExitStatus status;
    std::string out;
    std::string err;
};

class SettingsCommand : public ::testing::Test {
protected:
    RecordingSettingsStore store;
    FakeSecretInput input;
    bool windowRunning = false;
    bool storeFileExists = false;
    std::vector<QString> backups; // made, in order
    std::vector<QString> removed;
    int oldBackupsRemoved = 0; // times asked to
    QTemporaryDir folder;

    // The fixture's store, its lock and its backups, for one command.
    class Session : public StoreSession {
    public:
        explicit Session(SettingsCommand& test) : test_(test) {}
        QString location() const override
        {
            return QStringLiteral("/home/u/.config/Ostrel Applications/tovrik.conf");
        }
        bool exists() const override
        {
            return test_.storeFileExists || !test_.store.values().empty();
        }
        ::Result<SettingsStore*> store() override { return &test_.store; }
        ::Result<void> lockForWriting() override
        {
            if (test_.windowRunning)
                return Error{"the Tovrik window is running"};
            return {};
        }
        ::Result<StoreBackup> backUp() override
        {
            // Nothing is written before the backup.
            EXPECT_TRUE(test_.store.writes().empty());
            test_.backups.push_back(QStringLiteral("/backup-%1").arg(test_.backups.size() + 1));
            return StoreBackup{test_.backups.back(), true};
        }
        void removeBackup(const QString& path) override { test_.removed.push_back(path); }
        void removeOldBackups() override { ++test_.oldBackupsRemoved; }

    private:
        SettingsCommand& test_;
    };

    SettingsEnvironment env()
    {
        SettingsEnvironment e;
        e.openSession = [this](const QString&) { return std::make_unique<Session>(*this); };
        e.seedEntropy = [] { return SeedEntropy{}; };
        e.secretInput = &input;
        return e;
    }

    Result run(std::vector<std::string> args)
    {
        std::ostringstream out, err;
        const ExitStatus status = runSettings(args, out, err, env());
        return {status, out.str(), err.str()};
    }

    std::string file(const char* name, const std::string& bytes)
    {
        const QString path = folder.filePath(QString::fromLatin1(name));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path.toStdString();
    }

    // A refused command wrote nothing and left no backup behind.
    void expectUntouched(const Result& r)
    {
        EXPECT_EQ(r.status, ExitStatus::Failure) << r.out;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_TRUE(r.err.starts_with(std::string(SettingsProgramName) + ": ")) << r.err;
        EXPECT_TRUE(store.writes().empty());
        EXPECT_EQ(store.flushCount(), 0);
        EXPECT_EQ(backups.size(), removed.size());
    }
};

// A stream whose every write fails, as on a full disk.
class FullStream : public std::streambuf {
protected:
    int_type overflow(int_type) override { return traits_type::eof(); }
    std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

// A Version 5.00 file holding these lines below its header.
std::string regFile(std::u16string_view lines)
{
    return utf16File(u"Windows Registry Editor Version 5.00\n\n" + std::u16string(lines));
}

const std::u16string& Key = SettingsKey;

// Random letters and digits, strong enough not to be warned of.
constexpr const char* StrongKey = "kX9mQ2vL7pR4wZ8dT";
constexpr const char* OtherStrongKey = "Wc4nH8sJ2fB6yP3gV";

std::string gen(const MemorySettingsStore* store, std::vector<std::string> args)
{
    GenEnvironment env;
    if (store)
        env.openStore = [store](const QString&) {
            return OpenedStore{
                std::make_unique<MemorySettingsStore>(*store), StoreAccess::Ours, {}};
        };
    std::ostringstream out, err;
    EXPECT_EQ(runGen(args, out, err, env), ExitStatus::Ok) << err.str();
    return out.str();
}

TEST_F(SettingsCommand, EitherWindowsExportImportsAndMakesItsPasswords)
{
    // The same settings given as options, without any store.
    const std::string expected =
        gen(nullptr, {"--no-store", "--owner-name", "山田 太郎", "--owner-key",
                      "表\\ソ \"能\" C:\\鍵", "--numbers", "12-345-6-0-99999-1-2", "--complex",
                      "--length", "16", "--list", "abcdef", "--spread", "2"});
    ASSERT_EQ(lines(expected).size(), 4u);

    // Wine's export writes its values in another order and a line break in
    // a text as \r\n; iconv and text editors drop the byte order mark of a
    // Version 5.00 file when they make it UTF-8.
    const std::string unicode = fixtureBytes("windows-unicode.reg");
    const std::string utf8 =
        QString::fromStdU16String(unitsFromUtf16Le(std::string_view(unicode).substr(2)))
            .toUtf8()
            .toStdString();
    const struct {
        const char* name;
        std::string bytes;
        bool readAsUtf8; // and says so
    } files[] = {
        {"windows-unicode.reg", unicode, false},
        {"windows-ansi.reg", fixtureBytes("windows-ansi.reg"), false},
        {"wine-reg-export.reg", fixtureBytes("wine-reg-export.reg"), false},
        {"utf8-without-bom.reg", utf8, true},
    };
    for (const auto& [fixture, bytes, readAsUtf8] : files) {
        SCOPED_TRACE(fixture);
        store = MemorySettingsStore();
        store.put(u"seed1", u"from an earlier start"); // replaced
        const std::string path = file(fixture, bytes);
        const Result r = run({"import", path});
        ASSERT_EQ(r.status, ExitStatus::Ok) << r.err;
        EXPECT_NE(r.out.find("'Tovrik'"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("/backup-"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("Read " + path + " as UTF-8 (it has no byte order mark).\n") !=
                      std::string::npos,
                  readAsUtf8)
            << r.out;

        std::map<std::u16string, StoredValue, std::less<>> values;
        for (const auto& [name, data] : FixtureValues)
            values[name] = std::holds_alternative<std::u16string>(data)
                               ? StoredValue(std::get<std::u16string>(data))
                               : StoredValue(std::get<std::int32_t>(data));
        EXPECT_EQ(store.values(), values);
        EXPECT_EQ(store.flushCount(), 1);
        EXPECT_EQ(gen(&store, {}), expected);
    }
}

// The Windows program keeps a number written as text, and its window reads
// it as the number's default; so does the import, and it says so.
TEST_F(SettingsCommand, ImportTakesANumberOfAnotherTypeAsItsDefault)
{
    store.put(u"length", 16);
    store.put(u"spread", 3);
    const std::string path =
        file("windows-text-numbers.reg", fixtureBytes("windows-text-numbers.reg"));
    Result r = run({"import", path});
    ASSERT_EQ(r.status, ExitStatus::Ok) << r.err;
    EXPECT_EQ(store.readInt(u"length"), DefaultPasswordLength);
    EXPECT_EQ(store.readInt(u"spread"), 0);
    EXPECT_EQ(store.readText(u"unique key"), u"長い鍵 long key");
    EXPECT_EQ(store.readInt(u"complex"), 1);
    const std::vector<std::string> outLines = lines(r.out);
    const auto said = [&](const std::string& line) {
        return std::find(outLines.begin(), outLines.end(), line) != outLines.end();
    };
    EXPECT_TRUE(said(path + ":6: the number 'length' is a text (REG_SZ), not a dword; imported as "
                            "its default, as the window reads it"))
        << r.out;
    EXPECT_TRUE(said(path + ":10: the number 'spread' is a text (REG_SZ), not a dword; imported "
                            "as its default, as the window reads it"))
        << r.out;

    // A later dword, or a deletion, of the same name is what counts.
    store.clearWrites();
    r = run({"import", file("odd.reg", regFile(Key + u"\"length\"=hex(b):14,00,00,00,00,00,00,00\n"
                                                     u"\"length\"=dword:00000014\n"
                                                     u"\"spread\"=\"2\"\n\"spread\"=-\n"))});
    ASSERT_EQ(r.status, ExitStatus::Ok) << r.err;
    EXPECT_EQ(store.readInt(u"length"), 20);
    EXPECT_EQ(r.out.find("default"), std::string::npos) << r.out;
}

TEST_F(SettingsCommand, ImportedValuesAreWhatTheWindowWouldLoad)
{
    struct Case {
        const char* what;
        std::u16string lines;
        std::vector<std::pair<std::u16string, StoredValue>> expected;
    };
    const Case cases[] = {
        {"odd values",
         Key + u"\"user name\"=\"\u3000 x \"\n\"mode\"=dword:00000007\n"
               u"\"complex\"=dword:fffffffb\n\"mojisetmax\"=dword:00000002\n"
               u"\"mojisetsel\"=dword:00000005\n\"MS01\"=\"zyxx\"\n\"spread\"=dword:00000007\n"
               u"\"MS05\"=\"left by a larger table\"\n\"Length\"=dword:00000001\n",
         {{u"user name", u"x"},
          {u"length", 4},
          {u"mode", NumericSeedModeCode},
          {u"complex", 1},
          {u"mojisetmax", 2},
          {u"mojisetsel", 0},
          {u"MS01", u"xyz"},
          {u"moji list", u"xyz"},
          {u"MS02_name", u"文字セット_01"},
          {u"spread", 2},
          {u"MS05", u"left by a larger table"},
          {u"seed1", u"kept"}}},
        {"a deleted value reads as its default",
         Key + u"\"seed1\"=-\n\"length\"=dword:00000010\n",
         {{u"seed1", u"TANE"}, {u"length", 16}}},
        {"a text is what the Windows program reads: up to its first NUL; Wine's escapes",
         Key + u"\"unique key\"=hex(1):41,00,00,00,42,00,00,00\n\"seed1\"=\"a\\r\\nb\"\n",
         {{u"unique key", u"A"}, {u"seed1", u"a\r\nb"}}},
        {"a name that the registry does not take for the window's",
         Key + u"\"unique \u212Aey\"=\"kelvin\"\n\"unique key\"=\"plain\"\n"
               u"\"unique \u212Aey\"=-\n",
         {{u"unique key", u"plain"}}},
        {"a deleted key: nothing of the store is kept",
         u"[-HKEY_CURRENT_USER\\Software\\Ostrel Applications\\Tovrik\\setting102]\n" + Key +
             u"\"length\"=dword:00000010\n",
         {{u"seed1", u"TANE"}, {u"length", 16}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store = MemorySettingsStore();
        store.put(u"seed1", u"kept");
        const Result r = run({"import", file("odd.reg", regFile(c.lines))});
        ASSERT_EQ(r.status, ExitStatus::Ok) << r.err;
        for (const auto& [name, value] : c.expected) {
            const StoredValue* stored = store.find(name);
            ASSERT_NE(stored, nullptr) << QString::fromStdU16String(name).toStdString();
            EXPECT_EQ(*stored, value) << QString::fromStdU16String(name).toStdString();
        }
    }

    // show then shows what the window shows.
    const Result shown = run({"show"});
    EXPECT_NE(shown.out.find("length:       16\n"), std::string::npos) << shown.out;
}

TEST_F(SettingsCommand, ImportRefusesAndTouchesNothing)
{
    store.put(u"unique key", u"old");
    const std::u16string two =
        Key + u"[HKEY_CURRENT_USER\\Software\\Ostrel Applications\\tovrik-old\\setting102]\n";
    struct Case {
        const char* what;
        std::vector<std::string> extraArgs;
        std::string bytes;
        std::vector<std::string> says;
    };
    const Case cases[] = {
        {"several programs", {}, regFile(two), {"'Tovrik', 'tovrik-old'", "--app NAME"}},
        {"an unknown program",
         {"--app", "other"},
         regFile(two),
         {"'other'", "'Tovrik', 'tovrik-old'"}},
        // The store refuses a text of another type too: it may be an owner
        // key, which is never taken as empty.
        {"a dword where a text belongs",
         {},
         regFile(Key + u"\"window\"=hex:01\n\n\"unique key\"=dword:00000010\n"),
         {"odd.reg:6: the value 'unique key' is a dword (REG_DWORD); it must be a text"}},
        {"binary data where a text belongs",
         {},
         regFile(Key + u"\"unique key\"=hex:41,00\n"),
         {"odd.reg:4:", "'unique key' is binary data (REG_BINARY)"}},
        {"a damaged line", {}, regFile(Key + u"\"seed1\"=\"cut"), {"odd.reg:4:", "not closed"}},
        {"a control character in the owner key",
         {},
         regFile(Key + u"\"length\"=dword:10\n\"unique key\"=\"cut\tkey\"\n"),
         {"odd.reg:5: the owner key ('unique key') holds a control character"}},
        {"a file that ends inside a value",
         {},
         regFile(Key + u"\"mode\"=dword:00002431\n\"length\"=dword:000"),
         {"odd.reg:5:", "truncated"}},
        {"two spellings of one name",
         {},
         regFile(Key + u"\"unique key\"=\"a\"\n\"Unique Key\"=\"b\"\n"),
         {"odd.reg:5:", "'unique key' (line 4)", "'Unique Key'", "case"}},
        {"UTF-8 or CP932, no byte order mark to tell",
         {},
         "REGEDIT4\r\n" + toUtf8(Key) + "\"user name\"=\"M\xC3\xBCller\"\r\n",
         {"odd.reg:3:", "UTF-8", "CP932", "Version 5.00"}},
        {"not an export", {}, "junk", {"odd.reg:1:"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> args = {"import", file("odd.reg", c.bytes)};
        args.insert(args.end(), c.extraArgs.begin(), c.extraArgs.end());
        const Result r = run(args);
        expectUntouched(r);
        EXPECT_TRUE(backups.empty());
        for (const std::string& part : c.says)
            EXPECT_NE(r.err.find(part), std::string::npos) << r.err;
        // No secret of the file in any message.
        EXPECT_EQ(r.err.find("cut"), std::string::npos);
    }
    EXPECT_EQ(run({"import", folder.filePath("missing.reg").toStdString()}).status,
              ExitStatus::Failure);

    // --app chooses, without regard to case.
    const Result chosen = run({"import", file("two.reg", regFile(two)), "--app", "TOVRIK-OLD"});
    EXPECT_EQ(chosen.status, ExitStatus::Ok) << chosen.err;
    EXPECT_NE(chosen.out.find("'tovrik-old'"), std::string::npos);
}

TEST_F(SettingsCommand, AFailedWriteKeepsNoBackup)
{
    store.setFlushFails(true);
    const Result r = run({"import", file("ok.reg", regFile(Key + u"\"length\"=dword:10\n"))});
    EXPECT_EQ(r.status, ExitStatus::Failure);
    EXPECT_NE(r.err.find("unchanged"), std::string::npos) << r.err;
    EXPECT_EQ(removed, backups);
    EXPECT_EQ(backups.size(), 1u);
    // Older backups are left alone until a write has succeeded.
    EXPECT_EQ(oldBackupsRemoved, 0);
}

TEST_F(SettingsCommand, AnImportThatLeavesTheKeyEmptySaysSo)
{
    const std::string warning =
        std::string(SettingsProgramName) + ": warning: the owner key is now empty";
    const struct {
        const char* what;
        std::u16string lines;
        bool warned;
    } cases[] = {
        {"set empty", Key + u"\"unique key\"=\"\"\n", true},
        {"deleted", Key + u"\"unique key\"=-\n", true},
        {"set", Key + u"\"unique key\"=\"k\"\n", false},
        {"not in the file: the local key stays", Key + u"\"length\"=dword:10\n", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        store = MemorySettingsStore();
        store.put(u"unique key", u"local");
        const Result r = run({"import", file("key.reg", regFile(c.lines))});
        ASSERT_EQ(r.status, ExitStatus::Ok) << r.err;
        EXPECT_EQ(r.err.starts_with(warning), c.warned) << r.err;
        EXPECT_LE(lines(r.err).size(), 1u);
        EXPECT_GT(oldBackupsRemoved, 0);
    }
}

TEST_F(SettingsCommand, WritesAreRefusedWhileAWindowRuns)
{
    // A window that runs from the start, and one started while the key is
    // typed: either holds the lock when the write comes, and its next save
    // would put the old values back.
    const struct {
        std::vector<std::string> args;
        bool startedDuringThePrompt;
    } cases[] = {
        {{"set-owner-key"}, false},
        {{"set-owner-key"}, true},
        {{"import", file("ok.reg", regFile(Key + u"\"length\"=dword:10\n"))}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + (c.startedDuringThePrompt ? ", started during the prompt" : ""));
        windowRunning = !c.startedDuringThePrompt;
        input.terminal = true;
        input.answers = {StrongKey, StrongKey};
        input.afterLastAnswer = [&] { windowRunning = true; };
        const Result r = run(c.args);
        expectUntouched(r);
        EXPECT_NE(r.err.find("window is running"), std::string::npos) << r.err;
        if (c.args[0] == "set-owner-key") {
            EXPECT_NE(r.err.find("the owner key is unchanged"), std::string::npos) << r.err;
        }
    }
    input.afterLastAnswer = nullptr;
    // Reading never waits for the lock.
    EXPECT_EQ(run({"show"}).status, ExitStatus::Ok);
    EXPECT_EQ(run({"path"}).status, ExitStatus::Ok);
}

TEST_F(SettingsCommand, SetOwnerKeyWritesTheKeyOnly)
{
    struct Case {
        bool terminal;
        std::vector<SecretRead> answers;
        std::optional<std::u16string> key; // nothing: refused
        const char* says;
    };
    const Case cases[] = {
        {true, {StrongKey, StrongKey}, fromQ(QString::fromUtf8(StrongKey)), "set (17 characters"},
        {true, {"one", "two"}, std::nullopt, "differ"},
        {true, {"one", ReadFailure::InputEnded}, std::nullopt, "second time"},
        {true, {ReadFailure::InputEnded}, std::nullopt, "no owner key"},
        {true, {ReadFailure::PromptFailed}, std::nullopt, "prompt cannot be written"},
        {true, {"one", ReadFailure::PromptFailed}, std::nullopt, "prompt cannot be written"},
        {true, {ReadFailure::TooLong}, std::nullopt, "longer than 4096 bytes"},
        {false, {std::string(StrongKey) + "\r"}, fromQ(QString::fromUtf8(StrongKey)), "set ("},
        {false, {ReadFailure::InputEnded}, std::nullopt, "standard input is empty"},
        {false, {ReadFailure::TooLong}, std::nullopt, "longer than 4096 bytes"},
        {false, {"\xC3("}, std::nullopt, "UTF-8"},
#ifdef _WIN32
        // 鍵 piped from a console on code page 932.
        {false, {"\x8C\xAE"}, std::nullopt, "chcp 65001"},
#endif
        {false, {std::string("a\0b", 3)}, std::nullopt, "NUL"},
        // An empty line, or Enter twice, does not make every password public.
        {false, {""}, std::nullopt, "--clear"},
        {false, {"\r"}, std::nullopt, "--clear"},
        {true, {"", ""}, std::nullopt, "--clear"},
        // Control characters cannot be typed into the Windows program.
        {false, {"Xq7-vLp2-Rw9z\tKm4"}, std::nullopt, "control characters"},
        {true, {"Xq7-vLp2\x1b[2J", "Xq7-vLp2\x1b[2J"}, std::nullopt, "control characters"},
        {false, {"Xq7-vLp2-Rw9z\x7fKm4-Tn8"}, u"Xq7-vLp2-Rw9z\x7fKm4-Tn8", "set ("},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        store = MemorySettingsStore();
        store.put(u"unique key", u"old");
        store.put(u"length", 16);
        backups.clear();
        oldBackupsRemoved = 0;
        input.terminal = c.terminal;
        input.prompts.clear();
        input.answers.assign(c.answers.begin(), c.answers.end());
        const Result r = run({"set-owner-key"});
        if (c.key) {
            ASSERT_EQ(r.status, ExitStatus::Ok) << r.err;
            EXPECT_EQ(store.writes(), (std::vector<NamedValue>{{u"unique key", *c.key}}));
            EXPECT_EQ(store.flushCount(), 1);
            EXPECT_EQ(store.readInt(u"length"), 16);
            EXPECT_NE(r.out.find("Every password"), std::string::npos);
            EXPECT_EQ(backups.size(), 1u);
            EXPECT_EQ(oldBackupsRemoved, 1);
        } else {
            expectUntouched(r);
            EXPECT_NE(r.err.find("unchanged"), std::string::npos) << r.err;
            EXPECT_EQ(oldBackupsRemoved, 0);
        }
        EXPECT_NE((r.out + r.err).find(c.says), std::string::npos) << r.out << r.err;
        EXPECT_EQ(input.prompts.size(),
                  c.terminal ? std::min<std::size_t>(c.answers.size(), 2) : 0u);
    }

    // The same key again changes nothing.
    input.terminal = false;
    input.answers = {StrongKey};
    store.put(u"unique key", fromQ(QString::fromUtf8(StrongKey)));
    store.clearWrites();
    EXPECT_NE(run({"set-owner-key"}).out.find("unchanged"), std::string::npos);
    EXPECT_TRUE(store.writes().empty());
}

TEST_F(SettingsCommand, ClearEmptiesTheKeyWithoutAskingForOne)
{
    store.put(u"unique key", u"old");
    input.terminal = true;
    const Result r = run({"set-owner-key", "--clear"});
    ASSERT_EQ(r.status, ExitStatus::Ok) << r.err;
    EXPECT_TRUE(input.prompts.empty());
    EXPECT_EQ(store.writes(), (std::vector<NamedValue>{{u"unique key", u""}}));
    EXPECT_NE(r.out.find("now empty"), std::string::npos) << r.out;
    EXPECT_EQ(run({"show", "--clear"}).status, ExitStatus::Usage);
    EXPECT_EQ(run({"import", "a.reg", "--clear"}).status, ExitStatus::Usage);
}

TEST_F(SettingsCommand, AWeakKeyIsWarnedOfAndNeedsAYesOnATerminal)
{
    if (!estimatedKeyBits(u"x", u""))
        GTEST_SKIP() << "this build has no strength estimator";
    // Sixteen different characters, but all of the same low byte: the
    // engine hashes "BBBBBBBBBBBBBBBB".
    std::string sameLowByte;
    for (char16_t unit = u'\u4E42'; unit <= u'\u5D42'; unit += 0x100)
        sameLowByte += QString(QChar(unit)).toStdString();
    struct Case {
        const char* what;
        std::string key;
        bool terminal;
        SecretRead answer; // to "all the same?"
        bool set;
        bool warned;
    };
    const Case cases[] = {
        {"strong", OtherStrongKey, true, "", true, false},
        {"weak, yes", "password1", true, "y", true, true},
        {"weak, no", "password1", true, "n", false, true},
        {"weak, no answer", "password1", true, ReadFailure::InputEnded, false, true},
        {"weak, a long answer", "password1", true, ReadFailure::TooLong, false, true},
        {"weak, from a script", "password1", false, "", true, true},
        // The window's title shows the owner name.
        {"the owner name", StrongKey, false, "", true, true},
        {"strong only to the eye", sameLowByte, false, "", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store = MemorySettingsStore();
        store.put(u"user name", fromQ(QString::fromUtf8(StrongKey)));
        input.terminal = c.terminal;
        input.answers.clear();
        input.answers.push_back(c.key);
        if (c.terminal)
            input.answers.push_back(c.key);
        if (c.terminal && c.warned)
            input.answers.push_back(c.answer);
        const Result r = run({"set-owner-key"});
        EXPECT_EQ(r.status, c.set ? ExitStatus::Ok : ExitStatus::Failure) << r.err;
        EXPECT_EQ(store.readText(u"unique key").has_value(), c.set);
        EXPECT_EQ(r.err.find(std::string(SettingsProgramName) +
                             ": warning: this owner key has about ") == 0,
                  c.warned)
            << r.err;
        EXPECT_EQ(r.err.find("all the same? [y/N]") != std::string::npos, c.warned && c.terminal)
            << r.err;
        if (c.set) {
            EXPECT_NE(r.out.find(" bits of strength)"), std::string::npos) << r.out;
        } else {
            EXPECT_TRUE(r.err.ends_with(std::string(SettingsProgramName) +
                                        ": the owner key is unchanged\n"))
                << r.err;
        }
        EXPECT_TRUE(input.answers.empty());
    }
}

TEST_F(SettingsCommand, ShowPrintsWhatTheWindowLoads)
{
    const Result first = run({"show"});
    ASSERT_EQ(first.status, ExitStatus::Ok);
    EXPECT_EQ(lines(first.out).at(0),
              "(Nothing is stored yet: these are the values of a first start.)");
    // A file that holds nothing of the window's is no first start.
    storeFileExists = true;
    EXPECT_EQ(lines(run({"show"}).out).at(0), "(The store holds none of the settings; it may be "
                                              "damaged. These are the values of a first start.)");
    storeFileExists = false;
    EXPECT_NE(first.out.find("owner key:    (empty)\n"), std::string::npos);
    EXPECT_NE(first.out.find("seed numbers: (none stored"), std::string::npos);
    EXPECT_NE(first.out.find("  * 1 'default': "), std::string::npos) << first.out;

    store.put(u"user name", u" 山田\x1b[2J ");
    store.put(u"unique key", u"鍵\U0001F511!");
    store.put(u"seed2", u"12-345-6");
    store.put(u"mojisetmax", 2);
    store.put(u"MS02", u"cba");
    store.put(u"MS02_name", u"web");
    const Result hidden = run({"show"});
    EXPECT_EQ(hidden.out.find("鍵"), std::string::npos);
    for (const char* part : {"owner name:   山田\\x1B[2J\n", "owner key:    (set, 3 characters)\n",
                             "seed numbers: 12-345-6-0-0-0-0\n", "    1 '文字セット_00'",
                             "  * 2 'web': abc\n", "spread level: 0 (1 password shown)\n"})
        EXPECT_NE(hidden.out.find(part), std::string::npos) << part << "\n" << hidden.out;
    EXPECT_NE(run({"show", "--reveal-key"}).out.find("owner key:    鍵\U0001F511!\n"),
              std::string::npos);
    EXPECT_EQ(run({"path"}).out, "/home/u/.config/Ostrel Applications/tovrik.conf\n");
}

TEST_F(SettingsCommand, ExportWritesEveryStoredValueInTheWindowsOrder)
{
    EXPECT_EQ(run({"export", folder.filePath("none.reg").toStdString()}).status,
              ExitStatus::Failure); // nothing stored yet

    store.put(u"spread", -3);
    store.put(u"MS07_name", u"stale");
    store.put(u"user name", u"@山田");
    store.put(u"length", u"not a number"); // the window reads it as absent
    const std::string path = folder.filePath("out.reg").toStdString();
    const Result r = run({"export", path, "--app", "Tovrik"});
    ASSERT_EQ(r.status, ExitStatus::Ok) << r.err;
    EXPECT_NE(r.out.find("Exported 3 values"), std::string::npos) << r.out;
#ifndef _WIN32 // Windows files take their access from the folder's.
    EXPECT_EQ(QFile::permissions(QString::fromStdString(path)),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
#endif
    QFile written(QString::fromStdString(path));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const ::Result<RegistryExport> parsed = parseSettingsExport(written.readAll().toStdString());
    ASSERT_TRUE(parsed) << parsed.error().message;
    const std::vector<RegistrySection>& sections = parsed->sections;
    ASSERT_EQ(sections.size(), 1u);
    EXPECT_EQ(sections[0].name, u"Tovrik");
    const std::vector<RegistryValue> expected = {
        {u"user name", u"@山田", 4}, {u"MS07_name", u"stale", 5}, {u"spread", -3, 6}};
    EXPECT_EQ(sections[0].values, expected);
}

// A store as the window leaves it, from a random model, now and then with
// pairs of a larger table left behind; or, raw, with any values at all.
MemorySettingsStore randomStore(std::mt19937& random, bool raw)
{
    const std::u16string texts[] = {
        u"",    u"山田 太郎", u"\"quoted\"",  u"C:\\back\\", u"@Invalid()",
        u"@",   u"@@x",       u"表ソ能",      u" spaced ",   u"a;b,c=d",
        u"[x]", u"zyx!!",     u"two\r\nlines"};
    const auto text = [&] { return texts[random() % std::size(texts)]; };
    // An import refuses an owner key with a control character in it.
    const auto key = [&] {
        std::u16string drawn;
        do
            drawn = text();
        while (drawn.find_first_of(u"\r\n") != std::u16string::npos);
        return drawn;
    };
    const auto number = [&] { return static_cast<std::int32_t>(random()); };
    MemorySettingsStore store;
    if (raw) {
        for (const StoredName& name : storedNames())
            if (random() % 4 != 0)
                store.put(
                    name.name,
                    name.row->type == SettingType::Text
                        ? StoredValue(name.name == u"unique key" ? key() : text())
                        : StoredValue(random() % 2 ? number() : std::int32_t(random() % 12) - 2));
        return store;
    }
    StoredSettings model;
    model.ownerName = text();
    model.ownerKey = key();
    model.length = std::uniform_int_distribution(-10, 120)(random);
    model.stringSeedMode = random() % 2 == 0;
    model.seedText = text();
    model.numericSeedText = text();
    model.complexity = number();
    model.sets.setCount = std::uniform_int_distribution(1, MaxCharSets)(random);
    for (int i = 0; i < model.sets.setCount; ++i) {
        model.sets.setNames.push_back(text());
        model.sets.setLists.push_back(text());
    }
    model.sets.currentSet = std::uniform_int_distribution(0, model.sets.setCount - 1)(random);
    model.currentList = text();
    model.spreadLevel = std::uniform_int_distribution(0, 4)(random);
    MemorySettingsStore first;
    saveSettings(first, model);
    StoredSettings loaded;
    loadSettings(first, loaded, SeedEntropy{});
    saveSettings(store, loaded);
    for (int k = loaded.sets.setCount + 1; k <= MaxCharSets && random() % 3 == 0; ++k)
        store.put(settingName(Setting::SetList, k), text());
    return store;
}

TEST_F(SettingsCommand, ExportThenImportGivesTheSameStore)
{
    std::mt19937 random(1210);
    const std::string path = folder.filePath("round.reg").toStdString();
    for (int round = 0; round < 60; ++round) {
        const bool raw = round % 3 == 2;
        const MemorySettingsStore original = randomStore(random, raw);
        store = original;
        ASSERT_EQ(run({"export", path}).status, ExitStatus::Ok);

        store = MemorySettingsStore();
        ASSERT_EQ(run({"import", path}).status, ExitStatus::Ok);
        if (!raw) {
            EXPECT_EQ(store.values(), original.values()) << "round " << round;
            continue;
        }
        // Odd values come back as the window's start-up would leave them.
        MemorySettingsStore started = original;
        StoredSettings model;
        loadSettings(original, model, SeedEntropy{});
        saveSettings(started, model);
        EXPECT_EQ(store.values(), started.values()) << "round " << round;
    }
}

TEST_F(SettingsCommand, BadUsageIsStatusTwo)
{
    const std::vector<std::string> bad[] = {
        {},
        {"frobnicate"},
        {"path", "extra"},
        {"show", "--app", "a/b"},
        {"import"},
        {"import", "a.reg", "b.reg"},
        {"export", "a.reg", "--app", "a\\b"},
        {"export", "a.reg", "--app", ""},
        {"set-owner-key", "--reveal-key"},
        {"show", "--bogus"},
        {"show", "\xff"},
        {"show", "--bogus\n\x1b[2J"},
    };
    for (const auto& args : bad) {
        const Result r = run(args);
        EXPECT_EQ(r.status, ExitStatus::Usage) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(lines(r.err).size(), 1u) << r.err;
        EXPECT_EQ(r.err.find_first_of("\r\x1b"), std::string::npos) << r.err;
    }
    // A file name is quoted in a failure: its control characters must not
    // reach the terminal either.
    const Result missing = run({"import", "missing\n\x1b[2Jfile.reg"});
    EXPECT_EQ(missing.status, ExitStatus::Failure);
    EXPECT_EQ(lines(missing.err).size(), 1u) << missing.err;
    EXPECT_EQ(missing.err.find_first_of("\r\x1b"), std::string::npos) << missing.err;
    const std::string program(SettingsProgramName);
    for (const char* help : {"--help", "-h"})
        EXPECT_NE(run({help}).out.find("Usage: " + program), std::string::npos) << help;
    for (const char* version : {"--version", "-v"})
        EXPECT_EQ(run({version}).out, program + " 1.02\n") << version;
}

TEST_F(SettingsCommand, FailedOutputIsAFailure)
{
    store.put(u"unique key", u"k");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"show"},
                                                 {"show", "--reveal-key"},
                                                 {"path"},
                                                 {"--help"},
                                                 {"-v"}}) {
        FullStream full;
        std::ostream out(&full);
        std::ostringstream err;
        EXPECT_EQ(runSettings(args, out, err, env()), ExitStatus::OutputFailed) << args[0];
        EXPECT_EQ(err.str(),
                  std::string(SettingsProgramName) + ": cannot write to standard output\n");
    }
}

// Both programs word the parser's errors alike, and never repeat a value.
TEST(CommandLines, ErrorsHaveOneStyleAndQuoteNoValue)
{
    const struct {
        bool gen;
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {false, {"import", "a.reg", "--app"}, "--app needs a value"},
        {true, {"--seed"}, "--seed needs a value"},
        {false, {"show", "--reveal-key=Hunter2Secret"}, "--reveal-key takes no value"},
        {true, {"--complex=Hunter2Secret"}, "--complex takes no value"},
        {false, {"set-owner-key", "-Hunter2Secret"}, "unknown option"},
        {true, {"-Hunter2Secret"}, "unknown option"},
        {false, {"set-owner-key", "--Hunter2Secret=x"}, "unknown option"},
    };
    for (const auto& c : cases) {
        std::ostringstream out, err;
        const ExitStatus status = c.gen ? runGen(c.args, out, err, GenEnvironment{})
                                        : runSettings(c.args, out, err, SettingsEnvironment{});
        EXPECT_EQ(status, ExitStatus::Usage);
        EXPECT_EQ(err.str(), std::string(c.gen ? GenProgramName : SettingsProgramName) + ": " +
                                 c.message + " (see --help)\n");
    }
}

TEST(TovrikGenAskOwnerKey, ReadsTheKeyInsteadOfTheCommandLine)
{
    const auto run = [](FakeSecretInput& input, std::vector<std::string> args) {
        GenEnvironment env;
        env.secretInput = &input;
        std::ostringstream out, err;
        args.push_back("--no-store");
        const ExitStatus status = runGen(args, out, err, env);
        return Result{status, out.str(), err.str()};
    };
    const std::string expected = gen(nullptr, {"--no-store", "--owner-key", "鍵 key"});
    FakeSecretInput terminal;
    terminal.terminal = true;
    terminal.answers = {"鍵 key"};
    EXPECT_EQ(run(terminal, {"--ask-owner-key"}).out, expected);
    EXPECT_EQ(terminal.prompts.size(), 1u); // asked once
    FakeSecretInput piped;
    piped.answers = {"鍵 key\r"};
    EXPECT_EQ(run(piped, {"--ask-owner-key"}).out, expected);

    FakeSecretInput empty;
    const Result none = run(empty, {"--ask-owner-key"});
    EXPECT_EQ(none.status, ExitStatus::Failure);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(run(empty, {"--ask-owner-key", "--owner-key", "x"}).status, ExitStatus::Usage);
    EXPECT_NE(run(empty, {"--help"}).out.find("can see it"), std::string::npos);
}

} // namespace
