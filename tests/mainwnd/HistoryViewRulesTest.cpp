// The history views' texts and the list's order: durations with their rounding, dates,
// byte counts and charges, and the comparison (length first, bytes before kilobytes,
// "---" first, then collation).
#include "mainwnd/HistoryViewRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace vr31k;

namespace {

TEST(HistoryFormat, DurationsRoundToTheNearestSecond) {
    struct Case {
        double seconds;
        const char* text;
    } const cases[] = {
        {0, "0秒"},          {0.4, "0秒"},         {1.6, "2秒"},          {59.4, "59秒"},
        {59.6, "1分00秒"},   {60, "1分00秒"},      {3599.4, "59分59秒"},  {3725, "1時間02分05秒"},
        {3725.9, "1時間02分06秒"}, {86399, "23時間59分59秒"}, {90000, "25時間00分00秒"},
        {2000000, "555時間33分20秒"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatHistoryDuration(c.seconds / kSecondsPerDay), c.text) << c.seconds;
}

TEST(HistoryFormat, DatesBytesAndCharges) {
    EXPECT_EQ(FormatHistoryDateTime(MakeOleDate(2008, 5, 20, 8, 57, 55)), "2008/05/20 08:57:55");
    EXPECT_EQ(FormatHistoryDateTime(OleDate::Null()), "");
    EXPECT_EQ(FormatHistoryDateTime(OleDate::Invalid()), "Invalid DateTime");
    EXPECT_EQ(FormatHistoryDateTime(OleDate{1e9, OleDate::Status::Valid}), "Invalid DateTime");

    EXPECT_EQ(FormatHistoryBytes(0), "0 Bytes");
    EXPECT_EQ(FormatHistoryBytes(std::nullopt), "0 Bytes");
    EXPECT_EQ(FormatHistoryBytes(999), "999 Bytes");
    EXPECT_EQ(FormatHistoryBytes(1073741824), "1,073,741,824 Bytes");
    EXPECT_EQ(FormatHistoryBytes(1073741825), "1,048,576 kBytes");

    EXPECT_EQ(FormatHistoryCharge(1234567), "\u00A5 1,234,567");
    EXPECT_EQ(FormatHistoryCharge(0), "\u00A5 0");
    EXPECT_EQ(FormatHistoryCharge(std::nullopt), "---");
    EXPECT_EQ(FormatHistoryCharge(-1), "---");
}

TEST(HistoryFormat, ARowGivesItsNineCells) {
    HistoryRow row;
    row.entry = "mobile.example.jp";
    row.end = MakeOleDate(2008, 5, 20, 10, 0, 0);
    row.start = MakeOleDate(2008, 5, 20, 8, 57, 55);
    row.duration = 3725 / kSecondsPerDay;
    row.sent = 12345;
    row.recv = 2000000000;
    row.leftFree = 0;
    row.charge = 4980;
    const HistoryCells cells = HistoryRowCells(row);
    const HistoryCells expected = {"mobile.example.jp", "2008/05/20 08:57:55", "2008/05/20 10:00:00",
                                   "1時間02分05秒", "12,345 Bytes", "1,953,125 kBytes", "0 Bytes",
                                   "0 Bytes", "\u00A5 4,980"};
    EXPECT_EQ(cells, expected);
}

TEST(HistoryCompare, CodePageLengthCountsAsTheAnsiPageDoes) {
    EXPECT_EQ(CodePageLength("1,000 Bytes"), 11);
    EXPECT_EQ(CodePageLength("1分00秒"), 7);
    EXPECT_EQ(CodePageLength("\u00A5 1,000"), 7);
    EXPECT_EQ(CodePageLength("ﾊﾟｹｯﾄ"), 5);
    EXPECT_EQ(CodePageLength("パケット"), 8);
}

// Byte order stands in for the locale's collation here; the list uses the Japanese one.
int ByteOrder(std::string_view a, std::string_view b) { return a < b ? -1 : a > b ? 1 : 0; }

std::vector<std::string> Sorted(int column, std::vector<std::string> texts) {
    std::stable_sort(texts.begin(), texts.end(), [column](const std::string& a, const std::string& b) {
        return CompareHistoryCells(column, a, b, ByteOrder) < 0;
    });
    return texts;
}

TEST(HistoryCompare, EachColumnSortsAsTheListDoes) {
    struct Case {
        int column;
        std::vector<std::string> texts;
        std::vector<std::string> ascending;
    } const cases[] = {
        // the entry column: collation only, whatever the length
        {kColEntry, {"b", "aa", "a"}, {"a", "aa", "b"}},
        // shorter byte counts first, bytes before any kilobytes
        {kColSent,
         {"1,048,577 kBytes", "1,000 Bytes", "999 Bytes", "2 kBytes", "1,073,741,824 Bytes", "0 Bytes"},
         {"0 Bytes", "999 Bytes", "1,000 Bytes", "1,073,741,824 Bytes", "2 kBytes", "1,048,577 kBytes"}},
        {kColLeftLimit, {"10 Bytes", "9 Bytes", "1 kBytes"}, {"9 Bytes", "10 Bytes", "1 kBytes"}},
        // "---" first, then by length
        {kColCharge,
         {"\u00A5 1,000", "---", "\u00A5 999", "---", "\u00A5 20"},
         {"---", "---", "\u00A5 20", "\u00A5 999", "\u00A5 1,000"}},
        // durations: the longer form is the longer time
        {kColDuration,
         {"1時間02分05秒", "59秒", "1分00秒", "5秒", "10時間00分00秒"},
         {"5秒", "59秒", "1分00秒", "1時間02分05秒", "10時間00分00秒"}},
        // dates: empty (null) first, "Invalid DateTime" before the dates
        {kColStart,
         {"2008/05/20 10:00:00", "Invalid DateTime", "", "2008/04/21 00:00:00"},
         {"", "Invalid DateTime", "2008/04/21 00:00:00", "2008/05/20 10:00:00"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Sorted(c.column, c.texts), c.ascending) << "column " << c.column;
}

TEST(HistoryCompare, CollationDecidesOnlyTies) {
    int calls = 0;
    const auto counting = [&calls](std::string_view a, std::string_view b) {
        ++calls;
        return ByteOrder(a, b);
    };
    EXPECT_LT(CompareHistoryCells(kColSent, "999 Bytes", "1,000 Bytes", counting), 0);
    EXPECT_GT(CompareHistoryCells(kColSent, "1 kBytes", "1,000 Bytes", counting), 0);
    EXPECT_LT(CompareHistoryCells(kColCharge, "---", "\u00A5 0", counting), 0);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(CompareHistoryCells(kColCharge, "---", "---", counting), 0);
    EXPECT_GT(CompareHistoryCells(kColSent, "2 Bytes", "1 Bytes", counting), 0);
    EXPECT_EQ(calls, 2);
}

TEST(HistoryCompare, OnlyTheNineColumnsSort) {
    for (int column : {-2, -1, 9, 100}) EXPECT_EQ(ValidSortColumn(column), -1) << column;
    for (int column = 0; column < kHistoryColumnCount; ++column) EXPECT_EQ(ValidSortColumn(column), column);
}

}  // namespace
