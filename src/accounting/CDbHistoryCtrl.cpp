#include "accounting/CDbHistoryCtrl.h"

#include "accounting/BillingPeriod.h"
#include "accounting/HistoryKey.h"
#include "accounting/SqlTransaction.h"
#include "common/AtomicFileWriter.h"
#include "common/DataFolder.h"
#include "common/FileOps.h"
#include "common/FileSystem.h"
#include "common/FolderLock.h"

// sqlite3_key() and sqlite3_rekey() are declared only for builds with the codec.
#define SQLITE_HAS_CODEC 1
#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vr31k {

namespace {

constexpr int kBusyTimeoutMs = 5000;

constexpr const char* kCreateTable =
    "CREATE TABLE RAS_HISTORY ("
    "ENTRY TEXT, TIME_START REAL, TIME_END REAL, TIME_DURATION REAL, "
    "DATA_SEND INTEGER, DATA_RECV INTEGER, LEFT_FREE INTEGER, LEFT_LIMIT INTEGER, CHARGE INTEGER)";
// The period sums and the pruning look rows up by their end time.
constexpr const char* kCreateIndex =
    "CREATE INDEX IF NOT EXISTS RAS_HISTORY_TIME_END ON RAS_HISTORY (TIME_END)";
constexpr const char* kCreateDayTotals =
    "CREATE TABLE IF NOT EXISTS RAS_HISTORY_DAY (DAY INTEGER PRIMARY KEY, ROW_COUNT INTEGER NOT NULL, "
    "DURATION_SUM REAL NOT NULL, SEND_SUM INTEGER NOT NULL, RECV_SUM INTEGER NOT NULL, "
    "LEFT_FREE_SUM INTEGER NOT NULL, LEFT_LIMIT_SUM INTEGER NOT NULL, CHARGE_SUM INTEGER NOT NULL)";
// The day of an end time: its whole OLE day number, truncated as the OLE form counts.
constexpr const char* kFillDayTotals =
    "INSERT INTO RAS_HISTORY_DAY SELECT CAST(TIME_END AS INTEGER), count(*), total(TIME_DURATION), "
    "ifnull(sum(DATA_SEND), 0), ifnull(sum(DATA_RECV), 0), ifnull(sum(LEFT_FREE), 0), ifnull(sum(LEFT_LIMIT), 0), "
    "ifnull(sum(CHARGE), 0) FROM RAS_HISTORY WHERE TIME_END IS NOT NULL GROUP BY 1";
constexpr const char* kColumns =
    "ENTRY, TIME_START, TIME_END, TIME_DURATION, DATA_SEND, DATA_RECV, LEFT_FREE, LEFT_LIMIT, CHARGE";

using Statement = SqlStatement;

// Resets a kept statement at the end of a scope so it holds no read lock.
struct Reset {
    sqlite3_stmt* stmt;
    ~Reset() {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
    }
};

int64_t DayOf(double oleDate) { return static_cast<int64_t>(std::trunc(oleDate)); }

bool Unreadable(int rc) {
    const int primary = rc & 0xff;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT;
}

OleDate ColumnDate(sqlite3_stmt* stmt, int column) {
    if (sqlite3_column_type(stmt, column) == SQLITE_NULL) return OleDate::Null();
    return {sqlite3_column_double(stmt, column), OleDate::Status::Valid};
}

std::optional<int64_t> ColumnOptional(sqlite3_stmt* stmt, int column) {
    if (sqlite3_column_type(stmt, column) == SQLITE_NULL) return std::nullopt;
    return sqlite3_column_int64(stmt, column);
}

// A count that is stored empty when negative.
void BindCount(sqlite3_stmt* stmt, int index, int64_t value) {
    if (value >= 0) sqlite3_bind_int64(stmt, index, value);
    else sqlite3_bind_null(stmt, index);
}

void BindDate(sqlite3_stmt* stmt, int index, OleDate date) {
    if (date.IsValid()) sqlite3_bind_double(stmt, index, date.value);
    else sqlite3_bind_null(stmt, index);
}

// The key this build gives a file: none without a password.
std::string KeyOf(const std::optional<std::string>& password) {
    return password && !password->empty() ? RawHistoryKey(*password) : std::string();
}

int ApplyKey(sqlite3* db, const std::string& key) {
    if (key.empty()) return SQLITE_OK;
    return sqlite3_key(db, key.data(), static_cast<int>(key.size()));
}

// Compacts a closed file. SQLITE_OK, or the engine's code with its message in `error`.
int VacuumFile(const std::string& file, const std::string& key, std::string& error) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK) rc = ApplyKey(db, key);
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        rc = sqlite3_exec(db, "VACUUM", nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) error = std::string("VACUUM: ") + (db != nullptr ? sqlite3_errmsg(db) : "no database");
    sqlite3_close(db);
    return rc;
}

