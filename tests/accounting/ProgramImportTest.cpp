// The spool's per-program records become their connections' figures once, each program
// with its share of the connection's charge; the history's own rows stay as they were.
#include "accounting/ProgramImport.h"
#include "accounting/SpoolImport.h"
#include "support/SpoolFixture.h"

#define SQLITE_HAS_CODEC 1
#include <sqlite3.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using namespace vr31k;

namespace {

constexpr int64_t kNow = 1211284800;  // 2008/05/20 12:00:00 UTC
constexpr int64_t kEnd = test::kEnd;

class ProgramImportTest : public test::SpoolFixture {
protected:
    int spool = -1;

    void SetUp() override {
        SpoolFixture::SetUp();
        spool = OpenSpoolFolder(dir.Path(), true, 0700);
    }
    void TearDown() override { close(spool); }
    // A connection's row of 1280 bytes (10 yen) on ppp0: the utility's own on link (`boot`,
    // 7), or ("") another dialler's, as pppd's hook records it and the spool's import takes it.
    void Row(const char* boot, int64_t end = kEnd) {
        UsageRecord link;
        link.entry = "e";
        link.interfaceName = "ppp0";
        link.end = end;
        link.durationSeconds = 60;
        link.sent = 280;
        link.recv = 1000;
        if (*boot == '\0') {
            ASSERT_EQ(WriteUsageRecord(spool, link, 0600), 0);
            ASSERT_EQ(ImportUsageSpool(dir.Path(), charge).imported, 1);
            return;
        }
        HistoryRow row;
        std::string problem;
        ASSERT_EQ(charge.RecordEndedConnection("e", OleFromTime(end), 60, 280, 1000, problem, &row), kDbOk);
        link.boot = boot;
        link.interfaceIndex = 7;
        NoteLink(charge.History(), row, link, charge.LastConnectionCharge());
    }
    std::string Put(bool final, int64_t updated = kEnd + 2, int64_t index = 7) {
        ProgramUsageRecord r{"ppp0", "/dev/ttyUSB2", "b", index, kEnd - 60, updated, final,
                             {{ProgramKind::Unit, "apt.service", "apt.service", 200, 800, 5, 0},
                              {ProgramKind::Other, "", "その他", 80, 200, 0, 0}}};
        EXPECT_EQ(WriteProgramUsageRecord(spool, r, 0600), 0);
        return ProgramRecordName("b", index);
    }
    SpoolImport Import(LinkIdentity up = {}) {
        return ImportProgramUsage(dir.Path(), charge.History(), [up](const std::string&) { return up; }, kNow);
    }
    PeriodPrograms Period() {
        PeriodPrograms p;
        EXPECT_EQ(charge.History().GetPeriodPrograms("2008/05/01", "2008/05/31", p), kDbOk);
        return p;
    }
    bool InSpool(const std::string& name) { return faccessat(spool, name.c_str(), F_OK, AT_SYMLINK_NOFOLLOW) == 0; }
};

TEST_F(ProgramImportTest, ARecordJoinsItsConnectionOnceOrWaitsOrIsKeptAside) {
    struct Case {
        const char* what;
        const char* rowBoot;  // nullptr: no row; "": a row noted by interface and end only
        bool final;
        int64_t updated;
        LinkIdentity up;
        int imported, alreadyIn, aside;
        bool stays;
        int64_t programs;
    } cases[] = {
        {"the utility's own dial, by the link's identity", "b", true, kEnd + 2, {}, 1, 0, 0, false, 2},
        {"another dialler's, by interface and end", "", true, kEnd + 50, {}, 1, 0, 0, false, 2},
        {"an end a minute and more away is another link's", "", true, kEnd + 70, {}, 0, 0, 0, true, 0},
        {"no row yet: it waits for it", nullptr, true, kEnd, {}, 0, 0, 0, true, 0},
        {"no row for a week: kept aside", nullptr, true, kNow - kProgramOrphanSeconds - 1, {}, 0, 0, 1, false, 0},
        {"the link still up: its reader writes it", "b", false, kEnd, {"b", 7}, 0, 0, 0, true, 0},
        {"its reader killed, the link down", "b", false, kEnd, {}, 1, 0, 0, false, 2},
        {"its reader's last write still due", "b", false, kNow - 10, {}, 0, 0, 0, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(charge.History().ClearHistory(), kDbOk);
        if (c.rowBoot != nullptr) Row(c.rowBoot);
        const std::string name = Put(c.final, c.updated, c.rowBoot == nullptr || *c.rowBoot ? 7 : 9);
        const SpoolImport done = Import(c.up);
        EXPECT_EQ(done.imported, c.imported);
        EXPECT_EQ(done.keptAside.size(), static_cast<size_t>(c.aside));
        EXPECT_EQ(InSpool(name), c.stays);
        EXPECT_EQ(static_cast<int64_t>(Period().programs.size()), c.programs);
        unlinkat(spool, name.c_str(), 0);
    }
}

TEST_F(ProgramImportTest, SharesAddUpToTheConnectionsChargeAndASecondCopyIsNotCountedAgain) {
    Row("b");
    const std::string name = Put(true);
    ASSERT_EQ(Import().imported, 1);
    Put(true);  // an import cut off before the removal
    const SpoolImport again = Import();
    EXPECT_EQ(again.imported, 0);
    EXPECT_EQ(again.alreadyIn, 1);
    EXPECT_FALSE(InSpool(name));
    const PeriodPrograms p = Period();
    ASSERT_EQ(p.programs.size(), 2u);
    // 1000 and 280 of 1280 bytes: 7.8125 and 2.1875 yen, the odd yen to the larger rest.
    EXPECT_EQ(p.programs[0].name, "apt.service");
    EXPECT_EQ(p.programs[0].sent + p.programs[0].recv, 1000);
    EXPECT_EQ(p.programs[0].blockedSent, 5);
    EXPECT_EQ(p.programs[0].chargeShare, 8);
    EXPECT_EQ(p.programs[1].chargeShare, 2);
    EXPECT_EQ(p.connections, 1);
    EXPECT_EQ(p.withoutPrograms, 0);
    // Pruning the period takes its programs too.
    ASSERT_EQ(charge.History().DeleteRange("2008/05/01", "2008/05/31"), kDbOk);
    EXPECT_TRUE(Period().programs.empty());
}

TEST_F(ProgramImportTest, AFileThatIsNotARecordIsKeptAsideByteForByte) {
    test::WriteFile(dir.File("spool/programs-b-7.prog"), "vr31k-programs 1\nfinal=2\n\x1b]0;x\a");
    const SpoolImport done = Import();
    ASSERT_EQ(done.keptAside.size(), 1u);
    EXPECT_EQ(test::ReadFile(dir.File("spool/programs-b-7.prog.bad")), "vr31k-programs 1\nfinal=2\n\x1b]0;x\a");
}

TEST_F(ProgramImportTest, AnOlderFileWithoutTheTablesOpensWithItsRowsAsTheyWere) {
    charge.History().CloseHistory();
    const std::string old = dir.File("old.mdb");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(old.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE RAS_HISTORY (ENTRY TEXT, TIME_START REAL, TIME_END REAL, TIME_DURATION REAL, "
                           "DATA_SEND INTEGER, DATA_RECV INTEGER, LEFT_FREE INTEGER, LEFT_LIMIT INTEGER, CHARGE "
                           "INTEGER); INSERT INTO RAS_HISTORY VALUES ('e', 39588.4, 39588.5, 0.1, 1, 2, 3, 4, 5)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    ASSERT_EQ(charge.History().OpenHistory(old, std::nullopt), kDbOk) << charge.History().LastError();
    const PeriodPrograms p = Period();
    EXPECT_EQ(p.connections, 1);
    EXPECT_EQ(p.withoutPrograms, 1) << "a connection without figures says so";
    EXPECT_EQ(p.bytesWithout, 3);
    std::vector<HistoryRow> rows;
    charge.History().ForEachRow([&](const HistoryRow& r) { rows.push_back(r); return true; });
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].charge, 5);
}

}  // namespace
