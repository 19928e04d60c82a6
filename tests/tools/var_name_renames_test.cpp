// The renaming between the two systems' variable names that the update applies before its
// takeover, derived from the rebuilt rows and the patterns.
#include "tools/dalvon-db/var_name_renames.h"

#include <gtest/gtest.h>

namespace dalvon::db_tool {
namespace {

constexpr int kText = static_cast<int>(FieldType::Text);
constexpr int kShort = static_cast<int>(FieldType::Integer);

TableRows sourceDefs(const std::vector<std::tuple<const char*, const char*, int16_t>>& rows) {
    TableRows table;
    table.fields = {{"System", kText, 20}, {"Var_Name", kText, 255}, {"Part", kShort, 2}};
    for (const auto& [system, pattern, part] : rows)
        table.rows.push_back(
            {Variant::string(system), Variant::string(pattern), Variant::integer(part)});
    return table;
}

TableRows presets(const std::vector<std::pair<const char*, int16_t>>& rows) {
    TableRows table;
    table.fields = {{"var_name", kText, 255}, {"part", kShort, 2}};
    for (const auto& [name, part] : rows)
        table.rows.push_back({Variant::string(name), Variant::integer(part)});
    return table;
}

TEST(VarNameRenames, TheOtherSystemsNamesMapToTheGeneratedOnes) {
    TableRows patterns = sourceDefs({{"VISIWIN32", "###machine.Rezept.###Var_Name", 1},
                                     {"VisiWinStudio", "###machine.Recipe.###Var_Name", 1},
                                     {"VISIWIN32", "Global_###Var_Name", 3},
                                     {"VISIWINSTUDIO", "Global.###Var_Name", 3},
                                     {"VISIWIN32", "###machine.Bits.###Var_Name", 5},
                                     {"VISIWINSTUDIO", "###machine.Bits.###Var_Name", 5},
                                     {"WINCC", "ignored.###Var_Name", 1}});
    TableRows studio = presets({{"Press1.Recipe.TempZone1", 1},
                                {"Global.BatchSize", 3},
                                {"Press1.Bits.Options", 5},
                                {"Unpatterned", 2}});
    std::map<std::string, std::string> expected = {
        {"PRESS1.REZEPT.TEMPZONE1", "Press1.Recipe.TempZone1"},
        {"GLOBAL_BATCHSIZE", "Global.BatchSize"}};
    EXPECT_EQ(otherSystemNames(patterns, studio), expected);

    // Generated for VisiWin 32: the Studio names map the other way.
    TableRows visiWin32 = presets({{"Press1.Rezept.TempZone1", 1}, {"Global_BatchSize", 3}});
    std::map<std::string, std::string> back = {
        {"PRESS1.RECIPE.TEMPZONE1", "Press1.Rezept.TempZone1"},
        {"GLOBAL.BATCHSIZE", "Global_BatchSize"}};
    EXPECT_EQ(otherSystemNames(patterns, visiWin32), back);
}

TEST(VarNameRenames, NoPatternsOrNoPartsRenameNothing) {
    TableRows names = presets({{"Press1.Recipe.TempZone1", 1}});
    EXPECT_TRUE(otherSystemNames(TableRows{}, names).empty());
    TableRows patterns = sourceDefs({{"VISIWIN32", "###machine.Rezept.###Var_Name", 1},
                                     {"VISIWINSTUDIO", "###machine.Recipe.###Var_Name", 1}});
    TableRows withoutPart;
    withoutPart.fields = {{"var_name", kText, 255}};
    withoutPart.rows = {{Variant::string("Press1.Recipe.TempZone1")}};
    EXPECT_TRUE(otherSystemNames(patterns, withoutPart).empty());
}

}  // namespace
}  // namespace dalvon::db_tool
