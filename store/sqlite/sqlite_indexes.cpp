#include "store/sqlite/sqlite_indexes.h"

#include <algorithm>

#include "platform/text.h"
#include "store/sql_names.h"
#include "store/sqlite/sqlite_connection.h"

namespace dalvon::sqlite {
namespace {

std::string asText(const StoredValue& value) {
    auto* text = std::get_if<std::string>(&value);
    return text ? *text : std::string();
}

int64_t asNumber(const StoredValue& value) {
    auto* number = std::get_if<int64_t>(&value);
    return number ? *number : 0;
}

std::string keyList(const IndexDef& index) {
    std::string list;
    for (const IndexField& field : index.fields) {
        list += (list.empty() ? "" : ", ") + quoteIdentifier(field.name) +
                (field.ascending ? "" : " DESC");
    }
    return "(" + list + ")";
}

// The key fields of an index, or nothing when a key is an expression.
std::optional<std::vector<IndexField>> keyFields(Connection& connection, const std::string& name) {
    std::vector<IndexField> fields;
    for (const Row& row : connection.query("SELECT cid, name, \"desc\" FROM "
                                           "pragma_index_xinfo(?1, 'main') WHERE key = 1 "
                                           "ORDER BY seqno",
                                           {name})) {
        if (asNumber(row[0]) < 0)
            return std::nullopt;
        fields.push_back({asText(row[1]), asNumber(row[2]) == 0});
    }
    return fields;
}

// A primary key on the row id (INTEGER PRIMARY KEY) has no index of its own.
std::optional<IndexDef> rowidKey(Connection& connection, const std::string& table) {
    IndexDef key{"PrimaryKey", {}, true, true};
    for (const Row& row : connection.query(
             "SELECT name FROM pragma_table_info(?1, 'main') WHERE pk > 0 ORDER BY pk", {table}))
        key.fields.push_back({asText(row[0]), true});
    if (key.fields.empty())
        return std::nullopt;
    return key;
}

// A name for a UNIQUE constraint, which SQLite names after itself.
std::string constraintName(const std::vector<IndexDef>& taken) {
    for (int n = 1;; ++n) {
        std::string name = "Unique" + std::to_string(n);
        if (std::none_of(taken.begin(), taken.end(),
                         [&](const IndexDef& index) { return equalsIgnoreCase(index.name, name); }))
            return name;
    }
}

bool nameTaken(Connection& connection, const std::string& name) {
    return !connection
                .query("SELECT 1 FROM main.sqlite_master WHERE name = ?1 COLLATE NOCASE", {name})
                .empty();
}

}  // namespace

std::vector<IndexDef> readIndexes(Connection& connection, const std::string& table) {
    std::vector<IndexDef> indexes;
    bool keyed = false;
    for (const Row& row : connection.query(
             "SELECT l.name, l.\"unique\", l.origin FROM pragma_index_list(?1, 'main') AS l "
             "JOIN main.sqlite_master AS m ON m.name = l.name WHERE l.partial = 0 "
             "ORDER BY m.rowid",
             {table})) {
        const std::string origin = asText(row[2]);
        auto fields = keyFields(connection, asText(row[0]));
        keyed = keyed || origin == "pk";
        if (!fields)
            continue;
        IndexDef index{asText(row[0]), std::move(*fields), origin == "pk", asNumber(row[1]) != 0};
        if (index.primary)
            index.name = "PrimaryKey";
        else if (origin == "u")
            index.name = constraintName(indexes);
        indexes.push_back(std::move(index));
    }
    if (!keyed) {
        if (auto key = rowidKey(connection, table))
            indexes.push_back(std::move(*key));
    }
    std::stable_partition(indexes.begin(), indexes.end(),
                          [](const IndexDef& index) { return index.primary; });
    return indexes;
}

std::string primaryKeyClause(const std::vector<IndexDef>& indexes) {
    for (const IndexDef& index : indexes) {
        if (index.primary)
            return ", PRIMARY KEY " + keyList(index);
    }
    return {};
}

void createIndexes(Connection& connection, const std::string& table,
                   const std::vector<IndexDef>& indexes) {
    for (const IndexDef& index : indexes) {
        if (index.primary)
            continue;
        std::string name = index.name;
        for (int n = 2; nameTaken(connection, name); ++n)
            name = table + "_" + index.name + (n > 2 ? std::to_string(n - 1) : "");
        connection.execute(std::string("CREATE ") + (index.unique ? "UNIQUE " : "") +
                           "INDEX main." + quoteIdentifier(name) + " ON " + quoteIdentifier(table) +
                           " " + keyList(index));
    }
}

}  // namespace dalvon::sqlite
