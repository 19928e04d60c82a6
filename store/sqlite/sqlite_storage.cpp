#include <algorithm>
#include <map>
#include <utility>

#include "store/faults.h"
#include "store/sqlite/sqlite_connection.h"
#include "store/sqlite/sqlite_indexes.h"
#include "store/sqlite/sqlite_storage.h"
#include "store/storage.h"

namespace dalvon::sqlite {
namespace {

// Tables of an SQLite file: field types are the columns' declared types, a row's id is its
// rowid, and everything written is one transaction of the file's connection.
class SqliteStorage : public Storage {
public:
    explicit SqliteStorage(std::shared_ptr<Connection> connection)
        : m_connection(std::move(connection)) {}

    ~SqliteStorage() override {
        try {
            m_connection->close();
        } catch (const Fault&) {
            // A destructor cannot report: commit() first to see a failed commit.
        }
    }

    std::vector<std::string> tableNames() override { return m_connection->tableNames(); }

    std::vector<Column> columns(const std::string& table) override { return stored(table); }

    std::vector<RowId> rowIds(const std::string& table) override {
        return m_connection->queryIds(statements(table).ids);
    }

    void scan(const std::string& table,
              const std::function<void(RowId, const Row&)>& visit) override {
        const std::vector<Column>& all = stored(table);
        Row row(all.size());
        m_connection->eachRow(statements(table).all, {}, [&](sqlite::Row& values) {
            toRow(values, all, row);
            visit(std::get<int64_t>(values[0]), row);
        });
    }

    void scanFields(const std::string& table, const std::vector<size_t>& positions,
                    const std::function<void(RowId, const Row&)>& visit) override {
        const std::vector<Column>& all = stored(table);
        std::string rowid = rowidName(all);
        std::string names;
        for (size_t position : positions)
            names += ", " + quoteIdentifier(all.at(position).name);
        Row row(positions.size());
        // Rows held back are read where they are: a lookup index is no reason to write them.
        m_connection->eachRowAndHeld(
            "SELECT " + rowid + names + " FROM main." + quoteIdentifier(table) + " ORDER BY " +
                rowid,
            table,
            [&](sqlite::Row& values) {
                for (size_t i = 0; i < positions.size(); ++i)
                    row[i] = fromStored(values[i + 1], all[positions[i]]);
                visit(std::get<int64_t>(values[0]), row);
            },
            [&](int64_t id, const std::string& packed) {
                for (size_t i = 0; i < positions.size(); ++i)
                    row[i] = fromStored(unpackAt(packed, positions[i]), all[positions[i]]);
                visit(id, row);
            });
    }

    std::optional<Row> readRow(const std::string& table, RowId id) override {
        const std::vector<Column>& all = stored(table);
        std::optional<Row> row;
        m_connection->eachRow(statements(table).one, {id}, [&](sqlite::Row& values) {
            row.emplace(all.size());
            toRow(values, all, *row);
        });
        return row;
    }

    std::vector<std::pair<RowId, Row>> readRange(const std::string& table, RowId first,
                                                 RowId last) override {
        const std::vector<Column>& all = stored(table);
        std::vector<std::pair<RowId, Row>> rows;
        m_connection->eachRow(statements(table).range, {first, last}, [&](sqlite::Row& values) {
            rows.emplace_back(std::get<int64_t>(values[0]), Row(all.size()));
            toRow(values, all, rows.back().second);
        });
        return rows;
    }

    RowId appendRow(const std::string& table, const Changes& values) override {
        return m_connection->insertRow(table, cells(values));
    }

    bool updateRow(const std::string& table, RowId id, const Changes& changes) override {
        return m_connection->updateRow(table, id, cells(changes));
    }

    std::vector<IndexDef> indexes(const std::string& table) override {
        stored(table);
        return readIndexes(*m_connection, table);
    }