// The engine opens the database and its side files by name and would follow a link
// planted at any of them: each must be absent or one plain file. The first problem, or
// empty.
std::string EngineFilesProblem(const std::string& path) {
    std::vector<std::string> files = {path};
    for (const char* side : kHistorySideSuffixes) files.push_back(path + side);
    for (const std::string& file : files) {
        if (const std::string problem = UnsafeFileProblem(file); !problem.empty()) {
            return file + " cannot be used: " + problem + "; the history is not opened";
        }
    }
    return {};
}

}  // namespace

CDbHistoryCtrl::CDbHistoryCtrl() = default;

CDbHistoryCtrl::~CDbHistoryCtrl() { CloseHistory(); }

void CDbHistoryCtrl::CloseHistory() {
    for (sqlite3_stmt** kept : {&m_insert, &m_dayCreate, &m_dayAdd, &m_rangeTotals, &m_endRange}) {
        sqlite3_finalize(*kept);
        *kept = nullptr;
    }
    if (m_db != nullptr) {
        sqlite3_close(m_db);
        m_db = nullptr;
    }
}

void CDbHistoryCtrl::Fail(const char* what) const {
    m_lastError = std::string(what) + ": " + (m_db != nullptr ? sqlite3_errmsg(m_db) : "no database");
}

int CDbHistoryCtrl::OpenHistory(const std::string& path, std::optional<std::string> password,
                                std::chrono::milliseconds lockWait) {
    CloseHistory();
    m_path = path;
    m_password = std::move(password);
    m_movedAside.clear();
    m_lastError.clear();
    m_lockBusy = false;
    // Opening, judging and creating under the folder's lock: a file another program is
    // still creating is never taken for an unreadable one, and two programs never both
    // create it.
    const FolderLock lock(ParentFolder(path), lockWait);
    if (lock.TimedOut()) {
        m_lastError = lock.Problem();
        m_lockBusy = true;
        return kDbNotOpen;
    }
    if (std::string problem = EngineFilesProblem(path); !problem.empty()) {
        m_lastError = std::move(problem);
        return kDbNotOpen;
    }
    if (StatFile(path).exists) {
        switch (OpenExisting(path)) {
        case OpenOutcome::Open:
            m_lastError.clear();  // a key tried first and refused is no failure
            return kDbOk;
        case OpenOutcome::Unavailable: return kDbNotOpen;
        case OpenOutcome::Unreadable:
            if (!MoveAside(path)) return kDbNotOpen;  // never create over the user's file
            break;
        }
    }
    return CreateNew(path, KeyOf(m_password));
}

