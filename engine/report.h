#pragma once

#include <ctime>
#include <span>
#include <string>
#include <string_view>

// What one report describes; the views must outlive the BuildReport call.
struct ReportFields {
    int length = 0;
    bool complexity = false;
    std::u16string_view setName;
    std::u16string_view setList;
    std::u16string_view seed; // the seed text or the numeric seed text, by mode
    // The passwords that the report lists: the first 2^spreadLevel.
    std::span<const std::u16string> passwords;
};

inline constexpr std::u16string_view InvalidTimeStamp = u"Invalid DateTime";

// "%Y/%m/%d %H:%M:%S" of a broken-down local time, or "Invalid DateTime"
// when there is none.
std::u16string FormatReportTime(const std::tm* localTime);

// The generation report, every line ending in CR LF.
std::u16string BuildReport(std::u16string_view timeStamp, const ReportFields& fields);
