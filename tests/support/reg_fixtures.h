#pragma once

#include <QFile>

#include <string>
#include <utility>
#include <vector>

#include "regfile/registry_file.h"
#include "text/utf16le.h"

// The bytes of a file in tests/fixtures.
inline std::string fixtureBytes(const char* name)
{
    QFile file(QStringLiteral(TOVRIK_TEST_FIXTURES "/") + QString::fromLatin1(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

// Text as the registry editor writes a Version 5.00 file: UTF-16LE after a
// byte order mark, each LF made CR LF.
inline std::string utf16File(std::u16string_view text)
{
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        if (c == u'\n')
            appendUtf16Le(bytes, u"\r");
        appendUtf16Le(bytes, std::u16string_view(&c, 1));
    }
    return bytes;
}

// The key of the window's settings as the Windows program names it.
inline const std::u16string SettingsKey =
    u"[HKEY_CURRENT_USER\\Software\\Ostrel Applications\\Tovrik\\setting102]\n";

// What both Windows exports (windows-unicode.reg, Version 5.00, and
// windows-ansi.reg, REGEDIT4 in CP932) set for Tovrik, in their order.
inline const std::vector<std::pair<std::u16string, RegistryData>> FixtureValues = {
    {u"user name", u"山田 太郎"},
    {u"unique key", u"表\\ソ \"能\" C:\\鍵"},
    {u"moji list", u"abcdef"},
    {u"length", std::int32_t{16}},
    {u"mode", std::int32_t{9265}},
    {u"seed1", u"メール"},
    {u"seed2", u"12-345-6-0-99999-1-2"},
    {u"complex", std::int32_t{1}},
    {u"mojisetmax", std::int32_t{3}},
    {u"mojisetsel", std::int32_t{1}},
    {u"MS01", u"!#$%&()*+-./0123456789<=>?@ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz"},
    {u"MS01_name", u"default"},
    {u"MS02", u"abcdef"},
    {u"MS02_name", u"ウェブ"},
    {u"MS03", u"0123456789"},
    {u"MS03_name", u"暗証\"番号\""},
    {u"spread", std::int32_t{2}},
};
