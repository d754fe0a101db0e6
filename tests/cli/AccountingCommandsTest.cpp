// vr31kctl plan, usage and history, run in-process against a data folder.
#include "accounting/EntryCredentialStore.h"
#include "accounting/CDbHistoryCtrl.h"
#include "accounting/OleDate.h"
#include "accounting/LiveUsageRecord.h"
#include "accounting/UsageSpool.h"
#include "platform/linux/DiallerProcess.h"
#include "cli/ChargeSession.h"
#include "cli/CliCommand.h"
#include "cli/PlanLimit.h"
#include "CtlRun.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

using namespace vr31k;
using namespace vr31k::cli;
using vr31k::test::ReadFile;
using vr31k::test::TempDir;
using vr31k::test::WriteFile;

namespace {

using Outcome = test::CtlResult;

class AccountingCommandsTest : public ::testing::Test {
protected:
    TempDir dir;

    Outcome Run(const CommandGroup& group, std::vector<std::string> words, bool json = true) {
        std::ostringstream out, err;
        CliContext context(dir.Path(), std::nullopt, json, out, err);
        CliArgs args(std::move(words));
        int status;
        try {
            status = group.run(context, args);
        } catch (const UsageError& e) {
            status = kExitUsage;
            err << e.what();
        }
        return {status, out.str(), err.str()};
    }
    Outcome Plan(std::vector<std::string> words, bool json = true) {
        return Run(PlanCommands(), std::move(words), json);
    }
    Outcome History(std::vector<std::string> words, bool json = true) {
        return Run(HistoryCommands(), std::move(words), json);
    }
    Outcome Usage(std::vector<std::string> words = {}, bool json = true) {
        return Run(UsageCommands(), std::move(words), json);
    }
    // `history record` of a connection that ended at `end`.
    Outcome Record(const std::string& end, const std::string& sent, const std::string& recv = "0",
                   const std::string& entry = "apn", const std::string& ms = "1000") {
        return History({"record", "--entry", entry, "--end", end, "--duration-ms", ms, "--sent", sent, "--recv", recv});
    }
    std::string Ini() { return ReadFile(dir.File("VR31KUTL.ini")); }
};

TEST_F(AccountingCommandsTest, PlanSetChecksEveryValueAndWritesTheSection) {
    Outcome r = Plan({"set", "--type", "2", "--price", "0.21", "--cap", "4980", "--closing-day", "20"});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    EXPECT_NE(r.out.find("\"limit_bytes\": 3035429"), std::string::npos) << r.out;
    EXPECT_NE(Ini().find("MaxCharge2=4980"), std::string::npos);
    EXPECT_NE(Ini().find("PacketCharge2=0.21"), std::string::npos);
    const std::string before = Ini();

    struct Refusal {
        std::vector<std::string> words;
        const char* message;
    } refusals[] = {
        {{"set", "--free-packets", "12a"}, "設定値には、数字(0～9)を入力してください。"},
        {{"set", "--price", "0.0005"}, "0.001 から 999999 までの数字を入力してください。"},
        {{"set", "--price", "1.2.3"}, "設定値には、数字を入力してください。"},
        {{"set", "--notice-ratio", "30"}, "50% から 100% までの整数を入力してください。"},
        {{"set", "--packet-size", ""}, "1 から 999999 までの整数を入力してください。"},
        {{"set", "--cap", "5000", "--notice-charge", "0"}, "1 から 999999 までの整数を入力してください。"},
        {{"set", "--type", "3", "--free-packets", "10", "--free-fee", "2000", "--cap", "1000"},
         "パケット定額料がパケット無料通信料未満に設定されています。"},
    };
    for (const Refusal& refusal : refusals) {
        r = Plan(refusal.words);
        EXPECT_EQ(r.status, kExitFailed) << refusal.message;
        EXPECT_NE(r.out.find(refusal.message), std::string::npos) << r.out;
        EXPECT_EQ(Ini(), before) << "nothing changes: " << refusal.message;
    }
    EXPECT_EQ(Plan({"set", "--type", "5"}).status, kExitUsage);
    EXPECT_EQ(Plan({"set", "--closing-day", "33"}).status, kExitUsage);

    // An empty value unsets a field.
    r = Plan({"set", "--cap", ""});
    ASSERT_EQ(r.status, kExitOk);
    EXPECT_NE(r.out.find("\"MaxCharge2\": -1"), std::string::npos);
    EXPECT_NE(r.out.find("\"type\": -1"), std::string::npos) << "type 2 without a cap is incomplete";

    r = Plan({"charge", "1000"});
    EXPECT_EQ(r.out, "{\"charge\": -1, \"free_left\": 0, \"limit_left\": 0}\n");
    Plan({"set", "--type", "0", "--price", "0.5"});
    EXPECT_EQ(Plan({"charge", "2560"}).out, "{\"charge\": 10, \"free_left\": 0, \"limit_left\": 0}\n");
    EXPECT_EQ(Plan({"charge", "-1"}).status, kExitUsage);
}

TEST_F(AccountingCommandsTest, RecordListTotalsAndPeriods) {
    Plan({"set", "--type", "0", "--price", "1", "--closing-day", "20"});
    Outcome r = Record("2008/05/20 10:00:00", "1000", "280", "apn.example", "3725900");
    ASSERT_EQ(r.status, kExitOk) << r.out << r.err;
    EXPECT_NE(r.out.find("\"start\": \"2008/05/20 08:57:55\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"charge\": 10"), std::string::npos) << r.out;
    Record("2008/05/21 00:00:00", "1", "2", "other", "999");

    r = History({"periods"});
    EXPECT_EQ(r.out, "{\"periods\": [\"2008/05/21 - 2008/06/20\", \"2008/04/21 - 2008/05/20\"]}\n");
    r = History({"totals", "--period", "2008/04/21 - 2008/05/20"});
    EXPECT_EQ(r.out,
              "{\"duration_s\": 3725, \"sent\": 1000, \"recv\": 280, \"charge\": 10, \"free_left\": 0, "
              "\"limit_left\": 0}\n");
    r = History({"totals", "--entry", "other"});
    EXPECT_EQ(r.out, "{\"duration_s\": 0, \"sent\": 1, \"recv\": 2}\n");
    EXPECT_EQ(History({"totals", "--period", "2008/04/21-2008/05/20"}).status, kExitUsage);
    EXPECT_EQ(History({"totals"}).status, kExitUsage);

    r = History({"list"});
    EXPECT_NE(r.out.find("\"entry\": \"other\", \"start\": \"2008/05/21 00:00:00\""), std::string::npos) << r.out;

    r = History({"list", "--csv"}, false);
    EXPECT_EQ(r.out,
              "entry,start,end,duration_s,sent,recv,left_free,left_limit,charge\n"
              "apn.example,2008/05/20 08:57:55,2008/05/20 10:00:00,3725,1000,280,0,0,10\n"
              "other,2008/05/21 00:00:00,2008/05/21 00:00:00,0,1,2,0,0,1\n");  // charged in the current period
    EXPECT_EQ(History({"list", "--csv"}).status, kExitUsage) << "--csv with --json";

    EXPECT_EQ(Record("2008/02/30 10:00:00", "1", "1", "x", "1").status, kExitUsage);
}

TEST_F(AccountingCommandsTest, ImportIsWholeOrNothingAndClearEmpties) {
    const std::string good =
        "entry,start,end,duration_s,sent,recv,left_free,left_limit,charge\r\n"
        "\"a,b\",2008/05/20 08:57:55,2008/05/20 10:00:00,3725,1000,280,,,\r\n"
        "plain,2008/05/21 00:00:00,2008/05/21 00:00:10,10,1,2,3,4,5\r\n";
    WriteFile(dir.File("good.csv"), good);
    Outcome r = History({"import", dir.File("good.csv")});
    ASSERT_EQ(r.status, kExitOk) << r.out;
    EXPECT_EQ(r.out, "{\"imported\": 2}\n");
    r = History({"list", "--csv"}, false);
    EXPECT_NE(r.out.find("\"a,b\",2008/05/20 08:57:55,2008/05/20 10:00:00,3725,1000,280,,,\n"), std::string::npos)
        << r.out;
    // The list is printed row by row: the same text as the whole list printed at once.
    EXPECT_EQ(History({"list"}).out,
              "{\"rows\": [{\"entry\": \"a,b\", \"start\": \"2008/05/20 08:57:55\", \"end\": \"2008/05/20 10:00:00\", "
              "\"duration_s\": 3725, \"sent\": 1000, \"recv\": 280, \"left_free\": null, \"left_limit\": null, "
              "\"charge\": null}, {\"entry\": \"plain\", \"start\": \"2008/05/21 00:00:00\", \"end\": \"2008/05/21 "
              "00:00:10\", \"duration_s\": 10, \"sent\": 1, \"recv\": 2, \"left_free\": 3, \"left_limit\": 4, \"charge\": "
              "5}]}\n");

    struct Bad {
        std::string line;
        const char* why;
    } bad[] = {
        {"x,2008/05/21 00:00:00,2008/05/21 00:00:10,10,1,2,3,4", "8 fields"},
        {"x,2008/02/30 00:00:00,2008/05/21 00:00:10,10,1,2,3,4,5", "start"},
        {"x,2008/05/21 00:00:00,2008/05/21 00:00:10,10,-1,2,3,4,5", "sent"},
        {"x,2008/05/21 00:00:00,2008/05/21 00:00:10,10,1,2,3,4,99999999999", "charge"},
        {"\"x,2008/05/21 00:00:00,2008/05/21 00:00:10,10,1,2,3,4,5", "quoted"},
        {",2008/05/21 00:00:00,2008/05/21 00:00:10,10,1,2,3,4,5", "entry"},
    };
    for (const Bad& b : bad) {
        WriteFile(dir.File("bad.csv"), good + b.line + "\n" + "late,2008/05/21 00:00:00,2008/05/21 00:00:10,10,1,2,,,\n");
        r = History({"import", dir.File("bad.csv")});
        EXPECT_EQ(r.status, kExitFailed) << b.why;
        EXPECT_NE(r.out.find("line 4: "), std::string::npos) << r.out;
        EXPECT_NE(r.out.find(b.why), std::string::npos) << r.out;
    }
    WriteFile(dir.File("noheader.csv"), "plain,2008/05/21 00:00:00,2008/05/21 00:00:10,10,1,2,3,4,5\n");
    EXPECT_EQ(History({"import", dir.File("noheader.csv")}).status, kExitFailed);
    EXPECT_EQ(History({"import", dir.File("absent.csv")}).status, kExitFailed);

    r = History({"list"});
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '{') - 1, 2) << "nothing half-imported: " << r.out;

    // Longer than one buffer of output: every row once, in order, in either form.
    std::string many = "entry,start,end,duration_s,sent,recv,left_free,left_limit,charge\n";
    for (int i = 0; i < 1500; ++i) many += "n" + std::to_string(i) + ",2008/05/21 00:00:00,2008/05/21 00:00:10,10,1,2,,,\n";
    WriteFile(dir.File("many.csv"), many);
    ASSERT_EQ(History({"import", dir.File("many.csv")}).status, kExitOk);
    for (const bool json : {true, false}) {
        const std::string listed = History({"list"}, json).out;
        const std::string last = json ? "{\"entry\": \"n1499\", " : "    entry: n1499\n";
        EXPECT_EQ(listed.rfind(last), listed.find(last)) << json;
        EXPECT_TRUE(listed.ends_with(json ? "\"charge\": null}]}\n" : "    charge: -\n")) << json;
        EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), json ? 1 : 1 + 1502 * 10) << json;
        EXPECT_EQ(listed.find(json ? "}{" : "\n\n"), std::string::npos) << json;
    }

    EXPECT_EQ(History({"clear"}).out, "{\"cleared\": true}\n");
    EXPECT_EQ(History({"list"}).out, "{\"rows\": []}\n");
    EXPECT_EQ(History({"list"}, false).out, "rows: none\n");
    EXPECT_EQ(History({"periods"}).out, "{\"periods\": []}\n");
}