// Earlier builds keyed the file with the pass phrase itself: such a file is re-keyed
// in place at its first open. The engine rewrites every page under the new key in one
// write transaction, so a crash leaves the file whole under one key or the other, and
// this tries both. Another process may convert the file between two tries, so what
// the pass phrase finds is checked once more under the raw key before it counts.
CDbHistoryCtrl::OpenOutcome CDbHistoryCtrl::OpenExisting(const std::string& path) {
    const std::string key = KeyOf(m_password);
    OpenOutcome outcome = OpenWithKey(path, key);
    if (outcome != OpenOutcome::Unreadable || key.empty()) return outcome;
    outcome = OpenWithKey(path, *m_password);
    if (outcome == OpenOutcome::Open) {
        // The re-key rolls back silently when it fails; a fresh open tells which key
        // the file has now.
        sqlite3_rekey(m_db, key.data(), static_cast<int>(key.size()));
        CloseHistory();
        outcome = OpenWithKey(path, key);
        if (outcome != OpenOutcome::Unreadable) return outcome;
        // Not converted (a read-only file, a full disk): the old key still serves, and
        // the next open tries again.
        outcome = OpenWithKey(path, *m_password);
        if (outcome == OpenOutcome::Open) return outcome;
    }
    const std::string error = m_lastError;
    const OpenOutcome again = OpenWithKey(path, key);
    if (again != OpenOutcome::Unreadable) return again;
    m_lastError = error;
    return outcome;
}

CDbHistoryCtrl::OpenOutcome CDbHistoryCtrl::OpenWithKey(const std::string& path, const std::string& key) {
    int rc = sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK) rc = ApplyKey(m_db, key);
    if (rc != SQLITE_OK) {
        Fail("open");
        CloseHistory();
        return OpenOutcome::Unavailable;
    }
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    // A wrong key is only noticed at the first read. Every statement is finalized
    // before a close: the engine does not close a connection that still has one.
    int tables = 0;
    rc = CountInSchema("RAS_HISTORY", tables);
    if (rc != SQLITE_OK) {
        const bool unreadable = Unreadable(rc) || Unreadable(sqlite3_extended_errcode(m_db));
        CloseHistory();
        return unreadable ? OpenOutcome::Unreadable : OpenOutcome::Unavailable;
    }
    // An empty file (or a database of ours without its table): give it the table.
    if (tables == 0 && !Exec(kCreateTable)) {
        CloseHistory();
        return OpenOutcome::Unavailable;
    }
    {
        const std::string shape = std::string("SELECT ") + kColumns + " FROM RAS_HISTORY LIMIT 0";
        Statement check;
        rc = sqlite3_prepare_v2(m_db, shape.c_str(), -1, &check.stmt, nullptr);
    }
    if (rc != SQLITE_OK) {
        Fail("table");
        // No such column: a table of another shape is not ours. Anything else (busy,
        // out of memory) says nothing about the file.
        const bool unreadable = (rc & 0xff) == SQLITE_ERROR || Unreadable(rc);
        CloseHistory();
        return unreadable ? OpenOutcome::Unreadable : OpenOutcome::Unavailable;
    }
    UseWriteAheadLog();
    // The index and the day totals are new to older files; without them a file still
    // opens, only the totals would be wrong, so a file that cannot get them stays closed.
    Exec(kCreateIndex);
    if (!EnsureDayTotals() || !EnsureProgramTables()) {
        CloseHistory();
        return OpenOutcome::Unavailable;
    }
    return OpenOutcome::Open;
}

int CDbHistoryCtrl::CreateNew(const std::string& path, const std::string& key) {
    // The file is made here, new and with the folder's sharing mode, so the engine never
    // creates it through a link; the engine gives its side files the database's mode.
    const int fd = OpenRegularFile(path, O_RDWR | O_CREAT | O_EXCL, 0600);
    if (fd < 0 || fchmod(fd, SharedFileMode(ParentFolder(path))) != 0) {
        m_lastError = "create " + path + ": " + FileErrorText(errno);
        if (fd >= 0) close(fd);
        return kDbNotOpen;
    }
    close(fd);
    int rc = sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK) rc = ApplyKey(m_db, key);
    if (rc != SQLITE_OK) {
        Fail("create");
        CloseHistory();
        return kDbNotOpen;
    }
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    UseWriteAheadLog();
    {
        SqlTransaction transaction(m_db);
        if (!transaction.Begun()) {
            Fail("begin");
            CloseHistory();
            return kDbNotOpen;
        }
        if (!Exec(kCreateTable) || !Exec(kCreateIndex) || !Exec(kCreateDayTotals) || !EnsureProgramTables()) {
            return kDbCreateFailed;
        }
        if (!transaction.Commit()) {
            Fail("commit");
            return kDbCreateFailed;
        }
    }
    return kDbOk;
}

