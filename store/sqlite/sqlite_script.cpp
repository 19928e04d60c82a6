#include "store/sqlite/sqlite_script.h"

#include <sqlite3.h>

#include <filesystem>

#include "store/faults.h"
#include "store/sqlite/sqlite_handles.h"

namespace dalvon::sqlite {
namespace {

DatabaseHandle openFile(const std::string& hostPath, int flags) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(hostPath.c_str(), &db, flags, nullptr);
    DatabaseHandle handle(db);
    if (rc != SQLITE_OK) {
        throw faults::reservedError("open", " ('" + hostPath + "': " + sqlite3_errstr(rc) + ")");
    }
    return handle;
}

[[noreturn]] void failed(sqlite3* db, const std::string& hostPath, const std::string& sql) {
    throw faults::reservedError(sql, " ('" + hostPath + "': " + sqlite3_errmsg(db) + ")");
}

}  // namespace

ScriptSession::ScriptSession(const std::string& hostPath)
    : m_hostPath(hostPath), m_db(openFile(hostPath, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) {}

void ScriptSession::run(const std::string& script) {
    if (sqlite3_exec(m_db.get(), script.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        failed(m_db.get(), m_hostPath, script);
}

void runScript(const std::string& hostPath, const std::string& script) {
    ScriptSession(hostPath).run(script);
}

std::vector<std::vector<std::string>> queryAsText(const std::string& hostPath,
                                                  const std::string& sql) {
    DatabaseHandle db = openFile(hostPath, SQLITE_OPEN_READONLY);
    sqlite3_stmt* prepared = nullptr;
    int rc = sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &prepared, nullptr);
    Statement statement(prepared);
    if (rc != SQLITE_OK)
        failed(db.get(), hostPath, sql);
    std::vector<std::vector<std::string>> rows;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int i = 0; i < sqlite3_column_count(statement.get()); ++i) {
            const unsigned char* text = sqlite3_column_text(statement.get(), i);
            row.push_back(text != nullptr ? reinterpret_cast<const char*>(text) : "NULL");
        }
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
        failed(db.get(), hostPath, sql);
    return rows;
}

void createEmptyFile(const std::string& hostPath) {
    if (std::filesystem::exists(hostPath))
        throw faults::reservedError("create", " ('" + hostPath + "': the file exists)");
    // An empty schema still needs its first page written to carry the SQLite header.
    runScript(hostPath, "CREATE TABLE t(a); DROP TABLE t;");
}

}  // namespace dalvon::sqlite
