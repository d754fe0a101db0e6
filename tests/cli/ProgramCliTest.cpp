// vr31kctl usage --programs and vr31kctl programs, run in-process over a history whose
// connection has its link's per-program record waiting in the spool; and the programs of
// a connection's status.
#include "accounting/ConnectionSnapshot.h"
#include "accounting/EntryCredentialStore.h"
#include "accounting/ProgramImport.h"
#include "accounting/UsageSpool.h"
#include "cli/CliRunner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>
#include <unistd.h>

using namespace vr31k;

namespace {

constexpr const char* kPeriod = "2008/05/01 - 2008/05/31";

class ProgramCliTest : public ::testing::Test {
protected:
    test::TempDir dir;

    struct Result {
        int status;
        std::string out, err;
    };
    Result Ctl(std::vector<std::string> words) {
        words.insert(words.begin(), {"--data-dir", dir.Path()});
        std::ostringstream out, err;
        const int status = cli::RunCli(words, out, err);
        return {status, out.str(), err.str()};
    }
    // A connection of 1280 bytes at 1 yen a 128-byte packet, counted on link (b, 7),
    // whose final per-program record the next open imports.
    void SetUp() override {
        ASSERT_EQ(Ctl({"plan", "set", "--type", "0", "--price", "1", "--packet-size", "128", "--closing-day", "32"})
                      .status, 0);
        ChargeAccounting charge;
        charge.Plan().chargeType = kChargeMetered;
        charge.Plan().packetCharge2 = 1;
        charge.Plan().packetSize = 128;
        charge.DerivePlan();
        ASSERT_EQ(charge.History().OpenHistory(dir.File("VR31KUTL.mdb"), kPassPhrase), kDbOk);
        HistoryRow row;
        std::string problem;
        ASSERT_EQ(charge.RecordEndedConnection("e", *ParseOleDateTime("2008/05/20 11:00:00"), 60, 280, 1000, problem,
                                               &row),
                  kDbOk);
        UsageRecord link;
        link.interfaceName = "ppp0";
        link.boot = "b";
        link.interfaceIndex = 7;
        NoteLink(charge.History(), row, link, charge.LastConnectionCharge());
        const int spool = OpenSpoolFolder(dir.Path(), true, 0700);
        ASSERT_EQ(WriteProgramUsageRecord(spool, {"ppp0", "", "b", 7, 1, 2, true,
                                                  {{ProgramKind::Unit, "apt.service", "apt.service", 200, 800, 5, 0},
                                                   {ProgramKind::Scope, "s.scope", "evil\x1b[31m", 80, 200, 0, 0}}},
                                          0600),
                  0);
        close(spool);
    }
};

TEST_F(ProgramCliTest, UsagePerProgramAndTheBlockListAsScriptsAndPeopleReadThem) {
    struct Case {
        std::vector<std::string> words;
        int status;
        std::string shows;  // a part of the output
    } cases[] = {
        {{"--json", "usage", "--programs", "--period", kPeriod}, 0,
         "\"programs\": [{\"name\": \"apt.service\", \"kind\": \"unit\", \"id\": \"apt.service\", \"sent\": 200, "
         "\"recv\": 800, \"blocked_sent\": 5, \"blocked_recv\": 0, \"charge_share\": 8}, {\"name\": "
         "\"evil\\u001b[31m\""},
        {{"usage", "--programs", "--period", kPeriod}, 0, "    name: evil\\x1B[31m\n    kind: プロセス\n"},
        {{"usage", "--programs", "--period", "2008/04/01 - 2008/04/30"}, 0, "programs: none\nconnections: 0\n"},
        {{"usage", "--programs", "--period", "2008/04"}, 2, ""},
        {{"usage", "--programs", "--csv"}, 2, ""},
        {{"programs", "block", "apt.service", "firefox.desktop"}, 0, "blocked:\n  - apt.service\n  - firefox.desktop\n"},
        {{"programs", "list"}, 0, "  - [x] apt.service (apt.service)\n  - [x] firefox.desktop (firefox.desktop)\n"},
        {{"--json", "programs", "allow", "firefox.desktop"}, 0,
         "{\"blocked\": [{\"kind\": \"unit\", \"id\": \"apt.service\"}]}"},
        {{"programs", "block", "a b"}, 2, ""},
        {{"programs", "allow"}, 2, ""},
        {{"programs", "allow", "--all"}, 0, "blocked: none\n"},
    };
    for (const Case& c : cases) {
        const Result r = Ctl(c.words);
        SCOPED_TRACE(c.words.back());
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.out.find(c.shows), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find('\x1b'), std::string::npos) << "a name is shown, never obeyed";
    }
}

TEST(ProgramStatus, TheStatusNamesTheLinksTopProgramsOrSaysItHasNone) {
    ConnectionSnapshot snapshot;
    snapshot.programsRead = true;
    JsonValue none = JsonValue::MakeObject();
    EXPECT_NE(WriteConnectionStatus(none, "connected", snapshot, 0).Dump().find("\"programs\": null, \"programs_note\""),
              std::string::npos);
    snapshot.programs = ProgramUsageRecord{"ppp0", "", "b", 7, 1, 2, false,
                                           {{ProgramKind::Other, "", "その他", 1, 2, 0, 0},
                                            {ProgramKind::App, "f.desktop", "Firefox", 30, 40, 1, 2}}};
    JsonValue some = JsonValue::MakeObject();
    EXPECT_NE(WriteConnectionStatus(some, "connected", snapshot, 0).Dump().find(
                  "\"programs\": [\"Firefox\", \"その他\"], \"programs_sent\": [30, 1], \"programs_recv\": [40, 2], "
                  "\"programs_blocked\": [3, 0]"),
              std::string::npos);
    EXPECT_TRUE(JsonValue::Parse(some.Dump())) << "the socket's reader takes it";
}

}  // namespace
