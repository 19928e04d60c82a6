// Matching two versions of PRESET_DEFS as the takeover matches them, on tables held in memory.
#include "tools/dalvon-db/table_diff.h"

#include <gtest/gtest.h>

#include "platform/fault.h"

namespace dalvon::db_tool {
namespace {

constexpr int kText = static_cast<int>(FieldType::Text);
constexpr int kLong = static_cast<int>(FieldType::Long);
constexpr int kDouble = static_cast<int>(FieldType::Double);

Variant text(const char* value) {
    return Variant::string(value);
}
Variant number(double value) {
    return Variant::doubleValue(value);
}
Variant null() {
    return Variant::null();
}
Variant whole(int32_t value) {
    return Variant::longValue(value);
}

// PRESET_DEFS reduced to the key and two limits; `offsetType` is the type of offset_or_bitno.
TableRows presetTable(std::vector<std::vector<Variant>> rows, int offsetType = kLong) {
    TableRows table;
    table.fields = {{"machine_type", kText, 20},
                    {"var_name", kText, 255},
                    {"offset_or_bitno", offsetType, 4},
                    {"min", kDouble, 8},
                    {"max", kDouble, 8}};
    table.rows = std::move(rows);
    return table;
}

TableDiff diffOf(const TableRows& oldRows, const TableRows& newRows) {
    return diffTables(oldRows, newRows, DiffPlan{}, "old.mdb", "new.mdb");
}

std::string summary(const TableDiff& diff) {
    DiffCounts counts = diff.counts();
    return std::to_string(counts.onlyOld) + " old, " + std::to_string(counts.onlyNew) + " new, " +
           std::to_string(counts.changed) + " changed, " + std::to_string(counts.same) + " same";
}

TEST(TableDiff, MatchesRowsAsTheTakeoverLooksThemUp) {
    struct Case {
        const char* what;
        std::vector<Variant> oldRow;
        std::vector<Variant> newRow;
        const char* expected;
    };
    const Case cases[] = {
        {"same key, same limits",
         {text("1"), text("A.Speed"), whole(0), number(1), number(2)},
         {text("1"), text("A.Speed"), whole(0), number(1), number(2)},
         "0 old, 0 new, 0 changed, 1 same"},
        {"texts without regard to case",
         {text("m"), text("a.späd"), whole(0), number(1), number(2)},
         {text("M"), text("A.SPÄD"), whole(0), number(1), number(2)},
         "0 old, 0 new, 0 changed, 1 same"},
        {"other limits",
         {text("1"), text("A"), whole(3), number(1), number(2)},
         {text("1"), text("A"), whole(3), number(1), null()},
         "0 old, 0 new, 1 changed, 0 same"},
        {"renamed",
         {text("1"), text("A.Speed"), whole(0), number(1), number(2)},
         {text("1"), text("A.AxisSpeed"), whole(0), number(1), number(2)},
         "1 old, 1 new, 0 changed, 0 same"},
        {"other offset",
         {text("1"), text("A"), whole(1), number(1), number(2)},
         {text("1"), text("A"), whole(2), number(1), number(2)},
         "1 old, 1 new, 0 changed, 0 same"},
        {"a Null offset makes no query",
         {text("1"), text("A"), null(), number(1), number(2)},
         {text("1"), text("A"), null(), number(1), number(2)},
         "1 old, 1 new, 0 changed, 0 same"},
        {"a quote in a name makes no query",
         {text("1"), text("A\"B"), whole(0), null(), null()},
         {text("1"), text("A\"B"), whole(0), null(), null()},
         "1 old, 1 new, 0 changed, 0 same"},
        {"a Null text is the empty literal",
         {null(), text("A"), whole(0), null(), null()},
         {text(""), text("A"), whole(0), null(), null()},
         "0 old, 0 new, 0 changed, 1 same"},
        {"which finds no Null",
         {null(), text("A"), whole(0), null(), null()},
         {null(), text("A"), whole(0), null(), null()},
         "1 old, 1 new, 0 changed, 0 same"},
        {"numbers by value",
         {text("1"), text("A"), number(2.0), null(), null()},
         {text("1"), text("A"), whole(2), null(), null()},
         "0 old, 0 new, 0 changed, 1 same"},
        {"a fraction is no whole number",
         {text("1"), text("A"), number(2.5), null(), null()},
         {text("1"), text("A"), whole(2), null(), null()},
         "1 old, 1 new, 0 changed, 0 same"},
        {"limits of other types, same value",
         {text("1"), text("A"), whole(0), whole(5), null()},
         {text("1"), text("A"), whole(0), number(5), null()},
         "0 old, 0 new, 0 changed, 1 same"},
    };
    for (const Case& c : cases) {
        TableDiff diff = diffOf(presetTable({c.oldRow}), presetTable({c.newRow}));
        EXPECT_EQ(summary(diff), c.expected) << c.what;
    }
}

TEST(TableDiff, ANumberIsNotFoundInATextOffset) {
    TableRows oldRows = presetTable({{text("1"), text("A"), whole(0), null(), null()}});
    TableRows newRows = presetTable({{text("1"), text("A"), text("0"), null(), null()}}, kText);
    EXPECT_EQ(summary(diffOf(oldRows, newRows)), "1 old, 1 new, 0 changed, 0 same");
}

TEST(TableDiff, TheFirstMatchingNewRowTakesEveryPreviousRowOfItsKey) {
    TableRows oldRows = presetTable({{text("1"), text("A"), whole(0), number(1), number(2)},
                                     {text("1"), text("a"), whole(0), number(5), number(6)}});
    TableRows newRows = presetTable({{text("1"), text("A"), whole(0), number(5), number(6)},
                                     {text("1"), text("A"), whole(0), number(1), number(2)}});
    TableDiff diff = diffOf(oldRows, newRows);
    EXPECT_EQ(summary(diff), "0 old, 1 new, 1 changed, 1 same");
    ASSERT_EQ(diff.groups.size(), 1u);
    ASSERT_EQ(diff.groups[0].changed.size(), 1u);
    EXPECT_EQ(diff.groups[0].changed[0].oldValues, (std::vector<Variant>{number(1), number(2)}));
    EXPECT_EQ(diff.groups[0].changed[0].newValues, (std::vector<Variant>{number(5), number(6)}));
}

TEST(TableDiff, GroupsByMachineTypeInTheOrderTheNewTableNamesThem) {
    TableRows oldRows = presetTable({{text("m2"), text("Gone"), whole(0), number(1), null()},
                                     {text("M1"), text("A"), whole(0), null(), null()},
                                     {text("m9"), text("Old"), whole(0), null(), null()}});
    TableRows newRows = presetTable({{text("m1"), text("A"), whole(0), null(), null()},
                                     {text("M2"), text("New"), whole(0), null(), number(2)}});
    TableDiff diff = diffOf(oldRows, newRows);
    EXPECT_EQ(diff.groupField, "machine_type");
    ASSERT_EQ(diff.groups.size(), 3u);
    EXPECT_EQ(diff.groups[0].name, text("m1"));
    EXPECT_EQ(diff.groups[0].same, 1);
    EXPECT_EQ(diff.groups[1].name, text("M2"));
    ASSERT_EQ(diff.groups[1].onlyOld.size(), 1u);
    EXPECT_EQ(diff.groups[1].onlyOld[0].key[1], text("Gone"));
    EXPECT_EQ(diff.groups[1].onlyOld[0].values, (std::vector<Variant>{number(1), null()}));
    ASSERT_EQ(diff.groups[1].onlyNew.size(), 1u);
    EXPECT_EQ(diff.groups[2].name, text("m9"));
    EXPECT_EQ(diff.groups[2].onlyOld.size(), 1u);
}

TEST(TableDiff, ComparesTheLimitsOrEveryOtherSharedField) {
    TableRows limits = presetTable({});
    EXPECT_EQ(diffOf(limits, limits).compared, (std::vector<std::string>{"min", "max"}));
    for (const char* name : {"abs_min", "abs_max", "pass"})
        limits.fields.push_back({name, kDouble, 8});
    EXPECT_EQ(diffOf(limits, limits).compared, limitFields());

    // Another key compares every other field.
    DiffPlan byName{{{"var_name", true}}, {}, {}};
    EXPECT_EQ(diffTables(limits, limits, byName, "old.mdb", "new.mdb").compared,
              (std::vector<std::string>{"machine_type", "offset_or_bitno", "min", "max", "abs_min",
                                        "abs_max", "pass"}));

    TableRows other;
    other.fields = {{"ID", kLong, 4}, {"Name", kText, 50}, {"Size", kDouble, 8}};
    other.rows = {{whole(1), text("a"), number(1)}, {whole(2), text("b"), number(2)}};
    TableRows changed = other;
    changed.rows[1][1] = text("B");
    DiffPlan byId{{{"id", false}}, {}, {}};
    TableDiff diff = diffTables(other, changed, byId, "old.mdb", "new.mdb");
    EXPECT_EQ(diff.compared, (std::vector<std::string>{"Name", "Size"}));
    EXPECT_EQ(diff.groupField, "");
    EXPECT_EQ(summary(diff), "0 old, 0 new, 1 changed, 1 same");
}

TEST(TableDiff, AMissingFieldIsNamedWithItsFile) {
    TableRows table = presetTable({});
    DiffPlan plan{{{"machine_type", true}, {"nope", true}}, {}, {}};
    try {
        diffTables(table, table, plan, "old.mdb", "new.mdb");
        FAIL() << "no fault";
    } catch (const Fault& fault) {
        EXPECT_EQ(fault.number(), 3265);
        EXPECT_EQ(fault.description(),
                  "the key field 'nope' is not a field of the table in 'old.mdb'");
    }
}

}  // namespace
}  // namespace dalvon::db_tool
