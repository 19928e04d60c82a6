#include "store/sqlite/sqlite_connection.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <utility>

#include "platform/text.h"
#include "store/faults.h"
#include "store/sql/sql_query.h"

namespace dalvon::sqlite {
namespace {

constexpr size_t kMaxCachedStatements = 256;

// The collation of text columns: the program's own order without regard to case.
int compareIgnoringCase(void*, int lengthA, const void* a, int lengthB, const void* b) {
    return compareTextIgnoringCase(
        std::string_view(static_cast<const char*>(a), static_cast<size_t>(lengthA)),
        std::string_view(static_cast<const char*>(b), static_cast<size_t>(lengthB)));
}

StoredValue columnValue(sqlite3_stmt* statement, int index) {
    switch (sqlite3_column_type(statement, index)) {
        case SQLITE_INTEGER:
            return static_cast<int64_t>(sqlite3_column_int64(statement, index));
        case SQLITE_FLOAT:
            return sqlite3_column_double(statement, index);
        case SQLITE_TEXT: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, index));
            return std::string(text, static_cast<size_t>(sqlite3_column_bytes(statement, index)));
        }
        case SQLITE_BLOB: {
            const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(statement, index));
            return std::vector<uint8_t>(bytes, bytes + sqlite3_column_bytes(statement, index));
        }
        default:
            return std::monostate{};
    }
}

// The URI that opens a file read-only without leaving anything behind. A file in WAL mode
// whose log is absent holds all its content itself: it is read as immutable, since a plain
// read-only open would create the log and its index beside it and leave them there.
std::string readOnlyUri(const std::string& hostPath) {
    std::string uri = "file:";
    for (char c : hostPath) {
        if (c == '%' || c == '?' || c == '#') {
            static const char kHex[] = "0123456789ABCDEF";
            uri += '%';
            uri += kHex[(c >> 4) & 0xF];
            uri += kHex[c & 0xF];
        } else {
            uri += c;
        }
    }
    uri += "?mode=ro";
    char header[20] = {};
    std::ifstream in(hostPath, std::ios::binary);
    in.read(header, sizeof header);
    constexpr int kWalVersion = 2;  // header bytes 18 and 19: the file format read and written
    bool inWalMode = in.gcount() == sizeof header && header[18] == kWalVersion;
    if (inWalMode && !std::filesystem::exists(hostPath + "-wal"))
        uri += "&immutable=1";
    return uri;
}

// The key constraints that tables made here carry, as the classic engine reports them.
void constraintFailed(int code, const std::string& detail) {
    if (code == SQLITE_CONSTRAINT_UNIQUE || code == SQLITE_CONSTRAINT_PRIMARYKEY)
        throw faults::duplicateKey(detail);
    if (code == SQLITE_CONSTRAINT_NOTNULL)
        throw faults::nullInKey(detail);
}

}  // namespace

std::shared_ptr<Connection> Connection::open(const std::string& hostPath,
                                             const std::string& displayPath, bool readOnly) {
    sqlite3* db = nullptr;
    int rc = readOnly ? sqlite3_open_v2(
                            readOnlyUri(hostPath).c_str(), &db,
                            SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr)
                      : sqlite3_open_v2(hostPath.c_str(), &db,
                                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    std::shared_ptr<Connection> connection(new Connection(DatabaseHandle(db), displayPath));
    if (rc != SQLITE_OK)
        connection->fail(rc, "open");
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, 5000);
    // Reading the schema is the first access to the file's pages: a foreign or damaged file
    // fails here, before anything could be written to it.
    char* message = nullptr;
    rc = sqlite3_exec(db, "SELECT count(*) FROM main.sqlite_master", nullptr, nullptr, &message);
    sqlite3_free(message);
    if (rc != SQLITE_OK) {
        if ((rc & 0xff) == SQLITE_BUSY)
            connection->fail(rc, "open");
        throw faults::unrecognizedFormat(displayPath);
    }
    sqlite3_create_collation_v2(db, "DALVON_NOCASE", SQLITE_UTF8, nullptr, compareIgnoringCase,
                                nullptr);
    // A rollback journal that is deleted at commit: a closed file stands alone and can be
    // copied. Temporary lookups stay in memory.
    if (!readOnly)
        connection->query("PRAGMA main.journal_mode = DELETE");
    connection->execute("PRAGMA temp_store = MEMORY");
    connection->execute("PRAGMA cache_size = -16000");
    connection->m_transaction.emplace(db, *connection);
    return connection;
}