TEST_F(AccountingCommandsTest, UsageOfTheCurrentPeriod) {
    Plan({"set", "--type", "0", "--price", "1", "--notice-charge", "1000", "--notice-ratio", "80", "--closing-day",
          "0"});
    const time_t now = time(nullptr);
    const std::string end = test::LocalTimeAt(now), today = end.substr(0, 10);
    Record(end, "30000", "30000");
    // A connection this process watches, as its live record last saved it.
    LiveUsageRecord live;
    live.Configure(dir.Path(), getpid(), ProcessStartTicks(getpid()));
    UsageRecord figures;
    figures.entry = "apn";
    figures.end = now;
    figures.durationSeconds = 7;
    figures.sent = 5;
    figures.recv = 6;
    live.Update(figures, now);
    ASSERT_TRUE(live.Finish(figures));
    const Outcome r = Usage();
    ASSERT_EQ(r.status, kExitOk);
    EXPECT_EQ(r.out, std::string("{\"period\": \"") + today + " - " + today +
                         "\", \"bytes\": 60000, \"charge\": 468, \"free_left\": 0, \"limit_left\": 0, "
                         "\"notice_left\": 42400, \"projected_bytes\": null, \"projected_charge\": null, "
                         "\"days_left\": null, \"warning\": null, \"mean_per_day\": null, \"week_per_day\": null, "
                         "\"pace\": [], \"pace_line\": null, \"running\": [{\"entry\": \"apn\", \"sent\": 5, "
                         "\"recv\": 6, \"duration_s\": 7, \"saved\": \"" + end + "\"}]}\n");
    const Outcome plain = Usage({}, false);
    EXPECT_NE(plain.out.find("projected_bytes: none: the period has no end\n"), std::string::npos) << plain.out;
    EXPECT_EQ(plain.out.find("warning"), std::string::npos) << plain.out;
}

