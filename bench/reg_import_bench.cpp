// Reading a registry export at the largest size that tovrik-settings import
// accepts, as the import reads it: every line parsed, then the window's
// section chosen. The file is made of many programs' settings keys, each
// with as many value names as a key may hold, so that the cost of looking
// names up shows; the target is under one second for each encoding. Then
// a file of key paths as deep and long as the registry allows, with the
// same target, and a key path far deeper than that, which is refused.
#include <benchmark/benchmark.h>

#include <QString>
#include <QStringEncoder>

#include <string>
#include <vector>

#include "regfile/registry_file.h"
#include "settings/registry_mapping.h"
#include "text/qt_text.h"
#include "text/utf16le.h"

namespace {

enum class Kind { Unicode, Utf8WithoutMark, Ansi };

std::u16string hexByte(unsigned char byte)
{
    constexpr char16_t Digits[] = u"0123456789abcdef";
    return {Digits[byte >> 4], Digits[byte & 0xF]};
}

// hex(1) data of a text with line breaks, wrapped over lines as the
// registry editor wraps it.
std::u16string hexText(Kind kind, std::u16string_view text)
{
    std::string bytes;
    if (kind == Kind::Ansi) {
        bytes = toUtf8(text); // ASCII only
        bytes.push_back('\0');
    } else {
        appendUtf16Le(bytes, text);
        bytes.append(2, '\0');
    }
    std::u16string out = u"hex(1):";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out += hexByte(static_cast<unsigned char>(bytes[i]));
        if (i + 1 < bytes.size())
            out += (i + 1) % 24 == 0 ? u",\\\r\n  " : u",";
    }
    return out;
}

// The bytes a line takes in the file.
std::size_t encodedSize(Kind kind, std::u16string_view line)
{
    std::size_t size = 0;
    for (char16_t unit : line)
        size += kind == Kind::Unicode ? 2 : unit < 0x80 ? 1 : kind == Kind::Ansi ? 2 : 3;
    return size;
}

// An export of at most RegistryExportMaxBytes.
std::string largeExport(Kind kind)
{
    const std::u16string header =
        kind == Kind::Ansi ? u"REGEDIT4\r\n\r\n" : u"Windows Registry Editor Version 5.00\r\n\r\n";
    std::u16string text = header;
    std::size_t size = encodedSize(kind, text) + (kind == Kind::Unicode ? 2 : 0);
    const std::size_t limit = RegistryExportMaxBytes;
    for (std::size_t program = 0, name = RegistryExportMaxNames;; ++name) {
        std::u16string lines;
        if (name == RegistryExportMaxNames) {
            lines = u"\r\n[HKEY_CURRENT_USER\\Software\\Ostrel Applications\\program " +
                    fromQ(QString::number(program++)) + u"\\setting102]\r\n";
            name = 0;
        }
        const std::u16string n = fromQ(QString::number(name));
        lines += u"\"value " + n + u"\"=";
        switch (name % 5) {
        case 0:
            lines += u"dword:" + fromQ(QString::number(name, 16).rightJustified(8, u'0'));
            break;
        case 1: lines += u"\"山田 \\\"" + n + u"\\\" C:\\\\鍵\""; break;
        case 2: lines += hexText(kind, u"first line " + n + u"\r\nsecond line"); break;
        case 3: lines += u"\"Wine's line\\r\\nbreaks " + n + u"\""; break;
        case 4: lines += u"-"; break;
        }
        lines += u"\r\n";
        if (name % 1000 == 0)
            lines += u"; a comment\r\n";
        const std::size_t more = encodedSize(kind, lines);
        if (size + more > limit)
            break;
        text += lines;
        size += more;
    }

    const QString qtext = toQ(text);
    switch (kind) {
    case Kind::Unicode: {
        std::string bytes = "\xFF\xFE";
        appendUtf16Le(bytes, text);
        return bytes;
    }
    case Kind::Utf8WithoutMark: return qtext.toUtf8().toStdString();
    case Kind::Ansi: {
        QStringEncoder encoder("windows-31j");
        const QByteArray bytes = encoder.encode(qtext);
        return bytes.toStdString();
    }
    }
    return {};
}

// Key paths as deep and as long as the registry allows, each the window's
// key of one more program below the same long path, and deletions of keys
// that share that path: every key line costs as much as the reader can be
// made to spend on one. Version 5.00 text saved as UTF-8, so that the most
// lines fit.
std::string deepKeysExport()
{
    std::string below = "HKEY_CURRENT_USER";
    const std::string name(RegistryKeyNameMaxLength, 'k');
    for (std::size_t level = 1; level < RegistryKeyMaxDepth - 4; ++level)
        below += '\\' + name;
    std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
    for (std::size_t program = 0;; ++program) {
        const std::string line = program < RegistryExportMaxSections
                                     ? "[" + below + "\\Software\\Ostrel Applications\\p" +
                                           std::to_string(program) +
                                           "\\setting102]\r\n\"v\"=dword:00000001\r\n"
                                     : "[-" + below + "\\Software\\Ostrel Applications\\q" +
                                           std::to_string(program) + "]\r\n";
        if (text.size() + line.size() > RegistryExportMaxBytes)
            return text;
        text += line;
    }
}

// The file is refused: one line of a megabyte of backslashes before the
// window's key, far deeper than the registry allows.
std::string backslashesExport()
{
    return "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER" +
           std::string(RegistryExportMaxLineLength - 100, '\\') +
           "Software\\Ostrel Applications\\tovrik\\setting102]\r\n\"v\"=dword:00000001\r\n";
}

// Parses the file and chooses the section of the program app.
void ReadExport(benchmark::State& state, const std::string& bytes, std::u16string_view app)
{
    if (bytes.size() > RegistryExportMaxBytes) {
        state.SkipWithError("the generated file is too large");
        return;
    }
    std::size_t values = 0;
    for (auto _ : state) {
        Result<RegistryExport> parsed = parseSettingsExport(bytes);
        if (!parsed) {
            state.SkipWithError(parsed.error().message.c_str());
            return;
        }
        RegistryExport* file = &parsed.value();
        values = 0;
        for (const RegistrySection& section : file->sections)
            values += section.values.size() + section.deleted.size();
        auto chosen = sectionImport(std::move(file->sections), std::u16string(app));
        benchmark::DoNotOptimize(chosen);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
    state.counters["MiB"] = static_cast<double>(bytes.size()) / (1024 * 1024);
    state.counters["values"] = static_cast<double>(values);
}

void ReadLargeExport(benchmark::State& state, Kind kind)
{
    static std::string files[3];
    std::string& bytes = files[static_cast<int>(kind)];
    if (bytes.empty())
        bytes = largeExport(kind);
    ReadExport(state, bytes, u"program 0");
}

void ReadDeepKeys(benchmark::State& state)
{
    static const std::string bytes = deepKeysExport();
    ReadExport(state, bytes, u"p0");
}

BENCHMARK_CAPTURE(ReadLargeExport, version_5_00_utf16, Kind::Unicode)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadLargeExport, version_5_00_utf8_without_bom, Kind::Utf8WithoutMark)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadLargeExport, regedit4_cp932, Kind::Ansi)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadDeepKeys)->Unit(benchmark::kMillisecond);

void RefuseMegabyteOfBackslashes(benchmark::State& state)
{
    const std::string bytes = backslashesExport();
    for (auto _ : state) {
        const Result<RegistryExport> parsed = parseSettingsExport(bytes);
        if (parsed) {
            state.SkipWithError("the file was read, not refused");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(RefuseMegabyteOfBackslashes)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
