#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/result.h"

// Registry export files (.reg), as the Windows registry editor writes and
// reads them.
//
// Two formats exist: "Windows Registry Editor Version 5.00" files are
// UTF-16LE with a byte order mark, "REGEDIT4" files hold the same lines in
// the Windows ANSI code page, here CP932 (Shift-JIS). The header names the
// format, and with it how hex(1) data holds a text; the file's own text may
// since have been saved in another encoding (see RegistryFileEncoding).

// Limits far above any real export of a program's settings. A file beyond
// one is refused, so that no file can make the reader slow or large.
inline constexpr std::size_t RegistryExportMaxBytes = 16 * 1024 * 1024;
inline constexpr int RegistryExportMaxLines = 1'000'000;
inline constexpr std::size_t RegistryExportMaxLineLength = 1024 * 1024; // UTF-16 units
inline constexpr std::size_t RegistryExportMaxSections = 100;
inline constexpr std::size_t RegistryExportMaxNames = 100'000; // value names in one section

// What the registry itself holds at most: a key path of 512 levels, the
// hive's own included, and a key name (one level) of 255 UTF-16 units. A
// key line beyond either is no key that regedit could have exported.
inline constexpr std::size_t RegistryKeyMaxDepth = 512;
inline constexpr std::size_t RegistryKeyNameMaxLength = 255;

// Data of a type other than a text or a 32-bit integer, or of one of those
// two types written in a shape that cannot be read as one.
struct RegistryOtherData {
    std::uint32_t type = 0; // the registry type code: 3 REG_BINARY, 2 REG_EXPAND_SZ, ...
    std::size_t bytes = 0;
    bool operator==(const RegistryOtherData&) const = default;
};

// REG_SZ, REG_DWORD, or anything else.
using RegistryData = std::variant<std::u16string, std::int32_t, RegistryOtherData>;

struct RegistryValue {
    std::u16string name; // empty for the key's default value ("@")
    RegistryData data;
    int line = 0; // where the file sets it, counted from 1
    bool operator==(const RegistryValue&) const = default;
};

// Which keys a reader wants, and which of them count as one: given the
// parts of a key's path (hive first), the name of the section the key
// belongs to, or nothing for a key whose values are not wanted. Keys whose
// section names have the same registryNameKey are one section.
using RegistrySectionOf =
    std::function<std::optional<std::u16string>(std::span<const std::u16string_view> pathParts)>;

// What the file leaves in one section once every line has been applied in
// order, as the registry editor would.
struct RegistrySection {
    std::u16string name; // as sectionOf gave it for the first key of the section
    // The file deletes the key (or a key above it) before it sets values:
    // values the file does not set are then absent, not kept.
    bool cleared = false;
    std::vector<RegistryValue> values;   // in the order first set; the last setting wins
    std::vector<std::u16string> deleted; // names whose last mention is a deletion
};

// How the text of a file was read.
enum class RegistryFileEncoding {
    Utf16Le, // after its byte order mark
    Utf8,    // after its byte order mark, or valid UTF-8 without one
    Cp932,
};

// "UTF-16", "UTF-8" or "CP932 (Shift-JIS)".
const char* registryEncodingName(RegistryFileEncoding encoding);

struct RegistryExport {
    std::vector<RegistrySection> sections; // in the order first named
    RegistryFileEncoding encoding = RegistryFileEncoding::Utf16Le;
    // The file has no byte order mark, holds bytes beyond ASCII, and was
    // read in an encoding that its format does not have: UTF-8, or CP932
    // in a Version 5.00 file. A text editor or iconv made it so.
    bool encodingGuessed = false;
};

// Key paths and value names as the registry compares them: each UTF-16 unit
// by its simple upper-case form, so "Length" and "LENGTH" are one name while
// "\u212Aey" (KELVIN SIGN) and "key" are two.
std::u16string registryNameKey(std::u16string_view name);

// A name in single quotes, as UTF-8, for a message; whoever shows the
// message escapes its control characters.
std::string quotedRegistryName(std::u16string_view name);

// A key's path split at its backslashes.
std::vector<std::u16string_view> keyPathParts(std::u16string_view path);

// Reads a whole export file: the sections of the keys that sectionOf wants.
// Every line must be well formed, whatever key it belongs to, and end with
// a line break if it sets a value (else the file may be cut short). A
// section in which one value name is spelt in two ways that the registry
// takes for one name is refused: which spelling and which value the
// registry would keep is not what the file shows.
//
// A file without a byte order mark is read as UTF-8 when it is valid UTF-8,
// else as CP932; it is refused when it is neither, or when either reading
// could be meant (its only non-ASCII characters are two-byte UTF-8
// sequences that are also valid CP932, such as "ü" and "ﾃｼ").
//
// A text ends at its first NUL, as a program reading the registry sees it;
// a NUL character in the file's own text is refused.
//
// An error gives the line (counted from 1) where the file went wrong, or 0
// when the fault belongs to the whole file.
Result<RegistryExport> parseRegistryExport(std::string_view bytes,
                                           const RegistrySectionOf& sectionOf);

// A "Windows Registry Editor Version 5.00" file (UTF-16LE, byte order mark,
// CR LF) that sets the values in the key of that path, in the order given,
// and ends with a blank line. Texts that a quoted value cannot hold (line
// breaks, NUL) are written as hex(1) data; RegistryOtherData values are
// skipped.
std::string writeRegistryExport(std::u16string_view keyPath, std::span<const RegistryValue> values);