void CDbHistoryCtrl::UseWriteAheadLog() {
    // One flush per change instead of three: a finished connection is on disk sooner,
    // and a reader (vr31kctl while the utility runs) never blocks the writer.
    Exec("PRAGMA journal_mode = WAL");
    Exec("PRAGMA synchronous = FULL");
}

int CDbHistoryCtrl::CountInSchema(const char* name, int& count) const {
    Statement query;
    int rc = sqlite3_prepare_v2(m_db, "SELECT count(*) FROM sqlite_master WHERE name = ?1", -1, &query.stmt, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_bind_text(query.stmt, 1, name, -1, SQLITE_STATIC);
        rc = sqlite3_step(query.stmt);
    }
    if (rc != SQLITE_ROW) {
        Fail("read");
        return rc;
    }
    count = sqlite3_column_int(query.stmt, 0);
    return SQLITE_OK;
}

bool CDbHistoryCtrl::EnsureDayTotals() {
    int tables = 0;
    if (CountInSchema("RAS_HISTORY_DAY", tables) != SQLITE_OK) return false;
    if (tables != 0) return true;
    SqlTransaction transaction(m_db);
    if (!transaction.Begun()) {
        Fail("begin");
        return false;
    }
    if (!Exec(kCreateDayTotals) || !Exec(kFillDayTotals)) return false;
    if (transaction.Commit()) return true;
    Fail("commit");
    return false;
}

bool CDbHistoryCtrl::MoveAside(const std::string& path) {
    std::string aside;
    if (const int error = MoveUnreadableAside(path, aside); error != 0) {
        m_lastError = "cannot move the unreadable file " + path + " aside: " + std::to_string(error);
        return false;
    }
    m_movedAside = aside;
    // A journal left beside the old file belongs to it; the new file must not replay it.
    for (const char* side : kHistorySideSuffixes) {
        if (!StatFile(path + side).exists) continue;
        if (RenameNoReplace(path + side, aside + side) != 0) {
            m_lastError = "cannot move " + path + side + " aside";
            return false;
        }
    }
    return true;
}

bool CDbHistoryCtrl::Exec(const char* sql) const {
    if (m_db == nullptr) return false;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    Fail(sql);
    return false;
}

sqlite3_stmt* CDbHistoryCtrl::Kept(sqlite3_stmt*& slot, const char* sql) const {
    if (slot == nullptr) slot = Prepare(sql);
    return slot;
}

sqlite3_stmt* CDbHistoryCtrl::Prepare(const char* sql) const {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
        Fail(sql);
        sqlite3_finalize(stmt);
        return nullptr;
    }
    return stmt;
}

int CDbHistoryCtrl::CompactHistory(std::optional<std::string> path, std::optional<std::string> password) {
    const std::string file = path.value_or(m_path);
    if (IsOpen() && file == m_path) {
        // VACUUM rewrites the file under the engine's log: all or nothing. It needs
        // every statement of this connection at rest, which the kept ones are. The
        // checkpoint then moves the result into the file and empties the log.
        if (!Exec("VACUUM")) return kDbCompactFailed;
        Exec("PRAGMA wal_checkpoint(TRUNCATE)");
        return kDbOk;
    }
    if (file.empty() || !StatFile(file).exists) return kDbCompactFailed;
    if (std::string problem = EngineFilesProblem(file); !problem.empty()) {
        m_lastError = std::move(problem);
        return kDbCompactFailed;
    }
    const std::optional<std::string>& phrase = password ? password : m_password;
    int rc = VacuumFile(file, KeyOf(phrase), m_lastError);
    // A file of an earlier build is compacted under its own key; its next open converts it.
    if (Unreadable(rc) && phrase && !phrase->empty()) rc = VacuumFile(file, *phrase, m_lastError);
    return rc == SQLITE_OK ? kDbOk : kDbCompactFailed;
}

