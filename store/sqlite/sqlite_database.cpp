#include "store/sqlite/sqlite_database.h"

#include <algorithm>
#include <utility>

#include "platform/text.h"
#include "store/faults.h"
#include "store/sqlite/sqlite_connection.h"
#include "store/sqlite/sqlite_recordset.h"

namespace dalvon::sqlite {
namespace {

void checkName(const std::string& name, const std::string& what) {
    if (trimBlanks(name).empty() || name.find('\0') != std::string::npos) {
        throw faults::invalidName(name, what);
    }
}

class SqliteDatabase : public Database {
public:
    explicit SqliteDatabase(std::shared_ptr<Connection> connection)
        : m_connection(std::move(connection)) {
        m_connection->acquire();
    }

    ~SqliteDatabase() override {
        try {
            close();
        } catch (const Fault&) {
            // A destructor cannot report; close() explicitly to see a failed commit.
        }
    }

    void close() override {
        if (!m_connection)
            return;
        std::shared_ptr<Connection> connection = std::move(m_connection);
        connection->release();
    }

    std::vector<std::string> tableNames() override { return db().tableNames(); }

    void deleteTable(const std::string& name) override {
        std::string table = exactTable(name);
        db().forgetTable(table);
        db().execute("DROP TABLE main." + quoteIdentifier(table));
    }

    std::vector<FieldDef> tableFields(const std::string& name) override {
        std::vector<FieldDef> fields;
        for (const Column& column : db().columns(exactTable(name)))
            fields.push_back(column.def());
        return fields;
    }

    void createTable(const std::string& name, const std::vector<FieldDef>& fields) override {
        checkName(name, "a table");
        if (auto existing = db().findTable(name)) {
            throw faults::tableExists(*existing);
        }
        if (fields.empty()) {
            throw faults::noFieldDefined(name);
        }
        std::string columns;
        for (size_t i = 0; i < fields.size(); ++i) {
            checkName(fields[i].name, "a field of table '" + name + "'");
            for (size_t j = 0; j < i; ++j) {
                if (equalsIgnoreCase(fields[j].name, fields[i].name))
                    duplicateField(name, fields[i].name);
            }
            columns += (i == 0 ? "" : ", ") + quoteIdentifier(fields[i].name) + " " +
                       declaredTypeFor(fields[i], name);
        }
        db().forgetTable(name);
        db().execute("CREATE TABLE main." + quoteIdentifier(name) + " (" + columns + ")");
        db().tableCreated(name);
    }

    void renameField(const std::string& table, const std::string& oldName,
                     const std::string& newName) override {
        std::string stored = exactTable(table);
        checkName(newName, "a field of table '" + stored + "'");
        const std::vector<Column>& columns = db().columns(stored);
        auto named = [&](const std::string& name) {
            return std::find_if(columns.begin(), columns.end(), [&](const Column& column) {
                return equalsIgnoreCase(column.name, name);
            });
        };
        auto old = named(oldName);
        if (old == columns.end()) {
            throw faults::fieldNotFound("field '" + oldName + "' of '" + stored + "'");
        }
        auto clash = named(newName);
        if (clash != columns.end() && clash != old)
            duplicateField(stored, newName);
        std::string from = old->name;
        db().forgetTable(stored);
        db().execute("ALTER TABLE main." + quoteIdentifier(stored) + " RENAME COLUMN " +
                     quoteIdentifier(from) + " TO " + quoteIdentifier(newName));
    }

    std::unique_ptr<Recordset> openTable(const std::string& name) override {
        return makeRecordset(m_connection, tableRows(db(), name));
    }

    std::unique_ptr<Recordset> openQuery(const std::string& sql) override {
        return makeRecordset(m_connection, queryRows(db(), sql));
    }

private:
    Connection& db() const {
        if (!m_connection) {
            throw faults::closedDatabase(faults::Wording::Store);
        }
        return *m_connection;
    }

    // Table definitions are found by their exact name, as the update compares names.
    std::string exactTable(const std::string& name) const {
        auto stored = db().findTable(name);
        if (!stored || *stored != name) {
            throw faults::tableDefNotFound("table '" + name + "' in '" + db().displayPath() + "'");
        }
        return *stored;
    }

    [[noreturn]] static void duplicateField(const std::string& table, const std::string& field) {
        throw faults::duplicateField(field, table);
    }

    std::shared_ptr<Connection> m_connection;
};

}  // namespace

std::unique_ptr<Database> makeDatabase(std::shared_ptr<Connection> connection) {
    return std::make_unique<SqliteDatabase>(std::move(connection));
}

}  // namespace dalvon::sqlite
