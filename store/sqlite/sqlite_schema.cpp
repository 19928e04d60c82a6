#include <algorithm>

#include "platform/text.h"
#include "store/sql/sql_query.h"
#include "store/sqlite/sqlite_connection.h"

// The parts of Connection that read the schema and keep the key indexes.
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
    std::erase_if(m_indexes, sameTable);
    std::erase_if(m_held, sameTable);
    m_plans.clear();
    m_tables.reset();
    ++m_writes;
}

void Connection::forgetSchema() {
    m_tables.reset();
    m_columns.clear();
    m_indexes.clear();
    m_plans.clear();
    m_held.clear();
    ++m_writes;
}

std::shared_ptr<const QueryPlan> Connection::cachedPlan(const std::string& shape) const {
    auto found = m_plans.find(shape);
    return found == m_plans.end() ? nullptr : found->second;
}

void Connection::cachePlan(std::string shape, std::shared_ptr<const QueryPlan> plan) {
    constexpr size_t kMaxPlans = 256;
    if (m_plans.size() >= kMaxPlans)
        m_plans.clear();
    m_plans.emplace(std::move(shape), std::move(plan));
}

KeyIndex& Connection::indexFor(const std::string& table, const std::vector<size_t>& positions) {
    auto& indexes = m_indexes[table];
    for (const auto& index : indexes) {
        if (index->positions() == positions)
            return *index;
    }
    const std::vector<Column>& all = columns(table);
    std::vector<Column> keys;
    std::string names;
    for (size_t position : positions) {
        keys.push_back(all.at(position));
        names += ", " + quoteIdentifier(all[position].name);
    }
    auto index = std::make_unique<KeyIndex>(positions, keys);
    // One pass over the table; from here on the writes of this connection keep it current.
    std::string sql = "SELECT " + rowidName(all) + names + " FROM main." + quoteIdentifier(table);
    std::vector<const StoredValue*> values(keys.size());
    eachStoredRow(sql, {}, [&](Row& row) {
        for (size_t i = 0; i < keys.size(); ++i)
            values[i] = &row[i + 1];
        index->add(std::get<int64_t>(row[0]), values);
    });
    // Rows held back are not in the file yet.
    auto held = m_held.find(table);
    for (size_t r = 0; held != m_held.end() && r < held->second.ids.size(); ++r) {
        std::vector<std::string_view> parts = packedParts(held->second.rows[r]);
        std::string exact;
        for (size_t position : positions)
            exact.append(parts.at(position));
        index->addPacked(held->second.ids[r], std::move(exact));
    }
    indexes.push_back(std::move(index));
    return *indexes.back();
}

std::vector<int64_t> Connection::lookup(const std::string& table,
                                        const std::vector<size_t>& positions,
                                        const std::vector<StoredValue>& values) {
    const std::vector<Column>& all = columns(table);
    // A column compared twice matches only when both values are the same to a lookup.
    std::vector<size_t> distinct;
    std::vector<std::string> parts;
    for (size_t i = 0; i < positions.size(); ++i) {
        std::optional<std::string> part = KeyIndex::lookupPart(values[i], all.at(positions[i]));
        if (!part)
            return {};
        auto seen = std::find(distinct.begin(), distinct.end(), positions[i]);
        if (seen != distinct.end()) {
            if (parts[static_cast<size_t>(seen - distinct.begin())] != *part)
                return {};
            continue;
        }
        distinct.push_back(positions[i]);
        parts.push_back(std::move(*part));
    }
    std::string key;
    for (const std::string& part : parts)
        key += part;
    return indexFor(table, distinct).find(key);
}

std::vector<StoredValue> Connection::storedKey(const KeyIndex& index, const std::string& table,
                                               int64_t rowid) {
    const std::vector<Column>& all = columns(table);
    std::string names;
    for (size_t position : index.positions())
        names += (names.empty() ? "" : ", ") + quoteIdentifier(all.at(position).name);
    std::vector<Row> rows = query("SELECT " + names + " FROM main." + quoteIdentifier(table) +
                                      " WHERE " + rowidName(all) + " = ?1",
                                  {rowid});
    return rows.empty() ? std::vector<StoredValue>(index.positions().size()) : rows[0];
}

}  // namespace dalvon::sqlite
