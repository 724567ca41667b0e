#include "cli/tovrik-gen/gen_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "charsets/char_list.h"
#include "settings/load_save.h"
#include "settings/memory_settings_store.h"
#include "settings/program_names.h"
#include "tests/support/text_lines.h"

namespace {

struct GenResult {
    ExitStatus status;
    std::string out;
    std::string err;
};

// A store that fails the test when written: tovrik-gen only reads.
class ReadOnlyStore : public MemorySettingsStore {
public:
    explicit ReadOnlyStore(const MemorySettingsStore& values) : MemorySettingsStore(values) {}
    void writeText(std::u16string_view, std::u16string_view) override { ADD_FAILURE(); }
    void writeInt(std::u16string_view, std::int32_t) override { ADD_FAILURE(); }
    bool flush() override
    {
        ADD_FAILURE();
        return false;
    }
};

GenEnvironment testEnvironment(const MemorySettingsStore* store = nullptr)
{
    GenEnvironment env;
    if (store)
        env.openStore = [store](const QString&) {
            return OpenedStore{std::make_unique<ReadOnlyStore>(*store), StoreAccess::Ours, {}};
        };
    env.localTime = [] {
        std::tm t{};
        t.tm_year = 126;
        t.tm_mon = 11;
        t.tm_mday = 10;
        t.tm_hour = 9;
        t.tm_min = 30;
        return std::optional<std::tm>(t);
    };
    return env;
}

GenResult run(std::vector<std::string> args, const GenEnvironment& env)
{
    std::ostringstream out, err;
    const ExitStatus status = runGen(args, out, err, env);
    return {status, out.str(), err.str()};
}

GenResult run(std::vector<std::string> args, const MemorySettingsStore* store = nullptr)
{
    return run(std::move(args), testEnvironment(store));
}

const std::string Program(GenProgramName);
const std::string EmptyKeyWarning =
    Program + ": warning: the owner key is empty, so anyone can work out these passwords; set "
              "a long random owner key\n";

TEST(TovrikGen, FirstStartValuesGiveTheReferencePasswords)
{
    const GenResult r = run({"--no-store", "--seed", "TANE"});
    ASSERT_EQ(r.status, ExitStatus::Ok) << r.err;
    // Standard output stays the passwords only; one warning goes to errors.
    EXPECT_EQ(r.err, EmptyKeyWarning);
    EXPECT_EQ(run({"--no-store", "--owner-key", "k"}).err, "");
    const auto passwords = lines(r.out);
    ASSERT_EQ(passwords.size(), 16u);
    EXPECT_EQ(passwords[0], "rGhrZfcW(.");
    EXPECT_EQ(passwords[15], "$9!EE7tD*+");
    EXPECT_EQ(run({"--no-store"}).out, r.out);
}

TEST(TovrikGen, OptionsReachTheEngine)
{
    struct Case {
        std::vector<std::string> args;
        std::string first;
    };
    // CR and LF count towards a list's 200 characters: here the "b" is the
    // 241st, and the list is "a".
    std::string pairsThenB;
    for (int i = 0; i < 80; ++i)
        pairsThenB += "a\r\n";
    pairsThenB += "b";
    // Passwords from reference_generate.py for the same inputs.
    const Case cases[] = {
        {{"--owner-name", "山田", "--owner-key", "key!", "--seed", "mail", "--complex", "--length",
          "99"},
         "MR)ZC(2-rCWe@@J6MUA->jU$@t1VB$Zn)$1A4imch9R5zRY&s@Mt$Z-am(.=0@9y6Sss.zg@hytrk.?D.-"
         "AgKPAr9>"
         "-b?e42Pc?"},
        {{"--owner-name", "x", "--numbers", "3000000000-0-99999-1-2-3-4", "--length", "16"},
         "%3eJnDYP!yg1<ZHP"},
        {{"--owner-name", "", "--seed", "", "--list", "cbaabc", "--length", "5"}, "ccbbb"},
        {{"--numbers", "1-2-3-4-5-6-7", "--complex", "--length", "4"}, "1r@M"},
        {{"--owner-key", "k", "--list", pairsThenB, "--length", "8"}, "aaaaaaaa"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.push_back("--no-store");
        const GenResult r = run(args);
        ASSERT_EQ(r.status, ExitStatus::Ok) << r.err;
        EXPECT_EQ(lines(r.out).at(0), c.first);
    }
}

TEST(TovrikGen, SpreadChoosesHowManyArePrinted)
{
    EXPECT_EQ(lines(run({"--no-store", "--spread", "0"}).out).size(), 1u);
    EXPECT_EQ(lines(run({"--no-store", "--spread", "3"}).out).size(), 8u);
}

TEST(TovrikGen, ReportIsTheClipboardText)
{
    const GenResult r =
        run({"--no-store", "--numbers", "1-2-3-4-5-6-7", "--spread", "1", "--report"});
    ASSERT_EQ(r.status, ExitStatus::Ok) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find("種: ")),
              "[ トヴリク ver1.02 ]\r\n"
              "生成日時: 2026/12/10 09:30:00\r\n"
              "文字数: 10\r\n"
              "複雑性: なし\r\n"
              "文字セット名: default\r\n"
              "文字セット: "
              "!#$%&()*+-./0123456789<=>?@ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz\r\n");
    EXPECT_NE(r.out.find("種: 1-2-3-4-5-6-7\r\n生成パスワード( 1): "), std::string::npos);
    EXPECT_NE(r.out.find("\r\n生成パスワード( 2): "), std::string::npos);
    EXPECT_EQ(r.out.find("生成パスワード( 3)"), std::string::npos);
    EXPECT_TRUE(r.out.ends_with("\r\n"));
}

