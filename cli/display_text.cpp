#include "cli/display_text.h"

#include <QString>

std::string displayText(std::u16string_view text)
{
    QString shown;
    shown.reserve(static_cast<qsizetype>(text.size()));
    for (char16_t unit : text) {
        if (unit < 0x20 || (unit >= 0x7F && unit < 0xA0))
            shown += QStringLiteral("\\x%1").arg(static_cast<int>(unit), 2, 16, QLatin1Char('0'));
        else
            shown += QChar(unit);
    }
    return shown.toStdString();
}

std::string quotedDisplayText(std::u16string_view text)
{
    return "'" + displayText(text) + "'";
}