TEST_F(AccountingCommandsTest, UsageProjectsTheRestOfThePeriod) {
    // Month-end periods; 1 yen a packet, the notice at 800 yen (102,400 bytes).
    Plan({"set", "--type", "0", "--price", "1", "--notice-charge", "1000", "--notice-ratio", "80"});
    const time_t now = time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    Record(test::LocalTimeAt(now), "50000", "50000");
    const int days = DaysInMonth(local.tm_year + 1900, local.tm_mon + 1);
    const Outcome r = Usage();
    ASSERT_EQ(r.status, kExitOk);
    EXPECT_NE(r.out.find("\"days_left\": " + std::to_string(days - local.tm_mday)), std::string::npos) << r.out;
    const auto at = r.out.find("\"projected_bytes\": ");
    ASSERT_NE(at, std::string::npos) << r.out;
    const long long projected = std::stoll(r.out.substr(at + 19));
    // The mean of at least one day elapsed, over at most the whole month.
    EXPECT_GE(projected, 100000);
    EXPECT_LE(projected, 100000LL * days);
    // 100,000 bytes have not reached the notice; the warning is there exactly when the
    // projection does.
    const bool warned = r.out.find("\"warning\": \"") != std::string::npos;
    EXPECT_EQ(warned, projected >= 102400) << r.out;
    const Outcome plain = Usage({}, false);
    EXPECT_EQ(plain.out.find("warning: このままのペースでは") != std::string::npos, warned) << plain.out;
}