TEST(TovrikGen, BadInputGetsOneLineAndStatusTwo)
{
    const std::vector<std::string> bad[] = {
        {"--length", "3"},
        {"--length", "100"},
        {"--length", "ten"},
        {"--length", "-5"},
        {"--spread", "5"},
        {"--numbers", "1-2-3"},
        {"--numbers", "1-2-3-4-5-6-4294967296"},
        {"--numbers", "1-2-3-4-5-6-+7"},
        {"--numbers", "1-2-3-4-5-6-7-"},
        {"--seed", "a", "--numbers", "1-2-3-4-5-6-7"},
        {"--set", "default", "--list", "abc"},
        {"--app", "../tovrik"},
        {"--app", "Tovrik2", "--no-store"},
        {"--set"},
        {"--frobnicate"},
        {"--seed"},
        {"stray"},
        {"--owner-name", "\xff\xfe"},
        {"--seed", "\xc3"},
        // No message quotes a value: it may be the owner key, a seed or a list.
        {"--owner-key", "my", "SECRET", "phrase"},
        {"--owner-key", "my", "--SECRET"},
        {"--numbers", "1-2-SECRET"},
        {"--length", "SECRET"},
        {"--spread", "SECRET"},
        {"--complex=SECRET"},
        {"--set", "SECRET"},
        // Line breaks and escapes in the arguments never split the message.
        {"-seed", "TA", "\n"},
        {"--length", "1\n2"},
        {"--set", "a\r\nb"},
        {"--frobnicate\x1b[2J\n"},
    };
    for (const auto& args : bad) {
        const GenResult r = run(args);
        EXPECT_EQ(r.status, ExitStatus::Usage) << args[0];
        EXPECT_EQ(r.out, "") << args[0];
        EXPECT_EQ(lines(r.err).size(), 1u) << r.err;
        EXPECT_TRUE(r.err.starts_with(Program + ": ")) << r.err;
        EXPECT_EQ(r.err.find("SECRET"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find_first_of("\r\x1b"), std::string::npos) << r.err;
    }
}

TEST(TovrikGen, NonAsciiArgumentsNeedAUtf8Locale)
{
    GenEnvironment env = testEnvironment();
    env.argumentsAreUtf8 = false;
    EXPECT_EQ(run({"--no-store", "--owner-name", "山田"}, env).status, ExitStatus::Usage);
    const GenResult ascii = run({"--no-store", "--owner-name", "x"}, env);
    EXPECT_EQ(ascii.status, ExitStatus::Ok);
    EXPECT_EQ(ascii.out, run({"--no-store", "--owner-name", "x"}).out);
}

TEST(TovrikGen, StoreThatIsNotUsableStopsWithItsPath)
{
    const struct {
        StoreAccess access;
        ExitStatus status;
    } cases[] = {{StoreAccess::Refused, ExitStatus::Failure},
                 {StoreAccess::Unreadable, ExitStatus::UnreadableStore}};
    for (const auto& c : cases) {
        GenEnvironment env = testEnvironment();
        env.openStore = [&c](const QString&) {
            return OpenedStore{nullptr, c.access, "cannot use the settings store /x/tovrik.conf"};
        };
        const GenResult r = run({}, env);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, Program + ": cannot use the settings store /x/tovrik.conf\n");
        // --no-store does not look at it.
        EXPECT_EQ(run({"--no-store"}, env).status, ExitStatus::Ok);
    }
}

