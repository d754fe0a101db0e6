#pragma once
// The history database: one row per finished connection in table RAS_HISTORY of an
// SQLCipher file keyed with a raw key derived from the pass phrase (HistoryKey.h).
// Times are OLE day numbers (REAL), counts INTEGER, and an empty value NULL, so the
// engine's sums give the totals directly.
//
// Beside it, RAS_HISTORY_DAY keeps the sums of each day's rows (by end date), written
// in the same transaction as every change of RAS_HISTORY. Every range this class
// totals or deletes is made of whole days, so the period totals come from at most a
// few hundred day rows: their cost does not grow with the history.
//
// Two tables of this program's own hold what a row does not (CDbHistoryCtrlPrograms.cpp):
// RAS_PROGRAM_LINK which link a row was counted on, noted when the row is written, and
// RAS_PROGRAM_USAGE the per-program figures of that link once they are imported. A file
// without them opens (they are added) and older builds read RAS_HISTORY as before; a
// link whose row such a build deleted is shown nowhere.
#include "accounting/OleDate.h"
#include "accounting/ProgramUsageRecord.h"
#include "common/FolderLock.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace vr31k {

// Result codes. The queries return kDbNoRow when they have nothing to give, also while
// the database is closed; the other operations return kDbNotOpen then.
enum HistoryResult : int {
    kDbOk = 0,
    kDbCreateFailed = 1,   // the new file's table could not be created
    kDbBadArgument = 2,    // an empty or malformed date or name
    kDbCompactFailed = 3,
    kDbNotOpen = 4,        // closed, or the file could neither be opened nor created
    kDbFailed = 5,         // the engine refused the statement (disk full, I/O error)
    kDbNoRow = -1,
};

struct HistoryRow {
    std::string entry;
    OleDate start;
    OleDate end;
    double duration = 0.0;  // day fraction, whole seconds
    int64_t sent = 0;
    int64_t recv = 0;
    std::optional<int64_t> leftFree;   // empty when negative
    std::optional<int64_t> leftLimit;
    std::optional<int64_t> charge;     // empty when no plan applied; as stored
};

struct RangeTotals {
    double duration = 0.0;
    int64_t sent = 0;
    int64_t recv = 0;
    int64_t leftFree = 0;
    int64_t leftLimit = 0;
    int64_t charge = 0;
};

// The sums of one day's rows (by end date).
struct DayTotals {
    OleDate day;  // the day at 00:00
    int64_t rows = 0;
    double duration = 0.0;
    int64_t sent = 0;
    int64_t recv = 0;
};

struct EntryTotals {
    double duration = 0.0;
    int64_t sent = 0;
    int64_t recv = 0;
};

// The link a history row was counted on, as whoever wrote the row knew it.
struct ConnectionLink {
    std::string entry;  // the row's entry and end: which row it is
    OleDate end;
    std::string boot;  // the link: its boot and interface index, where known
    int64_t interfaceIndex = 0;
    std::string interfaceName;
    std::optional<int64_t> charge;  // the connection's own estimated charge; empty without a plan
};

// One program's figures on a link, or summed over a period, with its share of the
// connections' charge in proportion to its bytes (empty without a plan).
struct ProgramFigures : ProgramUsage {
    std::optional<int64_t> chargeShare;
};

// A period's programs, and how much of the period has no per-program figures.
struct PeriodPrograms {
    std::vector<ProgramFigures> programs;  // summed by program, most bytes first
    int64_t connections = 0;               // the period's connections
    int64_t withoutPrograms = 0;           // those of them without per-program figures
    int64_t bytesWithout = 0;              // and their bytes
};

// A noted link, found for a per-program record.
struct FoundLink {
    int64_t id = 0;
    bool hasPrograms = false;  // its figures are in already
};

class CDbHistoryCtrl {
public:
    CDbHistoryCtrl();
    ~CDbHistoryCtrl();
    CDbHistoryCtrl(const CDbHistoryCtrl&) = delete;
    CDbHistoryCtrl& operator=(const CDbHistoryCtrl&) = delete;

    // Opens the file, or creates it with the table when it does not exist. A file keyed
    // with the pass phrase itself (made by earlier builds) is re-keyed in place. A file
    // that exists but can be read with neither key (another pass phrase, not a
    // database, damaged) is never deleted: it is moved aside to
    // "<path>.unreadable-YYYYMMDD-HHMMSS" (see MovedAsidePath) and a new database takes
    // its place. A file that is busy or not accessible is left alone and the database
    // stays closed (kDbNotOpen), as it does when the folder's lock stays taken for
    // `lockWait` (LockBusy). No password: a file without encryption.
    int OpenHistory(const std::string& path, std::optional<std::string> password,
                    std::chrono::milliseconds lockWait = FolderLock::DefaultWait());
    void CloseHistory();
    bool IsOpen() const { return m_db != nullptr; }
    // Where the last OpenHistory put an unreadable file; empty when it did not.
    const std::string& MovedAsidePath() const { return m_movedAside; }
    // The last OpenHistory failed only because another program held the folder's lock:
    // trying again later may open it.
    bool LockBusy() const { return m_lockBusy; }
    // The engine's message for the last failure (for reports).
    const std::string& LastError() const { return m_lastError; }

