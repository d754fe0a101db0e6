#include "accounting/SqlTransaction.h"

#include <sqlite3.h>

namespace vr31k {

// IMMEDIATE takes the write lock at once, so a busy file is noticed (and waited for
// under the busy time-out) before any change is made.
SqlTransaction::SqlTransaction(sqlite3* db) : m_db(db) {
    m_active = db != nullptr && sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
}

SqlTransaction::~SqlTransaction() {
    // A failed COMMIT may already have ended the transaction; the engine says whether
    // one is still open. Callers take the engine's message before the scope ends.
    if (m_active && sqlite3_get_autocommit(m_db) == 0) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

SqlStatement::~SqlStatement() { sqlite3_finalize(stmt); }

bool SqlTransaction::Commit() {
    if (!m_active) return false;
    if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) return false;
    m_active = false;
    return true;
}

}  // namespace vr31k
