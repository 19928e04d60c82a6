#include <algorithm>

#include "platform/sqlite/sqlite_connection.h"
#include "platform/text.h"

// The parts of Connection that read the schema and keep the temporary lookups.
namespace dalvon::sqlite {
namespace {

std::string asText(const StoredValue& value) {
    auto* text = std::get_if<std::string>(&value);
    return text ? *text : std::string();
}

int64_t asInteger(const StoredValue& value) {
    auto* whole = std::get_if<int64_t>(&value);
    return whole ? *whole : 0;
}

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : ", ") + part;
    return text;
}

}  // namespace

std::vector<std::string> Connection::tableNames() {
    std::vector<std::string> names;
    for (const Row& row : query("SELECT name FROM main.sqlite_master WHERE type = 'table' AND "
                                "name NOT LIKE 'sqlite!_%' ESCAPE '!' ORDER BY rowid")) {
        names.push_back(asText(row[0]));
    }
    return names;
}

std::optional<std::string> Connection::findTable(const std::string& name) {
    auto rows = query(
        "SELECT name FROM main.sqlite_master WHERE type = 'table' AND "
        "name = ?1 COLLATE NOCASE AND name NOT LIKE 'sqlite!_%' ESCAPE '!'",
        {name});
    if (rows.empty())
        return std::nullopt;
    return asText(rows[0][0]);
}

const std::vector<Column>& Connection::columns(const std::string& table) {
    // Another tool may have changed the schema since the last transaction began.
    int64_t version = asInteger(query("PRAGMA main.schema_version").at(0).at(0));
    if (version != m_schemaVersion) {
        m_columns.clear();
        m_schemaVersion = version;
    }
    auto found = m_columns.find(table);
    if (found != m_columns.end())
        return found->second;
    std::vector<Column> columns;
    for (const Row& row : query("SELECT name, type FROM pragma_table_info(?1, 'main')", {table})) {
        columns.push_back(columnFromDeclaredType(asText(row[0]), asText(row[1])));
    }
    return m_columns.emplace(table, std::move(columns)).first->second;
}

void Connection::forgetTable(const std::string& table) {
    for (auto it = m_lookups.begin(); it != m_lookups.end();) {
        if (equalsIgnoreCase(it->second.table, table)) {
            execute("DROP TRIGGER IF EXISTS temp." + quoteIdentifier(it->second.name + "_insert"));
            execute("DROP TRIGGER IF EXISTS temp." + quoteIdentifier(it->second.name + "_update"));
            execute("DROP TRIGGER IF EXISTS temp." + quoteIdentifier(it->second.name + "_delete"));
            execute("DROP TABLE IF EXISTS temp." + quoteIdentifier(it->second.name));
            it = m_lookups.erase(it);
        } else {
            ++it;
        }
    }
    m_columns.erase(table);
}

void Connection::dropLookups() {
    while (!m_lookups.empty()) {
        // A copy: forgetTable erases the entry the name lives in.
        std::string table = m_lookups.begin()->second.table;
        forgetTable(table);
    }
}

std::string Connection::lookup(const std::string& table, const std::vector<Column>& keys) {
    std::string id = upperCase(table);
    for (const Column& key : keys)
        id += '\x1f' + upperCase(key.name);
    auto found = m_lookups.find(id);
    if (found != m_lookups.end())
        return found->second.name;

    std::string name = "dalvon_lookup_" + std::to_string(++m_lookupCount);
    std::string rowid = rowidName(columns(table));
    std::string target = "main." + quoteIdentifier(table);
    std::vector<std::string> keyDefs, keyNames, sourceNames, newValues, assignments;
    for (size_t i = 0; i < keys.size(); ++i) {
        std::string k = "k" + std::to_string(i);
        std::string source = quoteIdentifier(keys[i].name);
        keyDefs.push_back(k + (keys[i].holdsText() ? " COLLATE DALVON_NOCASE" : ""));
        keyNames.push_back(k);
        sourceNames.push_back(source);
        newValues.push_back("new." + source);
        assignments.push_back(k + " = new." + source);
    }
    std::string quoted = quoteIdentifier(name);
    execute("CREATE TEMP TABLE " + quoted + " (rid INTEGER PRIMARY KEY, " + joined(keyDefs) + ")");
    m_lookups[id] = Lookup{table, name};
    execute("INSERT INTO temp." + quoted + " SELECT " + rowid + ", " + joined(sourceNames) +
            " FROM " + target);
    execute("CREATE INDEX temp." + quoteIdentifier(name + "_key") + " ON " + quoted + " (" +
            joined(keyNames) + ")");
    execute("CREATE TEMP TRIGGER " + quoteIdentifier(name + "_insert") + " AFTER INSERT ON " +
            target + " BEGIN INSERT INTO " + quoted + " VALUES (new." + rowid + ", " +
            joined(newValues) + "); END");
    execute("CREATE TEMP TRIGGER " + quoteIdentifier(name + "_update") + " AFTER UPDATE OF " +
            joined(sourceNames) + " ON " + target + " BEGIN UPDATE " + quoted + " SET " +
            joined(assignments) + " WHERE rid = old." + rowid + "; END");
    execute("CREATE TEMP TRIGGER " + quoteIdentifier(name + "_delete") + " AFTER DELETE ON " +
            target + " BEGIN DELETE FROM " + quoted + " WHERE rid = old." + rowid + "; END");
    return name;
}

}  // namespace dalvon::sqlite
