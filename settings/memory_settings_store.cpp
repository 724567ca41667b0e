#include "settings/memory_settings_store.h"

std::optional<std::u16string> MemorySettingsStore::readText(std::u16string_view name) const
{
    const StoredValue* value = find(name);
    const auto* text = value ? std::get_if<std::u16string>(value) : nullptr;
    return text ? std::optional(*text) : std::nullopt;
}

std::optional<std::int32_t> MemorySettingsStore::readInt(std::u16string_view name) const
{
    const StoredValue* value = find(name);
    const auto* number = value ? std::get_if<std::int32_t>(value) : nullptr;
    return number ? std::optional(*number) : std::nullopt;
}

void MemorySettingsStore::writeText(std::u16string_view name, std::u16string_view value)
{
    put(name, std::u16string(value));
}

void MemorySettingsStore::writeInt(std::u16string_view name, std::int32_t value)
{
    put(name, value);
}

void MemorySettingsStore::put(std::u16string_view name, StoredValue value)
{
    const auto found = values_.find(name);
    if (found != values_.end())
        found->second = std::move(value);
    else
        values_.emplace(std::u16string(name), std::move(value));
}

const StoredValue* MemorySettingsStore::find(std::u16string_view name) const
{
    const auto found = values_.find(name);
    return found != values_.end() ? &found->second : nullptr;
}
