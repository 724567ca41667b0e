#include "regfile/registry_file.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QStringEncoder>

#ifdef _WIN32
#include "platform/windows_api.h"
#endif

#include <map>
#include <random>

#include "tests/support/reg_fixtures.h"
#include "text/qt_text.h"
#include "text/utf16le.h"

namespace {

using Sections = std::vector<RegistrySection>;

// A Version 5.00 file of these lines.
std::string unicodeFile(std::u16string_view lines)
{
    return utf16File(u"Windows Registry Editor Version 5.00\n" + std::u16string(lines));
}

// Text in CP932: through Qt's codec from ICU, or on Windows, whose Qt has
// no ICU, through the system's code page.
std::string cp932(std::u16string_view text)
{
#ifdef _WIN32
    const std::wstring wide = QString::fromStdU16String(std::u16string(text)).toStdWString();
    const int size =
        WideCharToMultiByte(932, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(std::size_t(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(932, 0, wide.data(), int(wide.size()), bytes.data(), size, nullptr,
                        nullptr);
    return bytes;
#else
    QStringEncoder encoder("windows-31j");
    const QByteArray bytes = encoder.encode(QString::fromStdU16String(std::u16string(text)));
    return bytes.toStdString();
#endif
}

// A REGEDIT4 file of these lines, in CP932.
std::string ansiFile(std::u16string_view lines)
{
    return cp932(fromQ(QString::fromStdU16String(u"REGEDIT4\n" + std::u16string(lines))
                           .replace(QStringLiteral("\n"), QStringLiteral("\r\n"))));
}

const std::u16string& Key = SettingsKey;

// The key that the written files name.
constexpr std::u16string_view KeyPath =
    u"HKEY_CURRENT_USER\\Software\\Ostrel Applications\\tovrik\\setting102";

// Files are read as the settings' exports group keys: the sections are the
// keys ...\Software\Ostrel Applications\<NAME>\setting102, in any case.
std::optional<std::u16string> settingsSection(std::span<const std::u16string_view> parts)
{
    const std::size_t n = parts.size();
    const auto is = [](std::u16string_view part, std::u16string_view name) {
        return registryNameKey(part) == registryNameKey(name);
    };
    if (n >= 5 && is(parts[n - 4], u"Software") && is(parts[n - 3], u"Ostrel Applications") &&
        !parts[n - 2].empty() && is(parts[n - 1], u"setting102"))
        return std::u16string(parts[n - 2]);
    return std::nullopt;
}

Result<RegistryExport> parseExport(std::string_view bytes)
{
    return parseRegistryExport(bytes, settingsSection);
}

Sections parsed(const std::string& bytes)
{
    const Result<RegistryExport> result = parseExport(bytes);
    if (!result) {
        ADD_FAILURE() << "line " << result.error().line << ": " << result.error().message;
        return {};
    }
    return result->sections;
}

Error refused(const std::string& bytes)
{
    const Result<RegistryExport> result = parseExport(bytes);
    if (result) {
        ADD_FAILURE() << "accepted";
        return {};
    }
    return result.error();
}

std::vector<std::pair<std::u16string, RegistryData>> namesAndData(const RegistrySection& section)
{
    std::vector<std::pair<std::u16string, RegistryData>> result;
    for (const RegistryValue& value : section.values)
        result.emplace_back(value.name, value.data);
    return result;
}

TEST(RegistryFile, BothFixturesHoldTheSameSettings)
{
    for (const char* name : {"windows-unicode.reg", "windows-ansi.reg"}) {
        SCOPED_TRACE(name);
        const Sections sections = parsed(fixtureBytes(name));
        ASSERT_EQ(sections.size(), 1u);
        const RegistrySection& section = sections[0];
        EXPECT_EQ(section.name, u"Tovrik");
        EXPECT_FALSE(section.cleared);
        auto values = namesAndData(section);
        // The Version 5.00 file has two more: binary data and a deletion.
        if (values.size() == FixtureValues.size() + 1) {
            EXPECT_EQ(values.back().first, u"window");
            EXPECT_EQ(values.back().second, RegistryData(RegistryOtherData{3, 28}));
            values.pop_back();
            EXPECT_EQ(section.deleted, std::vector<std::u16string>{u"note"});
        }
        ASSERT_EQ(values.size(), FixtureValues.size());
        for (std::size_t i = 0; i < values.size(); ++i) {
            EXPECT_EQ(values[i].first, FixtureValues[i].first);
            EXPECT_EQ(values[i].second, FixtureValues[i].second);
        }
        EXPECT_EQ(section.values[1].line, 9); // "unique key"
    }

    // Wine's reg export: its own order, and a text's line breaks as \r\n.
    const Sections wine = parsed(fixtureBytes("wine-reg-export.reg"));
    ASSERT_EQ(wine.size(), 1u);
    std::map<std::u16string, RegistryData> expected(FixtureValues.begin(), FixtureValues.end());
    expected[u"note"] = u"first line\r\nsecond line";
    expected[u"window"] = RegistryOtherData{3, 28};
    std::map<std::u16string, RegistryData> values;
    for (const RegistryValue& value : wine[0].values)
        values[value.name] = value.data;
    EXPECT_EQ(values, expected);
}

TEST(RegistryFile, LinesApplyInOrderAsTheRegistryEditorWould)
{
    struct Case {
        const char* what;
        std::u16string lines;
        bool cleared;
        std::vector<std::pair<std::u16string, RegistryData>> values;
        std::vector<std::u16string> deleted;
    };
    const std::u16string other = u"[HKEY_CURRENT_USER\\Software\\Other\\setting102]\n";
    const Case cases[] = {
        {"last setting wins, comments",
         Key + u"\"length\"=dword:a ; ten\n  ; a comment\n\"length\" = dword:FFFFFFFF\n",
         false,
         {{u"length", std::int32_t{-1}}},
         {}},
        {"a deletion, then set again",
         Key + u"\"a\"=\"x\"\n\"b\"=\"y\"\n\"a\"=-\n\"b\"=-\n\"b\"=\"z\"\n",
         false,
         {{u"b", u"z"}},
         {u"a"}},
        {"the key deleted first: values not set are absent",
         u"[-HKEY_CURRENT_USER\\Software\\Ostrel Applications\\Tovrik]\n" + Key + u"\"a\"=\"x\"\n",
         true,
         {{u"a", u"x"}},
         {}},
        {"a parent key deleted drops what came before",
         Key + u"\"a\"=\"x\"\n[-HKEY_CURRENT_USER\\Software\\Ostrel Applications]\n" + Key +
             u"\"b\"=\"y\"\n",
         true,
         {{u"b", u"y"}},
         {}},
        {"a deleted subkey, values of other keys and of no key",
         u"\"x\"=\"before any key\"\n" + Key +
             u"[-HKEY_CURRENT_USER\\Software\\Ostrel Applications\\Tovrik\\setting102\\sub]\n"
             u"\"lost\"=\"after a deletion\"\n" +
             other + u"\"y\"=\"z\"\n" + Key + u"@=\"default value\"\n",
         false,
         {{u"", u"default value"}},
         {}},
        {"the same key in other case and under another hive",
         u"[HKEY_USERS\\S-1-5-21-1\\SOFTWARE\\ostrel applications\\TOVRIK\\Setting102]\n"
         u"\"a\"=\"1\"\n" +
             Key + u"\"b\"=\"2\"\n",
         false,
         {{u"a", u"1"}, {u"b", u"2"}},
         {}},
        {"hex forms: text, dword, others, continuations with a comment between",
         Key + u"\"t\"=hex(1):41,00,42,00,\\\n  ; inside\n  0a,00,00,00\n"
               u"\"d\"=hex(4):fe,ff,ff,ff\n\"e\"=hex(2):41,00,00,00\n\"short\"=hex(4):01,02\n"
               u"\"b\"=hex:\n\"q\"=hex(b):01,00,00,00,00,00,00,00\n",
         false,
         {{u"t", u"AB\n"},
          {u"d", std::int32_t{-2}},
          {u"e", RegistryOtherData{2, 4}},
          {u"short", RegistryOtherData{4, 2}},
          {u"b", RegistryOtherData{3, 0}},
          {u"q", RegistryOtherData{11, 8}}},
         {}},
        {"a text ends at its first NUL, as the Windows program reads it",
         Key + u"\"t\"=hex(1):41,00,00,00,42,00,00,00\n\"u\"=hex(1):41,00,00,00,42\n"
               u"\"v\"=hex(1):41,00,42\n",
         false,
         {{u"t", u"A"}, {u"u", u"A"}, {u"v", RegistryOtherData{1, 3}}},
         {}},
        {"names that only the simple upper case of each unit makes one",
         Key + u"\"\u212Aey\"=\"kelvin\"\n\"key\"=\"k\"\n\"stra\u00DFe\"=\"sharp s\"\n"
               u"\"STRASSE\"=\"ss\"\n",
         false,
         {{u"\u212Aey", u"kelvin"},
          {u"key", u"k"},
          {u"stra\u00DFe", u"sharp s"},
          {u"STRASSE", u"ss"}},
         {}},
        {"Wine's escapes for line breaks, in names too",
         Key + u"\"a\\nb\"=\"x\\r\\ny\\\\n\"\n",
         false,
         {{u"a\nb", u"x\r\ny\\n"}},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Sections sections = parsed(unicodeFile(c.lines));
        ASSERT_EQ(sections.size(), 1u);
        EXPECT_EQ(sections[0].cleared, c.cleared);
        EXPECT_EQ(namesAndData(sections[0]), c.values);
        EXPECT_EQ(sections[0].deleted, c.deleted);
    }

    // hex(1) in a REGEDIT4 file is text in the ANSI code page.
    const Sections ansi =
        parsed(ansiFile(Key + u"\"t\"=hex(1):95,5c,83,5c,00\n\"u\"=hex(1):95,5c,00,41,00\n"));
    ASSERT_EQ(ansi.size(), 1u);
    ASSERT_EQ(ansi[0].values.size(), 2u);
    EXPECT_EQ(ansi[0].values[0].data, RegistryData(u"表ソ"));
    EXPECT_EQ(ansi[0].values[1].data, RegistryData(u"表"));

    // Several programs under the organisation.
    const Sections two = parsed(unicodeFile(
        Key + u"[HKEY_CURRENT_USER\\Software\\Ostrel Applications\\tovrik-old\\setting102]\n"));
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[1].name, u"tovrik-old");

    // Values of keys that are no section, or a file without a key, leave
    // none; the caller decides what such a file means.
    EXPECT_TRUE(parsed(unicodeFile(u"\n[HKEY_CURRENT_USER\\Software\\Ostrel Applications\\Tovrik]\n"
                                   u"\"a\"=\"b\"\n"))
                    .empty());
    EXPECT_TRUE(parsed("Windows Registry Editor Version 5.00\r\n").empty());
}

TEST(RegistryFile, MalformedLinesAreRefusedWithTheirNumber)
{
    struct Case {
        std::u16string lines; // from line 2
        int line;
        const char* says;
    };
    const Case cases[] = {
        {Key + u"\"user name\"=\"cut sh", 3, "not closed"},
        {Key + u"\"user name=\"x\"\n", 3, "followed by '='"},
        {Key + u"\"k\"=\"a\\b\"\n", 3, "backslash"},
        {Key + u"\"k\"=\"a\\0b\"\n", 3, "backslash"},
        {Key + u"\"k\"=\"a" + std::u16string(1, u'\0') + u"b\"\n", 3, "NUL"},
        {Key + u"; a comment" + std::u16string(1, u'\0') + u"\n", 3, "NUL"},
        {Key + u"\"length\"=dword:0000001g\n", 3, "hex digits"},
        {Key + u"\"length\"=dword:123456789\n", 3, "hex digits"},
        {Key + u"\"length\"=dword:\n", 3, "hex digits"},
        {Key + u"\"b\"=hex:01,zz\n", 3, "bytes"},
        {Key + u"\"b\"=hex:01,,02\n", 3, "bytes"},
        {Key + u"\"b\"=hex(1:00\n", 3, "type"},
        {Key + u"\n\"b\"=hex:01,\\\n", 4, "no line to continue"},
        {Key + u"\"b\"=hex:01,\\\n\n02\n", 3, "no line to continue"},
        {Key + u"\"b\"=hex:01,\\\n 02,x3\n", 4, "bytes"},
        {Key + u"\"a\"=str:x\n", 3, "unknown value type"},
        {Key + u"\"a\" \"b\"\n", 3, "followed by '='"},
        {Key + u"\"a\"=\"b\" c\n", 3, "after the value"},
        {u"[HKEY_CURRENT_USER\\Software\n", 2, "']'"},
        {u"[]\n", 2, "no name"},
        {Key + u"junk\n", 3, "neither"},
        // The file ends inside a value, or may: a complete line ends with a
        // line break.
        {Key + u"\"length\"=dword:000", 3, "truncated"},
        {Key + u"\"b\"=hex:01,\\\n  02", 4, "truncated"},
        {u"\"x\"=\"in no key\"", 2, "truncated"},
        // Two spellings of one name, however far apart.
        {Key + u"\"a\"=\"x\"\n\"A\"=\"y\"\n", 4, "'a' (line 3) and 'A' differ only in case"},
        {Key + u"\"a\"=-\n[HKEY_USERS\\S-1\\Software\\Ostrel Applications\\Tovrik\\setting102]\n"
               u"\"A\"=dword:1\n",
         5, "case"},
    };
    for (const Case& c : cases) {
        const Error error = refused(unicodeFile(c.lines));
        EXPECT_EQ(error.line, c.line) << error.message;
        EXPECT_NE(error.message.find(c.says), std::string::npos) << error.message;
    }
}

TEST(RegistryFile, FilesThatAreNoExportAreRefused)
{
    const std::string v5 = unicodeFile(Key);
    const std::string dword = unicodeFile(Key + u"\"length\"=dword:0000");
    const struct {
        std::string bytes;
        int line;
        const char* says;
    } cases[] = {
        {"", 0, "empty"},
        // Cut inside the last line break, and inside a dword.
        {v5.substr(0, v5.size() - 1), 2, "half a UTF-16 character"},
        {dword.substr(0, dword.size() - 1), 3, "half a UTF-16 character"},
        {"REGEDIT5\r\n", 1, "not a registry export"},
        {std::string("\xFF\xFE", 2) + std::string("R\0E\0G\0", 6), 1, "not a registry export"},
        {std::string("\x7F"
                     "ELF\x02\x01\x01\0\0\0\x80\xFD",
                     12),
         1, "not a registry export"},
        {ansiFile(Key) + "\"a\"=\"\x85\x40\"\r\n", 3, "CP932"},
        {"\xEF\xBB\xBFREGEDIT4\r\n\xC3\r\n", 2, "UTF-8"},
        // No byte order mark: neither UTF-8 nor CP932, or either one.
        {"Windows Registry Editor Version 5.00\r\n" + toUtf8(Key) + "\"a\"=\"\x85\xFF\"\r\n", 3,
         "neither UTF-8 nor CP932"},
        {"REGEDIT4\r\n" + toUtf8(Key) + "\"a\"=\"M\xC3\xBCller\"\r\n", 3, "as UTF-8 and as CP932"},
    };
    for (const auto& c : cases) {
        const Error error = refused(c.bytes);
        EXPECT_EQ(error.line, c.line) << error.message;
        EXPECT_NE(error.message.find(c.says), std::string::npos) << error.message;
    }
}

TEST(RegistryFile, FilesBeyondALimitAreRefusedWhereTheyPassIt)
{
    const std::string header = "Windows Registry Editor Version 5.00\r\n" + toUtf8(Key);
    const auto repeated = [](std::size_t count, const auto& line) {
        std::string lines;
        for (std::size_t i = 0; i < count; ++i)
            lines += line(i);
        return lines;
    };
    const auto blank = [](std::size_t) { return std::string("\r\n"); };
    const auto value = [](std::size_t i) { return "\"v" + std::to_string(i) + "\"=dword:1\r\n"; };
    const auto program = [](std::size_t i) {
        return "[HKEY_CURRENT_USER\\Software\\Ostrel Applications\\p" + std::to_string(i) +
               "\\setting102]\r\n";
    };
    // Comment lines of 1 KiB, this many bytes in all.
    const auto comments = [](std::size_t bytes) {
        const std::string line = ";" + std::string(1021, 'x') + "\r\n";
        std::string lines;
        lines.reserve(bytes);
        while (lines.size() + line.size() <= bytes)
            lines += line;
        return lines + std::string(bytes - lines.size(), '\n');
    };
    // A key line of these levels below the hive, the window's key at the
    // end of it.
    const auto deepKey = [](std::string_view start, std::size_t levels, std::string_view level) {
        std::string line = std::string(start) + "HKEY_CURRENT_USER";
        for (std::size_t i = 0; i < levels - 5; ++i)
            (line += '\\') += level;
        return line + "\\Software\\Ostrel Applications\\tovrik\\setting102]\r\n";
    };
    const std::size_t depth = RegistryKeyMaxDepth;
    const std::string longName(RegistryKeyNameMaxLength, 'k');
    const int lines = RegistryExportMaxLines;
    const int names = static_cast<int>(RegistryExportMaxNames);
    const int programs = static_cast<int>(RegistryExportMaxSections);
    const struct {
        const char* what;
        std::string bytes;
        int line; // 0: read
        std::string says;
    } cases[] = {
        {"lines", header + repeated(lines - 2, blank), 0, ""},
        {"lines", header + repeated(lines - 1, blank), lines + 1,
         "more than " + std::to_string(lines) + " lines"},
        {"line length",
         header + "\"t\"=\"" + std::string(RegistryExportMaxLineLength - 6, 'x') + "\"\r\n", 0, ""},
        {"line length",
         header + "\"t\"=\"" + std::string(RegistryExportMaxLineLength - 5, 'x') + "\"\r\n", 3,
         "more than " + std::to_string(RegistryExportMaxLineLength) + " characters"},
        {"values", header + repeated(names, value), 0, ""},
        {"values", header + repeated(names + 1, value), names + 3,
         "more than " + std::to_string(names) + " values"},
        {"programs", header + repeated(programs - 1, program), 0, ""},
        {"programs", header + repeated(programs, program), programs + 2,
         "more than " + std::to_string(programs) + " programs"},
        {"key depth", header + deepKey("[", depth, "k"), 0, ""},
        {"key depth", header + deepKey("[", depth + 1, "k"), 3,
         "more than " + std::to_string(depth) + " levels"},
        {"key depth", header + deepKey("[-", depth + 1, "k"), 3, "levels"},
        // A line of a million empty levels, refused as soon as it is split.
        {"key depth", header + deepKey("[", RegistryExportMaxLineLength - 100, ""), 3, "levels"},
        {"key name", header + deepKey("[", 6, longName), 0, ""},
        {"key name", header + deepKey("[", 6, longName + 'k'), 3,
         "more than " + std::to_string(longName.size()) + " characters"},
        {"key name", header + deepKey("[-", 6, longName + 'k'), 3, "characters"},
        {"bytes", header + comments(RegistryExportMaxBytes - header.size()), 0, ""},
        {"bytes", header + comments(RegistryExportMaxBytes - header.size() + 1), 0,
         "larger than " + std::to_string(RegistryExportMaxBytes >> 20) + " MiB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.what << ", " << c.bytes.size() << " bytes");
        const Result<RegistryExport> result = parseExport(c.bytes);
        if (c.says.empty()) {
            EXPECT_TRUE(result) << result.error().message;
            continue;
        }
        ASSERT_FALSE(result);
        const Error& error = result.error();
        EXPECT_EQ(error.line, c.line) << error.message;
        EXPECT_NE(error.message.find(c.says), std::string::npos) << error.message;
    }
}

TEST(RegistryFile, FilesWithoutAByteOrderMarkAreReadAsTheirBytesSay)
{
    using enum RegistryFileEncoding;
    const std::string v5 = "Windows Registry Editor Version 5.00\r\n\r\n" + toUtf8(Key);
    const std::string v4 = "REGEDIT4\r\n\r\n" + toUtf8(Key);
    const struct {
        const char* what;
        std::string bytes;
        std::u16string text; // of the first value
        RegistryFileEncoding encoding;
        bool guessed;
    } cases[] = {
        {"Version 5.00 made UTF-8", v5 + "\"t\"=\"日本\"\r\n", u"日本", Utf8, true},
        {"REGEDIT4 made UTF-8", v4 + "\"t\"=\"山田 太郎\"\r\n", u"山田 太郎", Utf8, true},
        {"REGEDIT4 as the registry editor writes it", v4 + cp932(u"\"t\"=\"山田 太郎\"\r\n"),
         u"山田 太郎", Cp932, false},
        {"Version 5.00 made CP932", v5 + cp932(u"\"t\"=\"山田\"\r\n"), u"山田", Cp932, true},
        {"two-byte UTF-8 that is not CP932", v4 + "\"t\"=\"Ā\"\r\n", u"Ā", Utf8, true},
        // hex(1) holds UTF-16LE in a Version 5.00 file and CP932 in a
        // REGEDIT4 file, whatever the file's own text has become.
        {"Version 5.00 made ASCII", v5 + "\"t\"=hex(1):e5,65,2c,67,00,00\r\n", u"日本", Utf8,
         false},
        {"REGEDIT4 with a UTF-8 byte order mark",
         "\xEF\xBB\xBF" + v4 + "\"t\"=hex(1):95,5c,83,5c,00\r\n\"u\"=\"é\"\r\n", u"表ソ", Utf8,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Result<RegistryExport> result = parseExport(c.bytes);
        ASSERT_TRUE(result) << result.error().message;
        const RegistryExport& file = result.value();
        EXPECT_EQ(file.encoding, c.encoding);
        EXPECT_EQ(file.encodingGuessed, c.guessed);
        ASSERT_EQ(file.sections.size(), 1u);
        ASSERT_FALSE(file.sections[0].values.empty());
        EXPECT_EQ(file.sections[0].values[0].data, RegistryData(c.text));
    }
}

TEST(RegistryFile, WrittenFilesReadBackTheSameValues)
{
    std::mt19937 random(20261210);
    const std::u16string pieces[] = {
        u"",       u"山田",  u"\"", u"\\", u"@", u"@Invalid()", u"a",  u" ",
        u"\r\n",   u"\n",    u";",  u"[",  u"]", u"=",          u"\t", std::u16string(1, u'\0'),
        u"\xD800", u"テスト"};
    // Names cannot hold a line break or NUL; the first eight pieces have none.
    const auto text = [&](std::size_t kinds = 18) {
        std::u16string result;
        for (int n = std::uniform_int_distribution(0, 6)(random); n > 0; --n)
            result += pieces[std::uniform_int_distribution<std::size_t>(0, kinds - 1)(random)];
        return result;
    };
    for (int round = 0; round < 200; ++round) {
        std::vector<RegistryValue> values;
        for (int n = std::uniform_int_distribution(1, 8)(random); n > 0; --n) {
            std::u16string name = text(8) + char16_t(u'A' + values.size()); // distinct
            if (std::uniform_int_distribution(0, 1)(random) == 0)
                values.push_back({name, text()});
            else
                values.push_back({name, static_cast<std::int32_t>(random())});
        }
        const std::string bytes = writeRegistryExport(KeyPath, values);
        ASSERT_TRUE(bytes.ends_with(std::string("\r\0\n\0\r\0\n\0", 8))); // ends with a blank line
        const Sections sections = parsed(bytes);
        ASSERT_EQ(sections.size(), 1u);
        EXPECT_EQ(sections[0].name, u"tovrik");
        ASSERT_EQ(sections[0].values.size(), values.size());
        for (std::size_t i = 0; i < values.size(); ++i) {
            EXPECT_EQ(sections[0].values[i].name, values[i].name);
            // A text comes back as far as its first NUL, as the Windows
            // program reads it.
            RegistryData expected = values[i].data;
            if (auto* str = std::get_if<std::u16string>(&expected))
                str->resize(std::min(str->size(), str->find(u'\0')));
            EXPECT_EQ(sections[0].values[i].data, expected);
        }
    }
}

TEST(RegistryFile, WritesWhatTheRegistryEditorWrites)
{
    const std::vector<RegistryValue> values = {{u"user name", u"山田 \"太郎\" C:\\"},
                                               {u"length", std::int32_t{-5}},
                                               {u"multi", u"a\r\nb"},
                                               {u"skipped", RegistryOtherData{3, 1}}};
    const std::string bytes = writeRegistryExport(KeyPath, values);
    ASSERT_TRUE(bytes.starts_with("\xFF\xFE"));
    const std::u16string text = unitsFromUtf16Le(std::string_view(bytes).substr(2));
    EXPECT_EQ(text, u"Windows Registry Editor Version 5.00\r\n"
                    u"\r\n"
                    u"[HKEY_CURRENT_USER\\Software\\Ostrel Applications\\tovrik\\setting102]\r\n"
                    u"\"user name\"=\"山田 \\\"太郎\\\" C:\\\\\"\r\n"
                    u"\"length\"=dword:fffffffb\r\n"
                    u"\"multi\"=hex(1):61,00,0d,00,0a,00,62,00,00,00\r\n"
                    u"\r\n");

    // Long hex data wraps at 80 columns with ",\" and a two-space indent.
    const std::string wrapped =
        writeRegistryExport(KeyPath, std::vector<RegistryValue>{{u"k", std::u16string(60, u'\n')}});
    const std::u16string wide = unitsFromUtf16Le(std::string_view(wrapped).substr(2));
    std::size_t start = 0;
    int continued = 0;
    for (std::size_t end; (end = wide.find(u"\r\n", start)) != wide.npos; start = end + 2) {
        const std::u16string_view line(wide.data() + start, end - start);
        EXPECT_LE(line.size(), 80u);
        if (line.ends_with(u",\\"))
            ++continued;
    }
    EXPECT_GT(continued, 2);
}

} // namespace
