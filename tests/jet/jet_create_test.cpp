// New Jet 4 databases made from nothing, and the writer filling them. Every file is checked by
// the structural checker and read back by our reader, Debian's mdbtools and the npm package
// mdb-reader (each where installed), so these tests need no sample file.
#include "store/jet/jet_create.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/fault.h"
#include "store/jet/jet_catalog.h"
#include "store/jet/jet_check.h"
#include "store/jet/jet_index_leaf.h"
#include "store/jet/jet_system_tables.h"
#include "store/jet/jet_table_def.h"
#include "store/jet/jet_writer.h"
#include "tests/jet/jet_mdb_reader.h"
#include "tests/jet/jet_mdbtools.h"
#include "tests/jet/jet_samples.h"

namespace dalvon::jet_test {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The file checks clean, and our reader, mdbtools and mdb-reader read it the same.
void expectReadersAgree(const fs::path& file) {
    EXPECT_EQ(jet::checkJetFile(file.string()), std::vector<std::string>{}) << file;
    if (haveMdbTools()) {
        EXPECT_EQ(mdbToolsDisagreement(file), "") << file;
    }
    if (haveMdbReader()) {
        EXPECT_EQ(mdbReaderDisagreement(file), "") << file;
        return;
    }
    std::cerr << "mdb-reader not installed (scripts/install-node-deps): " << file
              << " not compared with it\n";
}

fs::path created(const TempDir& dir, const std::string& name = "new.mdb") {
    const fs::path file = dir.path() / name;
    jet::createDatabase(file.string(), file.string());
    return file;
}

int faultNumber(const std::function<void()>& work) {
    try {
        work();
    } catch (const Fault& fault) {
        return fault.number();
    }
    return 0;
}

std::string repeated(const std::string& text, size_t times) {
    std::string out;
    for (size_t i = 0; i < times; ++i)
        out += text;
    return out;
}

std::vector<uint8_t> pattern(size_t length, uint8_t seed) {
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<uint8_t>(seed + i * 7);
    return bytes;
}

TEST(JetCreate, ANewDatabaseHoldsTheSystemTablesOnly) {
    TempDir dir;
    const fs::path file = created(dir);
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
    expectReadersAgree(file);

    // An existing file is refused and left alone, by the function and by dalvon-db create; a
    // file that cannot be written leaves nothing.
    const auto before = fileBytes(file);
    EXPECT_EQ(faultNumber([&] { jet::createDatabase(file.string(), file.string()); }), 3204);
    EXPECT_EQ(fileBytes(file), before);
    const std::string tool = shellQuote(DALVON_DB_TOOL);
    EXPECT_NE(std::system((tool + " create " + shellQuote(file.string()) + " 2>/dev/null").c_str()),
              0);
    EXPECT_EQ(fileBytes(file), before);
    const fs::path nowhere = dir.path() / "missing" / "x.mdb";
    EXPECT_EQ(faultNumber([&] { jet::createDatabase(nowhere.string(), nowhere.string()); }), 75);
    const fs::path other = dir.path() / "other.mdb";
    EXPECT_EQ(std::system((tool + " create " + shellQuote(other.string())).c_str()), 0);
    EXPECT_EQ(runCommand(tool + " tables " + shellQuote(other.string())), "");
    EXPECT_EQ(fs::file_size(other), before.size());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2)
        << "no temporary file is left behind";
}

const std::vector<FieldDef> kAllKinds = {
    {"Flag", 1, 1},  {"Small", 2, 1}, {"Count", 3, 2}, {"Id", 4, 4},      {"Price", 5, 8},
    {"Ratio", 6, 4}, {"Value", 7, 8}, {"Stamp", 8, 8}, {"Name", 10, 50},  {"Notes", 12, 0},
    {"Blob", 11, 0}, {"Key", 15, 16}, {"Raw", 9, 16},  {"Wide", 10, 255},
};

std::vector<Variant> rowOfAllKinds(int32_t n, std::string notes, std::vector<uint8_t> blob) {
    return {
        Variant::boolean(n % 2 == 0),
        Variant::byte(static_cast<uint8_t>(n)),
        Variant::integer(static_cast<int16_t>(-n)),
        Variant::longValue(n * 1000),
        Variant::currency(int64_t{n} * 12345),
        Variant::single(static_cast<float>(n) / 4),
        Variant::doubleValue(n / 3.0),
        Variant::date(45000.5 + n),
        Variant::string("Row " + std::to_string(n)),
        Variant::string(std::move(notes)),
        Variant::binary(std::move(blob)),
        Variant::string("{6F9619FF-8B86-D011-B42D-00C04FC964" + std::to_string(10 + n % 90) + "}"),
        Variant::binary(pattern(static_cast<size_t>(1 + n % 16), 3)),
        Variant::string(n % 3 == 0 ? "Grüße, \xE2\x82\xAC " + std::to_string(n) : "ab")};
}

