#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

// How the per-user store was found when it was opened.
enum class StoreAccess {
    Ours,       // the user's own store, read
    Absent,     // nothing stored yet: a first start
    Unreadable, // it exists but could not be read
    Refused,    // not safe to use: another user's, writable by others, or not a file
};

// Whether a store with that access may be read and written: the user's
// own, or none yet.
inline bool mayBeUsed(StoreAccess access)
{
    return access == StoreAccess::Ours || access == StoreAccess::Absent;
}

// A stored value: a 32-bit integer or a text.
using StoredValue = std::variant<std::int32_t, std::u16string>;

// One section of named text and 32-bit integer values. A read answers
// nothing when the value is absent or of the other type; values are never
// deleted or listed.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual std::optional<std::u16string> readText(std::u16string_view name) const = 0;
    virtual std::optional<std::int32_t> readInt(std::u16string_view name) const = 0;
    virtual void writeText(std::u16string_view name, std::u16string_view value) = 0;
    virtual void writeInt(std::u16string_view name, std::int32_t value) = 0;

    // Makes the writes since the last flush durable. False when they could
    // not be stored; the caller's model keeps its state either way.
    virtual bool flush() = 0;
};
