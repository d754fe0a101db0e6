// Links that ended with no utility watching leave a record in the spool, and the next
// history open imports each record once, with its charge; live records of connections
// that are up.
#include "accounting/ChargeAccounting.h"
#include "accounting/EntryCredentialStore.h"
#include "accounting/LiveUsageRecord.h"
#include "accounting/SpoolImport.h"
#include "accounting/UsageSpool.h"
#include "platform/linux/LinkIdentity.h"
#include "platform/linux/DiallerProcess.h"
#include "common/FolderLock.h"
#include "platform/DialupService.h"
#include "support/PollUntil.h"
#include "support/SamplePlan.h"
#include "support/SpoolFixture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <map>
#include <optional>
#include <sstream>
#include <thread>

using namespace vr31k;
using vr31k::test::ReadFile;
using vr31k::test::TempDir;
using vr31k::test::WriteFile;
namespace fs = std::filesystem;

namespace {

using test::kEnd;

class UsageSpoolTest : public test::SpoolFixture {
protected:
    std::string InSpool(const std::string& name) const { return dir.File(std::string(kSpoolFolderName) + "/" + name); }
    // A record as pppd's hook leaves it for a link of the peer's that ended at `end`.
    int Pppd(int64_t sent = 1280, int64_t end = kEnd) {
        UsageRecord record;
        record.entry = "vr31k-utility";
        record.interfaceName = "ppp0";
        record.tty = "/dev/ttyACM0";
        record.end = end;
        record.durationSeconds = 3600;
        record.sent = sent;
        record.recv = 2560;
        const int spool = OpenSpoolFolder(dir.Path(), true, 0700);
        const int status = spool < 0 ? errno : WriteUsageRecord(spool, record, 0600);
        if (spool >= 0) close(spool);
        return status;
    }
};

TEST_F(UsageSpoolTest, EachRecordCountsOnceAndStrangersAreKeptAside) {
    ASSERT_EQ(Pppd(), 0);
    const std::string name = Spool().at(0);
    const std::string record = ReadFile(InSpool(name));
    EXPECT_EQ(ImportUsageSpool(dir.Path(), charge).imported, 1);
    // An import cut off after its row was written leaves the record: it is not counted again.
    WriteFile(InSpool(name), record);
    const SpoolImport again = ImportUsageSpool(dir.Path(), charge);
    EXPECT_EQ(again.imported, 0);
    EXPECT_EQ(again.alreadyIn, 1);
    EXPECT_EQ(Rows().size(), 1u);

    const std::string valid = record;
    const auto with = [&](const std::string& from, const std::string& to) {
        std::string text = valid;
        return text.replace(text.find(from), from.size(), to);
    };
    const std::string strangers[] = {
        "",
        "hello\n",
        valid.substr(0, valid.size() - 1),           // the last line cut off
        with("vr31k-usage 1", "vr31k-usage 2"),      // a format of another version
        with("sent=", "sent=99999999999999999999"),  // beyond any connection
        with("source=pppd", "source=me"),
        with("recv=", "color=blue\nrecv="),
        with("recv=", "sent=1\nrecv="),  // a field twice
        with("entry=vr31k-utility", "entry="),
        valid + std::string(kMaxUsageRecordBytes, '#'),
    };
    for (size_t i = 0; i < std::size(strangers); ++i) {
        WriteFile(InSpool("x" + std::to_string(i) + ".rec"), strangers[i]);
    }
    fs::create_symlink("/etc/passwd", InSpool("link.rec"));
    const SpoolImport aside = ImportUsageSpool(dir.Path(), charge);
    EXPECT_EQ(aside.imported, 0);
    EXPECT_EQ(aside.keptAside.size(), std::size(strangers) + 1);
    EXPECT_EQ(Rows().size(), 1u);
    for (size_t i = 0; i < std::size(strangers); ++i) {
        EXPECT_EQ(ReadFile(InSpool("x" + std::to_string(i) + ".rec.bad")), strangers[i]) << "kept byte for byte: " << i;
    }
    EXPECT_TRUE(fs::is_symlink(InSpool("link.rec.bad")));
    EXPECT_EQ(ImportUsageSpool(dir.Path(), charge).keptAside.size(), 0u) << "told once";
}

TEST_F(UsageSpoolTest, ALateRecordIsChargedInItsOwnPeriod) {
    charge.Plan() = test::MakePlan({.type = kChargeMeteredFree, .freePackets = 20, .freeFee = 100, .closingDay = 15});
    charge.DerivePlan();
    // The period before this one (04/16 - 05/15) had used its free packets.
    charge.Live() = LiveConnection{2560, 0, 1000, "apn", *ParseOleDateTime("2008/05/10 10:00:00")};
    charge.RecordConnection(false);
    charge.RecomputePeriod();
    const int64_t nowBefore = charge.Period().periodBytes;

    ASSERT_EQ(Pppd(1280, kEnd - 6 * 86400), 0);
    ASSERT_EQ(ImportUsageSpool(dir.Path(), charge).imported, 1);
    int64_t freeLeft = 0, limitLeft = 0;
    const int32_t expected = charge.ComputeChargeForBytes(2560 + 3840, freeLeft, limitLeft);
    EXPECT_EQ(Rows().back().charge.value_or(-1), expected);
    EXPECT_EQ(charge.Period().periodBytes, nowBefore) << "this period is not charged for it";
}


// A live record kept by this test as its keeper; the keeper "dies" when it is reset.
class LiveRecordTest : public UsageSpoolTest {
protected:
    bool linkUp = false;
    // The link of Figures() while it is up.
    LinkIdentifier system = [this](const std::string&) { return LinkIdentity{"b00t", linkUp ? 7 : 0}; };
    std::optional<LiveUsageRecord> live;

