// Index maintenance by the writer: a table's own indexes through inserts in random order, key
// changes and deletes, and the catalog's indexes through hundreds of tables made and dropped.
// After each phase the checker (which rebuilds every key from its row, checks the order, the
// links and the page maps) finds nothing, and the independent readers read what ours reads.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "store/jet/check/jet_check.h"
#include "store/jet/reader/jet_catalog.h"
#include "store/jet/reader/jet_index.h"
#include "store/jet/reader/jet_table_storage.h"
#include "store/jet/writer/jet_writer.h"
#include "tests/jet/jet_samples.h"

namespace dalvon::jet_test {
namespace {

using jet::JetWriter;

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines)
        text += line + "\n";
    return text;
}

// A code as the plant's keys look, with accents, ß and an unprintable '-' among them.
std::string codeOf(uint32_t n) {
    static const char* const kPrefixes[] = {"Ventil-",
                                            "Gr\xC3\xB6\xC3\x9F"
                                            "e ",
                                            "Pumpe ", "R\xC3\xA9seau ", "x"};
    return kPrefixes[n % 5] + std::to_string(n * 7919 % 100003) + " Baugruppe Halle Nord";
}

struct Model {
    std::map<uint32_t, std::vector<Variant>> rows;  // by row id
};

// The writer's image checks clean, has no key it could not check, and each index holds exactly
// one entry per live row; commit, then the three readers read the same rows.
void expectPhaseSound(JetWriter& writer, const fs::path& file, const Model& model,
                      size_t minimumLevels) {
    const auto report = jet::checkJet(writer.file());
    EXPECT_EQ(joined(report.problems), "");
    EXPECT_EQ(joined(report.notChecked), "");
    const auto tables = jet::readUserTables(writer.file());
    const auto storage = jet::readTableStorage(writer.file(), tables.at(0).definitionPage, "Parts");
    for (const auto& index : storage.indexes) {
        EXPECT_EQ(jet::readIndexTree(writer.file(), index.rootPage, index.name).entries.size(),
                  model.rows.size());
        size_t levels = 1;
        for (uint32_t page = index.rootPage;; ++levels) {
            const auto read = jet::readIndexPage(writer.file(), page);
            if (read.isLeaf())
                break;
            page = read.tail;
        }
        EXPECT_GE(levels, minimumLevels) << index.name;
    }
    writer.commit();
    const auto rows = readAll(file, "Parts");
    EXPECT_EQ(rows.size(), model.rows.size());
    expectSound(file);
}