TEST(TovrikGen, AppNamesTheStoreToRead)
{
    GenEnvironment env = testEnvironment();
    std::vector<QString> asked;
    env.openStore = [&](const QString& app) {
        asked.push_back(app);
        return OpenedStore{std::make_unique<MemorySettingsStore>(), StoreAccess::Absent, {}};
    };
    EXPECT_EQ(run({}, env).status, ExitStatus::Ok);
    EXPECT_EQ(run({"--app", "Tovrik2"}, env).status, ExitStatus::Ok);
    EXPECT_EQ(asked, (std::vector<QString>{QString(), QStringLiteral("Tovrik2")}));
}

// A stream whose every write fails, as on a full disk.
class FullStream : public std::streambuf {
protected:
    int_type overflow(int_type) override { return traits_type::eof(); }
    std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

TEST(TovrikGen, FailedOutputIsAFailure)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--no-store"}, {"--no-store", "--report"}, {"--help"}}) {
        FullStream full;
        std::ostream out(&full);
        std::ostringstream err;
        EXPECT_EQ(runGen(args, out, err, testEnvironment()), ExitStatus::OutputFailed)
            << args.back();
        EXPECT_NE(err.str().find("cannot write"), std::string::npos);
    }
}

TEST(TovrikGen, ControlCharactersAreEscapedOnlyOnATerminal)
{
    const std::vector<std::string> args = {"--no-store", "--list", "\x1b\t\xc2\x9b",
                                           "--length",   "4",      "--report"};
    const std::string raw = run(args).out;
    GenEnvironment terminal = testEnvironment();
    terminal.outputIsTerminal = true;
    const std::string shown = run(args, terminal).out;
    EXPECT_NE(raw.find('\x1b'), std::string::npos);
    EXPECT_NE(raw.find("\xc2\x9b"), std::string::npos);
    for (const char* control : {"\x1b", "\t", "\xc2\x9b"})
        EXPECT_EQ(shown.find(control), std::string::npos) << shown;
    for (const char* escaped : {"\\x1B", "\\x09", "\\x9B"})
        EXPECT_NE(shown.find(escaped), std::string::npos) << shown;
    // The report keeps its CR LF line ends.
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'),
              std::count(raw.begin(), raw.end(), '\n'));
}

TEST(TovrikGen, ListEmptyAfterNormalisationIsStatusOne)
{
    const GenResult r = run({"--no-store", "--list", "\r\n\a"});
    EXPECT_EQ(r.status, ExitStatus::Failure);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("empty"), std::string::npos);
}

// The store as the window leaves it after saving this model.
MemorySettingsStore storeOf(const StoredSettings& model)
{
    MemorySettingsStore store;
    EXPECT_TRUE(saveSettings(store, model));
    return store;
}

StoredSettings threeSetModel()
{
    StoredSettings model;
    model.ownerName = u" 山田 "; // the load trims it
    model.ownerKey = u"key!";
    model.length = 16;
    model.stringSeedMode = false;
    model.seedText = u"mail";
    model.numericSeedText = u"12-345-6-0-99999-1-2";
    model.complexity = 1;
    model.sets.setCount = 3;
    model.sets.currentSet = 1;
    model.sets.setNames = {u"default", u"web", u"pin"};
    model.sets.setLists = {normalizeCharList(DefaultCharList), u"abcdef", u"0123456789"};
    model.currentList = u"abcdef";
    model.spreadLevel = 2;
    return model;
}

