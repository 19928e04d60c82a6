#include "tools/dalvon-db/table_diff.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <unordered_map>

#include "platform/fault.h"
#include "platform/text.h"
#include "presetdb/takeover_texts.h"
#include "store/sql/sql_query.h"

namespace dalvon::db_tool {
namespace {

using Row = std::vector<Variant>;

bool holdsText(int type) {
    return type == static_cast<int>(FieldType::Text) || type == static_cast<int>(FieldType::Memo) ||
           type == static_cast<int>(FieldType::Guid);
}

bool holdsBinary(int type) {
    return type == static_cast<int>(FieldType::Binary) ||
           type == static_cast<int>(FieldType::LongBinary);
}

std::optional<size_t> findField(const std::vector<FieldDef>& fields, const std::string& name) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (equalsIgnoreCase(fields[i].name, name))
            return i;
    }
    return std::nullopt;
}

size_t requireField(const TableRows& table, const std::string& name, const std::string& what,
                    const std::string& label) {
    if (std::optional<size_t> at = findField(table.fields, name))
        return *at;
    throw Fault(
        3265, "",
        "the " + what + " field '" + name + "' is not a field of the table in '" + label + "'");
}

// Numbers compare by value: one text for every double of the same value (0 and -0 alike).
std::string numberPart(double number) {
    char text[40];
    std::snprintf(text, sizeof text, "N%.17g", number == 0 ? 0.0 : number);
    return text;
}

std::string currencyPart(double number) {
    return "C" + std::to_string(static_cast<int64_t>(std::nearbyint(number * 10000.0)));
}

// The lookup form of a literal compared with a field of `type`, as the engine converts the
// literal to the field's kind; none where the engine refuses the comparison (error 3464).
std::optional<std::string> literalPart(const sql::Literal& literal, int type) {
    bool isText = literal.kind == sql::Literal::Kind::Text;
    if (holdsBinary(type) || isText != holdsText(type))
        return std::nullopt;
    if (isText)
        return "T" + upperCase(literal.text);
    if (type == static_cast<int>(FieldType::Boolean))
        return numberPart(literal.number != 0 ? 1 : 0);
    if (type == static_cast<int>(FieldType::Currency))
        return currencyPart(literal.number);
    return numberPart(literal.number);
}

// The lookup form of a stored value of a field of `type`; none for Null, which equals nothing.
std::optional<std::string> valuePart(const Variant& value, int type) {
    if (value.isNull() || value.isEmpty() || holdsBinary(type))
        return std::nullopt;
    if (holdsText(type))
        return "T" + upperCase(value.toText());
    if (type == static_cast<int>(FieldType::Boolean))
        return numberPart(value.toBoolean() ? 1 : 0);
    if (value.kind() == VariantKind::Currency)
        return "C" + std::to_string(value.asCurrency().scaled);
    if (type == static_cast<int>(FieldType::Currency))
        return currencyPart(value.toDouble());
    if (value.kind() == VariantKind::Date)
        return numberPart(value.asDate().oleDays);
    return numberPart(value.toDouble());
}

// The literals of the takeover's WHERE clause for these key values, parsed as the engine parses
// them; none when the text is no valid query (a Null number, a double quote inside a text).
std::optional<std::vector<sql::Literal>> keyLiterals(const std::vector<KeyField>& key,
                                                     const std::vector<Variant>& values) {
    std::string where;
    for (size_t i = 0; i < key.size(); ++i) {
        std::string literal = TakeoverKeyText(values[i]);
        if (key[i].quoted)
            literal = "\"" + literal + "\"";
        where += (i == 0 ? " WHERE ((K" : " AND ((K") + std::to_string(i) + ")=" + literal + ")";
    }
    sql::Query query;
    try {
        query = sql::parse("SELECT * FROM T" + where + ";");
    } catch (const Fault&) {
        return std::nullopt;
    }
    if (query.where.size() != key.size())
        return std::nullopt;
    std::vector<sql::Literal> literals;
    for (size_t i = 0; i < key.size(); ++i) {
        if (query.where[i].field.name != "K" + std::to_string(i))
            return std::nullopt;
        literals.push_back(query.where[i].value);
    }
    return literals;
}

// Where the key and compared fields are in each table.
struct Layout {
    std::vector<size_t> oldKey, newKey, oldCompared, newCompared;
    std::optional<size_t> oldGroup, newGroup;
};

bool byTakeoverKey(const std::vector<KeyField>& key) {
    std::vector<KeyField> takeover = takeoverKey();
    return key.size() == takeover.size() &&
           std::equal(key.begin(), key.end(), takeover.begin(),
                      [](const KeyField& a, const KeyField& b) {
                          return equalsIgnoreCase(a.name, b.name) && a.quoted == b.quoted;
                      });
}

