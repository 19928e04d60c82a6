#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "presetdb/work_on_mdb.h"
#include "tests/support/test_installation.h"

namespace dalvon::testing {

// The example installation, with the update as one verb and its table as rows.
class ExamplePlant : public TestInstallation {
public:
    explicit ExamplePlant(DatabaseFormat format = kFormats[0]) : TestInstallation(format) {
        makeExample();
    }

    // Starts with `commandLine` and runs the update; the exit status, or -1 when it returned.
    // Every Jet file must pass the structural check afterwards.
    int runUpdate(const std::string& commandLine = "") {
        start(commandLine);
        int status = runUntilEnd([&] { WorkOnMDB(rt()); });
        EXPECT_EQ(jetProblems(), std::vector<std::string>{}) << "after " << commandLine;
        return status;
    }

    // `columns` (names with ", " between, or "count(*)") of every PRESET_DEFS row of `database`,
    // in storage order, each value as SQLite shows it.
    Rows presetRows(const std::string& columns, const char* database = kComponentDatabase) {
        StoredTable preset = table(database, "PRESET_DEFS");
        if (columns == "count(*)")
            return {{std::to_string(preset.rows.size())}};
        std::vector<size_t> picked;
        for (size_t start = 0; start <= columns.size();) {
            size_t end = std::min(columns.find(", ", start), columns.size());
            picked.push_back(fieldIndex(preset, columns.substr(start, end - start)));
            start = end + 2;
        }
        Rows rows;
        for (const std::vector<Variant>& row : preset.rows) {
            rows.emplace_back();
            for (size_t column : picked)
                rows.back().push_back(sqlText(row[column]));
        }
        return rows;
    }

    // "abs_min abs_max min max pass | " for each row with this key.
    std::string limits(const std::string& varName, int offset = 0,
                       const char* database = kComponentDatabase) {
        StoredTable preset = table(database, "PRESET_DEFS");
        std::string text;
        for (const std::vector<Variant>& row : preset.rows) {
            const Variant& name = row[fieldIndex(preset, "var_name")];
            const Variant& rowOffset = row[fieldIndex(preset, "offset_or_bitno")];
            if (name.isNull() || name.toText() != varName || rowOffset.isNull() ||
                rowOffset.toDouble() != offset) {
                continue;
            }
            for (const char* field : {"abs_min", "abs_max", "min", "max", "pass"})
                text += sqlText(row[fieldIndex(preset, field)]) + " ";
            text += "| ";
        }
        return text;
    }

private:
    static size_t fieldIndex(const StoredTable& table, const std::string& name) {
        for (size_t i = 0; i < table.fields.size(); ++i) {
            if (table.fields[i].name == name)
                return i;
        }
        throw std::invalid_argument("PRESET_DEFS has no field " + name);
    }

    // A value as SQLite's text shows it, the form the expectations are written in: NULL, whole
    // numbers, reals with a decimal point ("-1.0").
    static std::string sqlText(const Variant& value) {
        if (value.isNull())
            return "NULL";
        if (value.kind() != VariantKind::Double && value.kind() != VariantKind::Single)
            return value.toText();
        char text[32];
        std::snprintf(text, sizeof text, "%.15g", value.toDouble());
        std::string result = text;
        return result.find_first_of(".en") == std::string::npos ? result + ".0" : result;
    }
};

// Tests that run on installations of either database format.
class OnBothFormats : public ::testing::TestWithParam<DatabaseFormat> {};

}  // namespace dalvon::testing
