// The history's per-program tables: which link each row was counted on, and the
// programs' figures on it.
#include "accounting/CDbHistoryCtrl.h"
#include "accounting/SqlTransaction.h"

#define SQLITE_HAS_CODEC 1
#include <sqlite3.h>

#include <algorithm>
#include <numeric>

namespace vr31k {

namespace {

using Statement = SqlStatement;

// A row is found by its entry and end, the pair the history's rows are told apart by.
constexpr const char* kCreateLinks =
    "CREATE TABLE IF NOT EXISTS RAS_PROGRAM_LINK (LINK_ID INTEGER PRIMARY KEY, ENTRY TEXT NOT NULL, "
    "TIME_END REAL NOT NULL, BOOT TEXT NOT NULL, IFINDEX INTEGER NOT NULL, INTERFACE TEXT NOT NULL, "
    "CHARGE INTEGER, PROGRAMS INTEGER NOT NULL DEFAULT 0)";
constexpr const char* kCreateLinkIndex =
    "CREATE INDEX IF NOT EXISTS RAS_PROGRAM_LINK_TIME_END ON RAS_PROGRAM_LINK (TIME_END)";
constexpr const char* kCreateUsage =
    "CREATE TABLE IF NOT EXISTS RAS_PROGRAM_USAGE (LINK_ID INTEGER NOT NULL, KIND TEXT NOT NULL, "
    "ID TEXT NOT NULL, NAME TEXT NOT NULL, DATA_SEND INTEGER NOT NULL, DATA_RECV INTEGER NOT NULL, "
    "BLOCKED_SEND INTEGER NOT NULL, BLOCKED_RECV INTEGER NOT NULL, CHARGE_SHARE INTEGER)";
constexpr const char* kCreateUsageIndex =
    "CREATE INDEX IF NOT EXISTS RAS_PROGRAM_USAGE_LINK ON RAS_PROGRAM_USAGE (LINK_ID)";
// A link counts only while its row is there (an older build may have deleted it).
constexpr const char* kRowThere =
    "EXISTS (SELECT 1 FROM RAS_HISTORY h WHERE h.TIME_END = l.TIME_END AND h.ENTRY = l.ENTRY)";
// One program: a service or an application by its id (a scope's id is new each run), the
// rest by name; summed, with the name it had last.
constexpr const char* kProgramSums =
    "SELECT u.KIND, max(u.ID), max(u.NAME), sum(u.DATA_SEND), sum(u.DATA_RECV), sum(u.BLOCKED_SEND), "
    "sum(u.BLOCKED_RECV), sum(u.CHARGE_SHARE) "
    "FROM RAS_PROGRAM_LINK l JOIN RAS_PROGRAM_USAGE u ON u.LINK_ID = l.LINK_ID ";
constexpr const char* kByProgram =
    " GROUP BY u.KIND, CASE WHEN u.KIND IN ('unit', 'app') THEN u.ID ELSE u.NAME END "
    "ORDER BY sum(u.DATA_SEND + u.DATA_RECV) DESC, max(u.NAME)";

void BindText(sqlite3_stmt* stmt, int index, const std::string& text) {
    sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// Whole, whatever bytes a name holds.
std::string ColumnText(sqlite3_stmt* stmt, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return text != nullptr ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt, column))) : "";
}

int64_t Used(const ProgramFigures& p) { return p.sent + p.recv; }

// The rows of a kProgramSums query; the engine's code.
int ReadSums(sqlite3_stmt* stmt, std::vector<ProgramFigures>& out) {
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        ProgramFigures p;
        p.kind = ProgramKindFromName(ColumnText(stmt, 0)).value_or(ProgramKind::Other);
        p.id = ColumnText(stmt, 1);
        p.name = ColumnText(stmt, 2);
        p.sent = sqlite3_column_int64(stmt, 3);
        p.recv = sqlite3_column_int64(stmt, 4);
        p.blockedSent = sqlite3_column_int64(stmt, 5);
        p.blockedRecv = sqlite3_column_int64(stmt, 6);
        if (sqlite3_column_type(stmt, 7) != SQLITE_NULL) p.chargeShare = sqlite3_column_int64(stmt, 7);
        out.push_back(std::move(p));
    }
    return rc;
}

