#pragma once

#include <ctime>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/generate.h"

// What one report describes.
struct ReportFields {
    int length = 0;
    bool complexity = false;
    std::u16string setName;
    std::u16string setList;
    std::u16string seed; // the seed text or the numeric seed text, by mode
    // The passwords that the report lists; they must outlive BuildReport.
    std::span<const std::u16string> passwords;
};

// The fields of the report on a generation: the request's length,
// complexity, list and seed (by mode), the name of the set the list came
// from, and the passwords that the spread level shows.
ReportFields reportFieldsOf(const GenerationRequest& request, std::u16string_view setName,
                            const Passwords& passwords, int spreadLevel);

inline constexpr std::u16string_view InvalidTimeStamp = u"Invalid DateTime";

// "%Y/%m/%d %H:%M:%S" of a broken-down local time, or "Invalid DateTime"
// when there is none.
std::u16string formatReportTime(const std::optional<std::tm>& localTime);

// The generation report, every line ending in CR LF.
std::u16string BuildReport(std::u16string_view timeStamp, const ReportFields& fields);