std::vector<std::string> comparedFields(const TableRows& oldRows, const TableRows& newRows,
                                        const DiffPlan& plan) {
    if (!plan.compared.empty())
        return plan.compared;
    auto inBoth = [&](const std::string& name) {
        return findField(oldRows.fields, name) && findField(newRows.fields, name);
    };
    if (byTakeoverKey(plan.key) && std::all_of(limitFields().begin(), limitFields().end(), inBoth))
        return limitFields();
    std::vector<std::string> shared;
    for (const FieldDef& field : oldRows.fields) {
        bool isKey = std::any_of(plan.key.begin(), plan.key.end(), [&](const KeyField& k) {
            return equalsIgnoreCase(k.name, field.name);
        });
        if (!isKey && inBoth(field.name))
            shared.push_back(field.name);
    }
    return shared;
}

Layout layoutOf(const TableRows& oldRows, const TableRows& newRows, const DiffPlan& plan,
                const std::vector<std::string>& compared, const std::string& oldLabel,
                const std::string& newLabel) {
    Layout layout;
    for (const KeyField& field : plan.key) {
        layout.oldKey.push_back(requireField(oldRows, field.name, "key", oldLabel));
        layout.newKey.push_back(requireField(newRows, field.name, "key", newLabel));
    }
    for (const std::string& name : compared) {
        layout.oldCompared.push_back(requireField(oldRows, name, "compared", oldLabel));
        layout.newCompared.push_back(requireField(newRows, name, "compared", newLabel));
    }
    layout.oldGroup = findField(oldRows.fields, "machine_type");
    layout.newGroup = findField(newRows.fields, "machine_type");
    if (!layout.oldGroup || !layout.newGroup)
        layout.oldGroup = layout.newGroup = std::nullopt;
    return layout;
}

Row pick(const Row& row, const std::vector<size_t>& positions) {
    Row picked;
    for (size_t at : positions)
        picked.push_back(row[at]);
    return picked;
}

// The lookup key of a new row; none when a key value is Null or cannot be compared.
std::optional<std::string> newRowKey(const TableRows& table, const Row& row,
                                     const std::vector<size_t>& key) {
    std::string lookup;
    for (size_t at : key) {
        std::optional<std::string> part = valuePart(row[at], table.fields[at].type);
        if (!part)
            return std::nullopt;
        lookup += std::to_string(part->size()) + ':' + *part;
    }
    return lookup;
}

// Gives the key's var_name the name the update renames it to; true when it did.
bool renameVarName(const DiffPlan& plan, Row& key) {
    for (size_t i = 0; i < plan.key.size() && !plan.renames.empty(); ++i) {
        if (!equalsIgnoreCase(plan.key[i].name, "var_name") || !key[i].isString())
            continue;
        auto found = plan.renames.find(upperCase(key[i].asString()));
        if (found == plan.renames.end())
            return false;
        key[i] = Variant::string(found->second);
        return true;
    }
    return false;
}

// The lookup key of an old row as the takeover's query compares it with the new table, after
// the update's renaming.
std::optional<std::string> oldRowKey(const TableRows& newTable, const Row& row,
                                     const DiffPlan& plan, const Layout& layout, bool& renamed) {
    Row key = pick(row, layout.oldKey);
    renamed = renameVarName(plan, key);
    std::optional<std::vector<sql::Literal>> literals = keyLiterals(plan.key, key);
    if (!literals)
        return std::nullopt;
    std::string lookup;
    for (size_t i = 0; i < literals->size(); ++i) {
        int type = newTable.fields[layout.newKey[i]].type;
        std::optional<std::string> part = literalPart((*literals)[i], type);
        if (!part)
            return std::nullopt;
        lookup += std::to_string(part->size()) + ':' + *part;
    }
    return lookup;
}

// Groups by the machine type, without regard to case as the key compares it, in the order the
// new table and then the old table first name them.
class Grouping {
public:
    Grouping(std::vector<DiffGroup>& groups, const Layout& layout)
        : m_groups(groups), m_layout(layout) {}

    DiffGroup& oldRow(const Row& row) { return groupOf(row, m_layout.oldGroup); }
    DiffGroup& newRow(const Row& row) { return groupOf(row, m_layout.newGroup); }

private:
    DiffGroup& groupOf(const Row& row, std::optional<size_t> field) {
        Variant name = field ? row[*field] : Variant();
        std::string id = name.isNull() ? std::string("\x01") : upperCase(name.toTextOrEmpty());
        auto [at, added] = m_index.emplace(id, m_groups.size());
        if (added)
            m_groups.push_back(DiffGroup{name, {}, {}, {}, 0});
        return m_groups[at->second];
    }

    std::vector<DiffGroup>& m_groups;
    const Layout& m_layout;
    std::map<std::string, size_t> m_index;
};