Connection::Connection(DatabaseHandle db, std::string displayPath)
    : m_db(std::move(db)), m_displayPath(std::move(displayPath)) {}

Connection::~Connection() {
    if (!m_db)
        return;
    try {
        closeNow();
    } catch (const Fault&) {
        // Destroyed without a close (the owner is unwinding): nothing to report to.
    }
}

void Connection::close() {
    if (m_db)
        closeNow();
}

void Connection::closeNow() {
    std::optional<Fault> failure;
    try {
        if (m_transaction) {
            writeHeldRows();
            forgetSchema();
            m_transaction->commit();
        }
    } catch (const Fault& fault) {
        failure = fault;
    }
    // Whatever did not commit is rolled back here: the file keeps its last committed state.
    m_transaction.reset();
    m_statements.clear();
    m_db.reset();
    if (failure)
        throw *failure;
}

void Connection::commit() {
    ensureOpen();
    // Another process may write between two of our transactions: what we know of the file is
    // read again after.
    writeHeldRows();
    forgetSchema();
    m_transaction->commit();
    m_transaction.emplace(m_db.get(), *this);
}

void Connection::ensureOpen() const {
    if (!m_db) {
        throw faults::databaseClosed(m_displayPath);
    }
}

sqlite3_stmt* Connection::prepare(const std::string& sql) {
    ensureOpen();
    auto found = m_statements.find(sql);
    if (found != m_statements.end())
        return found->second.get();
    if (m_statements.size() >= kMaxCachedStatements)
        m_statements.clear();
    sqlite3_stmt* prepared = nullptr;
    int rc = sqlite3_prepare_v2(m_db.get(), sql.c_str(), static_cast<int>(sql.size()), &prepared,
                                nullptr);
    Statement statement(prepared);
    if (rc != SQLITE_OK)
        fail(rc, sql);
    return m_statements.emplace(sql, std::move(statement)).first->second.get();
}

void Connection::bindAll(sqlite3_stmt* statement, const std::vector<StoredValue>& params,
                         const std::string& sql) {
    for (size_t i = 0; i < params.size(); ++i)
        bindOne(statement, static_cast<int>(i) + 1, params[i], sql);
}

void Connection::bindOne(sqlite3_stmt* statement, int index, const StoredValue& value,
                         const std::string& sql) {
    bindView(statement, index, viewOfValue(value), sql);
}

// Values are bound without a copy: every caller keeps them alive until the statement is reset,
// which also clears the bindings.
void Connection::bindView(sqlite3_stmt* statement, int index, const PackedView& value,
                          const std::string& sql) {
    const char* data = value.bytes.data();
    size_t size = value.bytes.size();
    int rc = SQLITE_OK;
    switch (value.kind) {
        case 'i':
            rc = sqlite3_bind_int64(statement, index, value.whole());
            break;
        case 'r':
            rc = sqlite3_bind_double(statement, index, value.real());
            break;
        case 't':
            rc = sqlite3_bind_text64(statement, index, data, size, SQLITE_STATIC, SQLITE_UTF8);
            break;
        case 'b':
            rc = size == 0 ? sqlite3_bind_zeroblob(statement, index, 0)
                           : sqlite3_bind_blob64(statement, index, data, size, SQLITE_STATIC);
            break;
        default:
            rc = sqlite3_bind_null(statement, index);
    }
    if (rc != SQLITE_OK)
        fail(rc, sql);
}

std::vector<Row> Connection::query(const std::string& sql, const std::vector<StoredValue>& params) {
    std::vector<Row> rows;
    eachStoredRow(sql, params, [&](Row& row) { rows.push_back(std::move(row)); });
    return rows;
}

