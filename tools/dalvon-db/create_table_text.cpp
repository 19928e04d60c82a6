#include "tools/dalvon-db/create_table_text.h"

#include <algorithm>
#include <cctype>

#include "store/sql_names.h"

namespace dalvon::db_tool {
namespace {

constexpr int kDecimal = 20;

// Words that cannot stand unquoted as a name in the statements SQLite and Jet read.
constexpr const char* kReserved[] = {
    "ADD",    "ALL",    "ALTER",   "AND",        "AS",     "BETWEEN",  "BY",     "CASE",
    "CHECK",  "COLUMN", "CREATE",  "DEFAULT",    "DELETE", "DISTINCT", "DROP",   "ELSE",
    "EXISTS", "FROM",   "GROUP",   "HAVING",     "IN",     "INDEX",    "INSERT", "INTO",
    "IS",     "JOIN",   "KEY",     "LIKE",       "LIMIT",  "NOT",      "NULL",   "ON",
    "OR",     "ORDER",  "PRIMARY", "REFERENCES", "SELECT", "SET",      "TABLE",  "THEN",
    "TO",     "UNION",  "UNIQUE",  "UPDATE",     "VALUES", "WHEN",     "WHERE",
};

bool isPlainName(const std::string& name) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0])))
        return false;
    bool plain = std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    });
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return plain && std::none_of(std::begin(kReserved), std::end(kReserved),
                                 [&](const char* word) { return upper == word; });
}

std::string sqlName(const std::string& name) {
    return isPlainName(name) ? name : quoteIdentifier(name);
}

// Decimal fields become DOUBLE, as convert writes them.
std::string declaredTypeName(const FieldDef& field) {
    return field.type == kDecimal ? "DOUBLE" : ddlTypeName(field).value_or("LONGTEXT");
}

std::string keyList(const IndexDef& index) {
    std::string list;
    for (const IndexField& field : index.fields)
        list += (list.empty() ? "" : ", ") + sqlName(field.name) + (field.ascending ? "" : " DESC");
    return "(" + list + ")";
}

}  // namespace

std::string createTableText(const std::string& table, const std::vector<FieldDef>& fields,
                            const std::vector<IndexDef>& indexes) {
    std::string text = "CREATE TABLE " + sqlName(table) + " (";
    for (size_t i = 0; i < fields.size(); ++i) {
        text += (i > 0 ? ", " : "") + sqlName(fields[i].name) + " " + declaredTypeName(fields[i]);
    }
    std::string indexTexts;
    for (const IndexDef& index : indexes) {
        if (index.primary)
            text += ", PRIMARY KEY " + keyList(index);
        else
            indexTexts += std::string("\nCREATE ") + (index.unique ? "UNIQUE " : "") + "INDEX " +
                          sqlName(index.name) + " ON " + sqlName(table) + " " + keyList(index) +
                          ";";
    }
    return text + ");" + indexTexts;
}

}  // namespace dalvon::db_tool
