#include "store/sqlite/sqlite_handles.h"

#include <sqlite3.h>

#include "store/sqlite/sqlite_connection.h"

namespace dalvon::sqlite {

void CloseDatabase::operator()(sqlite3* db) const {
    sqlite3_close_v2(db);
}

void FinalizeStatement::operator()(sqlite3_stmt* statement) const {
    sqlite3_finalize(statement);
}

StatementUse::~StatementUse() {
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

Transaction::Transaction(sqlite3* db, const Connection& owner) : m_db(db), m_owner(owner) {
    run("BEGIN");
}

Transaction::~Transaction() {
    if (m_open)
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit() {
    run("COMMIT");
    m_open = false;
}

void Transaction::run(const char* sql) const {
    int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        m_owner.fail(rc, sql);
}

}  // namespace dalvon::sqlite
