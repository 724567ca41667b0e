#include "settings/ini_section.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "text/qt_text.h"

// For gtest's messages; found by the argument's namespace.
void PrintTo(const IniValue& value, std::ostream* out)
{
    *out << (value.text ? "text '" + toUtf8(*value.text) + "'" : "form " + value.form);
}

namespace {

using namespace std::string_literals;

constexpr std::u16string_view Section = u"setting102";

using Texts = std::vector<std::pair<std::u16string, std::u16string>>;

IniValues valuesOf(std::string_view bytes)
{
    const Result<IniValues> read = readIniSection(bytes, Section);
    if (!read) {
        ADD_FAILURE() << "refused, line " << read.error().line << ": " << read.error().message;
        return {};
    }
    return read.value();
}

IniValue text(std::u16string_view value)
{
    return {std::u16string(value), {}};
}

IniValue typed(const char* form)
{
    return {std::nullopt, form};
}

TEST(IniSectionTest, ReadsEachValueAsTheOneTextItHolds)
{
    struct Case {
        const char* name;
        const char* bytes;
        IniValues values;
    };
    const Case cases[] = {
        {"escapes, quotes and %XX names as QSettings writes them",
         "[setting102]\nuser%20name=\\\"\\\\\\t\\x1\\x32x\nunique%20key=\" a, b; c \"\n"
         "moji%20list=\xE3\x81\x82\\0\\x31\nseed1=@@at\nseed2=@String(in)\n%U3042=kana\n",
         {{u"user name", text(u"\"\\\t\x01"
                              u"2x")},
          {u"unique key", text(u" a, b; c ")},
          {u"moji list", text(u"あ\0"
                              u"1"s)},
          {u"seed1", text(u"@at")},
          {u"seed2", text(u"in")},
          {u"あ", text(u"kana")}}},
        {"a comma outside quotes is part of the text, spaces around it too",
         "[setting102]\nunique%20key=my, key\nseed1=  a ,\"b\" , c  \n",
         {{u"unique key", text(u"my, key")}, {u"seed1", text(u"a ,b, c  ")}}},
        {"typed forms are no text; a lone @ is",
         "[setting102]\na=@ByteArray(abc)\nb=@Variant(\\0\\0\\0\\x2)\nc=@Invalid()\n"
         "d=@Rect(1 2 3 4)\ne=@x\nf=@ByteArray(open\n",
         {{u"a", typed("@ByteArray(...)")},
          {u"b", typed("@Variant(...)")},
          {u"c", typed("@Invalid()")},
          {u"d", typed("@Rect(...)")},
          {u"e", text(u"@x")},
          {u"f", text(u"@ByteArray(open")}}},
        {"comments, continuations, blank lines, a byte order mark and CR LF",
         "\xEF\xBB\xBF; comment\r\n\r\n[setting102]\r\nseed1=ab\\\r\ncd ; tail\r\n"
         "seed2=\"multi\r\nline\"\r\n",
         {{u"seed1", text(u"abcd")}, {u"seed2", text(u"multi\r\nline")}}},
        {"other sections do not count; a name set twice, and a section named twice, "
         "have their last value",
         "[General]\nseed1=general\n[setting102]\nseed1=first\n[other]\nseed1=other\n"
         "[setting102]\nseed1=last\nlength= 12 \n",
         {{u"seed1", text(u"last")}, {u"length", text(u"12")}}},
        {"nothing but comments", "; only\n\n", {}},
        {"empty", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(valuesOf(c.bytes), c.values);
    }
}

TEST(IniSectionTest, RefusesWhatIsNoStore)
{
    struct Case {
        const char* name;
        std::string bytes;
        int line;
        const char* says;
    };
    const Case cases[] = {
        {"another program's file", "[General]\nkey=value\n", 0, "no [setting102] section"},
        {"a header left open", "[setting102]\nseed1=a\n[setting102\nseed1=b\n", 3, "closing ']'"},
        {"bytes that are not UTF-8", "[setting102]\nseed1=\xFF\xFE\n", 2, "not UTF-8"},
        {"a NUL", "[setting102]\nseed1=a\0b\n"s, 2, "NUL"},
        {"a line that is no value", "[setting102]\njunk without an equals sign\n", 2,
         "neither a section header"},
        {"a quote that runs to the end", "[setting102]\nunique%20key=\"abc\nseed1=x\n", 2,
         "quote that is never closed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Result<IniValues> read = readIniSection(c.bytes, Section);
        ASSERT_FALSE(read);
        const Error& error = read.error();
        EXPECT_EQ(error.line, c.line);
        EXPECT_NE(error.message.find(c.says), std::string::npos) << error.message;
    }
}

// Texts that the INI form treats specially, one of each kind.
std::vector<std::u16string> awkwardTexts()
{
    std::u16string everyByte;
    for (char16_t unit = 1; unit < 0x100; ++unit)
        everyByte.push_back(unit);
    return {u"",
            u"plain",
            u"山田 太郎",
            u"\U0001F511 key",
            everyByte,
            u" lead",
            u"trail ",
            u"a, b; c = d",
            u"\"quoted\"",
            u"back\\slash",
            u"@",
            u"@@twice",
            u"@ByteArray(abc)",
            u"@Variant(x)",
            u"@String(s)",
            u"@Invalid()",
            u"\x01"
            u"23 after a control character",
            u"nul\0"
            u"7 inside"s,
            u"tab\tline\nbreak\rend"};
}

class QSettingsFile {
public:
    QString path() const { return dir_.path() + QStringLiteral("/store.conf"); }
    std::string bytes() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }
    void put(const std::string& bytes) const
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }

private:
    QTemporaryDir dir_;
};

QString keyOf(std::u16string_view name)
{
    return toQ(Section) + u'/' + toQ(name);
}

TEST(IniSectionTest, WritesFilesThatQSettingsWritesAndReadsAlike)
{
    const std::vector<std::u16string> texts = awkwardTexts();
    Texts named;
    for (std::size_t i = 0; i < texts.size(); ++i)
        named.emplace_back(u"value " + fromQ(QString::number(i)), texts[i]);

    // A new file: the very bytes that QSettings writes on Linux, where the
    // store is such a file (on Windows it writes CR LF, in another order).
    QSettingsFile qt;
    {
        QSettings settings(qt.path(), QSettings::IniFormat);
        for (const auto& [name, value] : named)
            settings.setValue(keyOf(name), toQ(value));
    }
    const std::string written = writeIniSection("", Section, named);
#ifdef Q_OS_LINUX
    EXPECT_EQ(written, qt.bytes());
#endif

    // Each reads what the other wrote.
    const IniValues read = valuesOf(qt.bytes());
    QSettingsFile ours;
    ours.put(written);
    const QSettings settings(ours.path(), QSettings::IniFormat);
    for (const auto& [name, value] : named) {
        SCOPED_TRACE(toUtf8(name));
        EXPECT_EQ(read.at(name), text(value));
        const QVariant back = settings.value(keyOf(name));
        EXPECT_EQ(back.typeId(), QMetaType::QString);
        EXPECT_EQ(fromQ(back.toString()), value);
    }
}

TEST(IniSectionTest, HalfSurrogatePairsAreWrittenSoThatBothReadersKeepThem)
{
    // UTF-8 cannot hold them, so QSettings' own writer loses them.
    const Texts named = {{u"a", u"k\xD800"},
                         {u"b", u"\xDC00"
                                u"1"},
                         {u"c", u"\xDBFF\xD800"}};
    const std::string written = writeIniSection("", Section, named);
    QSettingsFile ours;
    ours.put(written);
    const QSettings settings(ours.path(), QSettings::IniFormat);
    const IniValues read = valuesOf(written);
    for (const auto& [name, value] : named) {
        EXPECT_EQ(read.at(name), text(value));
        EXPECT_EQ(fromQ(settings.value(keyOf(name)).toString()), value);
    }
}

TEST(IniSectionTest, NamesOfAnyCharactersComeBack)
{
    // A "/" as QSettings spells it, a backslash, escaped the "=" after it.
    const Texts named = {{u"ends in/", u"a"}, {u"a=b;c", u"b"},    {u"[x]", u"c"},
                         {u" spaced ", u"d"}, {u"\xD800あ", u"e"}, {u"", u"f"}};
    IniValues expected;
    for (const auto& [name, value] : named)
        expected[name] = text(value);
    EXPECT_EQ(valuesOf(writeIniSection("", Section, named)), expected);
}

TEST(IniSectionTest, ASaveChangesOnlyTheLinesOfItsValues)
{
    const std::string before = "; kept comment\r\n"
                               "[General]\r\n"
                               "other=@Variant(\\0\\0\\0\\x2)\r\n"
                               "\r\n"
                               "[setting102]\r\n"
                               "user name = old ; note\r\n"
                               "foreign=a, b\r\n"
                               "length=10\r\n"
                               "[Other%20App]\r\n"
                               "unique%20key=not ours\r\n";
    const Texts texts = {{u"user name", u"new"}, {u"unique key", u"k, ey"}, {u"length", u"12"}};
    const std::string after = writeIniSection(before, Section, texts);
    EXPECT_EQ(after, "; kept comment\r\n"
                     "[General]\r\n"
                     "other=@Variant(\\0\\0\\0\\x2)\r\n"
                     "\r\n"
                     "[setting102]\r\n"
                     "user%20name=new; note\r\n"
                     "foreign=a, b\r\n"
                     "length=12\r\n"
                     "unique%20key=\"k, ey\"\r\n"
                     "[Other%20App]\r\n"
                     "unique%20key=not ours\r\n");

    // QSettings reads every other value as it read it before.
    QSettingsFile file;
    file.put(before);
    std::map<QString, QVariant> others;
    {
        const QSettings settings(file.path(), QSettings::IniFormat);
        for (const QString& key : settings.allKeys())
            others[key] = settings.value(key);
    }
    file.put(after);
    const QSettings settings(file.path(), QSettings::IniFormat);
    for (const auto& [name, value] : texts)
        EXPECT_EQ(fromQ(settings.value(keyOf(name)).toString()), value);
    for (const auto& [key, value] : others) {
        if (!key.startsWith(toQ(Section) + u'/') || key == QStringLiteral("setting102/foreign")) {
            EXPECT_EQ(settings.value(key), value) << key.toStdString();
        }
    }
}

TEST(IniSectionTest, TheSectionIsAddedWhereItIsMissing)
{
    const Texts texts = {{u"seed1", u"x"}};
    struct Case {
        std::string before;
        std::string after;
    };
    const Case cases[] = {
        {"", "[setting102]\nseed1=x\n"},
        {"; comment only", "; comment only\n[setting102]\nseed1=x\n"},
        {"[setting102]", "[setting102]\nseed1=x\n"},
        {"[setting102]\nlength=4", "[setting102]\nlength=4\nseed1=x\n"},
        {"[setting102]\rlength=4\r[b]\rc=d\r", "[setting102]\rlength=4\rseed1=x\r[b]\rc=d\r"},
        // A backslash at the very end, or an escaped line break there, would
        // join the new line to the value.
        {"[setting102]\nlength=4\\", "[setting102]\nlength=4\\\n\nseed1=x\n"},
        {"[setting102]\nlength=4\\\n", "[setting102]\nlength=4\\\n\nseed1=x\n"},
        {"[setting102]\rlength=4\\\n", "[setting102]\rlength=4\\\n\r\rseed1=x\r"},
        {"[setting102]\nlength=4\\\r", "[setting102]\nlength=4\\\r\n\nseed1=x\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        EXPECT_EQ(writeIniSection(c.before, Section, texts), c.after);
    }
}

} // namespace
