// The fixture loader of builds without SQLite must make the tables SQLite makes from the same
// scripts, or the Windows suite would test other data than the Linux one.
#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/support/fixture_script.h"
#include "tests/support/test_installation.h"

namespace dalvon::testing {
namespace {

TEST(FixtureScript, MakesTheTablesSqliteMakes) {
    std::vector<std::string> scripts = {
        "-- quotes, signs, NULLs, named columns, several rows, every declared type\n"
        "BEGIN; CREATE TABLE \"T x\" (\"a\" VARCHAR(20), b LONG, c DOUBLE, d BIT, e CURRENCY,"
        " f DATETIME, g SHORT, h LONGTEXT, i INTEGER, j REAL);"
        "INSERT INTO \"T x\" VALUES ('it''s; here', -7, 1e3, 1, 123400, 45351.5, +3, 'x', 2, -.5);"
        "INSERT INTO \"T x\" (b, a) VALUES (2147483647, NULL), (-2147483648, '');"
        "INSERT INTO \"T x\" (c, e) VALUES (2147483648, -1); COMMIT;"};
    for (const char* file :
         {"Dalvon/Dalvon.sql", "Dalvon/Dalvon_Source.sql", "SaveRestore/Dalvon/Dalvon.sql"}) {
        scripts.push_back(fileBytes(sourceDir() / "example" / file));
    }
    for (const std::string& script : scripts) {
        SCOPED_TRACE(script.substr(0, 60));
        TestInstallation inst(DatabaseFormat::Jet4);
        inst.makeDatabase("D:\\bySqlite.mdb", script);
        makeJetDatabase(inst.host("D:\\byLoader.mdb"), script);
        std::vector<std::string> tables = inst.tableNames("D:\\bySqlite.mdb");
        ASSERT_EQ(inst.tableNames("D:\\byLoader.mdb"), tables);
        for (const std::string& table : tables) {
            EXPECT_EQ(inst.table("D:\\byLoader.mdb", table), inst.table("D:\\bySqlite.mdb", table))
                << table;
        }
    }
}

TEST(FixtureScript, RefusesWhatItCannotKeep) {
    for (const char* script : {"UPDATE T SET a = 1;", "CREATE TABLE T (a LONG PRIMARY KEY);",
                               "CREATE TABLE T (a LONG);"
                               "INSERT INTO T VALUES (1, 2);",
                               "INSERT INTO U VALUES (1);", "CREATE TABLE T (a 'x"}) {
        EXPECT_THROW(readFixtureScript(script), std::invalid_argument) << script;
    }
}

}  // namespace
}  // namespace dalvon::testing