void Connection::eachRow(const std::string& sql, const std::vector<StoredValue>& params,
                         const std::function<void(Row&)>& visit) {
    writeHeldRows();
    eachStoredRow(sql, params, visit);
}

void Connection::eachStoredRow(const std::string& sql, const std::vector<StoredValue>& params,
                               const std::function<void(Row&)>& visit) {
    sqlite3_stmt* statement = prepare(sql);
    StatementUse use(statement);
    bindAll(statement, params, sql);
    auto columns = static_cast<size_t>(sqlite3_column_count(statement));
    Row row;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        row.resize(columns);
        for (size_t i = 0; i < columns; ++i)
            row[i] = columnValue(statement, static_cast<int>(i));
        visit(row);
    }
    if (rc != SQLITE_DONE)
        fail(rc, sql);
}

std::vector<int64_t> Connection::queryIds(const std::string& sql,
                                          const std::vector<StoredValue>& params) {
    writeHeldRows();
    sqlite3_stmt* statement = prepare(sql);
    StatementUse use(statement);
    bindAll(statement, params, sql);
    std::vector<int64_t> ids;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        ids.push_back(sqlite3_column_int64(statement, 0));
    }
    if (rc != SQLITE_DONE)
        fail(rc, sql);
    return ids;
}

int64_t Connection::execute(const std::string& sql, const std::vector<StoredValue>& params) {
    writeHeldRows();
    sqlite3_stmt* statement = prepare(sql);
    StatementUse use(statement);
    bindAll(statement, params, sql);
    stepToEnd(statement, sql);
    return sqlite3_last_insert_rowid(m_db.get());
}

int64_t Connection::runWrite(const std::string& sql, const Cells& cells,
                             std::optional<int64_t> rowid) {
    sqlite3_stmt* statement = prepare(sql);
    StatementUse use(statement);
    for (size_t i = 0; i < cells.size(); ++i)
        bindOne(statement, static_cast<int>(i) + 1, cells[i].second, sql);
    if (rowid)
        bindOne(statement, static_cast<int>(cells.size()) + 1, *rowid, sql);
    stepToEnd(statement, sql);
    return sqlite3_last_insert_rowid(m_db.get());
}

void Connection::runPackedInsert(const std::string& sql, const std::string& row, int64_t rowid) {
    sqlite3_stmt* statement = prepare(sql);
    StatementUse use(statement);
    int index = 0;
    // Bound in place: the row outlives the statement's use.
    for (std::string_view part : packedParts(row))
        bindView(statement, ++index, viewOf(part), sql);
    bindOne(statement, index + 1, rowid, sql);
    stepToEnd(statement, sql);
}

void Connection::stepToEnd(sqlite3_stmt* statement, const std::string& sql) {
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        fail(rc, sql);
}

void Connection::fail(int code, const std::string& sql) const {
    std::string detail = " ('" + m_displayPath +
                         "': " + (m_db ? sqlite3_errmsg(m_db.get()) : sqlite3_errstr(code)) + ")";
    switch (code & 0xff) {
        case SQLITE_CANTOPEN:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            throw faults::cannotOpenFile(m_displayPath, faults::Wording::Store, detail);
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
            throw faults::databaseCorrupt(m_displayPath, detail);
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            throw faults::currentlyLocked(detail);
        case SQLITE_READONLY:
            throw faults::readOnlyDatabase(detail);
        case SQLITE_FULL:
            throw faults::diskFull(detail);
        case SQLITE_IOERR:
            throw faults::diskError(detail);
        case SQLITE_CONSTRAINT:
            constraintFailed(m_db ? sqlite3_extended_errcode(m_db.get()) : code, detail);
            [[fallthrough]];
        default:
            throw faults::reservedError(sql, detail);
    }
}

std::string rowidName(const std::vector<Column>& columns) {
    for (const char* candidate : {"rowid", "_rowid_", "oid"}) {
        bool taken = std::any_of(columns.begin(), columns.end(), [&](const Column& column) {
            return sql::sameName(column.name, candidate);
        });
        if (!taken)
            return candidate;
    }
    return "rowid";
}

}  // namespace dalvon::sqlite
