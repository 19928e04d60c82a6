#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/fault.h"
#include "store/packed_values.h"
#include "store/sqlite/sqlite_handles.h"
#include "store/sqlite/sqlite_types.h"
#include "store/stored_value.h"

struct sqlite3;
struct sqlite3_stmt;

namespace dalvon::sqlite {

using Row = std::vector<StoredValue>;

// The connection to one database file, owned by the file's one storage (the database engine
// shares that storage among the file's Database handles). Everything written runs in one
// transaction that is committed by close() and by commit(). Every SQLite failure is translated
// here into a Fault that names the file. After close() every call throws Fault 3420.
class Connection {
public:
    // Opens the host file read-write (or read-only: then nothing is written to the file and its
    // journal mode stays as it is). Throws Fault 3343 "Unrecognized database format '<path>'."
    // when SQLite cannot read it as a database (the file is not changed), Fault 3051 when it
    // cannot be opened at all.
    static std::shared_ptr<Connection> open(const std::string& hostPath,
                                            const std::string& displayPath, bool readOnly = false);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Commits and closes; a failed commit throws (the file keeps its last committed state).
    // Called by the one storage that owns the connection.
    void close();
    bool isOpen() const { return m_db != nullptr; }
    // Translates an SQLite result code into the Fault for it, naming the file and `sql`.
    [[noreturn]] void fail(int code, const std::string& sql) const;
    const std::string& displayPath() const { return m_displayPath; }

    // Runs one statement with bound values (never pasted into the text). It sees the file
    // without the rows held back (see tableCreated): for the schema and rows of other tables.
    std::vector<Row> query(const std::string& sql, const std::vector<StoredValue>& params = {});
    // Runs a statement after writing the rows held back, and hands each result row to
    // `visit`; the row is reused between calls.
    void eachRow(const std::string& sql, const std::vector<StoredValue>& params,
                 const std::function<void(Row&)>& visit);
    // Hands each row of a statement to `visit` without writing the rows held back first, then
    // each row held back of `table` as its packed values (see packedParts).
    void eachRowAndHeld(const std::string& sql, const std::string& table,
                        const std::function<void(Row&)>& visitStored,
                        const std::function<void(int64_t, const std::string&)>& visitHeld);
    std::vector<int64_t> queryIds(const std::string& sql,
                                  const std::vector<StoredValue>& params = {});
    // Runs a statement that returns no rows; returns the rowid of the last inserted row.
    int64_t execute(const std::string& sql, const std::vector<StoredValue>& params = {});
    // Commits what was written so far and starts the next transaction.
    void commit();

    // User tables in the order of the schema, and whether there is one of exactly that name.
    std::vector<std::string> tableNames();
    bool hasTable(const std::string& name);
    // The columns of a table by its stored name. What is known of the schema is kept for the
    // transaction: while it holds its read lock, no other process can change the file.
    const std::vector<Column>& columns(const std::string& table);
    // Forgets what is kept about a table (and the table list) before the schema changes.
    void forgetTable(const std::string& table);
    // Grows whenever what is known of the schema is forgotten.
    uint64_t schemaCount() const { return m_schemaCount; }

    // Values by the position of their column among the table's columns.
    using Cells = std::vector<std::pair<size_t, StoredValue>>;
    // Adds a row; returns its id.
    int64_t insertRow(const std::string& table, const Cells& cells);
    // Changes columns of one row; false when the table has no such row.
    bool updateRow(const std::string& table, int64_t rowid, Cells changes);

    // Notes a table this connection has just created: it is plain (no key, index, default or
    // constraint), so rows added to it may be held in memory and written in one go before
    // anything else reads the file or the transaction ends.
    void tableCreated(const std::string& table);

private:
    Connection(DatabaseHandle db, std::string displayPath);
    sqlite3_stmt* prepare(const std::string& sql);
    void bindAll(sqlite3_stmt* statement, const std::vector<StoredValue>& params,
                 const std::string& sql);
    void stepToEnd(sqlite3_stmt* statement, const std::string& sql);
    void bindOne(sqlite3_stmt* statement, int index, const StoredValue& value,
                 const std::string& sql);
    void bindView(sqlite3_stmt* statement, int index, const PackedView& value,
                  const std::string& sql);
    int64_t runWrite(const std::string& sql, const Cells& cells, std::optional<int64_t> rowid);
    // Inserts one packed row (every column, in order) with its id given last.
    void runPackedInsert(const std::string& sql, const std::string& row, int64_t rowid);
    void eachStoredRow(const std::string& sql, const std::vector<StoredValue>& params,
                       const std::function<void(Row&)>& visit);
    // Writes the rows held back; every statement but those that look at held rows runs after.
    void writeHeldRows();
    bool updateHeldRow(const std::string& table, int64_t rowid, const Cells& changes);
    void closeNow();
    void forgetSchema();
    const std::string& writeSql(char kind, const std::string& table, const Cells& cells);
    void ensureOpen() const;

    DatabaseHandle m_db;
    std::string m_displayPath;
    std::unordered_map<std::string, Statement> m_statements;
    std::optional<Transaction> m_transaction;  // open while the connection is
    std::optional<std::set<std::string>> m_tables;
    std::map<std::string, std::vector<Column>> m_columns;
    std::unordered_map<std::string, std::string> m_writeSql;
    // Rows added to tables created in this transaction, not yet written, by table.
    struct HeldRows {
        int64_t nextRowid = 1;          // SQLite's choice for an empty table: highest id plus one
        std::vector<int64_t> ids;       // ascending
        std::vector<std::string> rows;  // full rows in column order, packed
        size_t bytes = 0;
    };
    std::map<std::string, HeldRows> m_held;
    uint64_t m_schemaCount = 0;
};

// The name by which a table's row id can be selected, given its columns ("rowid" unless a
// column has that name).
std::string rowidName(const std::vector<Column>& columns);

}  // namespace dalvon::sqlite