TEST(JetIndexWriter, KeepsATextPrimaryKeyAndADescendingIndexThroughEveryChange) {
    TempDir dir;
    const fs::path file = newDatabase(dir);
    JetWriter writer(file.string());
    writer.createTable("Parts", {{"Code", 10, 60}, {"Rank", 4, 4}, {"Note", 10, 50}},
                       {{"PrimaryKey", {{0, true}}, true, false},
                        {"RankDown", {{1, false}, {2, true}}, false, false}});
    Model model;
    std::mt19937 random(24);
    std::vector<uint32_t> order(10000);
    for (uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::shuffle(order.begin(), order.end(), random);
    for (uint32_t n : order) {
        std::vector<Variant> row = {
            Variant::string(codeOf(n)), n % 13 == 0 ? Variant::null() : Variant::longValue(n % 97),
            n % 7 == 0 ? Variant::null() : Variant::string("Anmerkung " + codeOf(n))};
        model.rows[writer.appendRow("Parts", row)] = row;
    }
    expectPhaseSound(writer, file, model, 3);

    // A duplicate primary key, by a new row or a changed one, is refused and changes nothing.
    const auto before = fileBytes(file);
    const auto& [firstId, firstRow] = *model.rows.begin();
    const auto& [secondId, secondRow] = *std::next(model.rows.begin());
    EXPECT_EQ(faultOf([&] { writer.appendRow("Parts", firstRow); }), 3022);
    EXPECT_EQ(faultOf([&] { writer.updateRow("Parts", secondId, {{0, firstRow[0]}}); }), 3022);
    EXPECT_FALSE(writer.hasChanges());
    EXPECT_EQ(fileBytes(file), before);
    (void)firstId;
    (void)secondRow;

    std::vector<uint32_t> ids;
    for (const auto& [id, row] : model.rows)
        ids.push_back(id);
    std::shuffle(ids.begin(), ids.end(), random);
    for (size_t i = 0; i < 1000; ++i) {
        const Variant code = Variant::string("Neu-" + codeOf(static_cast<uint32_t>(20000 + i)));
        const Variant rank = Variant::longValue(static_cast<int32_t>(i % 50));
        writer.updateRow("Parts", ids[i], {{0, code}, {1, rank}});
        model.rows[ids[i]][0] = code;
        model.rows[ids[i]][1] = rank;
    }
    expectPhaseSound(writer, file, model, 3);

    std::shuffle(ids.begin(), ids.end(), random);
    for (size_t i = 0; i < ids.size() / 2; ++i) {
        writer.deleteRow("Parts", ids[i]);
        model.rows.erase(ids[i]);
    }
    expectPhaseSound(writer, file, model, 2);
    // Keyed lookups through the store find each row by its code.
    auto db = openJet(file);
    size_t looked = 0;
    for (const auto& [id, row] : model.rows) {
        if (looked++ % 250 != 0)
            continue;
        auto found =
            db->openQuery("SELECT * FROM Parts WHERE Code = \"" + row[0].asString() + "\"");
        ASSERT_EQ(found->recordCount(), 1) << row[0].asString();
        EXPECT_EQ(found->value(2).toTextOrEmpty(), row[2].toTextOrEmpty());
    }
}

// Pages that deletes empty or nearly empty leave their levels and go back to the file: a run of
// keys taken out frees the leaves it empties, keys taken out here and there let thin pages
// merge, and an emptied table's indexes are single empty leaves again. No page is left that
// nothing owns and the global map does not call free.
TEST(JetIndexWriter, DeletesGiveEmptiedIndexPagesBackToTheFile) {
    TempDir dir;
    const fs::path file = newDatabase(dir);
    JetWriter writer(file.string());
    writer.createTable(
        "Parts", {{"Code", 10, 60}, {"Rank", 4, 4}},
        {{"PrimaryKey", {{1, true}}, true, false}, {"CodeDown", {{0, false}}, false, false}});
    Model model;
    for (uint32_t n = 0; n < 6000; ++n) {
        std::vector<Variant> row = {Variant::string(codeOf(n)),
                                    Variant::longValue(static_cast<int32_t>(n))};
        model.rows[writer.appendRow("Parts", row)] = row;
    }
    expectPhaseSound(writer, file, model, 2);
    const auto indexPages = [&] {
        const auto tables = jet::readUserTables(writer.file());
        const auto storage =
            jet::readTableStorage(writer.file(), tables.at(0).definitionPage, "Parts");
        size_t pages = 0;
        for (const auto& index : storage.indexes)
            pages += jet::readIndexTree(writer.file(), index.rootPage, index.name).pages.size();
        return pages;
    };
    const size_t full = indexPages();

    // Two thirds of the ranks, then every row.
    for (auto at = model.rows.begin(); at != model.rows.end();) {
        const int32_t rank = at->second[1].toLong();
        if (rank >= 1000 && rank < 5000) {
            writer.deleteRow("Parts", at->first);
            at = model.rows.erase(at);
        } else {
            ++at;
        }
    }
    expectPhaseSound(writer, file, model, 2);
    // A third of the keys is left: without merging the text index alone would keep its pages.
    EXPECT_LT(indexPages(), full * 2 / 3);
    EXPECT_EQ(jet::checkJet(writer.file()).leakedPages, 0u);
    for (const auto& [id, row] : model.rows)
        writer.deleteRow("Parts", id);
    model.rows.clear();
    EXPECT_EQ(indexPages(), 2u);
    expectPhaseSound(writer, file, model, 1);
    EXPECT_EQ(jet::checkJet(writer.file()).leakedPages, 0u);
}

// The catalog's Id and ParentIdName indexes and the access-control entries' index grow past a
// page, split, and shrink again as tables come and go.
TEST(JetIndexWriter, KeepsTheCatalogIndexesAtAnySize) {
    TempDir dir;
    const fs::path file = newDatabase(dir);
    JetWriter writer(file.string());
    for (int i = 0; i < 500; ++i)
        writer.createTable(
            "Tabelle \xC3\x9C"
            "bersicht-" +
                std::to_string(i),
            {{"A", 4, 4}});
    for (int i = 0; i < 500; i += 2)
        writer.deleteTable(
            "Tabelle \xC3\x9C"
            "bersicht-" +
            std::to_string(i));
    EXPECT_EQ(joined(jet::checkJet(writer.file()).problems), "");
    writer.commit();
    EXPECT_EQ(openJet(file)->tableNames().size(), 250u);
    expectSound(file);
}

}  // namespace
}  // namespace dalvon::jet_test
