// The history database: creation, the queries' results, range boundaries, clearing
// with compaction, and files that cannot be read (never lost, moved aside).
#include "accounting/EntryCredentialStore.h"
#include "accounting/CDbHistoryCtrl.h"
#include "accounting/HistoryKey.h"
#include "support/ProcessRun.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace vr31k;
using vr31k::test::ReadFile;
using vr31k::test::TempDir;
using vr31k::test::WriteFile;

namespace {

HistoryRow Row(const std::string& entry, const char* end, int64_t seconds, int64_t sent, int64_t recv,
               std::optional<int32_t> charge = 10) {
    const OleDate endTime = ParseOleDateTime(end).value();
    const double days = static_cast<double>(seconds) / kSecondsPerDay;
    // A negative amount left is stored empty.
    return {entry, {endTime.value - days, OleDate::Status::Valid}, endTime, days, sent, recv, 100, -5, charge};
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

int RowCount(const CDbHistoryCtrl& db) {
    int count = 0;
    db.ForEachRow([&](const HistoryRow&) { ++count; return true; });
    return count;
}

std::string KeyPragma(const std::string& key, const char* pragma = "key") {
    return std::string("PRAGMA ") + pragma + " = \"" + key + "\"";
}

// What the engine itself says when it reads the file's schema under `key` ("" for none).
int ReadWithKey(const std::string& path, const std::string& key) {
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK && !key.empty()) rc = sqlite3_exec(raw, KeyPragma(key).c_str(), nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_exec(raw, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    sqlite3_close(raw);
    return rc;
}

// The engine's own integrity check of the file under `key`: "ok" when it is whole.
std::string IntegrityOf(const std::string& path, const std::string& key) {
    sqlite3* raw = nullptr;
    std::string verdict = "cannot open";
    if (sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
        sqlite3_exec(raw, KeyPragma(key).c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) {
        verdict = "no verdict";
        sqlite3_exec(
            raw, "PRAGMA integrity_check",
            [](void* out, int, char** values, char**) {
                *static_cast<std::string*>(out) = values[0] != nullptr ? values[0] : "";
                return 1;  // the first line is enough
            },
            &verdict, nullptr);
    }
    sqlite3_close(raw);
    return verdict;
}

// A history as earlier builds left it: keyed with the pass phrase itself.
void MakePassPhraseFile(const std::string& path, int rows) {
    {
        CDbHistoryCtrl db;
        ASSERT_EQ(db.OpenHistory(path, kPassPhrase), kDbOk);
        std::vector<HistoryRow> batch;
        for (int i = 0; i < rows; ++i) batch.push_back(Row("old " + std::to_string(i), "2008/05/20 10:00:00", 60, i, i));
        ASSERT_EQ(db.InsertRows(batch), kDbOk);
    }
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw, KeyPragma(RawHistoryKey(kPassPhrase)).c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw, "PRAGMA rekey = 'QUILLET7'", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
    ASSERT_EQ(ReadWithKey(path, kPassPhrase), SQLITE_OK);
    ASSERT_EQ(ReadWithKey(path, RawHistoryKey(kPassPhrase)), SQLITE_NOTADB);
}

// The engine opens its files by name: a link planted at the database or at any side
// file keeps the history closed, with the file named, and its target untouched.
TEST(HistoryDbFiles, ALinkAtTheDatabaseOrASideFileKeepsTheHistoryClosed) {
    for (const char* side : {"", "-wal", "-shm", "-journal"}) {
        SCOPED_TRACE(side);
        TempDir dir;
        const std::string path = dir.File("VR31KUTL.mdb");
        const std::string target = dir.File("root-only");
        WriteFile(target, "secret");
        chmod(target.c_str(), 0600);
        ASSERT_EQ(symlink(target.c_str(), (path + side).c_str()), 0);
        CDbHistoryCtrl db;
        EXPECT_EQ(db.OpenHistory(path, kPassPhrase), kDbNotOpen);
        EXPECT_NE(db.LastError().find("VR31KUTL.mdb" + std::string(side) + " cannot be used: it is a symbolic link"),
                  std::string::npos)
            << db.LastError();
        EXPECT_EQ(ReadFile(target), "secret");
        struct stat st {};
        stat(target.c_str(), &st);
        EXPECT_EQ(st.st_mode & 07777, 0600u);
        EXPECT_TRUE(db.MovedAsidePath().empty());
    }
}

class HistoryDbTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.File("VR31KUTL.mdb");
    CDbHistoryCtrl db;
    void SetUp() override { ASSERT_EQ(db.OpenHistory(path, kPassPhrase), kDbOk); }
};

TEST_F(HistoryDbTest, NewFileIsEncryptedSharedAndReopens) {
    ASSERT_EQ(db.InsertHistory(Row("apn.example", "2008/05/20 10:00:00", 3725, 1000, 2000)), kDbOk);
    struct stat log {}, st {}, folder {};
    stat(dir.Path().c_str(), &folder);
    ASSERT_EQ(stat((path + "-wal").c_str(), &log), 0) << "changes go through a write-ahead log";
    EXPECT_EQ(log.st_mode & 0777, folder.st_mode & 0666) << "another user can write the log too";
    db.CloseHistory();
    const std::string bytes = ReadFile(path);
    EXPECT_EQ(bytes.find("SQLite format"), std::string::npos);
    EXPECT_EQ(bytes.find("apn.example"), std::string::npos) << "the file is encrypted";
    stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, folder.st_mode & 0666);
    EXPECT_EQ(FilesIn(dir.Path()), std::vector<std::string>{"VR31KUTL.mdb"}) << "side files go at close";

    ASSERT_EQ(db.OpenHistory(path, kPassPhrase), kDbOk);
    EXPECT_TRUE(db.MovedAsidePath().empty());
    std::vector<HistoryRow> rows;
    db.ForEachRow([&](const HistoryRow& r) { rows.push_back(r); return true; });
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].entry, "apn.example");
    EXPECT_EQ(FormatOleDateTime(rows[0].start), "2008/05/20 08:57:55");
    EXPECT_EQ(FormatOleDateTime(rows[0].end), "2008/05/20 10:00:00");
    EXPECT_EQ(std::llround(rows[0].duration * kSecondsPerDay), 3725);
    EXPECT_EQ(rows[0].sent, 1000);
    EXPECT_EQ(rows[0].recv, 2000);
    EXPECT_EQ(rows[0].leftFree, 100);
    EXPECT_EQ(rows[0].leftLimit, std::nullopt);
    EXPECT_EQ(rows[0].charge, 10);
}

