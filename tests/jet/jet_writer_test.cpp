// The Jet 4 writer on copies of the samples: each operation writes, commits, and reads back
// through our reader and (where installed) Debian's mdbtools.
#include "store/jet/writer/jet_writer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <map>
#include <thread>

#include "platform/fault.h"
#include "store/jet/reader/jet_catalog.h"
#include "store/jet/check/jet_check.h"
#include "store/jet/writer/jet_definition.h"
#include "store/jet/writer/jet_page_space.h"
#include "store/jet/writer/jet_table_writer.h"
#include "tests/jet/jet_samples.h"

namespace dalvon::jet_test {
namespace {

using jet::JetWriter;

// A definition just under one page grows onto a second page and shrinks back.
TEST(JetWriter, RenameMovesTheDefinitionOverPages) {
    TempDir dir;
    const fs::path file = newDatabase(dir);
    std::vector<FieldDef> fields;
    for (int i = 0; i < 27; ++i)
        fields.push_back({"Field_" + std::to_string(i) + std::string(52, 'x'), 10, 10});
    fields.push_back({"x", 4, 4});
    JetWriter writer(file.string());
    writer.createTable("Wide", fields);
    writer.appendRow("Wide", std::vector<Variant>(28, Variant::string("7")));
    auto definitionPages = [&] {
        for (const auto& table : jet::readUserTables(writer.file()))
            return jet::loadDefinition(writer.file(), table.definitionPage).pages.size();
        return size_t{0};
    };
    ASSERT_EQ(definitionPages(), 1u);
    writer.renameField("Wide", "X", std::string(40, 'L'));
    EXPECT_EQ(definitionPages(), 2u);
    EXPECT_EQ(writer.tableFields("Wide").back().name, std::string(40, 'L'));
    writer.renameField("Wide", std::string(40, 'L'), "y");
    EXPECT_EQ(definitionPages(), 1u);
    writer.commit();
    auto db = openJet(file);
    EXPECT_EQ(db->tableFields("Wide").back(), (FieldDef{"y", 4, 4}));
    EXPECT_EQ(readAll(*db, "Wide").front().back(), Variant::longValue(7));
    db.database.reset();
    expectSound(file);
}

// Long text with characters beyond U+00FF, which one byte cannot hold, is stored whole in a
// Text and a Memo field (both allow compressed text) and reads back the same everywhere.
TEST(JetWriter, TextBeyondLatin1ReadsBackWhole) {
    TempDir dir;
    const fs::path file = newDatabase(dir);
    // U+0100, the euro sign, Greek and Cyrillic; the Memo stays under the 1024 characters
    // beyond which nothing is compressed anyway.
    const std::string text = repeated("\xC4\x80\xE2\x82\xAC\xCE\xA9\xD0\xB6 x", 8);
    const std::vector<Variant> row = {Variant::string(text), Variant::string(repeated(text, 20))};
    {
        JetWriter writer(file.string());
        writer.createTable("T", {{"Name", 10, 255}, {"Notes", 12, 0}});
        writer.appendRow("T", row);
        writer.commit();
    }
    EXPECT_EQ(readAll(file, "T"), std::vector<std::vector<Variant>>{row});
    expectSound(file);
}

// Tables of many fields: definitions over several pages, and with many long-value fields more
// usage maps than one page holds. They check clean as created, filled and dropped.
TEST(JetWriter, TablesOfManyFieldsCheckClean) {
    for (size_t count : {100, 185, 255}) {
        SCOPED_TRACE(count);
        TempDir dir;
        const fs::path file = newDatabase(dir);
        std::vector<FieldDef> fields;
        for (size_t i = 0; i < count; ++i) {
            fields.push_back(kAllKinds[i % kAllKinds.size()]);
            fields.back().name = "F" + std::to_string(i);
        }
        JetWriter writer(file.string());
        writer.createTable("A0", fields);
        EXPECT_EQ(jet::checkJet(writer.file()).problems, std::vector<std::string>{});
        std::vector<Variant> row(count, Variant::null());
        row[9] = Variant::string(repeated("memo ", 2000));
        writer.appendRow("A0", row);
        writer.commit();
        expectSound(file);
        writer.deleteTable("A0");
        EXPECT_EQ(jet::checkJet(writer.file()).problems, std::vector<std::string>{});
    }
}

// Every refusal comes before any change, and a refused operation leaves the writer usable.
TEST(JetWriter, RefusesWithClearFaultsAndChangesNothing) {
    TempDir dir;
    const fs::path file = newDatabase(dir);
    const auto before = fileBytes(file);
    std::ofstream(dir.path() / "new.ldb") << "";
    EXPECT_EQ(faultOf([&] { JetWriter(file.string()); }), 3045);
    fs::remove(dir.path() / "new.ldb");

    // A cut file, and one whose pages are encoded (a page key that is not 0).
    for (const auto& damage : std::vector<std::function<void(std::vector<uint8_t>&)>>{
             [](auto& bytes) { bytes.resize(bytes.size() - 100); },
             [](auto& bytes) { bytes[0x3E] ^= 0x5A; }}) {
        auto bytes = before;
        damage(bytes);
        const fs::path damaged = dir.path() / "damaged.mdb";
        saveBytes(damaged, bytes);
        EXPECT_EQ(faultOf([&] { JetWriter(damaged.string()); }), 3027);
    }
#ifdef DALVON_HAVE_JET_SAMPLES
    const fs::path jet3 = copySample(dir, "testV1997.mdb");
    EXPECT_EQ(faultOf([&] { JetWriter(jet3.string()); }), 3027);

    // A damaged catalog index (its root leaf marked a node page): refused as damaged after the
    // catalog row went in, and all of it undone.
    const fs::path deep = copySample(dir, "empty2003.mdb");
    {
        std::fstream out(deep, std::ios::in | std::ios::out | std::ios::binary);
        out.seekp(8 * 4096);  // the root of the catalog's Id index
        out.put(0x03);
    }
    {
        const auto deepBefore = fileBytes(deep);
        JetWriter writer(deep.string());
        EXPECT_EQ(faultOf([&] { writer.createTable("T", {{"a", 4, 4}}); }), 3343);
        EXPECT_FALSE(writer.hasChanges());
        const auto image = writer.file().image();
        EXPECT_TRUE(std::equal(image.begin(), image.end(), deepBefore.begin(), deepBefore.end()));
    }
    const fs::path indexed = copySample(dir, "testV2000.mdb");
    const auto indexedBefore = fileBytes(indexed);
    {
        JetWriter writer(indexed.string());
        // Access's own indexes: a second row with a row's primary key is refused, a new key
        // goes in.
        const auto row = writer.rows("Table1").front();
        EXPECT_EQ(faultOf([&] { writer.appendRow("Table1", row.second); }), 3022);
        EXPECT_FALSE(writer.hasChanges());
        writer.commit();
        EXPECT_EQ(fileBytes(indexed), indexedBefore);
        writer.updateRow("Table1", row.first, {{0, Variant::string("k")}});
        writer.commit();
    }
    expectSound(indexed);
#endif

    {
        JetWriter writer(file.string());
        std::vector<FieldDef> wide;
        for (int i = 0; i < 20; ++i)
            wide.push_back({"F" + std::to_string(i), 10, 255});
        writer.createTable("Wide", wide);
        writer.createTable(
            "Ma\xC3\x9F"
            "e-\xC3\x9C"
            "bersicht",
            {{"a", 4, 4}});
        writer.commit();
        const auto created = fileBytes(file);
        const std::vector<Variant> tooLong(20, Variant::string(repeated("\xE2\x82\xAC", 255)));
        const std::vector<FieldDef> a = {{"a", 4, 4}};
        const std::vector<std::pair<std::function<void()>, int>> refusals = {
            {[&] { writer.appendRow("Wide", tooLong); }, 3047},
            {[&] { writer.createTable("wide", a); }, 3010},
            {[&] { writer.createTable("Bad\xE4\xB8\x80", a); }, 3027},
            {[&] { writer.createTable("Empty", {}); }, 3264},
            {[&] { writer.createTable(std::string(65, 'n'), a); }, 3125},
            {[&] { writer.deleteTable("Missing"); }, 3265},
            {[&] { writer.appendRow("Missing", {}); }, 3078},
            {[&] { writer.renameField("Wide", "F1", "f2"); }, 3191},
            {[&] { writer.renameField("Wide", "Nope", "x"); }, 3265},
            {[&] { writer.appendRow("Wide", {Variant::string(std::string(256, 'a'))}); }, 5},
        };
        for (const auto& [refused, number] : refusals)
            EXPECT_EQ(faultOf(refused), number);
        EXPECT_FALSE(writer.hasChanges());
        EXPECT_EQ(fileBytes(file), created);
        writer.appendRow("Wide", std::vector<Variant>(20, Variant::string("ok")));
        // Dropped without commit: nothing reaches the file.
    }
    EXPECT_EQ(readAll(file, "Wide").size(), 0u);
    expectSound(file);
}

// Fills a new table and commits with files limited to `limit` bytes: exits 0 when the commit
// fails with Fault 75.
[[noreturn]] void commitUnderSizeLimit(const fs::path& file, rlim_t limit) {
    std::signal(SIGXFSZ, SIG_IGN);
    JetWriter writer(file.string());
    writer.createTable("Big", {{"Notes", 12, 0}});
    for (int i = 0; i < 100; ++i)
        writer.appendRow("Big", {Variant::string(repeated("big ", 2000))});
    const rlimit size{limit, limit};
    setrlimit(RLIMIT_FSIZE, &size);
    try {
        writer.commit();
    } catch (const Fault& fault) {
        _exit(fault.number() == 75 ? 0 : 2);
    }
    _exit(1);
}

// A commit that cannot write its copy (here the file-size limit stands in for a full disk)
// leaves the original byte for byte and no copy behind.
TEST(JetWriterDeathTest, AFailedCommitLeavesTheOriginal) {
    // A forked child without re-running the test: it commits to this very file, which is
    // inspected below (a re-run test body would make a database of its own).
    GTEST_FLAG_SET(death_test_style, "fast");
    TempDir dir;
    const fs::path file = newDatabase(dir);
    const auto before = fileBytes(file);
    EXPECT_EXIT(commitUnderSizeLimit(file, before.size() + 4096), ::testing::ExitedWithCode(0), "");
    EXPECT_TRUE(fileBytes(file) == before) << "the original changed";
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

// Replaces the table "Big" with 2000 rows holding `generation` and commits, in a child process;
// returns its id.
pid_t startRewrite(const fs::path& file, int32_t generation) {
    const pid_t child = fork();
    if (child != 0)
        return child;
    JetWriter writer(file.string());
    const auto names = writer.tableNames();
    if (!names.empty())
        writer.deleteTable(names.front());
    writer.createTable("Big", {{"Nr", 4, 4}, {"Notes", 12, 0}});
    for (int32_t n = 0; n < 2000; ++n)
        writer.appendRow("Big",
                         {Variant::longValue(generation), Variant::string(repeated("k", 900))});
    writer.commit();
    _exit(0);
}

// A writer killed at any moment leaves the old file or the new one: the file always reads, with
// the rows of one generation only, the one before or the one being written.
TEST(JetWriter, AKillLeavesTheOldFileOrTheNew) {
    TempDir dir;
    const fs::path file = newDatabase(dir);
    const auto start = std::chrono::steady_clock::now();
    int status = 0;
    waitpid(startRewrite(file, 0), &status, 0);
    const auto whole = std::chrono::steady_clock::now() - start;
    int32_t committed = 0;
    for (int32_t round = 1; round <= 8; ++round) {
        const pid_t child = startRewrite(file, round);
        ASSERT_GE(child, 0);
        std::this_thread::sleep_for(whole * round / 7);
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        auto db = openJet(file);
        ASSERT_EQ(db->tableNames(), std::vector<std::string>{"Big"});
        const auto rows = readAll(*db, "Big");
        ASSERT_EQ(rows.size(), 2000u);
        const int32_t generation = rows.front()[0].toLong();
        EXPECT_TRUE(generation == committed || generation == round) << generation;
        for (const auto& row : rows)
            ASSERT_EQ(row[0].toLong(), generation);
        committed = generation;
        expectSound(file);
    }
}

// Tests on Access's own files, built when the sample folder is present.
#ifdef DALVON_HAVE_JET_SAMPLES
// Every Jet 4 sample takes a new table of several pages (the 255-row limit reached), reads back
// with its own tables unchanged, and gives the table up again.
TEST(JetWriter, EveryJet4SampleAddsFillsAndDropsATable) {
    for (const char* name :
         {"V2003_with-password.mdb", "compIndexTestV2000.mdb", "delColTestV2000.mdb",
          "delTestV2000.mdb", "fixedNumericTestV2000.mdb", "indexTestV2000.mdb",
          "overflowTestV2003.mdb", "test2V2000.mdb", "testIndexPropertiesV2003.mdb",
          "testUnicodeCompV2003.mdb", "testV2000.mdb"}) {
        SCOPED_TRACE(name);
        TempDir dir;
        const fs::path file = copySample(dir, name);
        auto original = openJet(file);
        const auto tables = original->tableNames();
        std::map<std::string, std::vector<std::vector<Variant>>> contents;
        for (const auto& table : tables)
            contents[table] = readAll(*original, table);
        original.database.reset();
        std::vector<std::vector<Variant>> expected;
        {
            JetWriter writer(file.string());
            writer.createTable("Added_1", {{"Nr", 4, 4}, {"Text", 10, 20}, {"On", 1, 1}});
            for (int32_t n = 0; n < 600; ++n) {
                expected.push_back({Variant::longValue(n), Variant::string("t" + std::to_string(n)),
                                    Variant::boolean(n % 3 == 0)});
                writer.appendRow("Added_1", expected.back());
            }
            writer.commit();
        }
        auto db = openJet(file);
        auto names = tables;
        names.push_back("Added_1");
        EXPECT_EQ(db->tableNames(), names);
        EXPECT_EQ(readAll(*db, "Added_1"), expected);
        for (const auto& table : tables)
            EXPECT_EQ(readAll(*db, table), contents[table]) << table;
        db.database.reset();
        expectSound(file);
        {
            JetWriter writer(file.string());
            writer.deleteTable("Added_1");
            writer.commit();
        }
        EXPECT_EQ(openJet(file)->tableNames(), tables);
        expectSound(file);
    }
}

// Rows that Access moved, deleted rows and rows storing fewer columns than the table has:
// changes keep every row where it is, grown rows move again.
TEST(JetWriter, ChangesRowsAccessWrote) {
    TempDir dir;
    const fs::path file = copySample(dir, "overflowTestV2003.mdb");
    std::vector<std::vector<Variant>> expected = readAll(file, "Table1");
    {
        JetWriter writer(file.string());
        const auto rows = writer.rows("Table1");
        ASSERT_EQ(rows.size(), expected.size());
        for (size_t r = 0; r < rows.size(); ++r) {
            const std::string grown = repeated("g", 40 + r);
            writer.updateRow("Table1", rows[r].first,
                             {{r % 9, Variant::string(grown)}, {8, Variant::string("z")}});
            expected[r][r % 9] = Variant::string(grown);
            expected[r][8] = Variant::string("z");
        }
        writer.updateRow("Table1", rows[0].first, {{1, Variant::null()}});
        expected[0][1] = Variant::null();
        expected.push_back(std::vector<Variant>(9, Variant::string("new")));
        writer.appendRow("Table1", expected.back());
        writer.commit();
    }
    EXPECT_EQ(readAll(file, "Table1"), expected);
    expectSound(file);
}

// A table Access keeps hidden (all its columns variable, Id an AutoNumber): a row left without
// an Id gets the next number, a larger given number becomes the last one handed out.
TEST(JetWriter, AutoNumbersCountOn) {
    jet::JetFile file(fileBytes(sample("indexTestV2000.mdb")), "indexTestV2000.mdb");
    jet::PageSpace space(file);
    jet::TableWriter table(space, 63, "hidden");
    auto lastNumber = [&] { return jet::readU32(file, file.page(63), jet::kAutoNumberOffset); };
    ASSERT_EQ(lastNumber(), 1u);
    const auto first =
        table.append({Variant::null(), Variant::string("a"), Variant::longValue(3),
                      Variant::string("{00000000-0000-0000-0000-000000000001}"), Variant::null()});
    EXPECT_EQ(table.read(first)[0], Variant::longValue(2));
    table.append({Variant::longValue(40), Variant::null(), Variant::null(), Variant::null(),
                  Variant::binary(pattern(5000, 9))});
    EXPECT_EQ(lastNumber(), 40u);
    const auto third = table.append(std::vector<Variant>(5, Variant::null()));
    EXPECT_EQ(table.read(third)[0], Variant::longValue(41));
    EXPECT_EQ(table.scan().size(), 4u);
    EXPECT_EQ(table.scan()[2].second[4], Variant::binary(pattern(5000, 9)));
}

// A table with indexes takes changes to fields outside its keys (its entries point at rows
// that keep their place), a new field name, and can be deleted with its index pages.
TEST(JetWriter, IndexedTablesTakeWhatLeavesTheirKeysAlone) {
    TempDir dir;
    const fs::path file = copySample(dir, "testV2000.mdb");
    auto expected = readAll(file, "Table1");
    {
        JetWriter writer(file.string());
        for (const auto& [id, row] : writer.rows("Table1")) {
            writer.updateRow("Table1", id,
                             {{4, Variant::longValue(-123456)}, {7, Variant::currency(99990000)}});
        }
        writer.renameField("Table1", "g", "When");
        writer.commit();
    }
    for (auto& row : expected) {
        row[4] = Variant::longValue(-123456);
        row[7] = Variant::currency(99990000);
    }
    EXPECT_EQ(readAll(file, "Table1"), expected);
    EXPECT_EQ(openJet(file)->tableFields("Table1")[6].name, "When");
    expectSound(file);
    {
        JetWriter writer(file.string());
        writer.deleteTable("Table1");
        writer.commit();
    }
    EXPECT_EQ(openJet(file)->tableNames(),
              (std::vector<std::string>{"Table2", "Table3", "Table4"}));
    expectSound(file);
}
#endif  // DALVON_HAVE_JET_SAMPLES

}  // namespace
}  // namespace dalvon::jet_test
