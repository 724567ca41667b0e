#pragma once

#include <QString>
#include <QStringDecoder>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "regfile/registry_file.h"

// The text of a registry export file, for the reader in export_reader.cpp:
// the format its header names, and its bytes decoded in whatever encoding
// the registry editor, a text editor or iconv left them. A fault is thrown
// as an Error, which parseRegistryExport returns.

inline constexpr std::u16string_view Version5Header = u"Windows Registry Editor Version 5.00";
inline constexpr std::u16string_view Regedit4Header = u"REGEDIT4";

// Which registry editor format the header names. It says how hex(1) data
// holds a text (UTF-16LE, or CP932 bytes), whatever the encoding of the
// file's own text has since become.
enum class ExportFormat { Version5, Regedit4 };

struct ExportText {
    ExportFormat format = ExportFormat::Version5;
    RegistryFileEncoding encoding = RegistryFileEncoding::Utf16Le;
    bool guessed = false; // as RegistryExport::encodingGuessed
    // With the file's line breaks. A QString, which Qt's decoder fills
    // without a copy: the text may be large.
    QString text;

    std::u16string_view view() const
    {
        return {reinterpret_cast<const char16_t*>(text.utf16()),
                static_cast<std::size_t>(text.size())};
    }
};

ExportText decodeExport(std::string_view bytes);

// The text of CP932 bytes, or nothing for bytes that are not CP932. One
// implementation per platform, chosen in CMake: cp932_decoder_qt.cpp (Qt's
// codec from ICU), cp932_decoder_windows.cpp (the system's code page).
class Cp932Decoder {
public:
    Cp932Decoder();
    ~Cp932Decoder();
    Cp932Decoder(const Cp932Decoder&) = delete;
    Cp932Decoder& operator=(const Cp932Decoder&) = delete;

    std::optional<QString> decode(std::string_view bytes);

private:
    std::unique_ptr<QStringDecoder> decoder_; // Qt's, where Qt decodes CP932
};