// A batch with a bad row leaves no trace, and the connection is usable after it.
TEST_F(HistoryDbTest, AFailedBatchIsRolledBackWhole) {
    HistoryRow noEnd = Row("bad", "2008/05/20 10:00:00", 1, 1, 1);
    noEnd.end = OleDate::Null();
    EXPECT_EQ(db.InsertRows({Row("good", "2008/05/20 09:00:00", 1, 5, 5), noEnd}), kDbFailed);
    EXPECT_NE(db.LastError().find("without an end time"), std::string::npos) << db.LastError();
    EXPECT_EQ(RowCount(db), 0);
    RangeTotals t;
    ASSERT_EQ(db.GetRangeTotals("2008/05/20", "2008/05/20", t), kDbOk);
    EXPECT_EQ(t.sent, 0) << "the day totals are rolled back with the rows";
    EXPECT_EQ(db.InsertHistory(Row("next", "2008/05/20 11:00:00", 1, 7, 7)), kDbOk);
    ASSERT_EQ(db.GetRangeTotals("2008/05/20", "2008/05/20", t), kDbOk);
    EXPECT_EQ(t.sent, 7);
}

TEST_F(HistoryDbTest, RangeTotalsAndBoundaries) {
    ASSERT_EQ(db.InsertRows({
                  Row("a", "2008/04/20 23:59:59", 10, 1, 1),           // before the period
                  Row("a", "2008/04/21 00:00:00", 20, 10, 20),         // first second
                  Row("b", "2008/05/20 23:59:59", 30, 100, 200, std::nullopt),  // last second, empty charge
                  Row("b", "2008/05/21 00:00:00", 40, 1000, 2000),     // after
              }),
              kDbOk);
    RangeTotals t;
    ASSERT_EQ(db.GetRangeTotals("2008/04/21", "2008/05/20", t), kDbOk);
    EXPECT_EQ(std::llround(t.duration * kSecondsPerDay), 50);
    EXPECT_EQ(t.sent, 110);
    EXPECT_EQ(t.recv, 220);
    EXPECT_EQ(t.leftFree, 200);
    EXPECT_EQ(t.leftLimit, 0);
    EXPECT_EQ(t.charge, 10) << "an empty charge counts as 0";

    RangeTotals none;
    none.sent = 99;
    ASSERT_EQ(db.GetRangeTotals("2009/01/01", "2009/01/31", none), kDbOk);
    EXPECT_EQ(none.sent, 0);
    EXPECT_EQ(none.duration, 0.0);
    EXPECT_EQ(db.GetRangeTotals("", "2009/01/31", none), kDbBadArgument);
    EXPECT_EQ(db.GetRangeTotals("2009/02/30", "2009/03/01", none), kDbBadArgument);

    EntryTotals e;
    ASSERT_EQ(db.GetEntryTotals("b", e), kDbOk);
    EXPECT_EQ(e.sent, 1100);
    EXPECT_EQ(std::llround(e.duration * kSecondsPerDay), 70);
    EXPECT_EQ(db.GetEntryTotals("", e), kDbBadArgument);
    ASSERT_EQ(db.GetEntryTotals("nobody", e), kDbOk);
    EXPECT_EQ(e.sent, 0);

    std::vector<std::string> names;
    ASSERT_EQ(db.GetEntryNames(names), kDbOk);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b"}));

    OleDate oldest, newest;
    ASSERT_EQ(db.GetEndTimeRange(oldest, newest), kDbOk);
    EXPECT_EQ(FormatOleDateTime(oldest), "2008/04/20 23:59:59");
    EXPECT_EQ(FormatOleDateTime(newest), "2008/05/21 00:00:00");
    std::vector<std::string> periods;
    ASSERT_EQ(db.GetHistoryPeriods(periods, 20), kDbOk);
    EXPECT_EQ(periods, (std::vector<std::string>{"2008/05/21 - 2008/06/20", "2008/04/21 - 2008/05/20",
                                                 "2008/03/21 - 2008/04/20"}));

    // Both ends included.
    ASSERT_EQ(db.DeleteRange("2008/04/21", "2008/05/20"), kDbOk);
    std::vector<std::string> ends;
    db.ForEachRow([&](const HistoryRow& r) { ends.push_back(FormatOleDateTime(r.end)); return true; });
    EXPECT_EQ(ends, (std::vector<std::string>{"2008/04/20 23:59:59", "2008/05/21 00:00:00"}));
    EXPECT_EQ(db.DeleteRange("2008/04/21", ""), kDbBadArgument);
}

