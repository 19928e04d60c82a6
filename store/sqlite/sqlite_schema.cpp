#include <algorithm>

#include "platform/text.h"
#include "store/sql/sql_query.h"
#include "store/sqlite/sqlite_connection.h"

// The parts of Connection that read the schema.
namespace dalvon::sqlite {
namespace {

std::string asText(const StoredValue& value) {
    auto* text = std::get_if<std::string>(&value);
    return text ? *text : std::string();
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

bool Connection::hasTable(const std::string& name) {
    if (!m_tables) {
        std::vector<std::string> names = tableNames();
        m_tables.emplace(names.begin(), names.end());
    }
    return m_tables->count(name) > 0;
}

const std::vector<Column>& Connection::columns(const std::string& table) {
    auto found = m_columns.find(table);
    if (found != m_columns.end())
        return found->second;
    std::vector<Column> columns;
    for (const Row& row : query("SELECT name, type FROM pragma_table_info(?1, 'main')", {table})) {
        columns.push_back(dalvon::columnFromDeclaredType(asText(row[0]), asText(row[1])));
    }
    return m_columns.emplace(table, std::move(columns)).first->second;
}

void Connection::forgetTable(const std::string& table) {
    writeHeldRows();
    m_columns.erase(table);
    m_held.erase(table);
    m_tables.reset();
    ++m_schemaCount;
}

void Connection::forgetSchema() {
    m_tables.reset();
    m_columns.clear();
    m_held.clear();
    ++m_schemaCount;
}

}  // namespace dalvon::sqlite
