// New Jet 4 databases made from nothing, the writer filling them, and `dalvon-db convert
// --format jet4`. Every file is checked by the structural checker and read back by our reader,
// Debian's mdbtools and the npm package mdb-reader (each where installed), so these tests need
// no sample file.
#include "store/jet/writer/jet_create.h"

#include <gtest/gtest.h>

#include <sstream>

#include "store/jet/reader/jet_catalog.h"
#include "store/jet/reader/jet_index_leaf.h"
#include "store/jet/writer/jet_system_tables.h"
#include "store/jet/reader/jet_table_def.h"
#include "store/jet/writer/jet_writer.h"
#include "tests/jet/jet_samples.h"

namespace dalvon::jet_test {
namespace {

TEST(JetCreate, ANewDatabaseHoldsTheSystemTablesOnly) {
    TempDir dir;
    const fs::path file = newDatabase(dir);
    EXPECT_TRUE(openJet(file)->tableNames().empty());

    const jet::JetFile image(fileBytes(file), file.string());
    for (const auto& table : jet::systemTables()) {
        const auto def = jet::readTableDef(image, table.definitionPage, table.name);
        ASSERT_EQ(def.columns.size(), table.fields.size()) << table.name;
        EXPECT_EQ(def.realIndexes, table.indexes.size()) << table.name;
        for (size_t i = 0; i < def.columns.size(); ++i)
            EXPECT_EQ(def.columns[i].name, table.fields[i].name);
    }
    // The catalog's indexes hold one entry per row, in strictly ascending order: 3 containers,
    // MSysDb and the four tables; MSysACEs' index one per access-control entry.
    for (const auto& [root, count] :
         std::vector<std::pair<uint32_t, size_t>>{{7, 8}, {8, 8}, {9, 23}}) {
        const auto entries = jet::readLeafEntries(image, root);
        EXPECT_EQ(entries.size(), count) << "root " << root;
        EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end()));
        EXPECT_EQ(std::adjacent_find(entries.begin(), entries.end()), entries.end());
    }
    if (haveMdbTools()) {
        EXPECT_EQ(runCommand("mdb-tables -S " + shellQuote(file.string())),
                  "MSysObjects MSysACEs MSysQueries MSysRelationships \n");
    }
    expectSound(file);

    // An existing file is refused and left alone, by the function and by dalvon-db create; a
    // file that cannot be written leaves nothing.
    const auto before = fileBytes(file);
    EXPECT_EQ(faultOf([&] { jet::createDatabase(file.string()); }), 3204);
    EXPECT_EQ(fileBytes(file), before);
    const std::string tool = shellQuote(DALVON_DB_TOOL);
    EXPECT_NE(std::system((tool + " create " + shellQuote(file.string()) + " 2>/dev/null").c_str()),
              0);
    EXPECT_EQ(fileBytes(file), before);
    const fs::path nowhere = dir.path() / "missing" / "x.mdb";
    EXPECT_EQ(faultOf([&] { jet::createDatabase(nowhere.string()); }), 75);
    const fs::path other = dir.path() / "other.mdb";
    EXPECT_EQ(std::system((tool + " create " + shellQuote(other.string())).c_str()), 0);
    EXPECT_EQ(runCommand(tool + " tables " + shellQuote(other.string())), "");
    EXPECT_EQ(fs::file_size(other), before.size());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2)
        << "no temporary file is left behind";
}