    void createTable(const std::string& name, const std::vector<FieldDef>& fields,
                     const std::vector<IndexDef>& indexes) override {
        if (m_connection->hasTable(name))
            throw faults::tableExists(name);
        std::string columns;
        for (size_t i = 0; i < fields.size(); ++i) {
            columns += (i == 0 ? "" : ", ") + quoteIdentifier(fields[i].name) + " " +
                       declaredTypeFor(fields[i], name) +
                       (inPrimaryKey(indexes, fields[i].name) ? " NOT NULL" : "");
        }
        m_connection->forgetTable(name);
        m_connection->execute("CREATE TABLE main." + quoteIdentifier(name) + " (" + columns +
                              primaryKeyClause(indexes) + ")");
        createIndexes(*m_connection, name, indexes);
        // Rows of a keyed table are written at once, so that a duplicate is refused on its row.
        if (indexes.empty())
            m_connection->tableCreated(name);
    }

    void deleteTable(const std::string& name) override {
        stored(name);
        m_connection->forgetTable(name);
        m_connection->execute("DROP TABLE main." + quoteIdentifier(name));
    }

    void renameField(const std::string& table, const std::string& oldName,
                     const std::string& newName) override {
        stored(table);
        m_connection->forgetTable(table);
        m_connection->execute("ALTER TABLE main." + quoteIdentifier(table) + " RENAME COLUMN " +
                              quoteIdentifier(oldName) + " TO " + quoteIdentifier(newName));
    }

    void commit() override { m_connection->commit(); }

private:
    const std::vector<Column>& stored(const std::string& table) {
        if (!m_connection->hasTable(table))
            throw faults::inputTableNotFound(table, faults::Wording::Store);
        return m_connection->columns(table);
    }

    // A primary key holds no Null, in Jet files and so here.
    static bool inPrimaryKey(const std::vector<IndexDef>& indexes, const std::string& field) {
        return std::any_of(indexes.begin(), indexes.end(), [&](const IndexDef& index) {
            return index.primary &&
                   std::any_of(index.fields.begin(), index.fields.end(),
                               [&](const IndexField& key) { return key.name == field; });
        });
    }

    // Values come of their field's kind: the store above has applied the field's rules.
    static Connection::Cells cells(const Changes& values) {
        Connection::Cells cells;
        cells.reserve(values.size());
        for (const auto& [position, value] : values)
            cells.emplace_back(position, storedOf(value));
        return cells;
    }

    // The statements that read a table, made once per table and schema.
    struct Reads {
        uint64_t schema = 0;
        std::string all, one, range, ids;
    };

    const Reads& statements(const std::string& table) {
        Reads& reads = m_reads[table];
        if (!reads.all.empty() && reads.schema == m_connection->schemaCount())
            return reads;
        const std::vector<Column>& all = stored(table);
        std::string rowid = rowidName(all);
        std::string names;
        for (const Column& column : all)
            names += ", " + quoteIdentifier(column.name);
        std::string from = " FROM main." + quoteIdentifier(table);
        std::string order = " ORDER BY " + rowid;
        reads.all = "SELECT " + rowid + names + from + order;
        reads.one = "SELECT " + rowid + names + from + " WHERE " + rowid + " = ?1";
        reads.range =
            "SELECT " + rowid + names + from + " WHERE " + rowid + " BETWEEN ?1 AND ?2" + order;
        reads.ids = "SELECT " + rowid + from + order;
        reads.schema = m_connection->schemaCount();
        return reads;
    }

    static void toRow(const sqlite::Row& values, const std::vector<Column>& all, Row& row) {
        for (size_t i = 0; i < all.size(); ++i)
            row[i] = fromStored(values[i + 1], all[i]);
    }

    std::shared_ptr<Connection> m_connection;
    std::map<std::string, Reads> m_reads;
};

}  // namespace

std::unique_ptr<Storage> makeStorage(std::shared_ptr<Connection> connection) {
    return std::make_unique<SqliteStorage>(std::move(connection));
}

}  // namespace dalvon::sqlite

namespace dalvon {

std::unique_ptr<Storage> openSqliteStorage(const std::string& hostPath,
                                           const std::string& displayPath) {
    return sqlite::makeStorage(sqlite::Connection::open(hostPath, displayPath));
}

}  // namespace dalvon
