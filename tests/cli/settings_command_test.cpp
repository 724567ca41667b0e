#include "cli/tovrik-settings/settings_command.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <deque>
#include <random>
#include <sstream>

#include "charsets/char_list.h"
#include "cli/tovrik-gen/gen_command.h"
#include "settings/memory_settings_store.h"
#include "settings/registry_mapping.h"
#include "tests/support/recording_store.h"
#include "tests/support/reg_fixtures.h"
#include "text/qt_text.h"

namespace {

// Answers in turn; records the prompts.
class FakeSecretInput : public SecretInput {
public:
    bool terminal = false;
    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> prompts;

    bool isTerminal() override { return terminal; }
    std::optional<std::string> readHidden(std::string_view prompt) override
    {
        prompts.emplace_back(prompt);
        return next();
    }
    std::optional<std::string> readLine() override { return next(); }

private:
    std::optional<std::string> next()
    {
        if (answers.empty())
            return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// Hands the command the test's own store.
class StoreRef : public SettingsStore {
public:
    explicit StoreRef(SettingsStore& store) : store_(store) {}
    std::optional<std::u16string> readText(std::u16string_view name) const override
    {
        return store_.readText(name);
    }
    std::optional<std::int32_t> readInt(std::u16string_view name) const override
    {
        return store_.readInt(name);
    }
    void writeText(std::u16string_view name, std::u16string_view value) override
    {
        store_.writeText(name, value);
    }
    void writeInt(std::u16string_view name, std::int32_t value) override
    {
        store_.writeInt(name, value);
    }
    bool flush() override { return store_.flush(); }

private:
    SettingsStore& store_;
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
    std::vector<QString> backups; // made, in order
    std::vector<QString> removed;
    QTemporaryDir folder;

    SettingsEnvironment env()
    {
        SettingsEnvironment e;
        e.storeLocation = [] {
            return QStringLiteral("/home/u/.config/Ostrel Applications/tovrik.conf");
        };
        e.openStore = [this](std::string&) { return std::make_unique<StoreRef>(store); };
        e.lockForWriting = [this](std::string& why) -> std::shared_ptr<void> {
            if (!windowRunning)
                return std::make_shared<int>(0);
            why = "the Tovrik window is running";
            return nullptr;
        };
        e.backupStore = [this](std::string&) -> std::optional<QString> {
            // Nothing is written before the backup.
            EXPECT_TRUE(store.writes().empty());
            backups.push_back(QStringLiteral("/backup-%1").arg(backups.size() + 1));
            return backups.back();
        };
        e.removeBackup = [this](const QString& path) { removed.push_back(path); };
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
        EXPECT_TRUE(r.err.starts_with("tovrik-settings: ")) << r.err;
        EXPECT_TRUE(store.writes().empty());
        EXPECT_EQ(store.flushCount(), 0);
        EXPECT_EQ(backups.size(), removed.size());
    }
};

// A Version 5.00 file holding these lines below its header.
std::string regFile(std::u16string_view lines)
{
    return utf16File(u"Windows Registry Editor Version 5.00\n\n" + std::u16string(lines));
}

const std::u16string& Key = SettingsKey;

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

std::string gen(const MemorySettingsStore* store, std::vector<std::string> args)
{
    GenEnvironment env;
    if (store)
        env.openStore = [store] {
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
        {"a text where a dword belongs",
         {},
         regFile(Key + u"\"window\"=hex:01\n\n\"length\"=\"16\"\n"),
         {"odd.reg:6: the value 'length' is a text (REG_SZ); it must be a dword"}},
        {"binary data where a text belongs",
         {},
         regFile(Key + u"\"unique key\"=hex:41,00\n"),
         {"odd.reg:4:", "'unique key' is binary data (REG_BINARY)"}},
        {"a damaged line", {}, regFile(Key + u"\"seed1\"=\"cut"), {"odd.reg:4:", "not closed"}},
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
}

TEST_F(SettingsCommand, WritesAreRefusedWhileAWindowRuns)
{
    windowRunning = true;
    input.terminal = true;
    input.answers = {"key", "key"};
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"set-owner-key"},
          {"import", file("ok.reg", regFile(Key + u"\"length\"=dword:10\n"))}}) {
        const Result r = run(args);
        expectUntouched(r);
        EXPECT_NE(r.err.find("window is running"), std::string::npos) << r.err;
    }
    // Refused before the key was asked for.
    EXPECT_TRUE(input.prompts.empty());
    // Reading never waits for the lock.
    EXPECT_EQ(run({"show"}).status, ExitStatus::Ok);
    EXPECT_EQ(run({"path"}).status, ExitStatus::Ok);
}

TEST_F(SettingsCommand, SetOwnerKeyWritesTheKeyOnly)
{
    struct Case {
        bool terminal;
        std::vector<std::optional<std::string>> answers;
        std::optional<std::u16string> key; // nothing: refused
        const char* says;
    };
    const Case cases[] = {
        {true, {"表\\ソ \"能\"", "表\\ソ \"能\""}, u"表\\ソ \"能\"", "set (7 characters)"},
        {true, {"one", "two"}, std::nullopt, "differ"},
        {true, {"one", std::nullopt}, std::nullopt, "second time"},
        {true, {std::nullopt}, std::nullopt, "no owner key"},
        {false, {"piped key\r"}, u"piped key", "set (9 characters)"},
        {false, {""}, u"", "now empty"},
        {false, {std::nullopt}, std::nullopt, "standard input is empty"},
        {false, {"\xC3("}, std::nullopt, "UTF-8"},
        {false, {std::string("a\0b", 3)}, std::nullopt, "NUL"},
    };
    for (const Case& c : cases) {
        store = MemorySettingsStore();
        store.put(u"unique key", u"old");
        store.put(u"length", 16);
        backups.clear();
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
        } else {
            expectUntouched(r);
            EXPECT_NE(r.err.find("unchanged"), std::string::npos) << r.err;
        }
        EXPECT_NE((r.out + r.err).find(c.says), std::string::npos) << r.out << r.err;
        EXPECT_EQ(input.prompts.size(),
                  c.terminal ? std::min<std::size_t>(c.answers.size(), 2) : 0u);
    }