int CDbHistoryCtrl::ForEachRow(const std::function<bool(const HistoryRow&)>& visit) const {
    if (!IsOpen()) return kDbNotOpen;
    const std::string sql = std::string("SELECT ") + kColumns + " FROM RAS_HISTORY ORDER BY rowid";
    Statement query;
    query.stmt = Prepare(sql.c_str());
    if (query.stmt == nullptr) return kDbFailed;
    HistoryRow row;
    int rc;
    while ((rc = sqlite3_step(query.stmt)) == SQLITE_ROW) {
        const auto* entry = sqlite3_column_text(query.stmt, 0);
        row.entry = entry != nullptr ? reinterpret_cast<const char*>(entry) : "";
        row.start = ColumnDate(query.stmt, 1);
        row.end = ColumnDate(query.stmt, 2);
        row.duration = sqlite3_column_double(query.stmt, 3);
        row.sent = sqlite3_column_int64(query.stmt, 4);
        row.recv = sqlite3_column_int64(query.stmt, 5);
        row.leftFree = ColumnOptional(query.stmt, 6);
        row.leftLimit = ColumnOptional(query.stmt, 7);
        row.charge = ColumnOptional(query.stmt, 8);
        if (!visit(row)) return kDbOk;
    }
    if (rc != SQLITE_DONE) {
        Fail("list");
        return kDbFailed;
    }
    return kDbOk;
}

int CDbHistoryCtrl::ClearHistory() {
    if (!IsOpen()) return kDbNotOpen;
    SqlTransaction transaction(m_db);
    if (!transaction.Begun()) {
        Fail("begin");
        return kDbFailed;
    }
    if (!Exec("DELETE FROM RAS_HISTORY") || !Exec("DELETE FROM RAS_HISTORY_DAY") ||
        !Exec("DELETE FROM RAS_PROGRAM_USAGE") || !Exec("DELETE FROM RAS_PROGRAM_LINK")) {
        return kDbFailed;
    }
    if (transaction.Commit()) return kDbOk;
    Fail("commit");
    return kDbFailed;
}