bool sameValues(const Row& a, const Row& b) {
    for (size_t i = 0; i < a.size(); ++i) {
        if (!sameValue(a[i], b[i]))
            return false;
    }
    return true;
}

// The first row of the new table for each lookup key, as the takeover's query finds it.
std::unordered_map<std::string, size_t> indexNewRows(const TableRows& newRows,
                                                     const Layout& layout) {
    std::unordered_map<std::string, size_t> index;
    for (size_t j = 0; j < newRows.rows.size(); ++j) {
        if (std::optional<std::string> key = newRowKey(newRows, newRows.rows[j], layout.newKey))
            index.emplace(*key, j);
    }
    return index;
}

}  // namespace

std::vector<KeyField> takeoverKey() {
    return {{"machine_type", true}, {"var_name", true}, {"offset_or_bitno", false}};
}

const std::vector<std::string>& limitFields() {
    static const std::vector<std::string> kLimits = {"abs_min", "abs_max", "min", "max", "pass"};
    return kLimits;
}

TableRows readTableRows(Database& database, const std::string& table,
                        const std::string& fileLabel) {
    std::vector<std::string> names = database.tableNames();
    if (std::find(names.begin(), names.end(), table) == names.end())
        throw Fault(3078, "", "there is no table '" + table + "' in '" + fileLabel + "'");
    std::unique_ptr<Recordset> rows = database.openTable(table);
    TableRows read;
    for (int i = 0; i < rows->fieldCount(); ++i)
        read.fields.push_back(rows->field(i));
    for (; !rows->eof(); rows->moveNext()) {
        Row& row = read.rows.emplace_back();
        for (int i = 0; i < rows->fieldCount(); ++i)
            row.push_back(rows->value(i));
    }
    rows->close();
    return read;
}

DiffCounts TableDiff::counts() const {
    DiffCounts counts;
    for (const DiffGroup& group : groups) {
        counts.onlyOld += static_cast<int>(group.onlyOld.size());
        counts.onlyNew += static_cast<int>(group.onlyNew.size());
        counts.changed += static_cast<int>(group.changed.size());
        counts.same += group.same;
    }
    return counts;
}

TableDiff diffTables(const TableRows& oldRows, const TableRows& newRows, const DiffPlan& plan,
                     const std::string& oldLabel, const std::string& newLabel) {
    TableDiff diff;
    for (const KeyField& field : plan.key)
        diff.key.push_back(field.name);
    diff.compared = comparedFields(oldRows, newRows, plan);
    Layout layout = layoutOf(oldRows, newRows, plan, diff.compared, oldLabel, newLabel);
    if (layout.newGroup)
        diff.groupField = newRows.fields[*layout.newGroup].name;
    Grouping grouping(diff.groups, layout);
    for (const Row& row : newRows.rows)
        grouping.newRow(row);
    std::unordered_map<std::string, size_t> index = indexNewRows(newRows, layout);
    std::vector<bool> matched(newRows.rows.size(), false);
    for (const Row& row : oldRows.rows) {
        bool renamed = false;
        std::optional<std::string> key = oldRowKey(newRows, row, plan, layout, renamed);
        auto found = key ? index.find(*key) : index.end();
        if (found == index.end()) {
            grouping.oldRow(row).onlyOld.push_back(
                {pick(row, layout.oldKey), pick(row, layout.oldCompared)});
            continue;
        }
        diff.renamed += renamed ? 1 : 0;
        const Row& newRow = newRows.rows[found->second];
        matched[found->second] = true;
        Row oldValues = pick(row, layout.oldCompared), newValues = pick(newRow, layout.newCompared);
        DiffGroup& group = grouping.newRow(newRow);
        if (sameValues(oldValues, newValues))
            ++group.same;
        else
            group.changed.push_back({pick(newRow, layout.newKey), oldValues, newValues});
    }
    for (size_t j = 0; j < newRows.rows.size(); ++j) {
        const Row& row = newRows.rows[j];
        if (!matched[j])
            grouping.newRow(row).onlyNew.push_back(
                {pick(row, layout.newKey), pick(row, layout.newCompared)});
    }
    return diff;
}

bool sameValue(const Variant& a, const Variant& b) {
    bool aNull = a.isNull() || a.isEmpty(), bNull = b.isNull() || b.isEmpty();
    if (aNull || bNull)
        return aNull && bNull;
    auto numberLike = [](const Variant& v) {
        return v.isNumeric() || v.kind() == VariantKind::Date;
    };
    auto number = [](const Variant& v) {
        return v.kind() == VariantKind::Date ? v.asDate().oleDays : v.toDouble();
    };
    if (numberLike(a) && numberLike(b))
        return number(a) == number(b);
    if (a.kind() == VariantKind::Binary || b.kind() == VariantKind::Binary)
        return a == b;
    return a.toText() == b.toText();
}

}  // namespace dalvon::db_tool
