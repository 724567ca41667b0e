#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "regfile/export_lines.h"
#include "regfile/export_text.h"
#include "regfile/registry_file.h"

// What one value line of an export says: the name it sets, and its data,
// or nothing when the line deletes the value.
struct ValueLine {
    std::u16string name; // empty for the key's default value ("@")
    std::optional<RegistryData> data;
};

// Reads value lines: quoted texts (REG_SZ), dword: and hex(...) data, the
// last with the texts that a REG_SZ in hex holds in the file's format.
class ValueReader {
public:
    explicit ValueReader(ExportFormat format);

    // A line that starts with '"' or '@', trimmed; later lines of hex data
    // are consumed.
    ValueLine read(std::u16string_view line, ExportLines& lines);

private:
    RegistryData hexData(std::u16string_view form, ExportLines& lines);
    RegistryData typedData(std::uint32_t type, std::string_view bytes);

    const ExportFormat format_;
    std::optional<Cp932Decoder> ansiDecoder_; // for the texts of a REGEDIT4 file
};
