#include "settings/memory_settings_store.h"

std::u16string MemorySettingsStore::readText(std::u16string_view name,
                                             std::u16string_view fallback) const
{
    const Value* value = find(name);
    const auto* text = value ? std::get_if<std::u16string>(value) : nullptr;
    return text ? *text : std::u16string(fallback);
}

std::int32_t MemorySettingsStore::readInt(std::u16string_view name, std::int32_t fallback) const
{
    const Value* value = find(name);
    const auto* number = value ? std::get_if<std::int32_t>(value) : nullptr;
    return number ? *number : fallback;
}

void MemorySettingsStore::writeText(std::u16string_view name, std::u16string_view value)
{
    put(name, std::u16string(value));
    writes_.push_back({std::u16string(name), std::u16string(value)});
}

void MemorySettingsStore::writeInt(std::u16string_view name, std::int32_t value)
{
    put(name, value);
    writes_.push_back({std::u16string(name), value});
}

bool MemorySettingsStore::flush()
{
    ++flushCount_;
    return !flushFails_;
}

void MemorySettingsStore::put(std::u16string_view name, Value value)
{
    const auto found = values_.find(name);
    if (found != values_.end())
        found->second = std::move(value);
    else
        values_.emplace(std::u16string(name), std::move(value));
}

const MemorySettingsStore::Value* MemorySettingsStore::find(std::u16string_view name) const
{
    const auto found = values_.find(name);
    return found != values_.end() ? &found->second : nullptr;
}