// `charge` among the programs in proportion to their bytes, in whole yen that add up to
// it: the largest remainders take the yen the rounding down left over.
void ShareCharge(std::optional<int64_t> charge, std::vector<ProgramFigures>& programs) {
    const int64_t total = std::accumulate(programs.begin(), programs.end(), int64_t{0},
                                          [](int64_t sum, const ProgramFigures& p) { return sum + Used(p); });
    std::vector<std::pair<long double, size_t>> remainders;
    int64_t given = 0;
    for (size_t i = 0; i < programs.size(); ++i) {
        programs[i].chargeShare.reset();
        if (!charge) continue;
        const long double exact =
            total > 0 ? static_cast<long double>(*charge) * static_cast<long double>(Used(programs[i])) / total : 0;
        programs[i].chargeShare = static_cast<int64_t>(exact);
        given += *programs[i].chargeShare;
        remainders.emplace_back(exact - static_cast<long double>(*programs[i].chargeShare), i);
    }
    if (!charge || total == 0) return;
    std::sort(remainders.begin(), remainders.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (size_t k = 0; given < *charge && k < remainders.size(); ++k, ++given) {
        ++*programs[remainders[k].second].chargeShare;
    }
}

}  // namespace

bool CDbHistoryCtrl::EnsureProgramTables() {
    return Exec(kCreateLinks) && Exec(kCreateLinkIndex) && Exec(kCreateUsage) && Exec(kCreateUsageIndex);
}

bool CDbHistoryCtrl::DeleteProgramsBetween(double low, double high) {
    Statement usage, links;
    usage.stmt = Prepare("DELETE FROM RAS_PROGRAM_USAGE WHERE LINK_ID IN "
                         "(SELECT LINK_ID FROM RAS_PROGRAM_LINK WHERE TIME_END BETWEEN ?1 AND ?2)");
    links.stmt = Prepare("DELETE FROM RAS_PROGRAM_LINK WHERE TIME_END BETWEEN ?1 AND ?2");
    if (usage.stmt == nullptr || links.stmt == nullptr) return false;
    for (sqlite3_stmt* stmt : {usage.stmt, links.stmt}) {
        sqlite3_bind_double(stmt, 1, low);
        sqlite3_bind_double(stmt, 2, high);
        if (sqlite3_step(stmt) != SQLITE_DONE) {
            Fail("delete programs");
            return false;
        }
    }
    return true;
}

