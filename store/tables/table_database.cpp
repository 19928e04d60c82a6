#include "store/tables/table_database.h"

#include <algorithm>
#include <utility>

#include "platform/text.h"
#include "store/faults.h"
#include "store/tables/table_file.h"
#include "store/tables/table_recordset.h"

namespace dalvon::tables {
namespace {

void checkName(const std::string& name, const std::string& what) {
    if (trimBlanks(name).empty() || name.find('\0') != std::string::npos) {
        throw faults::invalidName(name, what);
    }
}

class TableDatabase : public Database {
public:
    explicit TableDatabase(std::shared_ptr<TableFile> file)
        : m_file(std::move(file)), m_wording(m_file->wording()) {
        m_file->acquire();
    }

    ~TableDatabase() override {
        try {
            close();
        } catch (const Fault&) {
            // A destructor cannot report; close() explicitly to see a failed commit.
        }
    }

    void close() override {
        if (!m_file)
            return;
        std::shared_ptr<TableFile> file = std::move(m_file);
        file->release();
    }

    std::vector<std::string> tableNames() override { return db().tableNames(); }

    void deleteTable(const std::string& name) override {
        std::string table = exactTable(name);
        db().forgetTable(table);
        db().writableStorage().deleteTable(table);
    }

    std::vector<FieldDef> tableFields(const std::string& name) override {
        std::vector<FieldDef> fields;
        for (const Column& column : db().columns(exactTable(name)))
            fields.push_back(column.def());
        return fields;
    }

    std::vector<IndexDef> tableIndexes(const std::string& name) override {
        return db().storage().indexes(exactTable(name));
    }

    void createTable(const std::string& name, const std::vector<FieldDef>& fields,
                     const std::vector<IndexDef>& indexes) override {
        checkName(name, "a table");
        if (auto existing = db().findTable(name)) {
            throw faults::tableExists(*existing);
        }
        if (fields.empty()) {
            throw faults::noFieldDefined(name);
        }
        for (size_t i = 0; i < fields.size(); ++i) {
            checkName(fields[i].name, "a field of table '" + name + "'");
            for (size_t j = 0; j < i; ++j) {
                if (equalsIgnoreCase(fields[j].name, fields[i].name))
                    duplicateField(name, fields[i].name);
            }
            checkFieldType(fields[i], name);
        }
        std::vector<IndexDef> stored = storedIndexes(name, fields, indexes);
        db().forgetTable(name);
        db().writableStorage().createTable(name, fields, stored);
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
        db().writableStorage().renameField(stored, from, newName);
    }

    std::unique_ptr<Recordset> openTable(const std::string& name) override {
        return makeRecordset(m_file, tableRows(db(), name));
    }

    std::unique_ptr<Recordset> openQuery(const std::string& sql) override {
        return makeRecordset(m_file, queryRows(db(), sql));
    }

private:
    TableFile& db() const {
        if (!m_file) {
            throw faults::closedDatabase(m_wording);
        }
        return *m_file;
    }

    // Table definitions are found by their exact name, as the update compares names.
    std::string exactTable(const std::string& name) const {
        auto stored = db().findTable(name);
        if (!stored || *stored != name) {
            throw faults::tableDefNotFound("table '" + name + "' in '" + db().displayPath() + "'");
        }
        return *stored;
    }

    // The indexes with their fields named exactly as the table names them, once checked.
    static std::vector<IndexDef> storedIndexes(const std::string& table,
                                               const std::vector<FieldDef>& fields,
                                               std::vector<IndexDef> indexes) {
        for (size_t i = 0; i < indexes.size(); ++i) {
            IndexDef& index = indexes[i];
            const std::string what = "index '" + index.name + "' of table '" + table + "'";
            checkName(index.name, "an " + what);
            if (index.fields.empty())
                throw faults::fieldNotFound("no field in " + what);
            for (size_t j = 0; j < i; ++j) {
                if (equalsIgnoreCase(indexes[j].name, index.name))
                    throw faults::indexExists(what);
                if (indexes[j].primary && index.primary)
                    throw faults::primaryKeyExists(what);
            }
            for (IndexField& key : index.fields) {
                auto field = std::find_if(fields.begin(), fields.end(), [&](const FieldDef& f) {
                    return equalsIgnoreCase(f.name, key.name);
                });
                if (field == fields.end())
                    throw faults::fieldNotFound("field '" + key.name + "' of " + what);
                key.name = field->name;
            }
            index.unique = index.unique || index.primary;
        }
        // The primary key comes first, as tableIndexes() lists it.
        std::stable_partition(indexes.begin(), indexes.end(),
                              [](const IndexDef& index) { return index.primary; });
        return indexes;
    }

    [[noreturn]] static void duplicateField(const std::string& table, const std::string& field) {
        throw faults::duplicateField(field, table);
    }

    std::shared_ptr<TableFile> m_file;
    faults::Wording m_wording;
};

}  // namespace

std::unique_ptr<Database> makeDatabase(std::shared_ptr<TableFile> file) {
    return std::make_unique<TableDatabase>(std::move(file));
}

}  // namespace dalvon::tables