int CDbHistoryCtrl::InsertOne(const HistoryRow& row) {
    static const std::string insertSql =
        std::string("INSERT INTO RAS_HISTORY (") + kColumns + ") VALUES (?,?,?,?,?,?,?,?,?)";
    sqlite3_stmt* insert = Kept(m_insert, insertSql.c_str());
    // No UPSERT in this engine: make sure the day's row exists, then add to it.
    sqlite3_stmt* create = Kept(m_dayCreate, "INSERT OR IGNORE INTO RAS_HISTORY_DAY VALUES (?1, 0, 0, 0, 0, 0, 0, 0)");
    sqlite3_stmt* add = Kept(m_dayAdd,
                             "UPDATE RAS_HISTORY_DAY SET ROW_COUNT = ROW_COUNT + 1, DURATION_SUM = DURATION_SUM + ?2, "
                             "SEND_SUM = SEND_SUM + ?3, RECV_SUM = RECV_SUM + ?4, LEFT_FREE_SUM = LEFT_FREE_SUM + ?5, "
                             "LEFT_LIMIT_SUM = LEFT_LIMIT_SUM + ?6, CHARGE_SUM = CHARGE_SUM + ?7 WHERE DAY = ?1");
    if (insert == nullptr || create == nullptr || add == nullptr) return kDbFailed;
    if (!row.end.IsValid()) {
        m_lastError = "a row without an end time";
        return kDbFailed;
    }

    Reset resetInsert{insert}, resetCreate{create}, resetAdd{add};
    const int64_t leftFree = row.leftFree.value_or(-1);
    const int64_t leftLimit = row.leftLimit.value_or(-1);
    const int64_t charge = row.charge.value_or(-1);
    sqlite3_bind_text(insert, 1, row.entry.data(), static_cast<int>(row.entry.size()), SQLITE_TRANSIENT);
    BindDate(insert, 2, row.start);
    BindDate(insert, 3, row.end);
    sqlite3_bind_double(insert, 4, row.duration);
    sqlite3_bind_int64(insert, 5, row.sent);
    sqlite3_bind_int64(insert, 6, row.recv);
    BindCount(insert, 7, leftFree);
    BindCount(insert, 8, leftLimit);
    BindCount(insert, 9, charge);

    const int64_t day = DayOf(row.end.value);
    const auto counted = [](int64_t v) { return v > 0 ? v : 0; };  // an empty value sums as 0
    sqlite3_bind_int64(create, 1, day);
    sqlite3_bind_int64(add, 1, day);
    sqlite3_bind_double(add, 2, row.duration);
    sqlite3_bind_int64(add, 3, row.sent);
    sqlite3_bind_int64(add, 4, row.recv);
    sqlite3_bind_int64(add, 5, counted(leftFree));
    sqlite3_bind_int64(add, 6, counted(leftLimit));
    sqlite3_bind_int64(add, 7, counted(charge));
    if (sqlite3_step(insert) != SQLITE_DONE || sqlite3_step(create) != SQLITE_DONE || sqlite3_step(add) != SQLITE_DONE) {
        Fail("insert");
        return kDbFailed;
    }
    return kDbOk;
}

int CDbHistoryCtrl::InsertHistory(const HistoryRow& row) { return InsertRows({row}); }

int CDbHistoryCtrl::InsertRows(const std::vector<HistoryRow>& rows) {
    if (!IsOpen()) return kDbNotOpen;
    SqlTransaction transaction(m_db);
    if (!transaction.Begun()) {
        Fail("begin");
        return kDbFailed;
    }
    for (const HistoryRow& row : rows) {
        if (InsertOne(row) != kDbOk) return kDbFailed;
    }
    if (transaction.Commit()) return kDbOk;
    Fail("commit");
    return kDbFailed;
}

int CDbHistoryCtrl::GetEntryNames(std::vector<std::string>& names) const {
    names.clear();
    if (!IsOpen()) return kDbNoRow;
    Statement query;
    query.stmt = Prepare("SELECT DISTINCT ENTRY FROM RAS_HISTORY");
    if (query.stmt == nullptr) return kDbNoRow;
    while (sqlite3_step(query.stmt) == SQLITE_ROW) {
        const auto* entry = sqlite3_column_text(query.stmt, 0);
        names.emplace_back(entry != nullptr ? reinterpret_cast<const char*>(entry) : "");
    }
    return kDbOk;
}

bool CDbHistoryCtrl::HasRow(const HistoryRow& row) const {
    if (!IsOpen() || !row.end.IsValid()) return false;
    Statement query;
    query.stmt = Prepare(
        "SELECT count(*) FROM RAS_HISTORY WHERE ENTRY = ?1 AND abs(TIME_END - ?2) < ?5 AND abs(TIME_DURATION - ?3) < ?5 "
        "AND DATA_SEND = ?4 AND DATA_RECV = ?6");
    if (query.stmt == nullptr) return false;
    sqlite3_bind_text(query.stmt, 1, row.entry.data(), static_cast<int>(row.entry.size()), SQLITE_TRANSIENT);
    sqlite3_bind_double(query.stmt, 2, row.end.value);
    sqlite3_bind_double(query.stmt, 3, row.duration);
    sqlite3_bind_int64(query.stmt, 4, row.sent);
    sqlite3_bind_double(query.stmt, 5, 0.5 / kSecondsPerDay);  // within half a second
    sqlite3_bind_int64(query.stmt, 6, row.recv);
    return sqlite3_step(query.stmt) == SQLITE_ROW && sqlite3_column_int64(query.stmt, 0) > 0;
}

