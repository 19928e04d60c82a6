#include "store/jet/jet_query.h"

#include <algorithm>

#include "platform/text.h"
#include "store/faults.h"

namespace dalvon::jet {
namespace {

bool holdsText(const FieldDef& field) {
    return field.type == static_cast<int>(FieldType::Text) ||
           field.type == static_cast<int>(FieldType::Memo) ||
           field.type == static_cast<int>(FieldType::Guid);
}

bool holdsNumber(const FieldDef& field) {
    return !holdsText(field) && field.type != static_cast<int>(FieldType::Binary) &&
           field.type != static_cast<int>(FieldType::LongBinary);
}

size_t fieldPosition(const ResultSet& set, const sql::FieldRef& ref, const std::string& sqlText) {
    for (size_t i = 0; i < set.fields.size(); ++i) {
        if (equalsIgnoreCase(set.fields[i].name, ref.name))
            return i;
    }
    throw faults::tooFewParameters(1, "(unknown field '" + ref.name + "' in '" + sqlText + "')");
}

double numberOf(const Variant& value) {
    if (value.kind() == VariantKind::Date)
        return value.asDate().oleDays;
    return value.toDouble();
}

struct Criterion {
    size_t column;
    const sql::Literal* literal;
};

bool matches(const Row& row, const Criterion& criterion) {
    const Variant& value = row[criterion.column];
    if (value.isNull())
        return false;
    if (criterion.literal->kind == sql::Literal::Kind::Text) {
        return equalsIgnoreCase(value.toText(), criterion.literal->text);
    }
    return numberOf(value) == criterion.literal->number;
}

std::vector<Criterion> criteriaOf(const sql::Query& query, const std::string& sqlText,
                                  const ResultSet& set) {
    std::vector<Criterion> criteria;
    for (const auto& condition : query.where) {
        const size_t column = fieldPosition(set, condition.field, sqlText);
        const bool text = condition.value.kind == sql::Literal::Kind::Text;
        if (text ? !holdsText(set.fields[column]) : !holdsNumber(set.fields[column])) {
            throw faults::criteriaMismatch(". (field '" + set.fields[column].name + "' in '" +
                                           sqlText + "')");
        }
        criteria.push_back({column, &condition.value});
    }
    return criteria;
}

// Negative, zero or positive like strcmp; Null sorts before every value.
int compareValues(const Variant& a, const Variant& b) {
    if (a.isNull() || b.isNull())
        return static_cast<int>(!a.isNull()) - !b.isNull();
    if (a.isString() && b.isString()) {
        const std::string x = upperCase(a.asString());
        const std::string y = upperCase(b.asString());
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    if (a.kind() == VariantKind::Binary || b.kind() == VariantKind::Binary)
        return 0;
    const double x = numberOf(a);
    const double y = numberOf(b);
    return x < y ? -1 : (y < x ? 1 : 0);
}

void sortRows(const sql::Query& query, const std::string& sqlText, ResultSet& set) {
    std::vector<std::pair<size_t, bool>> keys;
    for (const auto& key : query.orderBy) {
        keys.emplace_back(fieldPosition(set, key.field, sqlText), key.descending);
    }
    std::stable_sort(set.rows.begin(), set.rows.end(), [&keys](const Row& a, const Row& b) {
        for (const auto& [column, descending] : keys) {
            const int order = compareValues(a[column], b[column]);
            if (order != 0)
                return descending ? order > 0 : order < 0;
        }
        return false;
    });
}

ResultSet project(const sql::Query& query, const std::string& sqlText, ResultSet set) {
    if (query.selectAll)
        return set;
    std::vector<size_t> columns;
    ResultSet result;
    for (const auto& ref : query.fields) {
        columns.push_back(fieldPosition(set, ref, sqlText));
        result.fields.push_back(set.fields[columns.back()]);
    }
    for (const Row& row : set.rows) {
        Row picked;
        for (size_t column : columns)
            picked.push_back(row[column]);
        result.rows.push_back(std::move(picked));
    }
    return result;
}

}  // namespace

ResultSet runQuery(const sql::Query& query, const std::string& sqlText, ResultSet table) {
    const std::vector<Criterion> criteria = criteriaOf(query, sqlText, table);
    std::erase_if(table.rows, [&criteria](const Row& row) {
        return !std::all_of(criteria.begin(), criteria.end(),
                            [&row](const Criterion& c) { return matches(row, c); });
    });
    sortRows(query, sqlText, table);
    return project(query, sqlText, std::move(table));
}

}  // namespace dalvon::jet