    void SetUp() override {
        UsageSpoolTest::SetUp();
        live.emplace().Configure(dir.Path(), 4242, 777);
    }
    static UsageRecord Figures(int64_t end, int64_t bytes) {
        UsageRecord r;
        r.entry = "apn";
        r.interfaceName = "ppp0";
        r.boot = "b00t";
        r.interfaceIndex = 7;
        r.end = end;
        r.durationSeconds = end - kEnd;
        r.sent = bytes;
        r.recv = bytes;
        return r;
    }
    // The saving thread's count once it has caught up with `expected` (bounded wait).
    uint64_t SavesReaching(uint64_t expected) {
        using std::chrono::milliseconds;
        test::PollUntil([&] { return live->Saves() >= expected; }, milliseconds(5000), milliseconds(10));
        return live->Saves();
    }
};

TEST_F(LiveRecordTest, SavedEveryHalfMinuteOrMiBAtMostOnceASecond) {
    struct Step {
        int64_t at;        // seconds after the start
        int64_t bytes;     // each way
        bool saved;
    } steps[] = {
        {0, 10, true},                  // the first figures at once
        {0, 2 << 20, false},            // a MiB within the same second waits
        {1, 2 << 20, true},             // ... and goes a second later
        {20, (2 << 20) + 100, false},   // neither due
        {31, (2 << 20) + 200, true},    // half a minute
        {32, (3 << 20), true},          // a MiB more
        {5, (3 << 20) + 1, true},       // a clock set back saves, never waits
    };
    uint64_t saves = 0;
    for (const Step& step : steps) {
        live->Update(Figures(kEnd + step.at, step.bytes), kEnd + step.at);
        if (step.saved) ++saves;
        EXPECT_EQ(SavesReaching(saves), saves) << "at " << step.at;
    }
}

TEST_F(LiveRecordTest, ImportedOnceWhenItsKeeperIsGoneAndTheLinkToo) {
    live->Update(Figures(kEnd + 60, 5000), kEnd + 60);
    ASSERT_EQ(SavesReaching(1), 1u);
    // Whoever looks, through a /proc that hides the keeper (hidepid) or not, sees the
    // keeper's lock.
    TempDir hiddenProc;
    const LinkIdentifier blind = LinuxLinkIdentifier(hiddenProc.Path(), sys.Path());
    EXPECT_EQ(ImportUsageSpool(dir.Path(), charge, blind).imported, 0);
    EXPECT_EQ(RunningLiveRecords(dir.Path()).size(), 1u);
    struct Case {
        bool running, up;
        int imported;
    } cases[] = {{true, false, 0}, {false, true, 0}, {false, false, 1}, {false, false, 0}};
    for (const Case& c : cases) {
        if (!c.running) live.reset();
        linkUp = c.up;
        EXPECT_EQ(ImportUsageSpool(dir.Path(), charge, system).imported, c.imported) << c.running << c.up;
    }
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Rows()[0].sent, 5000);
    EXPECT_EQ(Rows()[0].duration * 86400, 60);
}

TEST_F(LiveRecordTest, AKillBetweenTheRowAndTheRecordsRemovalCountsOnce) {
    live->Update(Figures(kEnd + 10, 100), kEnd + 10);
    // The end: the record takes the row's figures, the row is written, and the program
    // is killed before the record goes.
    const UsageRecord final = Figures(kEnd + 90, 8000);
    ASSERT_TRUE(live->Finish(final));
    charge.Live() = LiveConnection{8000, 8000, 90000, "apn", OleFromTime(kEnd + 90)};
    ASSERT_EQ(charge.RecordConnection(false), kDbOk);
    live.reset();
    const SpoolImport imported = ImportUsageSpool(dir.Path(), charge, system);
    EXPECT_EQ(imported.imported, 0);
    EXPECT_EQ(imported.alreadyIn, 1);
    EXPECT_EQ(Rows().size(), 1u);
    EXPECT_TRUE(Spool().empty());
}