TEST_F(HistoryDbTest, EmptyTableAndClearWithCompaction) {
    OleDate oldest, newest;
    EXPECT_EQ(db.GetEndTimeRange(oldest, newest), kDbNoRow);
    EXPECT_EQ(oldest.status, OleDate::Status::Null);
    std::vector<std::string> periods{"stale"};
    EXPECT_EQ(db.GetHistoryPeriods(periods, 32), kDbNoRow);
    EXPECT_TRUE(periods.empty());

    std::vector<HistoryRow> many;
    for (int i = 0; i < 3000; ++i) many.push_back(Row(std::string(200, 'x'), "2008/05/20 10:00:00", 1, i, i));
    ASSERT_EQ(db.InsertRows(many), kDbOk);
    db.CloseHistory();  // everything into the file itself
    const auto grown = std::filesystem::file_size(path);
    ASSERT_EQ(db.OpenHistory(path, kPassPhrase), kDbOk);
    ASSERT_EQ(db.ClearHistory(), kDbOk);
    ASSERT_EQ(db.CompactHistory(), kDbOk);
    EXPECT_LT(std::filesystem::file_size(path), grown / 4);
    EXPECT_EQ(RowCount(db), 0);
    ASSERT_EQ(db.InsertHistory(Row("after", "2008/05/20 10:00:00", 1, 1, 1)), kDbOk) << "still open";
    db.CloseHistory();
    EXPECT_EQ(FilesIn(dir.Path()), std::vector<std::string>{"VR31KUTL.mdb"}) << "no temporary file is left";

    // Compacting another closed file by path.
    EXPECT_EQ(db.CompactHistory(path, std::string(kPassPhrase)), kDbOk);
    EXPECT_EQ(db.CompactHistory(dir.File("absent.mdb"), std::string(kPassPhrase)), kDbCompactFailed);
}