    // The same key again changes nothing.
    input.terminal = false;
    input.answers = {"old"};
    store.clearWrites();
    EXPECT_NE(run({"set-owner-key"}).out.find("unchanged"), std::string::npos);
    EXPECT_TRUE(store.writes().empty());
}

TEST_F(SettingsCommand, ShowPrintsWhatTheWindowLoads)
{
    const Result first = run({"show"});
    ASSERT_EQ(first.status, ExitStatus::Ok);
    EXPECT_EQ(lines(first.out).at(0),
              "(Nothing is stored yet: these are the values of a first start.)");
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
    EXPECT_EQ(QFile::permissions(QString::fromStdString(path)),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    QFile written(QString::fromStdString(path));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    auto parsed = parseSettingsExport(written.readAll().toStdString());
    const auto& sections = std::get<RegistryExport>(parsed).sections;
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
    const auto number = [&] { return static_cast<std::int32_t>(random()); };
    MemorySettingsStore store;
    if (raw) {
        for (const StoredName& name : storedNames())
            if (random() % 4 != 0)
                store.put(
                    name.name,
                    name.row->type == SettingType::Text
                        ? StoredValue(text())
                        : StoredValue(random() % 2 ? number() : std::int32_t(random() % 12) - 2));
        return store;
    }
    DialogModel model;
    model.ownerName = text();
    model.ownerKey = text();
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
    DialogModel loaded;
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
        DialogModel model;
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
        {"show", "--app", "x"},
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
    EXPECT_NE(run({"--help"}).out.find("Usage: tovrik-settings"), std::string::npos);
    EXPECT_EQ(run({"--version"}).out, "tovrik-settings 1.02\n");
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