TEST(TovrikGen, StoredValuesGiveTheSamePasswordsAsOptions)
{
    const MemorySettingsStore store = storeOf(threeSetModel());
    const std::vector<std::string> same = {"--owner-name",
                                           "山田",
                                           "--owner-key",
                                           "key!",
                                           "--numbers",
                                           "12-345-6-0-99999-1-2",
                                           "--complex",
                                           "--length",
                                           "16",
                                           "--list",
                                           "abcdef",
                                           "--spread",
                                           "2"};
    struct Case {
        std::vector<std::string> stored;  // run with the store
        std::vector<std::string> options; // run with --no-store
    };
    std::vector<std::string> noStore = same;
    noStore.push_back("--no-store");
    const Case cases[] = {
        {{}, noStore},
        // Options win over stored values.
        {{"--seed", "x", "--length", "8", "--spread", "4"},
         {"--no-store", "--owner-name", "山田", "--owner-key", "key!", "--seed", "x", "--complex",
          "--length", "8", "--list", "abcdef", "--spread", "4"}},
        {{"--set", "pin"},
         {"--no-store", "--owner-name", "山田", "--owner-key", "key!", "--numbers",
          "12-345-6-0-99999-1-2", "--complex", "--length", "16", "--list", "0123456789", "--spread",
          "2"}},
    };
    for (const Case& c : cases) {
        const GenResult fromStore = run(c.stored, &store);
        const GenResult fromOptions = run(c.options);
        ASSERT_EQ(fromStore.status, ExitStatus::Ok) << fromStore.err;
        ASSERT_EQ(fromOptions.status, ExitStatus::Ok) << fromOptions.err;
        EXPECT_EQ(fromStore.out, fromOptions.out);
        EXPECT_FALSE(fromStore.out.empty());
    }
    EXPECT_EQ(lines(run({}, &store).out).size(), 4u);
}

TEST(TovrikGen, ReportNamesOnlyTheSetItsListCameFrom)
{
    const MemorySettingsStore store = storeOf(threeSetModel());
    const GenResult stored = run({"--report"}, &store);
    EXPECT_NE(stored.out.find("文字セット名: web\r\n文字セット: abcdef\r\n"), std::string::npos);
    EXPECT_NE(stored.out.find("種: 12-345-6-0-99999-1-2\r\n"), std::string::npos);
    const GenResult chosen = run({"--report", "--set", "pin"}, &store);
    EXPECT_NE(chosen.out.find("文字セット名: pin\r\n文字セット: 0123456789\r\n"),
              std::string::npos);
    // A list given on the command line came from no set, stored or not.
    for (const MemorySettingsStore* from :
         {&store, static_cast<const MemorySettingsStore*>(nullptr)}) {
        const GenResult given = run({"--report", "--list", "cba"}, from);
        EXPECT_NE(given.out.find("文字セット名: （--list で指定）\r\n文字セット: abc\r\n"),
                  std::string::npos)
            << given.out;
    }
}

TEST(TovrikGen, UnknownSetNamesTheSetsAndExitsTwo)
{
    const MemorySettingsStore store = storeOf(threeSetModel());
    const GenResult r = run({"--set", "Web"}, &store);
    EXPECT_EQ(r.status, ExitStatus::Usage);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(lines(r.err).size(), 1u);
    EXPECT_NE(r.err.find("'default', 'web', 'pin'"), std::string::npos) << r.err;

    // Without the store only the built-in set exists.
    EXPECT_EQ(run({"--no-store", "--set", "default"}, &store).status, ExitStatus::Ok);
    EXPECT_NE(run({"--no-store", "--set", "web"}, &store).err.find("'default'"), std::string::npos);
}

TEST(TovrikGen, NoStoreIgnoresTheStore)
{
    const MemorySettingsStore store = storeOf(threeSetModel());
    EXPECT_EQ(lines(run({"--no-store", "--seed", "TANE"}, &store).out).at(0), "rGhrZfcW(.");
}

TEST(TovrikGen, HelpAndVersion)
{
    for (const char* option : {"--help", "-h", "--help-all"}) {
        const GenResult help = run({option});
        EXPECT_EQ(help.status, ExitStatus::Ok) << option;
        EXPECT_TRUE(help.out.starts_with("Usage: " + Program + " [options]\n")) << help.out;
        for (const char* shown : {"--owner-name <TEXT>", "--spread <LEVEL>", "LEVEL 0 to 4",
                                  "--no-store", "--app", "Exit status: 0 on success; 1 if"})
            EXPECT_NE(help.out.find(shown), std::string::npos) << shown;
            // The store where this platform keeps it, and nothing of another's.
#ifdef _WIN32
        EXPECT_NE(help.out.find("HKEY_CURRENT_USER\\Software\\Ostrel Applications\\tovrik\\"
                                "setting102"),
                  std::string::npos)
            << help.out;
        for (const char* absent : {"XDG", ".config", "/", "writable by others"})
            EXPECT_EQ(help.out.find(absent), std::string::npos) << absent;
#else
        EXPECT_NE(help.out.find("$XDG_CONFIG_HOME/Ostrel Applications/tovrik.conf"),
                  std::string::npos)
            << help.out;
#endif
    }
    for (const char* option : {"--version", "-v"})
        EXPECT_EQ(run({option}).out, Program + " 1.02\n") << option;
}

} // namespace
