#pragma once

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace dalvon::sqlite {

class Connection;

// An open SQLite database handle; its destructor closes it, rolling back whatever was not
// committed, so the file keeps its last committed state.
struct CloseDatabase {
    void operator()(sqlite3* db) const;
};
using DatabaseHandle = std::unique_ptr<sqlite3, CloseDatabase>;

// A prepared statement; its destructor finalizes it.
struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const;
};
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

// One use of a prepared statement: when the use ends, however it ends, the statement is reset
// and its bindings cleared, so that it holds no lock, no table and no pointer into a value.
class StatementUse {
public:
    explicit StatementUse(sqlite3_stmt* statement) : m_statement(statement) {}
    ~StatementUse();
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;

private:
    sqlite3_stmt* m_statement;
};

// A transaction on a connection: begun by the constructor, committed by commit(), rolled back
// by the destructor unless committed. Failures throw the connection's Fault for them.
class Transaction {
public:
    Transaction(sqlite3* db, const Connection& owner);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Fault when the commit fails; the destructor then rolls back what the transaction wrote.
    void commit();

private:
    void run(const char* sql) const;

    sqlite3* m_db;
    const Connection& m_owner;
    bool m_open = true;
};

}  // namespace dalvon::sqlite
