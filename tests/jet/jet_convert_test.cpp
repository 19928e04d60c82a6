// `dalvon-db convert` on every sample: the SQLite file it writes reads back through our store
// with the same tables, fields and values, and sqlite3 sees the same row counts.
#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "tests/jet/jet_samples.h"

namespace dalvon::jet_test {
namespace {

std::vector<FieldDef> withDecimalAsDouble(std::vector<FieldDef> fields) {
    for (auto& field : fields) {
        if (field.type == 20)
            field = {field.name, static_cast<int>(FieldType::Double), 8};
    }
    return fields;
}

TEST(JetConvert, EverySampleBecomesAnEqualSqliteFile) {
    TempDir temp;
    auto files = makePosixFileSystem({{'D', temp.path().string()}});
    auto engine = makeDatabaseEngine(*files);
    const bool haveSqlite3 = std::system("command -v sqlite3 >/dev/null 2>&1") == 0;
    for (const auto& file : sampleFiles()) {
        SCOPED_TRACE(file.filename().string());
        const fs::path out = temp.path() / (file.stem().string() + ".db");
        ASSERT_EQ(
            std::system((shellQuote(DALVON_DB_TOOL) + " convert " + shellQuote(file.string()) +
                         " " + shellQuote(out.string()) + " >/dev/null")
                            .c_str()),
            0);
        auto jet = openJet(file);
        auto converted = engine->open("D:\\" + out.filename().string());
        ASSERT_EQ(converted->tableNames(), jet->tableNames());
        for (const auto& table : jet->tableNames()) {
            SCOPED_TRACE(table);
            EXPECT_EQ(converted->tableFields(table), withDecimalAsDouble(jet->tableFields(table)));
            const auto rows = readAll(*jet, table);
            EXPECT_EQ(readAll(*converted, table), rows);
            if (haveSqlite3) {
                const std::string count = runCommand("sqlite3 " + shellQuote(out.string()) +
                                                     " 'SELECT count(*) FROM \"" + table + "\"'");
                EXPECT_EQ(count, std::to_string(rows.size()) + "\n");
            }
        }
        converted->close();
    }
}

TEST(JetConvert, AnExistingTargetIsNeverOverwritten) {
    TempDir temp;
    const fs::path out = temp.path() / "taken.db";
    std::filesystem::copy_file(sample("delTestV2000.mdb"), out);
    const std::string command = shellQuote(DALVON_DB_TOOL) + " convert " +
                                shellQuote(sample("testV2000.mdb").string()) + " " +
                                shellQuote(out.string()) + " 2>&1";
    EXPECT_NE(runCommand(command).find("File already exists"), std::string::npos);
    EXPECT_EQ(fs::file_size(out), fs::file_size(sample("delTestV2000.mdb")));
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace dalvon::jet_test
