#pragma once

#include <string>
#include <vector>

#include "settings/memory_settings_store.h"
#include "settings/setting_table.h"

// A store in memory that records every write in order and whose flush can
// be made to fail.
class RecordingSettingsStore : public MemorySettingsStore {
public:
    // Starts again with the values of another store, as an earlier run
    // left them: nothing recorded, and flushes that succeed.
    RecordingSettingsStore& operator=(const MemorySettingsStore& values)
    {
        MemorySettingsStore::operator=(values);
        writes_.clear();
        flushFails_ = false;
        flushCount_ = 0;
        return *this;
    }

    void writeText(std::u16string_view name, std::u16string_view value) override
    {
        MemorySettingsStore::writeText(name, value);
        writes_.push_back({std::u16string(name), std::u16string(value)});
    }
    void writeInt(std::u16string_view name, std::int32_t value) override
    {
        MemorySettingsStore::writeInt(name, value);
        writes_.push_back({std::u16string(name), value});
    }
    bool flush() override
    {
        ++flushCount_;
        return !flushFails_;
    }

    // Every write since construction or the last clearWrites, in order.
    const std::vector<NamedValue>& writes() const { return writes_; }
    void clearWrites() { writes_.clear(); }

    void setFlushFails(bool fails) { flushFails_ = fails; }
    int flushCount() const { return flushCount_; }

private:
    std::vector<NamedValue> writes_;
    bool flushFails_ = false;
    int flushCount_ = 0;
};
