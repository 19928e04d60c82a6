#pragma once

#include <gtest/gtest.h>

#include <string>

#include "presetdb/work_on_mdb.h"
#include "tests/support/test_installation.h"

namespace dalvon::testing {

// The example installation, with the update as one verb and its table as rows.
class ExamplePlant : public TestInstallation {
public:
    explicit ExamplePlant(DatabaseFormat format = DatabaseFormat::Sqlite)
        : TestInstallation(format) {
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

    // `columns` of every PRESET_DEFS row of `database`, in storage order.
    Rows presetRows(const std::string& columns, const char* database = kComponentDatabase) {
        return query(database, "SELECT " + columns + " FROM PRESET_DEFS ORDER BY rowid");
    }

    // "abs_min abs_max min max pass | " for each row with this key.
    std::string limits(const std::string& varName, int offset = 0,
                       const char* database = kComponentDatabase) {
        std::string text;
        for (const auto& row : query(database,
                                     "SELECT abs_min, abs_max, min, max, pass FROM PRESET_DEFS"
                                     " WHERE var_name='" +
                                         varName + "' AND offset_or_bitno=" +
                                         std::to_string(offset) + " ORDER BY rowid")) {
            for (const auto& value : row)
                text += value + " ";
            text += "| ";
        }
        return text;
    }
};

// Tests that run on installations of either database format.
class OnBothFormats : public ::testing::TestWithParam<DatabaseFormat> {};

}  // namespace dalvon::testing
