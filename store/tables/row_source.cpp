#include "store/tables/row_source.h"

#include <algorithm>

#include "platform/text.h"
#include "store/faults.h"
#include "store/sql/sql_query.h"
#include "store/sql/sql_tokens.h"
#include "store/tables/key_index.h"
#include "store/tables/query_shape.h"
#include "store/tables/table_file.h"

namespace dalvon::tables {

// How a query of one shape is run: queries that differ only in their literals (the program
// issues one per row) share it.
struct QueryPlan {
    std::shared_ptr<const RowShape> shape;
    std::vector<size_t> conditionColumns;        // per WHERE comparison, its column's position
    std::vector<char> signs;                     // per comparison: the sign written before a number
    std::vector<std::pair<size_t, bool>> order;  // column position, descending
    bool keyed = false;                          // served by an equality lookup
};

namespace {

std::string storedTableName(TableFile& file, const std::string& name) {
    auto stored = file.findTable(name);
    if (!stored) {
        throw faults::inputTableNotFound(name, file.wording());
    }
    return *stored;
}

std::shared_ptr<RowShape> makeShape(const std::string& table, const std::vector<Column>& all,
                                    std::vector<size_t> positions) {
    auto shape = std::make_shared<RowShape>();
    shape->table = table;
    shape->positions = std::move(positions);
    for (size_t position : shape->positions) {
        const std::string& name = all[position].name;
        if (isAscii(name))
            shape->asciiFields.try_emplace(upperCase(name), static_cast<int>(shape->fields.size()));
        shape->columns.push_back(all[position]);
        shape->fields.push_back(all[position].def());
    }
    return shape;
}

class QueryPlanner {
public:
    QueryPlanner(TableFile& file, const std::string& text)
        : m_file(file), m_text(text), m_query(sql::parse(text)) {}

    std::shared_ptr<QueryPlan> plan() {
        std::string table = storedTableName(m_file, m_query.table);
        m_all = m_file.columns(table);
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
        for (const sql::OrderKey& key : m_query.orderBy)
            plan->order.emplace_back(resolve(key.field), key.descending);
        reportUnknown(table);
        plan->shape = makeShape(table, m_all, std::move(selected));
        // A sorted selection takes a pass over the table; plain equality lookups go through the
        // file's key index.
        plan->keyed = !plan->conditionColumns.empty() && plan->order.empty();
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

    TableFile& m_file;
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

RowSource tableRows(TableFile& file, const std::string& name) {
    std::string table = storedTableName(file, name);
    std::shared_ptr<const QueryPlan> plan = file.cachedPlan("\x01" + table);
    if (!plan) {
        const std::vector<Column>& all = file.columns(table);
        auto made = std::make_shared<QueryPlan>();
        std::vector<size_t> positions;
        for (size_t i = 0; i < all.size(); ++i)
            positions.push_back(i);
        made->shape = makeShape(table, all, std::move(positions));
        plan = made;
        file.cachePlan("\x01" + table, plan);
    }
    RowSource source;
    source.shape = plan->shape;
    return source;
}

RowSource queryRows(TableFile& file, const std::string& sqlText) {
    const QueryShape& scanned = file.shapes().scan(sqlText);
    const std::vector<sql::Token>& literals = scanned.literals;
    std::shared_ptr<const QueryPlan> plan = file.cachedPlan(scanned.shape);
    if (!plan) {
        plan = QueryPlanner(file, sqlText).plan();
        file.cachePlan(scanned.shape, plan);
    }
    RowSource source;
    source.shape = plan->shape;
    const std::vector<Column>& all = file.columns(plan->shape->table);
    source.keyValues.reserve(plan->conditionColumns.size());
    for (size_t i = 0; i < plan->conditionColumns.size(); ++i) {
        source.keyValues.push_back(criterionValue(literalOf(literals.at(i), plan->signs[i]),
                                                  all[plan->conditionColumns[i]],
                                                  plan->shape->table, sqlText));
    }
    source.loadAtOnce = !source.keyValues.empty();
    source.keyed = plan->keyed;
    source.keyPositions = plan->conditionColumns;
    source.order = plan->order;
    return source;
}

namespace {

// The place of a value's kind in the order of sorted rows: Null, numbers, texts, binary data.
int kindRank(const StoredValue& value) {
    switch (value.index()) {
        case 0:
            return 0;
        case 1:
        case 2:
            return 1;
        case 3:
            return 2;
        default:
            return 3;
    }
}

double numberOf(const StoredValue& value) {
    if (auto* whole = std::get_if<int64_t>(&value))
        return static_cast<double>(*whole);
    return std::get<double>(value);
}

// Negative, zero or positive as `a` sorts before, with or after `b`; texts of a text column
// without regard to case.
int compareStored(const StoredValue& a, const StoredValue& b, const Column& column) {
    int rankA = kindRank(a);
    int rankB = kindRank(b);
    if (rankA != rankB)
        return rankA < rankB ? -1 : 1;
    switch (rankA) {
        case 1: {
            double x = numberOf(a);
            double y = numberOf(b);
            return x < y ? -1 : (y < x ? 1 : 0);
        }
        case 2: {
            const std::string& x = std::get<std::string>(a);
            const std::string& y = std::get<std::string>(b);
            int order = column.holdsText() ? compareTextIgnoringCase(x, y) : x.compare(y);
            return order < 0 ? -1 : (order > 0 ? 1 : 0);
        }
        case 3: {
            const auto& x = std::get<std::vector<uint8_t>>(a);
            const auto& y = std::get<std::vector<uint8_t>>(b);
            return x < y ? -1 : (y < x ? 1 : 0);
        }
        default:
            return 0;
    }
}

}  // namespace

std::vector<int64_t> rowIdsOf(TableFile& file, const RowSource& source) {
    const std::string& table = source.shape->table;
    if (source.keyed)
        return file.lookup(table, source.keyPositions, source.keyValues);
    if (source.keyPositions.empty() && source.order.empty())
        return file.rowIds(table);
    const std::vector<Column>& all = file.columns(table);
    // The lookup form of each comparison; a Null literal matches nothing.
    std::vector<std::string> wanted;
    for (size_t i = 0; i < source.keyPositions.size(); ++i) {
        std::optional<std::string> part =
            KeyIndex::lookupPart(source.keyValues[i], all.at(source.keyPositions[i]));
        if (!part)
            return {};
        wanted.push_back(std::move(*part));
    }
    struct Kept {
        int64_t id;
        std::vector<StoredValue> keys;
    };
    std::vector<Kept> kept;
    file.storage().scan(table, [&](Storage::RowId id, const Storage::Row& row) {
        for (size_t i = 0; i < wanted.size(); ++i) {
            size_t position = source.keyPositions[i];
            auto part = KeyIndex::lookupPart(storedOf(row.at(position)), all[position]);
            if (!part || *part != wanted[i])
                return;
        }
        Kept entry{id, {}};
        for (const auto& [position, descending] : source.order)
            entry.keys.push_back(storedOf(row.at(position)));
        kept.push_back(std::move(entry));
    });
    std::sort(kept.begin(), kept.end(), [&](const Kept& a, const Kept& b) {
        for (size_t i = 0; i < source.order.size(); ++i) {
            const auto& [position, descending] = source.order[i];
            int order = compareStored(a.keys[i], b.keys[i], all[position]);
            if (order != 0)
                return descending ? order > 0 : order < 0;
        }
        return a.id < b.id;
    });
    std::vector<int64_t> ids;
    ids.reserve(kept.size());
    for (const Kept& entry : kept)
        ids.push_back(entry.id);
    return ids;
}

}  // namespace dalvon::tables
