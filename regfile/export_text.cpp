#include "regfile/export_text.h"

#include <QString>

#include <algorithm>

#include "regfile/export_lines.h"
#include "text/qt_text.h"
#include "text/utf8.h"

namespace {

// The line, counted from 1, on which the unit or byte at offset stands.
template <typename Char> int lineAt(std::basic_string_view<Char> text, std::size_t offset)
{
    const auto begin = text.begin();
    return 1 + static_cast<int>(std::count(begin, begin + static_cast<std::ptrdiff_t>(offset),
                                           static_cast<Char>('\n')));
}

[[noreturn]] void failNotAnExport()
{
    failExport(1, "not a registry export file: the first line is neither \"" +
                      toUtf8(Version5Header) + "\" nor \"" + toUtf8(Regedit4Header) + "\"");
}

// The format that the first line of the text names.
ExportFormat formatOf(std::u16string_view text)
{
    std::u16string_view line = text.substr(0, text.find(u'\n'));
    if (line.ends_with(u'\r'))
        line.remove_suffix(1);
    line = trimmed(line);
    if (line == Version5Header)
        return ExportFormat::Version5;
    if (line == Regedit4Header)
        return ExportFormat::Regedit4;
    failNotAnExport();
}

// The same for a file of bytes: the headers are ASCII in either encoding.
ExportFormat formatOf(std::string_view bytes)
{
    const std::string_view line = bytes.substr(0, bytes.find('\n'));
    return formatOf(std::u16string(line.begin(), line.end()));
}

struct Utf8Reading {
    QString text;
    std::size_t invalidAt = std::string_view::npos; // the first byte that is not UTF-8
    bool beyondTwoBytes = false;                    // holds a character from U+0800 up
};

// The bytes as strict UTF-8.
Utf8Reading readUtf8(std::string_view bytes)
{
    std::u16string units;
    units.reserve(bytes.size());
    Utf8Reading reading;
    reading.invalidAt = appendUtf8Units(units, bytes);
    // In UTF-8, a byte from 0xE0 up leads a character from U+0800 up.
    reading.beyondTwoBytes = std::any_of(
        bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0xE0; });
    reading.text = QString::fromStdU16String(units);
    return reading;
}

// The first line that is not CP932. A line feed is never part of a CP932
// character, so each line can be decoded on its own.
int invalidCp932Line(Cp932Decoder& decoder, std::string_view bytes)
{
    std::size_t start = 0;
    for (int number = 1;; ++number) {
        const std::size_t end = bytes.find('\n', start);
        if (!decoder.decode(bytes.substr(start, end - start)))
            return number;
        if (end == bytes.npos)
            return 0;
        start = end + 1;
    }
}

// No byte order mark says what the bytes are. Valid UTF-8 is taken for
// UTF-8, since CP932 text is hardly ever valid UTF-8 while UTF-8 text is
// often valid CP932 ("日本" reads as "譌･譛ｬ"). Only two-byte UTF-8
// sequences are the exception: each is also a pair of half-width katakana,
// so "ü" is "ﾃｼ", and both readings are as likely.
void decodeUnmarked(std::string_view bytes, ExportText& file)
{
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; })) {
        file.encoding = file.format == ExportFormat::Regedit4 ? RegistryFileEncoding::Cp932
                                                              : RegistryFileEncoding::Utf8;
        file.text = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
        return;
    }
    Utf8Reading utf8 = readUtf8(bytes);
    const bool isUtf8 = utf8.invalidAt == std::string_view::npos;
    if (isUtf8 && utf8.beyondTwoBytes) {
        file.encoding = RegistryFileEncoding::Utf8;
        file.guessed = true;
        file.text = std::move(utf8.text);
        return;
    }
    Cp932Decoder decoder;
    std::optional<QString> cp932 = decoder.decode(bytes);
    if (isUtf8 && cp932) {
        const auto nonAscii =
            std::find_if(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; });
        failExport(
            lineAt(bytes, static_cast<std::size_t>(nonAscii - bytes.begin())),
            "this line reads as UTF-8 and as CP932 (Shift-JIS) alike, and the file has no byte "
            "order mark to tell which is meant; export the key again in the Unicode format "
            "(Version 5.00), or save the file as UTF-8 with a byte order mark");
    }
    if (isUtf8) {
        file.encoding = RegistryFileEncoding::Utf8;
        file.guessed = true;
        file.text = std::move(utf8.text);
        return;
    }
    if (cp932) {
        file.encoding = RegistryFileEncoding::Cp932;
        file.guessed = file.format == ExportFormat::Version5;
        file.text = std::move(*cp932);
        return;
    }
    // The line where the file stops being what its format is written in.
    failExport(
        file.format == ExportFormat::Regedit4 ? invalidCp932Line(decoder, bytes)
                                              : lineAt(bytes, utf8.invalidAt),
        "neither UTF-8 nor CP932 (Shift-JIS) text, and the file has no byte order mark to tell "
        "its encoding; export the key again in the Unicode format (Version 5.00)");
}

} // namespace

ExportText decodeExport(std::string_view bytes)
{
    if (bytes.empty())
        failExport(0, "the file is empty");
    if (bytes.size() > RegistryExportMaxBytes)
        failExport(0, "larger than " + std::to_string(RegistryExportMaxBytes / (1024 * 1024)) +
                          " MiB, far larger than any export of settings");
    ExportText file;
    if (bytes.starts_with("\xFF\xFE")) {
        bytes.remove_prefix(2);
        file.text = QString(static_cast<qsizetype>(bytes.size() / 2), Qt::Uninitialized);
        char16_t* out = reinterpret_cast<char16_t*>(file.text.data());
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
            *out++ = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           static_cast<unsigned char>(bytes[i + 1]) << 8);
        const std::u16string_view text = file.view();
        file.format = formatOf(text);
        if (bytes.size() % 2 != 0)
            failExport(lineAt(text, text.size()),
                       "the file ends in half a UTF-16 character: it is truncated or damaged");
    } else if (bytes.starts_with("\xEF\xBB\xBF")) {
        // Not what the registry editor writes, but what a text editor may
        // make of its file, and as plain in what it means.
        bytes.remove_prefix(3);
        file.format = formatOf(bytes);
        file.encoding = RegistryFileEncoding::Utf8;
        Utf8Reading utf8 = readUtf8(bytes);
        if (utf8.invalidAt != std::string_view::npos)
            failExport(lineAt(bytes, utf8.invalidAt), "not valid UTF-8 text");
        file.text = std::move(utf8.text);
    } else {
        file.format = formatOf(bytes);
        decodeUnmarked(bytes, file);
    }
    return file;
}

const char* registryEncodingName(RegistryFileEncoding encoding)
{
    switch (encoding) {
    case RegistryFileEncoding::Utf16Le: return "UTF-16";
    case RegistryFileEncoding::Utf8: return "UTF-8";
    case RegistryFileEncoding::Cp932: return "CP932 (Shift-JIS)";
    }
    return "";
}