std::vector<std::vector<Variant>> readBack(const fs::path& file, const std::string& table) {
    auto db = openJet(file);
    return readAll(*db, table);
}

// Every value kind, long values inline, on one page and chained, compressed and plain text,
// rows that move when they grow, a renamed field, a definition over several pages and a file of
// hundreds of pages; then the tables go again.
TEST(JetCreate, TheWriterFillsAndEmptiesACreatedDatabase) {
    TempDir dir;
    const fs::path file = created(dir);
    std::vector<std::vector<Variant>> expected;
    std::vector<uint32_t> ids;
    std::vector<FieldDef> wide;
    for (int i = 0; i < 120; ++i)
        wide.push_back({"A rather long field name number " + std::to_string(i), i % 2 ? 4 : 10,
                        i % 2 ? 4 : 20});
    std::vector<Variant> wideRow;
    for (int i = 0; i < 120; ++i)
        wideRow.push_back(i % 2 ? Variant::longValue(i) : Variant::string("v" + std::to_string(i)));
    {
        jet::JetWriter writer(file.string(), file.string());
        writer.createTable("PRESET_DEFS", kAllKinds);
        const std::vector<std::pair<std::string, size_t>> longValues = {
            {"short memo", 0}, {repeated("x", 3000), 40}, {repeated("Lang ", 3000), 9000}};
        for (int32_t n = 0; n < 400; ++n) {
            const auto& [notes, blobLength] = longValues[static_cast<size_t>(n) % 3];
            expected.push_back(rowOfAllKinds(n, notes, pattern(blobLength, 1)));
            if (n == 7)
                expected.back() = std::vector<Variant>(kAllKinds.size(), Variant::null());
            ids.push_back(writer.appendRow("PRESET_DEFS", expected.back()));
        }
        expected[7][0] = Variant::boolean(false);  // a Yes/No field is never Null
        writer.createTable("Wide", wide);
        for (int i = 0; i < 3; ++i)
            writer.appendRow("Wide", wideRow);
        writer.commit();
    }
    EXPECT_EQ(readBack(file, "PRESET_DEFS"), expected);
    EXPECT_EQ(readBack(file, "Wide"), std::vector<std::vector<Variant>>(3, wideRow));
    {
        const jet::JetFile image(fileBytes(file), file.string());
        EXPECT_GT(image.pageCount(), 400u);
        const auto def = jet::readTableDef(image, jet::readUserTables(image).at(0).definitionPage,
                                           "PRESET_DEFS");
        EXPECT_TRUE(def.columns[8].compressible);
    }
    expectReadersAgree(file);

    {
        jet::JetWriter writer(file.string(), file.string());
        writer.updateRow("PRESET_DEFS", ids[10], {{8, Variant::string("x")}});
        writer.updateRow("PRESET_DEFS", ids[11], {{13, Variant::string(repeated("wide ", 50))}});
        writer.updateRow("PRESET_DEFS", ids[11], {{8, Variant::string(repeated("y", 50))}});
        writer.updateRow("PRESET_DEFS", ids[12], {{9, Variant::string(repeated("memo ", 2000))}});
        writer.updateRow("PRESET_DEFS", ids[7],
                         {{3, Variant::longValue(77)}, {0, Variant::boolean(true)}});
        expected[10][8] = Variant::string("x");
        expected[11][13] = Variant::string(repeated("wide ", 50));
        expected[11][8] = Variant::string(repeated("y", 50));
        expected[12][9] = Variant::string(repeated("memo ", 2000));
        expected[7][3] = Variant::longValue(77);
        expected[7][0] = Variant::boolean(true);
        writer.renameField("PRESET_DEFS", "notes", "Bemerkungen");
        writer.renameField("Wide", "A rather long field name number 3", "Short");
        writer.commit();
    }
    EXPECT_EQ(readBack(file, "PRESET_DEFS"), expected);
    EXPECT_EQ(openJet(file)->tableFields("PRESET_DEFS")[9], (FieldDef{"Bemerkungen", 12, 0}));
    EXPECT_EQ(openJet(file)->tableFields("Wide")[3], (FieldDef{"Short", 4, 4}));
    expectReadersAgree(file);

    {
        jet::JetWriter writer(file.string(), file.string());
        writer.deleteTable("PRESET_DEFS");
        writer.deleteTable("Wide");
        writer.commit();
    }
    EXPECT_TRUE(openJet(file)->tableNames().empty());
    expectReadersAgree(file);
}

}  // namespace
}  // namespace dalvon::jet_test