    // Compacts the file in one atomic step; with no path the open database. The
    // database stays open and unchanged when compaction fails.
    int CompactHistory(std::optional<std::string> path = std::nullopt,
                       std::optional<std::string> password = std::nullopt);

    // Every row in table order; `visit` returns false to stop.
    int ForEachRow(const std::function<bool(const HistoryRow&)>& visit) const;
    int ClearHistory();
    int InsertHistory(const HistoryRow& row);
    // All rows or none, in one transaction.
    int InsertRows(const std::vector<HistoryRow>& rows);
    // Whether a row of the same entry, end second, duration and byte counts is there
    // (an import that was cut off after writing it).
    bool HasRow(const HistoryRow& row) const;
    int GetEntryNames(std::vector<std::string>& names) const;
    int GetEntryTotals(const std::string& entry, EntryTotals& totals) const;
    int GetEndTimeRange(OleDate& oldest, OleDate& newest) const;
    // Rows whose end lies from `from` 00:00:00 to `to` 23:59:59 ("YYYY/MM/DD").
    int GetRangeTotals(const std::string& from, const std::string& to, RangeTotals& totals) const;
    // The days of that range that hold rows, oldest first: at most one row per day, so
    // the cost follows the range's length, not the history's.
    int GetDayTotals(const std::string& from, const std::string& to, std::vector<DayTotals>& days) const;
    // Deletes the rows of that range, both ends included, in one transaction.
    int DeleteRange(const std::string& from, const std::string& to);
    // The billing periods from the newest row's back to the oldest row's, newest first.
    int GetHistoryPeriods(std::vector<std::string>& periods, int closingDay) const;

    // --- per program (CDbHistoryCtrlPrograms.cpp)
    // Notes the link the row (`link.entry`, `link.end`) was counted on.
    int NoteConnectionLink(const ConnectionLink& link);
    // The noted link with `boot` and `index`, else the one on `interfaceName` whose row
    // ended nearest `end` (Unix seconds), at most `toleranceSeconds` away. kDbNoRow
    // when none is.
    int FindConnectionLink(const std::string& boot, int64_t index, const std::string& interfaceName, int64_t end,
                           int64_t toleranceSeconds, FoundLink& found) const;
    // Stores the programs of link `linkId`, each with its share of the link's charge,
    // in one transaction.
    int StoreConnectionPrograms(int64_t linkId, std::vector<ProgramFigures> programs);
    // The programs of the connections that ended in the range ("YYYY/MM/DD", whole
    // days). A service or an application is one program by its id, another scope by
    // its name, and what no program could be told for is one.
    int GetPeriodPrograms(const std::string& from, const std::string& to, PeriodPrograms& out) const;
    // Every program the history holds, summed the same way over all of it.
    int GetSeenPrograms(std::vector<ProgramFigures>& programs) const;

private:
    enum class OpenOutcome { Open, Unreadable, Unavailable };
    OpenOutcome OpenExisting(const std::string& path);
    OpenOutcome OpenWithKey(const std::string& path, const std::string& key);
    int CreateNew(const std::string& path, const std::string& key);
    bool MoveAside(const std::string& path);
    // How many schema objects are called `name`; the engine's code when the file
    // cannot be read (a wrong key shows here first).
    int CountInSchema(const char* name, int& count) const;
    bool EnsureDayTotals();
    bool EnsureProgramTables();
    // Deletes the links (and their programs) ended in [low, high], in the caller's
    // transaction.
    bool DeleteProgramsBetween(double low, double high);
    void UseWriteAheadLog();
    int InsertOne(const HistoryRow& row);
    sqlite3_stmt* Kept(sqlite3_stmt*& slot, const char* sql) const;
    sqlite3_stmt* Prepare(const char* sql) const;
    bool Exec(const char* sql) const;
    void Fail(const char* what) const;
    bool RangeBounds(const std::string& from, const std::string& to, double& low, double& high) const;

    sqlite3* m_db = nullptr;
    std::string m_path;
    std::optional<std::string> m_password;
    std::string m_movedAside;
    bool m_lockBusy = false;
    mutable std::string m_lastError;
    // Statements kept prepared for the calls made on every connection.
    mutable sqlite3_stmt* m_insert = nullptr;
    mutable sqlite3_stmt* m_dayCreate = nullptr;
    mutable sqlite3_stmt* m_dayAdd = nullptr;
    mutable sqlite3_stmt* m_rangeTotals = nullptr;
    mutable sqlite3_stmt* m_endRange = nullptr;
};

}  // namespace vr31k
