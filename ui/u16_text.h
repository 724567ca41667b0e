#pragma once

#include <QString>

#include <string>
#include <string_view>

// The engine's UTF-16 texts and Qt's, unit for unit.
inline QString toQ(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::u16string fromQ(const QString& text)
{
    return text.toStdU16String();
}
