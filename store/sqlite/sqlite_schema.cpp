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

// Table names are unique without regard to ASCII case, as SQLite compares them.
std::string asciiUpper(std::string name) {
    for (char& c : name) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    }
    return name;
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
    if (!m_tables) {
        std::map<std::string, std::string> tables;
        for (const std::string& stored : tableNames())
            tables.emplace(asciiUpper(stored), stored);
        m_tables = std::move(tables);
    }
    auto found = m_tables->find(asciiUpper(name));
    if (found == m_tables->end())
        return std::nullopt;
    return found->second;
}

const std::vector<Column>& Connection::columns(const std::string& table) {
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
    writeHeldRows();
    std::string upper = asciiUpper(table);
    auto sameTable = [&](const auto& entry) { return asciiUpper(entry.first) == upper; };
    std::erase_if(m_columns, sameTable);
    std::erase_if(m_held, sameTable);
    m_tables.reset();
    ++m_writes;
    ++m_schemaCount;
}

void Connection::forgetSchema() {
    m_tables.reset();
    m_columns.clear();
    m_held.clear();
    ++m_writes;
    ++m_schemaCount;
}

}  // namespace dalvon::sqlite
