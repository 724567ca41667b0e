// CP932 through the system's own code page 932, since Qt for Windows is
// built without ICU and has no codec for it.

#include "regfile/export_text.h"

#include "platform/windows_api.h"

#include <string>

namespace {

constexpr UINT Cp932 = 932;

} // namespace

Cp932Decoder::Cp932Decoder() = default;

Cp932Decoder::~Cp932Decoder() = default;

std::optional<QString> Cp932Decoder::decode(std::string_view bytes)
{
    if (bytes.empty())
        return QString();
    const int size = static_cast<int>(bytes.size());
    const int units =
        MultiByteToWideChar(Cp932, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (units <= 0)
        return std::nullopt;
    std::wstring text(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(Cp932, MB_ERR_INVALID_CHARS, bytes.data(), size, text.data(), units);
    // Bytes that code page 932 does not assign may still come back as some
    // character: only text that turns back into the same bytes was CP932.
    BOOL defaulted = FALSE;
    const int back = WideCharToMultiByte(Cp932, WC_NO_BEST_FIT_CHARS, text.data(), units, nullptr,
                                         0, nullptr, &defaulted);
    std::string again(static_cast<std::size_t>(back > 0 ? back : 0), '\0');
    WideCharToMultiByte(Cp932, WC_NO_BEST_FIT_CHARS, text.data(), units, again.data(), back,
                        nullptr, &defaulted);
    if (defaulted || again != bytes)
        return std::nullopt;
    // Windows gives the single bytes 0x80, 0xA0 and 0xFD to 0xFF characters
    // of their own (U+0080, U+F8F0 to U+F8F3), which CP932 leaves unassigned:
    // they are refused here as on every other platform.
    for (const wchar_t c : text)
        if (c == 0x0080 || (c >= 0xF8F0 && c <= 0xF8F3))
            return std::nullopt;
    return QString::fromStdWString(text);
}