TEST_F(AccountingCommandsTest, OwnLimitIsCheckedStoredAndShownWithThePace) {
    WriteFile(dir.File("VR31KUTL.ini"), "[VR31K_LIMIT]\r\nLimitBytes=zz\r\nFuture=1\r\n");
    Outcome r = Plan({"limit"});
    EXPECT_NE(r.out.find("{\"VR31K_LIMIT\": {\"LimitKind\": 0, \"LimitCharge\": -1, \"LimitBytes\": -1, "
                         "\"LimitWarnRatio\": 80, \"BurstBytes\": 0}"),
              std::string::npos)
        << "unreadable values read as their defaults: " << r.out;
    const std::string before = Ini();
    struct Refusal {
        std::vector<std::string> words;
        int status;
        const char* message;
    } refusals[] = {
        {{"set-limit", "--bytes", "1000"}, kExitFailed, "1k から 1024T までの値を入力してください。"},
        {{"set-limit", "--burst", "5x"}, kExitFailed, "0 から 1024T までの値を入力してください。"},
        {{"set-limit", "--warn-ratio", "100", "--bytes", "1M"}, kExitFailed, "0 から 99 までの値を入力してください。"},
        {{"set-limit", "--charge", "3000"}, kExitFailed, "通信料金が利用上限の金額に達することはありません。"},
        {{"set-limit", "--charge", "3000", "--bytes", "1M"}, kExitUsage, "exclude each other"},
    };
    for (const Refusal& refusal : refusals) {
        r = Plan(refusal.words);
        EXPECT_EQ(r.status, refusal.status) << refusal.message;
        EXPECT_NE((r.out + r.err).find(refusal.message), std::string::npos) << r.out << r.err;
        EXPECT_EQ(Ini(), before) << "nothing changes: " << refusal.message;
    }

    Plan({"set", "--type", "0", "--price", "1"});
    r = Plan({"set-limit", "--bytes", "100k", "--burst", "50M"});
    ASSERT_EQ(r.status, kExitOk) << r.out << r.err;
    EXPECT_NE(r.out.find("\"derived\": {\"limit_bytes\": 102400, \"warn_bytes\": 81920, \"problem\": null, "
                         "\"amount\": \"100 kBytes\"}"),
              std::string::npos)
        << r.out;
    EXPECT_NE(Ini().find("Future=1"), std::string::npos) << "a key of a later version is kept";
    EXPECT_NE(Ini().find("LimitKind=2"), std::string::npos);
    EXPECT_NE(Ini().find("BurstBytes=52428800"), std::string::npos);
    EXPECT_EQ(Plan({"set-limit", "--charge", "3000"}).status, kExitOk) << "under a metered plan";
    r = Plan({"set-limit", "--bytes", "100k"}, false);
    EXPECT_NE(r.out.find("  LimitKind: the period's bytes (2)\n  LimitCharge: 3000\n"), std::string::npos) << r.out;

    const std::string end = test::LocalTime();
    Record(end, "90000");
    r = Usage();
    EXPECT_NE(r.out.find("\"limit\": {\"amount\": \"100 kBytes\", \"state\": \"warning\", \"limit_bytes\": "
                         "102400, \"warn_bytes\": 81920, \"bytes_left\": 12400}"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("{\"mark\": \"limit\", \"at_bytes\": 102400, \"bytes_left\": 12400, "), std::string::npos)
        << r.out;
    const Outcome plain = Usage({}, false);
    EXPECT_NE(plain.out.find("pace_line: 利用上限まで 1日あたり "), std::string::npos) << plain.out;
    EXPECT_EQ(plain.out.find("at_bytes"), std::string::npos) << "the figures are the JSON's: " << plain.out;

    // What `connect` asks before it dials: nothing below the limit, the refusal at it.
    const auto refuse = [&](bool overLimit) {
        std::ostringstream out, err;
        CliContext context(dir.Path(), std::nullopt, true, out, err);
        CChargeSession session(context);
        EXPECT_EQ(session.OpenHistory(), kExitOk);
        const std::optional<int> status = RefuseAtLimit(context, session.Charge(), overLimit);
        return std::make_pair(status, out.str());
    };
    EXPECT_EQ(refuse(false).first, std::nullopt);
    Record(end, "12400");
    EXPECT_EQ(refuse(false),
              std::make_pair(std::optional<int>(kExitLimitReached),
                             std::string("{\"error\": {\"code\": 43606, \"name\": \"limit-reached\", \"message\": "
                                         "\"この期間の通信量が利用上限(100 kBytes)に達しているため、接続しません。\"}}\n")));
    EXPECT_EQ(refuse(true).first, std::nullopt) << "told to go past it";

    Plan({"set-limit", "--off"});
    EXPECT_EQ(refuse(false).first, std::nullopt);
    EXPECT_EQ(Usage().out.find("\"limit\""), std::string::npos) << "no limit object when off";
}

TEST_F(AccountingCommandsTest, UsageDayByDayAsJsonAndCsv) {
    Plan({"set", "--type", "2", "--price", "1", "--cap", "30", "--closing-day", "20"});
    for (const char* end : {"2008/05/18 10:00:00", "2008/05/20 23:59:59", "2008/05/21 00:00:00"}) Record(end, "1280");
    const std::vector<std::string> lastDays = {"--daily", "--period", "2008/05/18 - 2008/05/20"};
    Outcome r = Usage(lastDays);
    ASSERT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(r.out,
              "{\"period\": \"2008/05/18 - 2008/05/20\", \"today\": null, \"free_amount\": null, \"cap\": 30, "
              "\"notice_amount\": null, \"days\": ["
              "{\"day\": \"2008/05/18\", \"bytes\": 1280, \"cumulative_bytes\": 1280, \"charge\": 10}, "
              "{\"day\": \"2008/05/19\", \"bytes\": 0, \"cumulative_bytes\": 1280, \"charge\": 10}, "
              "{\"day\": \"2008/05/20\", \"bytes\": 1280, \"cumulative_bytes\": 2560, \"charge\": 20}]}\n");

    std::vector<std::string> csv = lastDays;
    csv.push_back("--csv");
    r = Usage(csv, false);
    EXPECT_EQ(r.out,
              "day,bytes,cumulative_bytes,charge\n2008/05/18,1280,1280,10\n2008/05/19,0,1280,10\n"
              "2008/05/20,1280,2560,20\n");

    EXPECT_EQ(Usage({"--csv"}, false).status, kExitUsage);
    EXPECT_EQ(Usage(csv).status, kExitUsage) << "--csv with --json";
    EXPECT_EQ(Usage({"--daily", "--period", "2008/05/20 - 2008/05/18"}).status, kExitUsage);
}

// A group member may write any record into the spool: what it holds is told, never obeyed.
TEST_F(AccountingCommandsTest, ARecordKeptAsideIsToldWithItsControlsShown) {
    ASSERT_EQ(mkdir(dir.File(kSpoolFolderName).c_str(), 0700), 0);
    WriteFile(dir.File(std::string(kSpoolFolderName) + "/\x1b]0;x\a.rec"), "vr31k-usage 1\n\x1b[2J\r\xe2\x80\xae=1\n");
    const Outcome r = History({"list"}, false);
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_NE(r.err.find("\\x1B]0;x\\x07.rec.bad"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("\\x1B[2J\\x0D\\u{202E}=1"), std::string::npos) << r.err;
    for (const unsigned char c : r.err) EXPECT_TRUE(c == '\n' || (c >= 0x20 && c != 0x7f)) << r.err;
}

TEST_F(AccountingCommandsTest, UnreadableHistoryIsReportedAndKept) {
    WriteFile(dir.File("VR31KUTL.mdb"), std::string(4096, 'z'));
    const Outcome r = History({"list"});
    EXPECT_EQ(r.status, kExitOk);
    EXPECT_NE(r.err.find("could not be read; it was kept as"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "{\"rows\": []}\n");

    // A history that cannot be opened at all is an error, not an empty history.
    TempDir other;
    std::ostringstream out, err;
    CliContext context(other.File("VR31KUTL.ini/not-a-folder"), std::nullopt, true, out, err);
    WriteFile(other.File("VR31KUTL.ini"), "");
    CliArgs args({"list"});
    EXPECT_EQ(HistoryCommands().run(context, args), kExitFailed);
    EXPECT_NE(out.str().find("\"name\": \"history-failed\""), std::string::npos) << out.str();
}

}  // namespace
