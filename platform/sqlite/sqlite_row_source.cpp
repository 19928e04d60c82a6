#include "platform/sqlite/sqlite_row_source.h"

#include <algorithm>

#include "platform/fault.h"
#include "platform/sql/sql_query.h"
#include "platform/sqlite/sqlite_connection.h"
#include "platform/text.h"

namespace dalvon::sqlite {
namespace {

std::string storedTableName(Connection& connection, const std::string& name) {
    auto stored = connection.findTable(name);
    if (!stored) {
        throw Fault(3078, "DAO.Database",
                    "The database engine cannot find the input table or query '" + name +
                        "'. Make sure it exists and that its name is spelled correctly.");
    }
    return *stored;
}

class QueryPlanner {
public:
    QueryPlanner(Connection& connection, const std::string& text)
        : m_connection(connection), m_text(text), m_query(sql::parse(text)) {}

    RowSource plan() {
        m_source.table = storedTableName(m_connection, m_query.table);
        m_all = m_connection.columns(m_source.table);
        m_source.rowid = rowidName(m_all);
        selectColumns();
        std::vector<size_t> keys, order;
        for (const sql::Condition& condition : m_query.where)
            keys.push_back(resolve(condition.field));
        for (const sql::OrderKey& key : m_query.orderBy)
            order.push_back(resolve(key.field));
        reportUnknown();
        for (size_t i = 0; i < keys.size(); ++i) {
            m_source.params.push_back(
                criterionValue(m_query.where[i].value, m_all[keys[i]], m_source.table, m_text));
        }
        m_source.loadAtOnce = !keys.empty();
        if (!keys.empty() && order.empty()) {
            m_source.keyPositions = keys;
            m_source.keyValues = std::move(m_source.params);
            m_source.params.clear();
            return std::move(m_source);
        }
        std::string where = keys.empty() ? "" : whereClause(keys);
        std::string orderBy;
        for (size_t i = 0; i < order.size(); ++i) {
            const Column& column = m_all[order[i]];
            orderBy += quoteIdentifier(column.name) +
                       (column.holdsText() ? " COLLATE DALVON_NOCASE" : "") +
                       (m_query.orderBy[i].descending ? " DESC, " : ", ");
        }
        m_source.idsSql = "SELECT " + m_source.rowid + " FROM main." +
                          quoteIdentifier(m_source.table) + where + " ORDER BY " + orderBy +
                          m_source.rowid;
        return std::move(m_source);
    }

private:
    void selectColumns() {
        if (m_query.selectAll) {
            if (!m_query.selectAllTable.empty() &&
                !sql::sameName(m_query.selectAllTable, m_query.table)) {
                m_unknown.push_back(m_query.selectAllTable + ".*");
            }
            m_source.columns = m_all;
            for (size_t i = 0; i < m_all.size(); ++i)
                m_source.positions.push_back(i);
            return;
        }
        for (const sql::FieldRef& field : m_query.fields) {
            size_t index = resolve(field);
            if (index < m_all.size()) {
                m_source.columns.push_back(m_all[index]);
                m_source.positions.push_back(index);
            }
        }
    }

    // A sorted selection scans; plain equality lookups go through the connection's index.
    std::string whereClause(const std::vector<size_t>& keys) const {
        std::string test;
        for (size_t i = 0; i < keys.size(); ++i) {
            const Column& column = m_all[keys[i]];
            test += (i == 0 ? " WHERE " : " AND ") + quoteIdentifier(column.name) + " = ?" +
                    std::to_string(i + 1) + (column.holdsText() ? " COLLATE DALVON_NOCASE" : "");
        }
        return test;
    }

    // The position of a field among the table's columns; the size of the list (after noting
    // the name) when the table has no such field.
    size_t resolve(const sql::FieldRef& field) {
        bool sameTable = field.table.empty() || sql::sameName(field.table, m_query.table);
        for (size_t i = 0; sameTable && i < m_all.size(); ++i) {
            if (sql::sameName(m_all[i].name, field.name))
                return i;
        }
        m_unknown.push_back(field.table.empty() ? field.name : field.table + "." + field.name);
        return m_all.size();
    }

    // Unknown names are parameters to the classic engine, which then wants values for them.
    void reportUnknown() const {
        if (m_unknown.empty())
            return;
        std::string names;
        for (const std::string& name : m_unknown)
            names += (names.empty() ? "'" : ", '") + name + "'";
        throw Fault(3061, "DAO.Database",
                    "Too few parameters. Expected " + std::to_string(m_unknown.size()) +
                        ". The table '" + m_source.table + "' has no field " + names + " (query '" +
                        m_text + "').");
    }

    Connection& m_connection;
    const std::string& m_text;
    sql::Query m_query;
    RowSource m_source;
    std::vector<Column> m_all;
    std::vector<std::string> m_unknown;
};

}  // namespace

RowSource tableRows(Connection& connection, const std::string& name) {
    RowSource source;
    source.table = storedTableName(connection, name);
    source.columns = connection.columns(source.table);
    for (size_t i = 0; i < source.columns.size(); ++i)
        source.positions.push_back(i);
    source.rowid = rowidName(source.columns);
    source.idsSql = "SELECT " + source.rowid + " FROM main." + quoteIdentifier(source.table) +
                    " ORDER BY " + source.rowid;
    return source;
}

RowSource queryRows(Connection& connection, const std::string& sqlText) {
    return QueryPlanner(connection, sqlText).plan();
}

}  // namespace dalvon::sqlite
