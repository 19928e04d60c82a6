#include "store/sqlite/sqlite_row_source.h"

#include "platform/text.h"
#include "store/faults.h"
#include "store/sql/sql_query.h"
#include "store/sql/sql_tokens.h"
#include "store/sqlite/sqlite_connection.h"

namespace dalvon::sqlite {

// How a query of one shape is run: queries that differ only in their literals (the program
// issues one per row) share it.
struct QueryPlan {
    std::shared_ptr<const RowShape> shape;
    std::vector<size_t> conditionColumns;  // per WHERE comparison, its column's position
    std::vector<char> signs;               // per comparison: the sign written before a number
    bool keyed = false;                    // served by an equality lookup
    std::string idsSql;
};

namespace {

std::string storedTableName(Connection& connection, const std::string& name) {
    auto stored = connection.findTable(name);
    if (!stored) {
        throw faults::inputTableNotFound(name, faults::Wording::Store);
    }
    return *stored;
}

std::shared_ptr<RowShape> makeShape(const std::string& table, const std::vector<Column>& all,
                                    std::vector<size_t> positions) {
    auto shape = std::make_shared<RowShape>();
    shape->table = table;
    shape->rowid = rowidName(all);
    shape->positions = std::move(positions);
    std::string names;
    for (size_t position : shape->positions) {
        const std::string& name = all[position].name;
        if (isAscii(name))
            shape->asciiFields.try_emplace(upperCase(name), static_cast<int>(shape->fields.size()));
        shape->columns.push_back(all[position]);
        shape->fields.push_back(all[position].def());
        names += ", " + quoteIdentifier(all[position].name);
    }
    shape->rowsSql = "SELECT " + shape->rowid + names + " FROM main." + quoteIdentifier(table) +
                     " WHERE " + shape->rowid + " BETWEEN ?1 AND ?2 ORDER BY " + shape->rowid;
    return shape;
}

class QueryPlanner {
public:
    QueryPlanner(Connection& connection, const std::string& text)
        : m_connection(connection), m_text(text), m_query(sql::parse(text)) {}

