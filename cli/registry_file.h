#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// Registry export files (.reg), as the Windows registry editor writes and
// reads them, seen through the one key that holds the program's settings:
// ...\Software\Ostrel Applications\<NAME>\setting102.
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

// What the file leaves in one setting102 key once every line has been
// applied in order, as the registry editor would.
struct RegistrySection {
    std::u16string app; // <NAME>, spelt as the file first spells it
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

// Reads a whole export file. Every line must be well formed, whatever key it
// belongs to; a file without a setting102 key under Ostrel Applications is
// an error as well. Keys and value names match without regard to case, as
// in the registry.
std::variant<std::vector<RegistrySection>, RegistryFileError>
parseRegistryExport(std::string_view bytes);

// A "Windows Registry Editor Version 5.00" file (UTF-16LE, byte order mark,
// CR LF) that sets the values in HKEY_CURRENT_USER\Software\Ostrel
// Applications\<app>\setting102, in the order given, and ends with a blank
// line. Texts that a quoted value cannot hold (line breaks, NUL) are written
// as hex(1) data; RegistryOtherData values are skipped.
std::string writeRegistryExport(std::u16string_view app, std::span<const RegistryValue> values);
