#include "regfile/registry_file.h"

#include <QChar>

#include "text/qt_text.h"

std::u16string registryNameKey(std::u16string_view name)
{
    std::u16string key(name);
    for (char16_t& unit : key) {
        if (unit < 0x80) // the common case, done without a table
            unit = unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 0x20) : unit;
        else if (!QChar::isSurrogate(unit))
            unit = static_cast<char16_t>(QChar::toUpper(static_cast<char32_t>(unit)));
    }
    return key;
}

std::vector<std::u16string_view> keyPathParts(std::u16string_view path)
{
    std::vector<std::u16string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = path.find(u'\\', start);
        parts.push_back(path.substr(start, end == path.npos ? path.npos : end - start));
        if (end == path.npos)
            return parts;
        start = end + 1;
    }
}

std::string quotedRegistryName(std::u16string_view name)
{
    // Appended piece by piece: GCC 12 warns, wrongly, about a literal
    // joined to a temporary string in optimised builds.
    std::string quoted = "'";
    quoted += toUtf8(name);
    quoted += '\'';
    return quoted;
}
