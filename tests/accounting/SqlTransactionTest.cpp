// The write-transaction guard on an in-memory database: what its scope leaves behind.
#include "accounting/SqlTransaction.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace vr31k {
namespace {

class SqlTransactionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
        // A deferred foreign key fails only at COMMIT.
        ASSERT_EQ(Exec("PRAGMA foreign_keys = ON; CREATE TABLE p (id INTEGER PRIMARY KEY); "
                       "CREATE TABLE c (p INTEGER REFERENCES p (id) DEFERRABLE INITIALLY DEFERRED)"),
                  SQLITE_OK);
    }
    void TearDown() override { sqlite3_close(db); }
    int Exec(const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
    int Count(const char* table) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, (std::string("SELECT count(*) FROM ") + table).c_str(), -1, &stmt, nullptr);
        sqlite3_step(stmt);
        const int n = sqlite3_column_int(stmt, 0);
        sqlite3_finalize(stmt);
        return n;
    }
    bool InTransaction() { return sqlite3_get_autocommit(db) == 0; }

    sqlite3* db = nullptr;
};

TEST_F(SqlTransactionTest, CommittedChangesStay) {
    {
        SqlTransaction transaction(db);
        ASSERT_TRUE(transaction.Begun());
        EXPECT_TRUE(InTransaction());
        ASSERT_EQ(Exec("INSERT INTO p VALUES (1)"), SQLITE_OK);
        EXPECT_TRUE(transaction.Commit());
        EXPECT_FALSE(transaction.Commit()) << "nothing left to commit";
    }
    EXPECT_EQ(Count("p"), 1);
    EXPECT_FALSE(InTransaction());
}

TEST_F(SqlTransactionTest, AScopeLeftWithoutCommitRollsBack) {
    {
        SqlTransaction transaction(db);
        ASSERT_TRUE(transaction.Begun());
        ASSERT_EQ(Exec("INSERT INTO p VALUES (1)"), SQLITE_OK);
        ASSERT_NE(Exec("INSERT INTO p VALUES (1)"), SQLITE_OK);  // the step that failed
    }
    EXPECT_EQ(Count("p"), 0);
    EXPECT_FALSE(InTransaction());
}

TEST_F(SqlTransactionTest, AFailedCommitRollsBackAtTheEndOfTheScope) {
    {
        SqlTransaction transaction(db);
        ASSERT_TRUE(transaction.Begun());
        ASSERT_EQ(Exec("INSERT INTO p VALUES (1)"), SQLITE_OK);
        ASSERT_EQ(Exec("INSERT INTO c VALUES (2)"), SQLITE_OK);  // no parent 2
        EXPECT_FALSE(transaction.Commit());
        EXPECT_TRUE(InTransaction()) << "the engine keeps it open after a refused COMMIT";
    }
    EXPECT_FALSE(InTransaction());
    EXPECT_EQ(Count("p"), 0);
    EXPECT_EQ(Count("c"), 0);
}

// A guard that could not begin must not end a transaction it does not own.
TEST_F(SqlTransactionTest, AGuardThatCouldNotBeginLeavesTheOuterTransactionAlone) {
    ASSERT_EQ(Exec("BEGIN; INSERT INTO p VALUES (1)"), SQLITE_OK);
    {
        SqlTransaction inner(db);
        EXPECT_FALSE(inner.Begun());
        EXPECT_FALSE(inner.Commit());
    }
    EXPECT_TRUE(InTransaction());
    ASSERT_EQ(Exec("COMMIT"), SQLITE_OK);
    EXPECT_EQ(Count("p"), 1);

    SqlTransaction none(nullptr);
    EXPECT_FALSE(none.Begun());
}

}  // namespace
}  // namespace vr31k