    std::shared_ptr<QueryPlan> plan() {
        std::string table = storedTableName(m_connection, m_query.table);
        m_all = m_connection.columns(table);
        std::vector<size_t> selected = selectColumns();
        auto plan = std::make_shared<QueryPlan>();
        for (const sql::Condition& condition : m_query.where) {
            plan->conditionColumns.push_back(resolve(condition.field));
            char sign = condition.value.kind == sql::Literal::Kind::Number &&
                                (condition.value.text[0] == '-' || condition.value.text[0] == '+')
                            ? condition.value.text[0]
                            : 0;
            plan->signs.push_back(sign);
        }
        std::vector<size_t> order;
        for (const sql::OrderKey& key : m_query.orderBy)
            order.push_back(resolve(key.field));
        reportUnknown(table);
        plan->shape = makeShape(table, m_all, std::move(selected));
        const std::string& rowid = plan->shape->rowid;
        // A sorted selection scans; plain equality lookups go through the connection's index.
        plan->keyed = !plan->conditionColumns.empty() && order.empty();
        if (plan->keyed)
            return plan;
        std::string clause;
        for (size_t i = 0; i < plan->conditionColumns.size(); ++i) {
            const Column& column = m_all[plan->conditionColumns[i]];
            clause += (i == 0 ? " WHERE " : " AND ") + quoteIdentifier(column.name) + " = ?" +
                      std::to_string(i + 1) + (column.holdsText() ? " COLLATE DALVON_NOCASE" : "");
        }
        clause += " ORDER BY ";
        for (size_t i = 0; i < order.size(); ++i) {
            const Column& column = m_all[order[i]];
            clause += quoteIdentifier(column.name) +
                      (column.holdsText() ? " COLLATE DALVON_NOCASE" : "") +
                      (m_query.orderBy[i].descending ? " DESC, " : ", ");
        }
        plan->idsSql = "SELECT " + rowid + " FROM main." + quoteIdentifier(table) + clause + rowid;
        return plan;
    }

private:
    std::vector<size_t> selectColumns() {
        std::vector<size_t> selected;
        if (m_query.selectAll) {
            if (!m_query.selectAllTable.empty() &&
                !sql::sameName(m_query.selectAllTable, m_query.table)) {
                m_unknown.push_back(m_query.selectAllTable + ".*");
            }
            for (size_t i = 0; i < m_all.size(); ++i)
                selected.push_back(i);
            return selected;
        }
        for (const sql::FieldRef& field : m_query.fields) {
            size_t index = resolve(field);
            if (index < m_all.size())
                selected.push_back(index);
        }
        return selected;
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
    void reportUnknown(const std::string& table) const {
        if (m_unknown.empty())
            return;
        std::string names;
        for (const std::string& name : m_unknown)
            names += (names.empty() ? "'" : ", '") + name + "'";
        throw faults::tooFewParameters(m_unknown.size(), "The table '" + table + "' has no field " +
                                                             names + " (query '" + m_text + "').");
    }

    Connection& m_connection;
    const std::string& m_text;
    sql::Query m_query;
    std::vector<Column> m_all;
    std::vector<std::string> m_unknown;
};

// A comparison's literal as the parser reads it: each literal of the query belongs to one
// comparison, in the order written.
sql::Literal literalOf(const sql::Token& token, char sign) {
    if (token.kind == sql::TokenKind::Text)
        return sql::Literal{sql::Literal::Kind::Text, std::string(token.text), 0};
    std::string written = sign ? std::string(1, sign) : std::string();
    written += token.text;
    return sql::Literal{sql::Literal::Kind::Number, std::move(written),
                        sign == '-' ? -token.number : token.number};
}

}  // namespace

RowSource tableRows(Connection& connection, const std::string& name) {
    std::string table = storedTableName(connection, name);
    std::shared_ptr<const QueryPlan> plan = connection.cachedPlan("\x01" + table);
    if (!plan) {
        const std::vector<Column>& all = connection.columns(table);
        auto made = std::make_shared<QueryPlan>();
        std::vector<size_t> positions;
        for (size_t i = 0; i < all.size(); ++i)
            positions.push_back(i);
        made->shape = makeShape(table, all, std::move(positions));
        made->idsSql = "SELECT " + made->shape->rowid + " FROM main." + quoteIdentifier(table) +
                       " ORDER BY " + made->shape->rowid;
        plan = made;
        connection.cachePlan("\x01" + table, plan);
    }
    RowSource source;
    source.shape = plan->shape;
    source.idsSql = plan->idsSql;
    return source;
}

RowSource queryRows(Connection& connection, const std::string& sqlText) {
    const QueryShape& scanned = connection.shapes().scan(sqlText);
    const std::vector<sql::Token>& literals = scanned.literals;
    std::shared_ptr<const QueryPlan> plan = connection.cachedPlan(scanned.shape);
    if (!plan) {
        plan = QueryPlanner(connection, sqlText).plan();
        connection.cachePlan(scanned.shape, plan);
    }
    RowSource source;
    source.shape = plan->shape;
    const std::vector<Column>& all = connection.columns(plan->shape->table);
    std::vector<StoredValue> values;
    values.reserve(plan->conditionColumns.size());
    for (size_t i = 0; i < plan->conditionColumns.size(); ++i) {
        values.push_back(criterionValue(literalOf(literals.at(i), plan->signs[i]),
                                        all[plan->conditionColumns[i]], plan->shape->table,
                                        sqlText));
    }
    source.loadAtOnce = !values.empty();
    if (plan->keyed) {
        source.keyPositions = plan->conditionColumns;
        source.keyValues = std::move(values);
    } else {
        source.idsSql = plan->idsSql;
        source.params = std::move(values);
    }
    return source;
}

}  // namespace dalvon::sqlite
