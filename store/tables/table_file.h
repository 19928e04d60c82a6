#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "store/column.h"
#include "store/faults.h"
#include "store/storage.h"
#include "store/tables/field_values.h"
#include "store/tables/key_index.h"
#include "store/tables/query_shape.h"

namespace dalvon::tables {

struct QueryPlan;

// One open database file as the store sees it, shared by every Database handle on the file:
// its storage engine, what is known of its schema, the key indexes that serve equality lookups
// and the planned queries. What the handles write is one transaction that is committed when
// the last handle lets go and by commit(). After the last release every call throws 3420.
class TableFile {
public:
    TableFile(std::unique_ptr<Storage> storage, std::string displayPath, faults::Wording wording);
    ~TableFile();
    TableFile(const TableFile&) = delete;
    TableFile& operator=(const TableFile&) = delete;

    void acquire() { ++m_handles; }
    // The last release commits and closes; a failed commit throws (the file keeps its last
    // committed state).
    void release();
    bool isOpen() const { return m_storage != nullptr; }
    // Commits what was written so far; what is known of the file is read again after, since
    // another process may change it between two transactions.
    void commit();
    const std::string& displayPath() const { return m_displayPath; }
    faults::Wording wording() const { return m_wording; }
    Storage& storage() const;
    // The storage for a change: throws the refusal when writes to this file are refused.
    Storage& writableStorage() const;
    // Lets every change from now on fail with `reason`.
    void refuseWrites(const Fault& reason) { m_writeRefusal = reason; }

    // User tables in the store's order, and the stored name of a table whose name matches
    // without regard to (ASCII) case.
    std::vector<std::string> tableNames();
    std::optional<std::string> findTable(const std::string& name);
    // The columns of a table by its stored name, kept for the transaction.
    const std::vector<Column>& columns(const std::string& table);
    // Forgets what is kept about a table before its definition changes.
    void forgetTable(const std::string& table);

    std::vector<int64_t> rowIds(const std::string& table) { return storage().rowIds(table); }
    std::optional<Storage::Row> readRow(const std::string& table, int64_t id) {
        return storage().readRow(table, id);
    }
    // The ids of the rows whose columns at `positions` equal `values` (as a WHERE compares),
    // ascending. Served by an in-memory index built on first use and kept current by
    // insertRow and updateRow.
    std::vector<int64_t> lookup(const std::string& table, const std::vector<size_t>& positions,
                                const std::vector<StoredValue>& values);

    // Values of their field's kind by the position of their column among the table's columns.
    using Cells = Storage::Changes;
    // Adds a row; returns its id.
    int64_t insertRow(const std::string& table, Cells cells);
    // Changes columns of one row; `before` is the row as read, when the caller has it. Values
    // equal to the stored ones are not written. Fault 3167 when the row is gone.
    void updateRow(const std::string& table, int64_t id, Cells changes, const Storage::Row* before);
    // Grows with every write and schema change: what was read before may be stale.
    uint64_t writeCount() const { return m_writes; }

    // Planned queries by their shape, kept while the schema is known.
    std::shared_ptr<const QueryPlan> cachedPlan(const std::string& shape) const;
    void cachePlan(std::string shape, std::shared_ptr<const QueryPlan> plan);
    ShapeScanner& shapes() { return m_shapes; }

private:
    KeyIndex& indexFor(const std::string& table, const std::vector<size_t>& positions);
    void indexChanges(const std::string& table, int64_t id, const Cells& changes);
    void forgetSchema();
    void closeNow();

    std::unique_ptr<Storage> m_storage;
    std::string m_displayPath;
    faults::Wording m_wording;
    int m_handles = 0;
    std::optional<std::map<std::string, std::string>> m_tables;  // by upper-cased name
    std::map<std::string, std::vector<Column>> m_columns;
    std::map<std::string, std::vector<std::unique_ptr<KeyIndex>>> m_indexes;
    std::unordered_map<std::string, std::shared_ptr<const QueryPlan>> m_plans;
    ShapeScanner m_shapes;
    uint64_t m_writes = 0;
    std::optional<Fault> m_writeRefusal;
};

}  // namespace dalvon::tables
