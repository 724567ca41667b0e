#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// Registry export files (.reg), as the Windows registry editor writes and
// reads them.
//
// Two encodings exist: "Windows Registry Editor Version 5.00" files are
// UTF-16LE with a byte order mark, "REGEDIT4" files hold the same lines in
// the Windows ANSI code page, here CP932 (Shift-JIS).

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

struct RegistryFileError {
    int line = 0; // counted from 1; 0 when the fault belongs to the whole file
    std::string message;
};

// Key paths and value names as the registry compares them: each UTF-16 unit
// by its simple upper-case form, so "Length" and "LENGTH" are one name while
// "\u212Aey" (KELVIN SIGN) and "key" are two.
std::u16string registryNameKey(std::u16string_view name);

// A key's path split at its backslashes.
std::vector<std::u16string_view> keyPathParts(std::u16string_view path);

// Reads a whole export file: the sections of the keys that sectionOf wants,
// in the order first named. Every line must be well formed, whatever key it
// belongs to.
std::variant<std::vector<RegistrySection>, RegistryFileError>
parseRegistryExport(std::string_view bytes, const RegistrySectionOf& sectionOf);

// A "Windows Registry Editor Version 5.00" file (UTF-16LE, byte order mark,
// CR LF) that sets the values in the key of that path, in the order given,
// and ends with a blank line. Texts that a quoted value cannot hold (line
// breaks, NUL) are written as hex(1) data; RegistryOtherData values are
// skipped.
std::string writeRegistryExport(std::u16string_view keyPath, std::span<const RegistryValue> values);
