#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "settings/settings_store.h"

// A store held in memory. Values keep the type they were put in with, so a
// text can sit where an integer belongs; every write is recorded in order;
// flush can be made to fail.
class MemorySettingsStore : public SettingsStore {
public:
    using Value = std::variant<std::int32_t, std::u16string>;

    struct Write {
        std::u16string name;
        Value value;
        bool operator==(const Write&) const = default;
    };

    std::u16string readText(std::u16string_view name, std::u16string_view fallback) const override;
    std::int32_t readInt(std::u16string_view name, std::int32_t fallback) const override;
    void writeText(std::u16string_view name, std::u16string_view value) override;
    void writeInt(std::u16string_view name, std::int32_t value) override;
    bool flush() override;

    // Puts a value in place without recording a write, as another program
    // or an earlier run would have left it.
    void put(std::u16string_view name, Value value);
    // The value held under the name, or nothing.
    const Value* find(std::u16string_view name) const;
    const std::map<std::u16string, Value, std::less<>>& values() const { return values_; }

    // Every write since construction or the last clearWrites, in order.
    const std::vector<Write>& writes() const { return writes_; }
    void clearWrites() { writes_.clear(); }

    void setFlushFails(bool fails) { flushFails_ = fails; }
    int flushCount() const { return flushCount_; }

private:
    std::map<std::u16string, Value, std::less<>> values_;
    std::vector<Write> writes_;
    bool flushFails_ = false;
    int flushCount_ = 0;
};
