#include "regfile/registry_file.h"

#include "regfile/export_text.h"
#include "text/hex_digits.h"
#include "text/utf16le.h"

namespace {

void appendHexByte(std::u16string& out, unsigned char byte)
{
    out.push_back(lowerHexDigit(byte >> 4));
    out.push_back(lowerHexDigit(byte));
}

bool needsHexText(std::u16string_view text)
{
    return text.find_first_of(std::u16string_view(u"\r\n\0", 3)) != text.npos;
}

std::u16string quotedText(std::u16string_view text)
{
    std::u16string out = u"\"";
    for (char16_t c : text) {
        if (c == u'\\' || c == u'"')
            out.push_back(u'\\');
        out.push_back(c);
    }
    out.push_back(u'"');
    return out;
}

// hex(1): the text as UTF-16LE with its terminating NUL, wrapped as the
// registry editor wraps it: lines of at most 80 characters, each but the
// last ending in ",\", continuation lines indented by two spaces.
std::u16string hexText(std::u16string_view prefix, std::u16string_view text)
{
    std::string bytes;
    appendUtf16Le(bytes, text);
    bytes.append(2, '\0');
    std::u16string out;
    std::u16string line = std::u16string(prefix) + u"hex(1):";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (line.size() + 3 > 78 && line.size() > 2) {
            out += line + u"\\\r\n";
            line = u"  ";
        }
        appendHexByte(line, static_cast<unsigned char>(bytes[i]));
        if (i + 1 < bytes.size())
            line.push_back(u',');
    }
    return out + line + u"\r\n";
}

} // namespace

std::string writeRegistryExport(std::u16string_view keyPath, std::span<const RegistryValue> values)
{
    std::u16string text =
        std::u16string(Version5Header) + u"\r\n\r\n[" + std::u16string(keyPath) + u"]\r\n";
    for (const RegistryValue& value : values) {
        const std::u16string name = (value.name.empty() ? u"@" : quotedText(value.name)) + u"=";
        if (const auto* str = std::get_if<std::u16string>(&value.data)) {
            text += needsHexText(*str) ? hexText(name, *str) : name + quotedText(*str) + u"\r\n";
        } else if (const auto* number = std::get_if<std::int32_t>(&value.data)) {
            text += name + u"dword:";
            const auto bits = static_cast<std::uint32_t>(*number);
            for (int shift = 24; shift >= 0; shift -= 8)
                appendHexByte(text, static_cast<unsigned char>(bits >> shift));
            text += u"\r\n";
        }
    }
    text += u"\r\n";

    std::string bytes = "\xFF\xFE";
    bytes.reserve(2 + text.size() * 2);
    appendUtf16Le(bytes, text);
    return bytes;
}