int CDbHistoryCtrl::NoteConnectionLink(const ConnectionLink& link) {
    if (!IsOpen()) return kDbNotOpen;
    if (!link.end.IsValid()) return kDbBadArgument;
    Statement insert;
    insert.stmt = Prepare("INSERT INTO RAS_PROGRAM_LINK (ENTRY, TIME_END, BOOT, IFINDEX, INTERFACE, CHARGE) "
                          "VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    if (insert.stmt == nullptr) return kDbFailed;
    BindText(insert.stmt, 1, link.entry);
    sqlite3_bind_double(insert.stmt, 2, link.end.value);
    BindText(insert.stmt, 3, link.boot);
    sqlite3_bind_int64(insert.stmt, 4, link.interfaceIndex);
    BindText(insert.stmt, 5, link.interfaceName);
    if (link.charge) sqlite3_bind_int64(insert.stmt, 6, *link.charge);
    if (sqlite3_step(insert.stmt) != SQLITE_DONE) {
        Fail("note link");
        return kDbFailed;
    }
    return kDbOk;
}

int CDbHistoryCtrl::FindConnectionLink(const std::string& boot, int64_t index, const std::string& interfaceName,
                                       int64_t end, int64_t toleranceSeconds, FoundLink& found) const {
    if (!IsOpen()) return kDbNoRow;
    const OleDate endDate = OleFromTime(static_cast<time_t>(end));
    Statement query;
    // The link itself first; else the nearest end on its interface.
    query.stmt = Prepare(
        "SELECT LINK_ID, PROGRAMS FROM RAS_PROGRAM_LINK l WHERE "
        "((?1 <> '' AND BOOT = ?1 AND IFINDEX = ?2) OR (INTERFACE = ?3 AND TIME_END BETWEEN ?4 - ?5 AND ?4 + ?5)) "
        "ORDER BY (BOOT = ?1 AND IFINDEX = ?2) DESC, abs(TIME_END - ?4) LIMIT 1");
    if (query.stmt == nullptr) return kDbNoRow;
    BindText(query.stmt, 1, boot);
    sqlite3_bind_int64(query.stmt, 2, index);
    BindText(query.stmt, 3, interfaceName);
    sqlite3_bind_double(query.stmt, 4, endDate.value);
    sqlite3_bind_double(query.stmt, 5, static_cast<double>(toleranceSeconds) / kSecondsPerDay);
    if (sqlite3_step(query.stmt) != SQLITE_ROW) return kDbNoRow;
    found.id = sqlite3_column_int64(query.stmt, 0);
    found.hasPrograms = sqlite3_column_int64(query.stmt, 1) != 0;
    return kDbOk;
}

int CDbHistoryCtrl::StoreConnectionPrograms(int64_t linkId, std::vector<ProgramFigures> programs) {
    if (!IsOpen()) return kDbNotOpen;
    Statement charge, insert, mark;
    charge.stmt = Prepare("SELECT CHARGE FROM RAS_PROGRAM_LINK WHERE LINK_ID = ?1");
    insert.stmt = Prepare("INSERT INTO RAS_PROGRAM_USAGE VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
    mark.stmt = Prepare("UPDATE RAS_PROGRAM_LINK SET PROGRAMS = 1 WHERE LINK_ID = ?1");
    if (charge.stmt == nullptr || insert.stmt == nullptr || mark.stmt == nullptr) return kDbFailed;
    sqlite3_bind_int64(charge.stmt, 1, linkId);
    if (sqlite3_step(charge.stmt) != SQLITE_ROW) return kDbNoRow;
    ShareCharge(sqlite3_column_type(charge.stmt, 0) == SQLITE_NULL
                    ? std::nullopt
                    : std::optional<int64_t>(sqlite3_column_int64(charge.stmt, 0)),
                programs);
    sqlite3_reset(charge.stmt);
    SqlTransaction transaction(m_db);
    if (!transaction.Begun()) {
        Fail("begin");
        return kDbFailed;
    }
    for (const ProgramFigures& p : programs) {
        sqlite3_reset(insert.stmt);
        sqlite3_bind_int64(insert.stmt, 1, linkId);
        sqlite3_bind_text(insert.stmt, 2, ProgramKindName(p.kind), -1, SQLITE_STATIC);
        BindText(insert.stmt, 3, p.id);
        BindText(insert.stmt, 4, p.name);
        int column = 5;
        for (int64_t count : {p.sent, p.recv, p.blockedSent, p.blockedRecv}) {
            sqlite3_bind_int64(insert.stmt, column++, count);
        }
        if (p.chargeShare) sqlite3_bind_int64(insert.stmt, 9, *p.chargeShare);
        else sqlite3_bind_null(insert.stmt, 9);
        if (sqlite3_step(insert.stmt) != SQLITE_DONE) {
            Fail("store programs");
            sqlite3_reset(insert.stmt);
            return kDbFailed;
        }
    }
    sqlite3_reset(insert.stmt);
    sqlite3_bind_int64(mark.stmt, 1, linkId);
    if (sqlite3_step(mark.stmt) != SQLITE_DONE) {
        Fail("store programs");
        sqlite3_reset(mark.stmt);
        return kDbFailed;
    }
    sqlite3_reset(mark.stmt);
    if (transaction.Commit()) return kDbOk;
    Fail("commit");
    return kDbFailed;
}

int CDbHistoryCtrl::GetPeriodPrograms(const std::string& from, const std::string& to, PeriodPrograms& out) const {
    out = PeriodPrograms{};
    double low = 0, high = 0;
    if (!RangeBounds(from, to, low, high)) return kDbBadArgument;
    if (!IsOpen()) return kDbNoRow;
    Statement programs, without;
    programs.stmt = Prepare(
        (std::string(kProgramSums) + "WHERE l.TIME_END BETWEEN ?1 AND ?2 AND " + kRowThere + kByProgram).c_str());
    without.stmt = Prepare(
        "SELECT count(*), total(MISSING), total(MISSING * BYTES) FROM (SELECT h.DATA_SEND + h.DATA_RECV AS BYTES, "
        "NOT EXISTS (SELECT 1 FROM RAS_PROGRAM_LINK l WHERE l.TIME_END = h.TIME_END AND l.ENTRY = h.ENTRY "
        "AND l.PROGRAMS = 1) AS MISSING FROM RAS_HISTORY h WHERE h.TIME_END BETWEEN ?1 AND ?2)");
    if (programs.stmt == nullptr || without.stmt == nullptr) return kDbFailed;
    for (sqlite3_stmt* stmt : {programs.stmt, without.stmt}) {
        sqlite3_bind_double(stmt, 1, low);
        sqlite3_bind_double(stmt, 2, high);
    }
    const int rc = ReadSums(programs.stmt, out.programs);
    if (rc != SQLITE_DONE || sqlite3_step(without.stmt) != SQLITE_ROW) {
        Fail("period programs");
        out = PeriodPrograms{};
        return kDbFailed;
    }
    out.connections = sqlite3_column_int64(without.stmt, 0);
    out.withoutPrograms = static_cast<int64_t>(sqlite3_column_double(without.stmt, 1));
    out.bytesWithout = static_cast<int64_t>(sqlite3_column_double(without.stmt, 2));
    return kDbOk;
}

int CDbHistoryCtrl::GetSeenPrograms(std::vector<ProgramFigures>& programs) const {
    programs.clear();
    if (!IsOpen()) return kDbNoRow;
    Statement query;
    query.stmt = Prepare((std::string(kProgramSums) + "WHERE " + kRowThere + kByProgram).c_str());
    if (query.stmt == nullptr) return kDbFailed;
    if (ReadSums(query.stmt, programs) == SQLITE_DONE) return kDbOk;
    Fail("programs");
    programs.clear();
    return kDbFailed;
}

}  // namespace vr31k
