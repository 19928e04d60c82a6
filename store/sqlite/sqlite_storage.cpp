#include <utility>

#include "store/faults.h"
#include "store/sqlite/sqlite_connection.h"
#include "store/sqlite/sqlite_database.h"
#include "store/storage.h"

namespace dalvon {
namespace {

using sqlite::Column;
using sqlite::Connection;
using sqlite::StoredValue;

// Rows of an SQLite file as the storage interface hands them out. Table definitions go through
// the engine's Database handle, which also keeps the connection (and its transaction) open.
class SqliteStorage : public Storage {
public:
    explicit SqliteStorage(std::shared_ptr<Connection> connection)
        : m_connection(connection), m_database(sqlite::makeDatabase(std::move(connection))) {}

    std::vector<std::string> tableNames() override { return m_connection->tableNames(); }

    std::vector<FieldDef> fields(const std::string& table) override {
        std::vector<FieldDef> fields;
        for (const Column& column : columns(table))
            fields.push_back(column.def());
        return fields;
    }

    void scan(const std::string& table,
              const std::function<void(RowId, const Row&)>& visit) override {
        const std::vector<Column>& all = columns(table);
        Row row(all.size());
        m_connection->eachRow(selectRows(table, ""), {}, [&](sqlite::Row& stored) {
            toRow(stored, all, row);
            visit(std::get<int64_t>(stored[0]), row);
        });
    }

    std::optional<Row> readRow(const std::string& table, RowId id) override {
        const std::vector<Column>& all = columns(table);
        std::optional<Row> row;
        m_connection->eachRow(selectRows(table, " WHERE " + sqlite::rowidName(all) + " = ?1"), {id},
                              [&](sqlite::Row& stored) {
                                  row.emplace(all.size());
                                  toRow(stored, all, *row);
                              });
        return row;
    }

    RowId appendRow(const std::string& table, const Row& values) override {
        const std::vector<Column>& all = columns(table);
        Connection::Cells cells;
        for (size_t i = 0; i < all.size() && i < values.size(); ++i)
            cells.emplace_back(i, sqlite::toStored(values[i], all[i], table));
        return m_connection->insertRow(table, cells);
    }

    bool updateRow(const std::string& table, RowId id, const Changes& changes) override {
        if (!readRow(table, id))
            return false;
        const std::vector<Column>& all = columns(table);
        Connection::Cells cells;
        for (const auto& [position, value] : changes)
            cells.emplace_back(position, sqlite::toStored(value, all.at(position), table));
        m_connection->updateRow(table, id, std::move(cells), {});
        return true;
    }

    void createTable(const std::string& name, const std::vector<FieldDef>& fields) override {
        m_database->createTable(name, fields);
    }
    void deleteTable(const std::string& name) override { m_database->deleteTable(name); }
    void renameField(const std::string& table, const std::string& oldName,
                     const std::string& newName) override {
        m_database->renameField(table, oldName, newName);
    }
    void commit() override { m_connection->commit(); }

private:
    const std::vector<Column>& columns(const std::string& table) {
        auto stored = m_connection->findTable(table);
        if (!stored || *stored != table)
            throw faults::inputTableNotFound(table, faults::Wording::Store);
        return m_connection->columns(table);
    }

    std::string selectRows(const std::string& table, const std::string& where) {
        const std::vector<Column>& all = columns(table);
        std::string rowid = sqlite::rowidName(all);
        std::string names;
        for (const Column& column : all)
            names += ", " + sqlite::quoteIdentifier(column.name);
        return "SELECT " + rowid + names + " FROM main." + sqlite::quoteIdentifier(table) + where +
               " ORDER BY " + rowid;
    }

    static void toRow(const sqlite::Row& stored, const std::vector<Column>& all, Row& row) {
        for (size_t i = 0; i < all.size(); ++i)
            row[i] = sqlite::fromStored(stored[i + 1], all[i]);
    }

    std::shared_ptr<Connection> m_connection;
    std::unique_ptr<Database> m_database;
};

}  // namespace

std::unique_ptr<Storage> openSqliteStorage(const std::string& hostPath,
                                           const std::string& displayPath) {
    return std::make_unique<SqliteStorage>(Connection::open(hostPath, displayPath));
}

}  // namespace dalvon
