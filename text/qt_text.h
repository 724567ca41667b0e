#pragma once

#include <QString>

#include <string>
#include <string_view>

// The engine's UTF-16 texts and Qt's, unit for unit, and UTF-8 for the
// terminal and the platform's byte interfaces.

inline QString toQ(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline QString toQ(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::u16string fromQ(const QString& text)
{
    return text.toStdU16String();
}

inline std::string toUtf8(std::u16string_view text)
{
    return toQ(text).toStdString();
}
