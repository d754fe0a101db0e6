#pragma once
// One write transaction on an SQLite connection: begun when constructed, rolled back
// when the scope ends unless Commit succeeded. A guard whose BEGIN failed (another
// transaction already open, the file busy) leaves the connection as it found it.
struct sqlite3;
struct sqlite3_stmt;

namespace vr31k {

class SqlTransaction {
public:
    explicit SqlTransaction(sqlite3* db);
    ~SqlTransaction();
    SqlTransaction(const SqlTransaction&) = delete;
    SqlTransaction& operator=(const SqlTransaction&) = delete;

    // False when BEGIN failed; the engine's message says why.
    bool Begun() const { return m_active; }
    // False when there is nothing to commit or COMMIT failed; the changes are then
    // rolled back at the end of the scope.
    bool Commit();

private:
    sqlite3* m_db;
    bool m_active = false;
};

// A prepared statement finalised at the end of its scope.
struct SqlStatement {
    sqlite3_stmt* stmt = nullptr;
    SqlStatement() = default;
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;
    ~SqlStatement();
};

}  // namespace vr31k
