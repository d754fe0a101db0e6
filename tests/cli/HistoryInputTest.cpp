// Input the history refuses, and output it always keeps well-formed: end times far
// ahead of the clock, names an export could not import again, byte counts that cannot
// be summed, names that are not UTF-8 in rows of earlier builds.
#include "CtlRun.h"
#include "accounting/CDbHistoryCtrl.h"
#include "accounting/EntryCredentialStore.h"
#include "accounting/HistoryRowRules.h"
#include "common/Utf8.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <sstream>

using namespace vr31k;
using vr31k::test::LocalTime;
using vr31k::test::TempDir;
using vr31k::test::WriteFile;
using Outcome = vr31k::test::CtlResult;

namespace {

Outcome Ctl(const std::string& folder, std::vector<std::string> words) {
    words.insert(words.begin(), {"--data-dir", folder});
    return test::RunCtl(words);
}

Outcome Record(const std::string& folder, const std::string& entry, const std::string& end,
               const std::string& sent = "1") {
    return Ctl(folder, {"--json", "history", "record", "--entry", entry, "--end", end, "--duration-ms", "1000", "--sent",
                        sent, "--recv", "1"});
}

// Rows of the last minute written straight into the folder's history, past the rules.
HistoryRow Recent(const std::string& entry) {
    return {entry, *ParseOleDateTime(LocalTime(-60)), *ParseOleDateTime(LocalTime(-50)), 0.0, 0, 0, {}, {}, {}};
}
void Plant(const std::string& folder, const std::vector<HistoryRow>& rows) {
    CDbHistoryCtrl db;
    ASSERT_EQ(db.OpenHistory(folder + "/VR31KUTL.mdb", std::string(kPassPhrase)), kDbOk);
    ASSERT_EQ(db.InsertRows(rows), kDbOk);
}

std::string Csv(const std::string& rows) { return "entry,start,end,duration_s,sent,recv,left_free,left_limit,charge\n" + rows; }

TEST(HistoryInput, EndsMoreThanADayAheadOfTheClockAreRefused) {
    TempDir dir;
    Outcome r = Record(dir.Path(), "typo", LocalTime(2 * 86400));
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_NE(r.err.find("more than a day ahead of the clock"), std::string::npos) << r.err;
    EXPECT_EQ(Record(dir.Path(), "soon", LocalTime(12 * 3600)).status, 0) << "a clock a few hours off is fine";

    WriteFile(dir.File("typo.csv"), Csv("ok,2026/01/02 03:04:05,2026/01/02 03:04:15,10,1,2,,,\n"
                                        "typo,2062/01/02 03:04:05,2062/01/02 03:04:15,10,1,2,,,\n"));
    r = Ctl(dir.Path(), {"--json", "history", "import", dir.File("typo.csv")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("line 3: the end 2062/01/02 03:04:15 is more than a day ahead"), std::string::npos) << r.out;
    r = Ctl(dir.Path(), {"--json", "history", "list"});
    EXPECT_EQ(r.out.find("typo"), std::string::npos) << "nothing written: " << r.out;
    EXPECT_NE(r.out.find("soon"), std::string::npos) << r.out;
}

// What record takes, an export gives and import takes back: one set of rules.
TEST(HistoryInput, EveryRecordedRowImportsAgain) {
    const struct {
        std::string name;
        bool taken;
    } names[] = {
        {std::string(256, 'n'), true},
        {"アクセスポイント", true},
        {"a, \"quoted\" name ", true},
        {std::string(257, 'n'), false},
        {std::string(100000, 'n'), false},
        {"two\nlines", false},
        {"carriage\rreturn", false},
        {"bad \xff byte", false},
    };
    TempDir dir;
    for (const auto& row : names) {
        const Outcome r = Record(dir.Path(), row.name, "2026/01/02 03:04:05");
        EXPECT_EQ(r.status, row.taken ? 0 : 2) << row.name.substr(0, 40) << r.err;
    }
    const Outcome exported = Ctl(dir.Path(), {"history", "list", "--csv"});
    ASSERT_EQ(exported.status, 0);
    TempDir other;
    WriteFile(other.File("export.csv"), exported.out);
    const Outcome imported = Ctl(other.Path(), {"--json", "history", "import", other.File("export.csv")});
    EXPECT_EQ(imported.status, 0) << imported.out;
    EXPECT_EQ(imported.out, "{\"imported\": 3}\n");
    EXPECT_EQ(Ctl(other.Path(), {"history", "list", "--csv"}).out, exported.out) << "the round trip changes nothing";
}

// Rows no rule lets in, planted in a history: listed as stored (never a wrapped value),
// refused by the rules a recorded row meets, and their export refused by the import.
TEST(HistoryInput, StoredValuesBeyondTheRulesPrintAsStoredAndImportNoMore) {
    const struct {
        double durationDays;
        std::optional<int64_t> charge;
        const char* json;       // in the list's row
        const char* csv;        // the export's duration and charge
        const char* refusal;    // by the import of the export
    } cases[] = {
        {1e308, std::nullopt, "\"duration_s\": null, ", ",inf,", "duration_s is not a whole number"},
        {1.2e14, INT64_MAX, "\"duration_s\": 1.0368e+19, ", ",1.0368e+19,", "duration_s is not a whole number"},
        {1.0, INT64_MAX, "\"charge\": 9223372036854775807}", ",9223372036854775807", "charge is not a yen amount"},
        {1.0, int64_t{INT32_MAX} + 1, "\"charge\": 2147483648}", ",2147483648", "charge is not a yen amount"},
    };
    for (const auto& c : cases) {
        const std::string what = std::to_string(c.durationDays) + " days, " + std::to_string(c.charge.value_or(-1));
        TempDir dir;
        HistoryRow row = Recent("absurd");
        row.duration = c.durationDays;
        row.charge = c.charge;
        EXPECT_NE(HistoryRowProblem(row, OleNow()), "") << what << ": a recorded row is refused";
        ASSERT_NO_FATAL_FAILURE(Plant(dir.Path(), {row}));
        const Outcome listed = Ctl(dir.Path(), {"--json", "history", "list"});
        ASSERT_EQ(listed.status, 0) << what << listed.err;
        EXPECT_NE(listed.out.find(c.json), std::string::npos) << what << listed.out;
        const Outcome exported = Ctl(dir.Path(), {"history", "list", "--csv"});
        ASSERT_EQ(exported.status, 0) << what << exported.err;
        EXPECT_NE(exported.out.find(c.csv), std::string::npos) << what << exported.out;
        TempDir other;
        WriteFile(other.File("export.csv"), exported.out);
        const Outcome imported = Ctl(other.Path(), {"--json", "history", "import", other.File("export.csv")});
        EXPECT_EQ(imported.status, 1) << what;
        EXPECT_NE(imported.out.find(std::string("line 2: ") + c.refusal), std::string::npos) << what << imported.out;
    }
}

// Rows an earlier build let in: a name that is not UTF-8, byte counts of 2^63 - 1.
TEST(HistoryInput, OldRowsGiveWellFormedOutputAndSumsThatNeverWrap) {
    TempDir dir;
    HistoryRow row = Recent("bad \xff\xfe name");
    row.sent = row.recv = INT64_MAX;
    ASSERT_NO_FATAL_FAILURE(Plant(dir.Path(), {row, row}));
    for (const std::vector<std::string>& list : {std::vector<std::string>{"--json", "history", "list"},
                                                 std::vector<std::string>{"history", "list", "--csv"}}) {
        const Outcome r = Ctl(dir.Path(), list);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(IsValidUtf8(r.out)) << r.out;
        EXPECT_NE(r.out.find("bad \xEF\xBF\xBD\xEF\xBF\xBD name"), std::string::npos) << r.out;
    }
    const Outcome usage = Ctl(dir.Path(), {"--json", "usage"});
    ASSERT_EQ(usage.status, 0) << usage.err;
    EXPECT_NE(usage.out.find("\"bytes\": 9223372036854775807"), std::string::npos) << usage.out;

    TempDir fresh;
    WriteFile(fresh.File("huge.csv"), Csv("a,2026/01/02 03:04:05,2026/01/02 03:04:15,10,9223372036854775807,0,,,\n"
                                          "b,2026/01/02 03:04:05,2026/01/02 03:04:15,10,9223372036854775807,0,,,\n"));
    const Outcome r = Ctl(fresh.Path(), {"--json", "history", "import", fresh.File("huge.csv")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("line 2: a byte count is beyond"), std::string::npos) << r.out;
    EXPECT_EQ(Record(fresh.Path(), "huge", "2026/01/02 03:04:05", "9223372036854775807").status, 2);
}

TEST(BadFolders, AnEmptyDataFolderNameIsRefused) {
    const Outcome r = Ctl("", {"plan", "set", "--packet-size", "256"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--data-dir needs a folder"), std::string::npos) << r.err;
    EXPECT_NE(access("/VR31KUTL.ini", F_OK), 0);
}

TEST(BadFolders, OversizedFilesAreReportedNotTakenForEmpty) {
    TempDir dir;
    WriteFile(dir.File("VR31KUTL.pbk"), "[big.example]\nDeviceType=modem\n" + std::string(2 << 20, ';') + "\n");
    Outcome r = Ctl(dir.Path(), {"--json", "entries", "list"});
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("\"code\": 622"), std::string::npos) << r.out;

    WriteFile(dir.File("VR31KUTL.ini"), "[UTL_CONFIG]\nAutoStart=0\n" + std::string(2 << 20, ';') + "\n");
    r = Ctl(dir.Path(), {"--json", "settings", "show"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("VR31KUTL.ini is larger than 1 MiB and is not read; every setting has its default"),
              std::string::npos)
        << r.err;
}

}  // namespace
