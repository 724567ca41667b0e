#pragma once

#include <map>
#include <string>
#include <string_view>

#include "settings/settings_store.h"

// A store held in memory: the window's store when the per-user store cannot
// be used, tovrik-gen's first-start values, and an import put together
// before it is written. Values keep the type they were put in with, so a
// text can sit where an integer belongs.
class MemorySettingsStore : public SettingsStore {
public:
    std::optional<std::u16string> readText(std::u16string_view name) const override;
    std::optional<std::int32_t> readInt(std::u16string_view name) const override;
    void writeText(std::u16string_view name, std::u16string_view value) override;
    void writeInt(std::u16string_view name, std::int32_t value) override;
    bool flush() override { return true; }

    // Puts a value of either type in place.
    void put(std::u16string_view name, StoredValue value);
    // The value held under the name, or nothing.
    const StoredValue* find(std::u16string_view name) const;
    const std::map<std::u16string, StoredValue, std::less<>>& values() const { return values_; }

private:
    std::map<std::u16string, StoredValue, std::less<>> values_;
};
