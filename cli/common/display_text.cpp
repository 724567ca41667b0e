#include "cli/common/display_text.h"

#include <QString>

#include "text/hex_digits.h"

std::u16string escapeControls(std::u16string_view text, bool keepLineEnds)
{
    std::u16string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        const bool lineEnd =
            keepLineEnds &&
            (unit == u'\n' || (unit == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n'));
        if (lineEnd || !(unit < 0x20 || (unit >= 0x7F && unit < 0xA0)))
            shown.push_back(unit);
        else
            shown += {u'\\', u'x', upperHexDigit(unit >> 4), upperHexDigit(unit)};
    }
    return shown;
}

std::string displayText(std::u16string_view text)
{
    const std::u16string shown = escapeControls(text);
    return QString::fromUtf16(shown.data(), static_cast<qsizetype>(shown.size())).toStdString();
}

std::string quotedDisplayText(std::u16string_view text)
{
    const std::string shown = displayText(text);
    std::string quoted;
    quoted.reserve(shown.size() + 2);
    quoted += '\'';
    quoted += shown;
    quoted += '\'';
    return quoted;
}

std::string messageLine(std::string_view message)
{
    return displayText(
        QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size())).toStdU16String());
}