int CDbHistoryCtrl::GetEntryTotals(const std::string& entry, EntryTotals& totals) const {
    if (entry.empty()) return kDbBadArgument;
    if (!IsOpen()) return kDbNoRow;
    Statement query;
    query.stmt = Prepare(
        "SELECT sum(TIME_DURATION), sum(DATA_SEND), sum(DATA_RECV) FROM RAS_HISTORY WHERE ENTRY = ?1");
    if (query.stmt == nullptr) return kDbNoRow;
    sqlite3_bind_text(query.stmt, 1, entry.data(), static_cast<int>(entry.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(query.stmt) != SQLITE_ROW) {
        Fail("entry totals");
        return kDbNoRow;
    }
    totals.duration = sqlite3_column_double(query.stmt, 0);
    totals.sent = sqlite3_column_int64(query.stmt, 1);
    totals.recv = sqlite3_column_int64(query.stmt, 2);
    return kDbOk;
}

int CDbHistoryCtrl::GetEndTimeRange(OleDate& oldest, OleDate& newest) const {
    oldest = OleDate::Null();
    newest = OleDate::Null();
    if (!IsOpen()) return kDbNoRow;
    // Two subqueries, so each is answered from one end of the index.
    if (Kept(m_endRange, "SELECT (SELECT min(TIME_END) FROM RAS_HISTORY), (SELECT max(TIME_END) FROM RAS_HISTORY)") ==
        nullptr) {
        return kDbNoRow;
    }
    Reset reset{m_endRange};
    if (sqlite3_step(m_endRange) != SQLITE_ROW) {
        Fail("end range");
        return kDbNoRow;
    }
    oldest = ColumnDate(m_endRange, 0);
    newest = ColumnDate(m_endRange, 1);
    return oldest.IsValid() && newest.IsValid() ? kDbOk : kDbNoRow;
}

bool CDbHistoryCtrl::RangeBounds(const std::string& from, const std::string& to, double& low,
                                 double& high) const {
    const auto first = ParseOleDay(from);
    const auto last = ParseOleDay(to);
    if (!first || !last) return false;
    low = first->value;
    high = last->value + kLastSecondOfDay;
    return true;
}

int CDbHistoryCtrl::GetRangeTotals(const std::string& from, const std::string& to, RangeTotals& totals) const {
    double low = 0, high = 0;
    if (!RangeBounds(from, to, low, high)) return kDbBadArgument;
    if (!IsOpen()) return kDbNoRow;
    if (Kept(m_rangeTotals, "SELECT sum(DURATION_SUM), sum(SEND_SUM), sum(RECV_SUM), sum(LEFT_FREE_SUM), "
                            "sum(LEFT_LIMIT_SUM), sum(CHARGE_SUM) FROM RAS_HISTORY_DAY WHERE DAY BETWEEN ?1 AND ?2") ==
        nullptr) {
        return kDbNoRow;
    }
    Reset reset{m_rangeTotals};
    // Whole days: the first day's 00:00:00 to the last day's 23:59:59.
    sqlite3_bind_int64(m_rangeTotals, 1, DayOf(low));
    sqlite3_bind_int64(m_rangeTotals, 2, DayOf(high));
    if (sqlite3_step(m_rangeTotals) != SQLITE_ROW) {
        Fail("range totals");
        return kDbNoRow;
    }
    // No row in the range: every sum is NULL and reads as 0.
    totals.duration = sqlite3_column_double(m_rangeTotals, 0);
    totals.sent = sqlite3_column_int64(m_rangeTotals, 1);
    totals.recv = sqlite3_column_int64(m_rangeTotals, 2);
    totals.leftFree = sqlite3_column_int64(m_rangeTotals, 3);
    totals.leftLimit = sqlite3_column_int64(m_rangeTotals, 4);
    totals.charge = sqlite3_column_int64(m_rangeTotals, 5);
    return kDbOk;
}

int CDbHistoryCtrl::GetDayTotals(const std::string& from, const std::string& to,
                                  std::vector<DayTotals>& days) const {
    days.clear();
    double low = 0, high = 0;
    if (!RangeBounds(from, to, low, high)) return kDbBadArgument;
    if (!IsOpen()) return kDbNoRow;
    Statement query;
    query.stmt = Prepare("SELECT DAY, ROW_COUNT, DURATION_SUM, SEND_SUM, RECV_SUM FROM RAS_HISTORY_DAY "
                         "WHERE DAY BETWEEN ?1 AND ?2 AND ROW_COUNT > 0 ORDER BY DAY");
    if (query.stmt == nullptr) return kDbFailed;
    sqlite3_bind_int64(query.stmt, 1, DayOf(low));
    sqlite3_bind_int64(query.stmt, 2, DayOf(high));
    int rc;
    while ((rc = sqlite3_step(query.stmt)) == SQLITE_ROW) {
        DayTotals day;
        day.day = {static_cast<double>(sqlite3_column_int64(query.stmt, 0)), OleDate::Status::Valid};
        day.rows = sqlite3_column_int64(query.stmt, 1);
        day.duration = sqlite3_column_double(query.stmt, 2);
        day.sent = sqlite3_column_int64(query.stmt, 3);
        day.recv = sqlite3_column_int64(query.stmt, 4);
        days.push_back(day);
    }
    if (rc != SQLITE_DONE) {
        Fail("day totals");
        days.clear();
        return kDbFailed;
    }
    return kDbOk;
}

int CDbHistoryCtrl::DeleteRange(const std::string& from, const std::string& to) {
    double low = 0, high = 0;
    if (!RangeBounds(from, to, low, high)) return kDbBadArgument;
    if (!IsOpen()) return kDbNotOpen;
    Statement rows, days;
    rows.stmt = Prepare("DELETE FROM RAS_HISTORY WHERE TIME_END BETWEEN ?1 AND ?2");
    days.stmt = Prepare("DELETE FROM RAS_HISTORY_DAY WHERE DAY BETWEEN ?1 AND ?2");
    if (rows.stmt == nullptr || days.stmt == nullptr) return kDbFailed;
    sqlite3_bind_double(rows.stmt, 1, low);
    sqlite3_bind_double(rows.stmt, 2, high);
    sqlite3_bind_int64(days.stmt, 1, DayOf(low));
    sqlite3_bind_int64(days.stmt, 2, DayOf(high));
    SqlTransaction transaction(m_db);
    if (!transaction.Begun()) {
        Fail("begin");
        return kDbFailed;
    }
    if (sqlite3_step(rows.stmt) != SQLITE_DONE || sqlite3_step(days.stmt) != SQLITE_DONE ||
        !DeleteProgramsBetween(low, high)) {
        Fail("delete range");
        // At rest before the rollback, which a pending statement could hold up.
        sqlite3_reset(rows.stmt);
        sqlite3_reset(days.stmt);
        return kDbFailed;
    }
    if (transaction.Commit()) return kDbOk;
    Fail("commit");
    return kDbFailed;
}

int CDbHistoryCtrl::GetHistoryPeriods(std::vector<std::string>& periods, int closingDay) const {
    periods.clear();
    OleDate oldest, newest;
    if (GetEndTimeRange(oldest, newest) != kDbOk) return kDbNoRow;
    BuildPeriodList(periods, closingDay, oldest, newest);
    return kDbOk;
}

}  // namespace vr31k
