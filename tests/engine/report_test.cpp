#include "engine/report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

std::vector<std::u16string> passwordsNumbered(int n)
{
    std::vector<std::u16string> passwords;
    for (int i = 1; i <= n; ++i)
        passwords.push_back(u"pw" + std::u16string(1, static_cast<char16_t>(u'@' + i)));
    return passwords;
}

TEST(BuildReport, WritesEveryLineWithCrLf)
{
    const auto passwords = passwordsNumbered(1);
    ReportFields fields;
    fields.length = 10;
    fields.complexity = false;
    fields.setName = u"default";
    fields.setList = u"abc";
    fields.seed = u"TANE";
    fields.passwords = passwords;
    EXPECT_EQ(BuildReport(u"2026/12/10 01:02:03", fields), u"[ トヴリク ver1.02 ]\r\n"
                                                           u"生成日時: 2026/12/10 01:02:03\r\n"
                                                           u"文字数: 10\r\n"
                                                           u"複雑性: なし\r\n"
                                                           u"文字セット名: default\r\n"
                                                           u"文字セット: abc\r\n"
                                                           u"種: TANE\r\n"
                                                           u"生成パスワード( 1): pwA\r\n");
}

TEST(BuildReport, ListsSixteenPasswordsNumberedInTwoPlaces)
{
    const auto passwords = passwordsNumbered(16);
    ReportFields fields;
    fields.length = 99;
    fields.complexity = true;
    fields.seed = u"1-2-3-4-5-6-7";
    fields.passwords = passwords;
    const std::u16string report = BuildReport(InvalidTimeStamp, fields);
    EXPECT_NE(report.find(u"生成日時: Invalid DateTime\r\n"), std::u16string::npos);
    EXPECT_NE(report.find(u"複雑性: あり\r\n"), std::u16string::npos);
    EXPECT_NE(report.find(u"種: 1-2-3-4-5-6-7\r\n"), std::u16string::npos);
    EXPECT_NE(report.find(u"生成パスワード( 9): pwI\r\n生成パスワード(10): pwJ\r\n"),
              std::u16string::npos);
    EXPECT_TRUE(report.ends_with(u"生成パスワード(16): pwP\r\n"));
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = report.find(u"\r\n", at)) != std::u16string::npos; at += 2)
        ++lines;
    EXPECT_EQ(lines, 7u + 16u);
}

TEST(ReportFieldsOf, TakeTheRequestTheSeedOfItsModeAndTheShownPasswords)
{
    Passwords passwords;
    const auto numbered = passwordsNumbered(PasswordCount);
    std::copy(numbered.begin(), numbered.end(), passwords.begin());
    GenerationRequest request;
    request.length = 12;
    request.complexity = true;
    request.charList = u"abc";
    request.seedText = u"mail";
    request.seedNumbers = {1, 2, 3, 4, 5, 6, 3000000000u};

    const ReportFields text = reportFieldsOf(request, u"web", passwords, 0);
    EXPECT_EQ(text.length, 12);
    EXPECT_TRUE(text.complexity);
    EXPECT_EQ(text.setName, u"web");
    EXPECT_EQ(text.setList, u"abc");
    EXPECT_EQ(text.seed, u"mail");
    ASSERT_EQ(text.passwords.size(), 1u);
    EXPECT_EQ(text.passwords.data(), passwords.data());

    request.stringSeedMode = false;
    const ReportFields numeric = reportFieldsOf(request, u"web", passwords, 4);
    EXPECT_EQ(numeric.seed, u"1-2-3-4-5-6--1294967296");
    EXPECT_EQ(numeric.passwords.size(), 16u);
}

TEST(formatReportTime, UsesTheSlashFormatOrTheInvalidText)
{
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 0;
    t.tm_mday = 5;
    t.tm_hour = 7;
    t.tm_min = 8;
    t.tm_sec = 9;
    EXPECT_EQ(formatReportTime(t), u"2026/01/05 07:08:09");
    EXPECT_EQ(formatReportTime(std::nullopt), u"Invalid DateTime");
}

} // namespace
