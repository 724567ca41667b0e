#include "settings/variant_value.h"

#include <limits>

namespace {

std::optional<std::int32_t> inInt32Range(long long value)
{
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

} // namespace

std::optional<std::int32_t> intOf(const QVariant& value)
{
    bool ok = false;
    long long number = 0;
    switch (value.typeId()) {
    case QMetaType::Int: return value.toInt();
    case QMetaType::LongLong: return inInt32Range(value.toLongLong());
    case QMetaType::ULongLong: {
        const qulonglong unsignedNumber = value.toULongLong();
        if (unsignedNumber > static_cast<qulonglong>(std::numeric_limits<std::int32_t>::max()))
            return std::nullopt;
        return static_cast<std::int32_t>(unsignedNumber);
    }
    case QMetaType::QString: number = value.toString().trimmed().toLongLong(&ok, 10); break;
    default: return std::nullopt;
    }
    return ok ? inInt32Range(number) : std::nullopt;
}

std::optional<QString> textOf(const QVariant& value)
{
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

bool holdsExactly(const QVariant& stored, const QVariant& wanted)
{
    if (wanted.typeId() == QMetaType::QString)
        return textOf(stored) == wanted.toString();
    // An INI file holds the number as its plain decimal text; " 12" or
    // "012" read as 12 but are not what a save writes.
    if (stored.typeId() == QMetaType::QString)
        return stored.toString() == QString::number(wanted.toInt());
    return intOf(stored) == std::optional<std::int32_t>(wanted.toInt());
}