// Every value kind, long values inline, on one page and chained, compressed and plain text,
// rows that move when they grow, renamed fields, a definition over several pages and a file of
// hundreds of pages; nothing reaches the file before commit; then the tables go again.
TEST(JetCreate, TheWriterFillsAndEmptiesACreatedDatabase) {
    TempDir dir;
    const fs::path file = newDatabase(dir);
    const auto before = fileBytes(file);
    std::vector<std::vector<Variant>> expected;
    std::vector<uint32_t> ids;
    std::vector<FieldDef> wide;
    std::vector<Variant> wideRow;
    for (int i = 0; i < 120; ++i) {
        wide.push_back({"A rather long field name number " + std::to_string(i), i % 2 ? 4 : 10,
                        i % 2 ? 4 : 20});
        wideRow.push_back(i % 2 ? Variant::longValue(i) : Variant::string("v" + std::to_string(i)));
    }
    {
        jet::JetWriter writer(file.string());
        writer.createTable("PRESET_DEFS", kAllKinds);
        expected = fillAllKinds(400, [&](const std::vector<Variant>& row) {
            ids.push_back(writer.appendRow("PRESET_DEFS", row));
        });
        writer.createTable("Wide", wide);
        for (int i = 0; i < 3; ++i)
            writer.appendRow("Wide", wideRow);
        EXPECT_EQ(writer.tableNames(), (std::vector<std::string>{"PRESET_DEFS", "Wide"}));
        EXPECT_EQ(fileBytes(file), before) << "nothing reaches the file before commit";
        writer.commit();
    }
    EXPECT_EQ(readAll(file, "PRESET_DEFS"), expected);
    EXPECT_EQ(readAll(file, "Wide"), std::vector<std::vector<Variant>>(3, wideRow));
    EXPECT_EQ(openJet(file)->tableFields("PRESET_DEFS")[8], (FieldDef{"Name", 10, 50}));
    {
        const jet::JetFile image(fileBytes(file), file.string());
        EXPECT_GT(image.pageCount(), 400u);
        const auto def = jet::readTableDef(image, jet::readUserTables(image).at(0).definitionPage,
                                           "PRESET_DEFS");
        EXPECT_TRUE(def.columns[8].compressible);
    }
    expectSound(file);

    {
        // Shorter: stays in place. Longer: moves and keeps its id. A changed long value.
        jet::JetWriter writer(file.string());
        const std::vector<std::pair<size_t, std::vector<std::pair<size_t, Variant>>>> changes = {
            {10, {{8, Variant::string("x")}}},
            {11, {{13, Variant::string(repeated("wide ", 50))}}},
            {11, {{8, Variant::string(repeated("y", 50))}}},
            {12, {{9, Variant::string(repeated("memo ", 2000))}}},
            {7, {{3, Variant::longValue(77)}, {0, Variant::boolean(true)}}}};
        for (const auto& [row, values] : changes) {
            writer.updateRow("PRESET_DEFS", ids[row], values);
            for (const auto& [column, value] : values)
                expected[row][column] = value;
        }
        EXPECT_EQ(writer.row("PRESET_DEFS", ids[11]), expected[11]);
        writer.renameField("PRESET_DEFS", "notes", "Bemerkungen");
        writer.renameField("Wide", "A rather long field name number 3", "Short");
        writer.commit();
    }
    EXPECT_EQ(readAll(file, "PRESET_DEFS"), expected);
    EXPECT_EQ(openJet(file)->tableFields("PRESET_DEFS")[9], (FieldDef{"Bemerkungen", 12, 0}));
    EXPECT_EQ(openJet(file)->tableFields("Wide")[3], (FieldDef{"Short", 4, 4}));
    expectSound(file);

    {
        jet::JetWriter writer(file.string());
        writer.deleteTable("PRESET_DEFS");
        writer.deleteTable("Wide");
        writer.commit();
    }
    EXPECT_TRUE(openJet(file)->tableNames().empty());
    expectSound(file);
}

// `dalvon-db convert --format jet4` on the example installation's databases: each Jet 4 file it
// writes holds the same tables, fields and values as its source.
std::string tool(const std::string& arguments) {
    return runCommand(shellQuote(DALVON_DB_TOOL) + " " + arguments + " 2>&1");
}

// Every table of a file as the tool shows it: its schema and its rows as JSON lines.
std::string contents(const fs::path& file) {
    const std::string quoted = shellQuote(file.string());
    std::istringstream tables(tool("tables " + quoted));
    std::string out;
    for (std::string table; std::getline(tables, table);) {
        out += table + "\n" + tool("schema " + quoted + " " + shellQuote(table));
        out += tool("export --format json " + quoted + " " + shellQuote(table));
    }
    return out;
}

TEST(JetConvertJet4, TheExampleDatabasesBecomeSoundJet4Files) {
    TempDir dir;
    runCommand(shellQuote(DALVON_MAKE_EXAMPLE) + " " + shellQuote(dir.path().string()) +
               " >/dev/null");
    std::vector<fs::path> sources;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
        if (entry.path().extension() == ".mdb")
            sources.push_back(entry.path());
    }
    ASSERT_EQ(sources.size(), 3u);
    for (size_t i = 0; i < sources.size(); ++i) {
        const fs::path& source = sources[i];
        SCOPED_TRACE(source.string());
        const fs::path jet = dir.path() / ("converted" + std::to_string(i) + ".mdb");
        tool("convert --format jet4 " + shellQuote(source.string()) + " " +
             shellQuote(jet.string()));
        ASSERT_TRUE(fs::exists(jet));
        EXPECT_EQ(contents(jet), contents(source));
        expectSound(jet);
        // With a template: the same tables in a copy of the converted file's empty start.
        const fs::path empty = dir.path() / "empty.mdb";
        fs::remove(empty);
        tool("create " + shellQuote(empty.string()));
        const fs::path templated = dir.path() / "templated.mdb";
        fs::remove(templated);
        tool("convert --format jet4 --template " + shellQuote(empty.string()) + " " +
             shellQuote(source.string()) + " " + shellQuote(templated.string()));
        EXPECT_EQ(contents(templated), contents(source));
    }
    EXPECT_NE(tool("convert --format csv " + shellQuote(sources[0].string()) + " " +
                   shellQuote((dir.path() / "x").string()))
                  .find("Unknown format"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(dir.path() / "x"));
    if (haveSamples()) {
        // A Jet 3 template cannot be written: the message names the file asked for and the
        // template, never the temp file the tool works on.
        const std::string jet3 = sample("testV1997.mdb").string();
        std::string refused = tool("convert --format jet4 --template " + shellQuote(jet3) + " " +
                                   shellQuote(sources[0].string()) + " " +
                                   shellQuote((dir.path() / "y.mdb").string()));
        EXPECT_NE(refused.find("y.mdb' made from the template '" + jet3), std::string::npos)
            << refused;
        EXPECT_EQ(refused.find(".converting"), std::string::npos) << refused;
        EXPECT_FALSE(fs::exists(dir.path() / "y.mdb"));
    }
}

}  // namespace
}  // namespace dalvon::jet_test
