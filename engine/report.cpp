#include "engine/report.h"

#include <cstdio>

#include "engine/numeric_seed.h"
#include "engine/version.h"

namespace {

void appendAscii(std::u16string& out, std::string_view ascii)
{
    for (char c : ascii)
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
}

void appendLine(std::u16string& out, std::u16string_view label, std::u16string_view value)
{
    out += label;
    out += value;
    out += u"\r\n";
}

} // namespace

ReportFields reportFieldsOf(const GenerationRequest& request, std::u16string_view setName,
                            const Passwords& passwords, int spreadLevel)
{
    ReportFields fields;
    fields.length = request.length;
    fields.complexity = request.complexity;
    fields.setName = setName;
    fields.setList = request.charList;
    fields.seed =
        request.stringSeedMode ? request.seedText : FormatNumericSeed(request.seedNumbers);
    fields.passwords = shownPasswords(passwords, spreadLevel);
    return fields;
}

std::u16string formatReportTime(const std::optional<std::tm>& localTime)
{
    if (!localTime)
        return std::u16string(InvalidTimeStamp);
    char buffer[64];
    const std::size_t n = std::strftime(buffer, sizeof buffer, "%Y/%m/%d %H:%M:%S", &*localTime);
    if (n == 0)
        return std::u16string(InvalidTimeStamp);
    std::u16string text;
    appendAscii(text, std::string_view(buffer, n));
    return text;
}

std::u16string BuildReport(std::u16string_view timeStamp, const ReportFields& fields)
{
    std::u16string report;
    report.reserve(256 + 106 * fields.passwords.size());
    report += u"[ トヴリク ver";
    appendAscii(report, TovrikVersion);
    report += u" ]\r\n";
    appendLine(report, u"生成日時: ", timeStamp);
    std::u16string length;
    appendAscii(length, std::to_string(fields.length));
    appendLine(report, u"文字数: ", length);
    appendLine(report, u"複雑性: ", fields.complexity ? u"あり" : u"なし");
    appendLine(report, u"文字セット名: ", fields.setName);
    appendLine(report, u"文字セット: ", fields.setList);
    appendLine(report, u"種: ", fields.seed);
    for (std::size_t i = 0; i < fields.passwords.size(); ++i) {
        report += u"生成パスワード(";
        char digits[8];
        std::snprintf(digits, sizeof digits, "%2d", static_cast<int>(i + 1));
        appendAscii(report, digits);
        report += u"): ";
        report += fields.passwords[i];
        report += u"\r\n";
    }
    return report;
}