TEST_F(LiveRecordTest, TwoShortConnectionsAlikeInOneSecondAreTwoRows) {
    // Each killed on its first tick: the same second, the same first bytes.
    {
        LiveUsageRecord other;
        other.Configure(dir.Path(), 4243, 778);
        live->Update(Figures(kEnd + 1, 48), kEnd + 1);
        other.Update(Figures(kEnd + 1, 48), kEnd + 1);
        live.reset();
    }
    EXPECT_EQ(ImportUsageSpool(dir.Path(), charge, system).imported, 2);
    EXPECT_EQ(Rows().size(), 2u);
}

TEST_F(LiveRecordTest, ALinkAdoptedFromADeadKeeperIsClaimedOnlyWhenItIsTheSameLink) {
    live->Update(Figures(kEnd + 10, 100), kEnd + 10);
    ASSERT_EQ(SavesReaching(1), 1u);
    UsageRecord other = Figures(kEnd, 0);
    other.interfaceIndex = 8;  // ppp0 made anew: another link
    EXPECT_EQ(ClaimLiveRecords(dir.Path(), other), 0);
    live.reset();
    EXPECT_EQ(ClaimLiveRecords(dir.Path(), other), 0);
    EXPECT_EQ(ClaimLiveRecords(dir.Path(), Figures(kEnd, 0)), 1);
    EXPECT_TRUE(Spool().empty());
}


TEST_F(LiveRecordTest, ARecordIsItsKeepersOnlyWhileItsKeeperHoldsItsLock) {
    // Forged in the name of a process that runs (pid 1, its real start), with no lock
    // held for it: a dead keeper's, whatever /proc says.
    UsageRecord forged = Figures(kEnd + 30, 700);
    forged.source = "live";
    forged.ownerPid = 1;
    forged.ownerStart = ProcessStartTicks(1);
    fs::create_directories(dir.File(kSpoolFolderName));
    WriteFile(InSpool("live-1-1-1.rec"), FormatUsageRecord(forged));
    EXPECT_TRUE(RunningLiveRecords(dir.Path()).empty());
    EXPECT_EQ(ImportUsageSpool(dir.Path(), charge, LinuxLinkIdentifier()).imported, 1);
    // A connection its running keeper could not record is let go: the keeper's own
    // late history open imports it.
    live->Update(Figures(kEnd + 10, 100), kEnd + 10);
    ASSERT_TRUE(live->Finish(Figures(kEnd + 20, 900)));
    live->Keep();
    EXPECT_EQ(ImportUsageSpool(dir.Path(), charge, system).imported, 1);
    ASSERT_EQ(Rows().size(), 2u);
    EXPECT_EQ(Rows()[1].sent, 900);
}

TEST_F(UsageSpoolTest, ALargeSpoolIsImportedInBatchesThatLetOthersIn) {
    constexpr int kRecords = 24;
    for (int i = 0; i < kRecords; ++i) {
        ASSERT_EQ(Pppd(100 + i), 0);
    }
    // A bad record whose ".bad" name is taken already still leaves the spool, told once.
    WriteFile(InSpool("x.rec"), "hello\n");
    WriteFile(InSpool("x.rec.bad"), "an earlier one\n");
    const SpoolImportLimits limits{1, std::chrono::milliseconds(250), std::chrono::milliseconds(40), 20};
    auto first = std::async(std::launch::async, [&] { return ImportUsageSpool(dir.Path(), charge, {}, limits); });
    // Between two batches another program of the folder gets its turn.
    test::PollUntil([&] { return Spool().size() != static_cast<size_t>(kRecords + 2); }, std::chrono::seconds(1),
                    std::chrono::milliseconds(5));
    {
        const FolderLock other(dir.Path(), std::chrono::milliseconds(1000));
        EXPECT_TRUE(other.Held());
        EXPECT_NE(first.wait_for(std::chrono::seconds(0)), std::future_status::ready) << "taken between batches";
    }
    const SpoolImport imported = first.get();
    EXPECT_EQ(imported.imported, 20);
    EXPECT_EQ(imported.left, kRecords + 1 - 20) << "the rest waits for the next open";
    const SpoolImport rest = ImportUsageSpool(dir.Path(), charge, {}, limits);
    EXPECT_EQ(rest.imported, kRecords - 20);
    EXPECT_EQ(rest.left, 0);
    EXPECT_EQ(rest.keptAside.size(), 1u);
    EXPECT_TRUE(ImportUsageSpool(dir.Path(), charge, {}, limits).keptAside.empty()) << "told once";
    EXPECT_EQ(Rows().size(), static_cast<size_t>(kRecords));
    EXPECT_EQ(ReadFile(InSpool("x.rec.bad")), "an earlier one\n");
    EXPECT_FALSE(fs::exists(InSpool("x.rec")));
}

}  // namespace