// The day totals against a plain sum over the rows, after inserts, range deletes and
// a reopen that has to rebuild them.
TEST_F(HistoryDbTest, DayTotalsAgreeWithTheRows) {
    std::mt19937 random(4711);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const double first = MakeOleDate(2008, 1, 1).value;
    std::vector<HistoryRow> rows;
    for (int i = 0; i < 2000; ++i) {
        const OleDate end{first + pick(0, 120) + pick(0, 86399) / kSecondsPerDay, OleDate::Status::Valid};
        HistoryRow row = Row(pick(0, 1) ? "a" : "b", FormatOleDateTime(end).c_str(), pick(0, 9999), pick(0, 1 << 30),
                             pick(0, 1 << 30), pick(0, 3) ? std::optional<int32_t>(pick(0, 9999)) : std::nullopt);
        row.leftFree = pick(-1, 100000);
        if (*row.leftFree < 0) row.leftFree.reset();
        rows.push_back(row);
    }
    ASSERT_EQ(db.InsertRows(rows), kDbOk);
    ASSERT_EQ(db.DeleteRange("2008/02/10", "2008/02/20"), kDbOk);

    const auto check = [&](const char* when) {
        for (int k = 0; k < 40; ++k) {
            const int a = pick(-5, 125), b = a + pick(0, 40);
            const std::string from = FormatOleDay({first + a, OleDate::Status::Valid});
            const std::string to = FormatOleDay({first + b, OleDate::Status::Valid});
            RangeTotals expected;
            db.ForEachRow([&](const HistoryRow& r) {
                if (r.end.value >= first + a && r.end.value <= first + b + kLastSecondOfDay) {
                    expected.duration += r.duration;
                    expected.sent += r.sent;
                    expected.recv += r.recv;
                    expected.leftFree += r.leftFree.value_or(0);
                    expected.charge += r.charge.value_or(0);
                }
                return true;
            });
            RangeTotals got;
            ASSERT_EQ(db.GetRangeTotals(from, to, got), kDbOk);
            EXPECT_EQ(std::llround(got.duration * kSecondsPerDay), std::llround(expected.duration * kSecondsPerDay))
                << when << " " << from << " - " << to;
            EXPECT_EQ(got.sent, expected.sent) << when << " " << from << " - " << to;
            EXPECT_EQ(got.recv, expected.recv) << when;
            EXPECT_EQ(got.leftFree, expected.leftFree) << when;
            EXPECT_EQ(got.charge, expected.charge) << when;
        }
    };
    check("kept");

    // A file that lost its day totals (or never had them) gets them back at the next open.
    db.CloseHistory();
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
    sqlite3_exec(raw, KeyPragma(RawHistoryKey(kPassPhrase)).c_str(), nullptr, nullptr, nullptr);
    ASSERT_EQ(sqlite3_exec(raw, "DROP TABLE RAS_HISTORY_DAY", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
    ASSERT_EQ(db.OpenHistory(path, kPassPhrase), kDbOk);
    check("rebuilt");
}

// Garbage, text, or a history under another pass phrase: moved aside byte for byte and
// replaced by a new, empty history; a second failure in the same second does not
// overwrite the first file aside, and a history moved aside still opens with its phrase.
TEST(HistoryDbFiles, UnreadableFilesAreMovedAsideNeverLost) {
    TempDir made;
    {
        CDbHistoryCtrl db;
        ASSERT_EQ(db.OpenHistory(made.File("other.mdb"), std::string("another phrase")), kDbOk);
        ASSERT_EQ(db.InsertHistory(Row("old", "2008/05/20 10:00:00", 1, 1, 1)), kDbOk);
    }
    const struct {
        const char* what;
        std::string content;
        std::optional<std::string> phrase;  // the one it opens with
    } cases[] = {
        {"garbage", std::string(5000, 'g'), std::nullopt},
        {"plain text", "this is not a database\n", std::nullopt},
        {"another pass phrase", ReadFile(made.File("other.mdb")), "another phrase"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = dir.File("VR31KUTL.mdb");
        WriteFile(path, c.content);
        CDbHistoryCtrl db;
        ASSERT_EQ(db.OpenHistory(path, kPassPhrase), kDbOk);
        const std::string aside = db.MovedAsidePath();
        ASSERT_FALSE(aside.empty());
        EXPECT_NE(aside.find("VR31KUTL.mdb.unreadable-"), std::string::npos);
        EXPECT_EQ(ReadFile(aside), c.content);
        EXPECT_EQ(RowCount(db), 0) << "a new, empty history";
        EXPECT_EQ(db.InsertHistory(Row("new", "2008/05/20 10:00:00", 1, 1, 1)), kDbOk);
        db.CloseHistory();

        CDbHistoryCtrl again;
        ASSERT_EQ(again.OpenHistory(path, std::string("yet another")), kDbOk);
        EXPECT_NE(again.MovedAsidePath(), aside);
        EXPECT_EQ(ReadFile(aside), c.content);
        if (!c.phrase) continue;
        CDbHistoryCtrl old;
        ASSERT_EQ(old.OpenHistory(aside, *c.phrase), kDbOk);
        EXPECT_TRUE(old.MovedAsidePath().empty());
        std::vector<std::string> entries;
        old.ForEachRow([&](const HistoryRow& r) { entries.push_back(r.entry); return true; });
        EXPECT_EQ(entries, std::vector<std::string>{"old"});
    }
}

TEST(HistoryDbFiles, ClosedDatabaseDoesNothingHarmful) {
    CDbHistoryCtrl db;
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(db.InsertHistory(Row("x", "2008/05/20 10:00:00", 1, 1, 1)), kDbNotOpen);
    EXPECT_EQ(db.InsertRows({}), kDbNotOpen);
    EXPECT_EQ(db.ClearHistory(), kDbNotOpen);
    EXPECT_EQ(db.DeleteRange("2008/01/01", "2008/01/31"), kDbNotOpen);
    EXPECT_EQ(db.ForEachRow([](const HistoryRow&) { return true; }), kDbNotOpen);
    RangeTotals t;
    t.sent = 7;
    EXPECT_EQ(db.GetRangeTotals("2008/01/01", "2008/01/31", t), kDbNoRow);
    EXPECT_EQ(t.sent, 7) << "outputs untouched";
    EntryTotals e;
    EXPECT_EQ(db.GetEntryTotals("x", e), kDbNoRow);
    std::vector<std::string> list;
    EXPECT_EQ(db.GetHistoryPeriods(list, 32), kDbNoRow);
    EXPECT_EQ(db.CompactHistory(), kDbCompactFailed);

    // A folder that does not exist: nothing can be created, nothing is moved.
    EXPECT_EQ(db.OpenHistory("/nonexistent-folder-vr31k/VR31KUTL.mdb", kPassPhrase), kDbNotOpen);
    EXPECT_FALSE(db.IsOpen());
    EXPECT_FALSE(db.LastError().empty());
}

// The key is derived, not stored: a change of the derivation would leave every
// existing history unreadable (and moved aside), so its value is pinned here.
TEST(HistoryDbKeys, TheRawKeyIsStable) {
    EXPECT_EQ(RawHistoryKey(kPassPhrase), "x'6ffbe43ec53d930dc82d50160278fc8f6247b530aa20fb1ff14db375790537e6'");
    EXPECT_NE(RawHistoryKey("another phrase"), RawHistoryKey(kPassPhrase));
}

TEST(HistoryDbKeys, ARawKeyedFileIsEncryptedAndOpensWithNoOtherKey) {
    TempDir dir;
    std::string salts[2];
    for (int i = 0; i < 2; ++i) {
        const std::string path = dir.File("h" + std::to_string(i) + ".mdb");
        {
            CDbHistoryCtrl db;
            ASSERT_EQ(db.OpenHistory(path, kPassPhrase), kDbOk);
            ASSERT_EQ(db.InsertHistory(Row("apn.secret", "2008/05/20 10:00:00", 1, 1, 1)), kDbOk);
        }
        const std::string bytes = ReadFile(path);
        EXPECT_EQ(bytes.find("SQLite format"), std::string::npos);
        EXPECT_EQ(bytes.find("apn.secret"), std::string::npos);
        salts[i] = bytes.substr(0, 16);
        EXPECT_EQ(ReadWithKey(path, ""), SQLITE_NOTADB) << "no key";
        EXPECT_EQ(ReadWithKey(path, kPassPhrase), SQLITE_NOTADB) << "the pass phrase";
        EXPECT_EQ(ReadWithKey(path, RawHistoryKey("another phrase")), SQLITE_NOTADB) << "another raw key";
        EXPECT_EQ(ReadWithKey(path, RawHistoryKey(kPassPhrase)), SQLITE_OK);
    }
    EXPECT_NE(salts[0], salts[1]) << "each file keeps its own salt";
}

TEST(HistoryDbKeys, APassPhraseFileOfEarlierBuildsOpensAndIsReKeyed) {
    TempDir dir;
    const std::string path = dir.File("VR31KUTL.mdb");
    MakePassPhraseFile(path, 3);
    // Compacting it by path, closed, works under its own key.
    CDbHistoryCtrl db;
    EXPECT_EQ(db.CompactHistory(path, std::string(kPassPhrase)), kDbOk);
    EXPECT_EQ(ReadWithKey(path, kPassPhrase), SQLITE_OK);

    ASSERT_EQ(db.OpenHistory(path, kPassPhrase), kDbOk);
    EXPECT_TRUE(db.MovedAsidePath().empty());
    EXPECT_TRUE(db.LastError().empty()) << db.LastError();
    EXPECT_EQ(RowCount(db), 3);
    ASSERT_EQ(db.InsertHistory(Row("new", "2008/05/21 10:00:00", 1, 1, 1)), kDbOk);
    db.CloseHistory();
    EXPECT_EQ(FilesIn(dir.Path()), std::vector<std::string>{"VR31KUTL.mdb"}) << "every connection closed";
    EXPECT_EQ(IntegrityOf(path, RawHistoryKey(kPassPhrase)), "ok") << "converted";
    EXPECT_EQ(ReadWithKey(path, kPassPhrase), SQLITE_NOTADB);

    ASSERT_EQ(db.OpenHistory(path, kPassPhrase), kDbOk);
    EXPECT_EQ(RowCount(db), 4);
    RangeTotals t;
    ASSERT_EQ(db.GetRangeTotals("2008/05/20", "2008/05/21", t), kDbOk);
    EXPECT_EQ(t.sent, 0 + 1 + 2 + 1);
}

// A process killed at any moment of the conversion leaves a file that the next open
// reads whole, under one key or the other, and never moves aside.
TEST(HistoryDbKeys, AConversionCutShortLeavesAReadableFile) {
    TempDir dir;
    const std::string original = dir.File("original.mdb");
    constexpr int kRows = 8000;
    MakePassPhraseFile(original, kRows);
    const std::string path = dir.File("VR31KUTL.mdb");
    // Opens `path` in a child process, killed after `delay` unless it ends first.
    const auto openInChild = [&](std::chrono::microseconds delay) {
        std::filesystem::copy_file(original, path, std::filesystem::copy_options::overwrite_existing);
        const pid_t child = test::StartInChild(nullptr, [&] {
            CDbHistoryCtrl db;
            return db.OpenHistory(path, kPassPhrase) == kDbOk && db.MovedAsidePath().empty() ? 0 : 1;
        });
        if (delay.count() > 0) {
            std::this_thread::sleep_for(delay);
            kill(child, SIGKILL);
        }
        int status = -1;
        waitpid(child, &status, 0);  // at once: `whole` below times the open
        return status;
    };
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(openInChild(std::chrono::microseconds(0)), 0);
    const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    ASSERT_EQ(ReadWithKey(path, RawHistoryKey(kPassPhrase)), SQLITE_OK);

    // The first half of `whole` is mostly the key derivation, which writes nothing: the
    // cuts fall in the second half, on the re-key and the reopening.
    constexpr int kCuts = 10;
    for (int cut = 1; cut <= kCuts; ++cut) {
        const auto delay = whole / 2 + whole * cut / (2 * kCuts);
        openInChild(delay);
        CDbHistoryCtrl db;
        ASSERT_EQ(db.OpenHistory(path, kPassPhrase), kDbOk) << "cut after " << delay.count() << " us";
        EXPECT_TRUE(db.MovedAsidePath().empty()) << "cut after " << delay.count() << " us";
        EXPECT_EQ(RowCount(db), kRows) << "cut after " << delay.count() << " us";
        db.CloseHistory();
        EXPECT_EQ(IntegrityOf(path, RawHistoryKey(kPassPhrase)), "ok") << "cut after " << delay.count() << " us";
        std::error_code ignored;
        for (const char* side : {"-wal", "-shm", "-journal"}) std::filesystem::remove(path + side, ignored);
    }
    for (const auto& name : FilesIn(dir.Path())) EXPECT_EQ(name.find("unreadable"), std::string::npos) << name;

    // Re-keyed and committed, then killed before the log went into the file: the file
    // itself is still under the old key, the log holds every page under the new one.
    std::filesystem::copy_file(original, path, std::filesystem::copy_options::overwrite_existing);
    ASSERT_EQ(test::RunInChild(nullptr, [&] {
                  sqlite3* raw = nullptr;
                  sqlite3_open(path.c_str(), &raw);
                  sqlite3_exec(raw, "PRAGMA key = 'QUILLET7'", nullptr, nullptr, nullptr);
                  const std::string rekey = KeyPragma(RawHistoryKey(kPassPhrase), "rekey");
                  return sqlite3_exec(raw, rekey.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK ? 0 : 1;  // no close
              }),
              0);
    ASSERT_GT(std::filesystem::file_size(path + "-wal"), std::filesystem::file_size(original) / 2);
    CDbHistoryCtrl db;
    ASSERT_EQ(db.OpenHistory(path, kPassPhrase), kDbOk);
    EXPECT_TRUE(db.MovedAsidePath().empty());
    EXPECT_EQ(RowCount(db), kRows);
}

// Two processes meeting an old file at once: one converts it, the other must neither
// fail nor take the file for unreadable.
TEST(HistoryDbKeys, TwoProcessesOpeningAnOldFileAtOnce) {
    for (int round = 0; round < 4; ++round) {
        TempDir dir;
        const std::string path = dir.File("VR31KUTL.mdb");
        MakePassPhraseFile(path, 200);
        const auto openAndAdd = [&] {
            CDbHistoryCtrl db;
            const bool ok = db.OpenHistory(path, kPassPhrase) == kDbOk && db.MovedAsidePath().empty() &&
                            db.InsertHistory(Row("child", "2008/05/21 10:00:00", 1, 1, 1)) == kDbOk;
            return ok ? 0 : 1;
        };
        const pid_t children[] = {test::StartInChild(nullptr, openAndAdd), test::StartInChild(nullptr, openAndAdd)};
        for (pid_t child : children) EXPECT_EQ(test::WaitChild(child, std::chrono::seconds(60)), 0) << "round " << round;
        CDbHistoryCtrl db;
        ASSERT_EQ(db.OpenHistory(path, kPassPhrase), kDbOk);
        EXPECT_EQ(RowCount(db), 202) << "round " << round;
        db.CloseHistory();
        EXPECT_EQ(FilesIn(dir.Path()), std::vector<std::string>{"VR31KUTL.mdb"}) << "round " << round;
    }
}

}  // namespace
