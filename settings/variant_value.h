#pragma once

#include <QString>
#include <QVariant>

#include <cstdint>
#include <optional>

// How values come back from a store's backend (StoredValues). An INI file
// holds every value as text, the registry integers as REG_DWORD (read as
// int).

// A whole number within 32 bits, or nothing: QVariant::toInt would wrap.
std::optional<std::int32_t> intOf(const QVariant& value);
// A text, or nothing (a list or a byte array is not a text).
std::optional<QString> textOf(const QVariant& value);
// True when the stored value is exactly what writing `wanted` (a QString or
// an int) leaves in the store, so that writing it again changes nothing.
bool holdsExactly(const QVariant& stored, const QVariant& wanted);
