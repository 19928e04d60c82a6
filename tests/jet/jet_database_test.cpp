// The Jet engine behind the store interface on Access's sample files: every sample as our
// engine reads it agrees with what Debian's mdbtools print (see jet_mdbtools.cpp); the SQL
// subset filters, orders and selects in memory; `dalvon-db convert` writes SQLite files that read
// back the same.
#include <gtest/gtest.h>

#include "platform/fault.h"
#include "platform/file_system.h"
#include "store/jet/check/jet_check.h"
#include "tests/jet/jet_samples.h"

namespace dalvon::jet_test {
namespace {

TEST(JetDatabase, EverySampleAgreesWithMdbTools) {
    if (!haveMdbTools()) {
        GTEST_SKIP() << "mdbtools are not installed";
    }
    for (const auto& path : sampleFiles())
        EXPECT_EQ(mdbToolsDisagreement(path), "") << path;
}

TEST(JetDatabase, FieldsAndValuesOfAllCommonKindsInJet3AndJet4) {
    const std::vector<FieldDef> expected = {{"A", 10, 50}, {"B", 10, 100}, {"C", 2, 1},
                                            {"D", 3, 2},   {"E", 4, 4},    {"F", 7, 8},
                                            {"G", 8, 8},   {"H", 5, 8},    {"I", 1, 1}};
    for (const char* name : {"testV2000.mdb", "testV1997.mdb"}) {
        SCOPED_TRACE(name);
        auto db = openJet(sample(name));
        EXPECT_EQ(db->tableNames(),
                  (std::vector<std::string>{"Table1", "Table2", "Table3", "Table4"}));
        EXPECT_EQ(db->tableFields("Table1"), expected);
        const auto rows = readAll(*db, "Table1");
        ASSERT_EQ(rows.size(), 2u);
        const auto& full = rows[0][0] == Variant::string("abcdefg") ? rows[0] : rows[1];
        EXPECT_EQ(full, (std::vector<Variant>{Variant::string("abcdefg"),
                                              Variant::string("hijklmnop"), Variant::byte(2),
                                              Variant::integer(222), Variant::longValue(333333333),
                                              Variant::doubleValue(444.555), Variant::date(27293),
                                              Variant::currency(35000), Variant::boolean(true)}));
        // Table2's definition spans two pages.
        const auto wide = db->tableFields("Table2");
        ASSERT_EQ(wide.size(), 89u);
        EXPECT_EQ(wide.back(), (FieldDef{"column89", 10, 50}));
        EXPECT_EQ(db->tableFields("Table4")[1], (FieldDef{"data", 15, 16}));
    }
}

TEST(JetDatabase, LongValuesInlineOnOnePageAndChained) {
    for (const char* name : {"test2V2000.mdb", "test2V1997.mdb"}) {
        SCOPED_TRACE(name);
        auto db = openJet(sample(name));
        auto rs = db->openTable("MSP_PROJECTS");
        EXPECT_EQ(rs->field(rs->fieldIndex("proj_prop_author")),
                  (FieldDef{"PROJ_PROP_AUTHOR", 12, 0}));
        EXPECT_EQ(rs->value("PROJ_INFO_CAL_NAME"), Variant::string("Standard"));
        const std::string author = rs->value("PROJ_PROP_AUTHOR").asString();
        EXPECT_EQ(author.size(), 348u);
        EXPECT_EQ(author.substr(0, 21), "Jon Iles this is a a ");
        EXPECT_EQ(rs->value("RESERVED_BINARY_DATA").asBinary().size(), 22970u);
        EXPECT_TRUE(rs->value("PROJ_PROP_CATEGORY").isNull());
    }
}

TEST(JetDatabase, MovedRowsKeepTheirPlaceDeletedRowsAndColumnsAreGone) {
    auto overflow = openJet(sample("overflowTestV2003.mdb"));
    std::vector<std::string> firstText;
    for (const auto& row : readAll(*overflow, "Table1")) {
        for (const auto& value : row) {
            if (!value.isNull()) {
                firstText.push_back(value.asString().substr(0, 4));
                break;
            }
        }
    }
    EXPECT_EQ(firstText,
              (std::vector<std::string>{"row1", "row2", "row3", "row4", "row5", "row6", "row7"}));
    EXPECT_EQ(overflow->tableFields("Table1")[1].name, "data3");

    auto deletedColumns = openJet(sample("delColTestV2000.mdb"));
    EXPECT_EQ(
        readAll(*deletedColumns, "Table1"),
        (std::vector<std::vector<Variant>>{{Variant::longValue(0), Variant::longValue(2),
                                            Variant::string("foo"), Variant::string("foo2")},
                                           {Variant::longValue(3), Variant::longValue(5),
                                            Variant::string("bar"), Variant::string("bar2")}}));

    auto deletedRows = openJet(sample("delTestV2000.mdb"));
    EXPECT_EQ(deletedRows->openTable("Table")->recordCount(), 2);
}

TEST(JetDatabase, PasswordInTheMaskedHeaderDoesNotStopReading) {
    auto db = openJet(sample("V2003_with-password.mdb"));
    auto rs = db->openTable("Table1");
    EXPECT_EQ(rs->recordCount(), 3);
    rs->moveLast();
    EXPECT_EQ(rs->value("Data"), Variant::string("Three"));
}

// The record set's own rules (navigation, field lookups, query faults) are the store's and
// tested there (tests/store/queries_test.cpp); these are the tables as this engine finds them.
TEST(JetDatabase, TablesAsTheEngineFindsThem) {
    auto db = openJet(sample("testV2000.mdb"));
    auto empty = db->openTable("Table3");
    EXPECT_TRUE(empty->eof());
    EXPECT_EQ(empty->recordCount(), 0);
    EXPECT_EQ(faultOf([&] { db->openTable("NoSuchTable"); }), 3078);
    EXPECT_EQ(db->openTable("table1")->recordCount(), 2) << "names match without regard to case";
    EXPECT_EQ(faultOf([&] { db->tableFields("MSysObjects"); }), 3265);
    EXPECT_EQ(openJet(sample("compIndexTestV2000.mdb"))->openTable("Table1")->recordCount(), 512);
}

TEST(JetDatabase, EveryWriteToAJet3FileIsRefusedAndChangesNothing) {
    TempDir temp;
    const auto copy = temp.path() / "copy.mdb";
    std::filesystem::copy_file(sample("testV1997.mdb"), copy);
    const auto before = fileBytes(copy);
    auto db = openJet(copy);
    auto rs = db->openTable("Table1");
    const std::vector<std::function<void()>> writes = {
        [&] {
            rs->addNew();
            rs->setValue(0, Variant::string("x"));
            rs->update();
        },
        [&] {
            rs->moveFirst();
            rs->edit();
            rs->setValue(0, Variant::string("x"));
            rs->update();
        },
        [&] {
            db->createTable("New", {{"A", 4, 4}});
        },
        [&] { db->deleteTable("Table1"); },
        [&] { db->renameField("Table1", "A", "Z"); },
    };
    for (const auto& write : writes)
        EXPECT_EQ(faultOf(write), 3027);
    db->close();
    EXPECT_EQ(fileBytes(copy), before);
}

TEST(JetDatabase, TheStoreChoosesTheJetEngineByContentWhateverTheName) {
    TempDir temp;
    std::filesystem::copy_file(sample("delTestV2000.mdb"), temp.path() / "plant.db");
    auto files = makePosixFileSystem({{'D', temp.path().string()}});
    auto engine = makeDatabaseEngine(*files);
    auto db = engine->open("D:\\plant.db");
    EXPECT_EQ(db->tableNames(), (std::vector<std::string>{"Table"}));
    db->deleteTable("Table");
    db->close();
    EXPECT_TRUE(engine->open("D:\\plant.db")->tableNames().empty());
    EXPECT_TRUE(jet::checkJetFile((temp.path() / "plant.db").string()).empty());
}

// The rows of a query as text, one "a|b|c" per row, with the field names first.
std::vector<std::string> queryRows(Database& db, const std::string& sql) {
    auto rs = db.openQuery(sql);
    std::vector<std::string> lines;
    std::string names;
    for (int i = 0; i < rs->fieldCount(); ++i)
        names += (i ? "|" : "") + rs->field(i).name;
    lines.push_back(names);
    for (; !rs->eof(); rs->moveNext()) {
        std::string line;
        for (int i = 0; i < rs->fieldCount(); ++i)
            line += (i ? "|" : "") + rs->value(i).toTextOrEmpty();
        lines.push_back(line);
    }
    return lines;
}

TEST(JetQuery, FiltersOrdersAndSelectsFields) {
    auto db = openJet(sample("indexTestV2000.mdb"));
    struct Case {
        std::string sql;
        std::vector<std::string> rows;
    };
    const std::vector<Case> cases = {
        {"SELECT * FROM Table2", {"id|data", "0|foo0", "1|foo1", "2|foo2"}},
        {"SELECT Table1.* FROM Table1 WHERE otherfk1 = 1",
         {"id|otherfk1|otherfk2|data|otherfk3", "1|1|11|baz11|0", "2|1|11|baz11-2|0"}},
        {"SELECT data, ID FROM Table1 WHERE (otherfk1 = 1) AND otherfk2 = 11 ORDER BY id DESC",
         {"data|id", "baz11-2|2", "baz11|1"}},
        {"select id from Table1 where DATA = \"BAZ13\";", {"id", "3"}},
        {"SELECT id FROM Table1 WHERE otherfk1 = 9", {"id"}},
        {"SELECT id, otherfk2 FROM Table1 ORDER BY otherfk2 DESC, id",
         {"id|otherfk2", "3|13", "1|11", "2|11", "0|10"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(queryRows(*db, c.sql), c.rows) << c.sql;
    }
}

TEST(JetQuery, ManyRowsSortedAndCounted) {
    auto db = openJet(sample("compIndexTestV2000.mdb"));
    auto rs = db->openQuery("SELECT CD_AGENTE FROM Table1 ORDER BY CD_AGENTE DESC");
    EXPECT_EQ(rs->recordCount(), 512);
    int32_t previous = INT32_MAX;
    for (; !rs->eof(); rs->moveNext()) {
        // Null sorts first, so it comes last in descending order.
        const int32_t value = rs->value(0).isNull() ? INT32_MIN : rs->value(0).toLong();
        EXPECT_LE(value, previous);
        previous = value;
    }
}

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
