// Renaming a field carries the column's property set in the catalog's LvProp along, so that
// Access does not keep the properties under the old name.
#include "store/jet/reader/jet_properties.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "store/jet/check/jet_check.h"
#include "store/jet/writer/jet_create.h"
#include "store/jet/writer/jet_page_space.h"
#include "store/jet/writer/jet_table_writer.h"
#include "store/jet/writer/jet_writer.h"
#include "tests/jet/jet_samples.h"

namespace dalvon::jet_test {
namespace {

namespace fs = std::filesystem;
using Blob = std::vector<uint8_t>;

void put(Blob& out, uint64_t value, size_t size) {
    for (size_t i = 0; i < size; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

Blob ucs2(const std::string& ascii) {
    Blob out;
    for (char c : ascii)
        put(out, static_cast<uint8_t>(c), 2);
    return out;
}

// One MR2 chunk: length, kind, body.
void chunk(Blob& out, uint16_t kind, const Blob& body) {
    put(out, 6 + body.size(), 4);
    put(out, kind, 2);
    out.insert(out.end(), body.begin(), body.end());
}

// A property set: its name block, then one text property (name index 0) with `text`.
Blob propertySet(const std::string& name, const std::string& text) {
    Blob body;
    put(body, 6 + 2 * name.size(), 4);
    put(body, 2 * name.size(), 2);
    const Blob encodedName = ucs2(name), value = ucs2(text);
    body.insert(body.end(), encodedName.begin(), encodedName.end());
    put(body, 8 + value.size(), 2);
    put(body, 0, 1);   // flags
    put(body, 10, 1);  // Text
    put(body, 0, 2);   // the first name of the names chunk
    put(body, value.size(), 2);
    body.insert(body.end(), value.begin(), value.end());
    return body;
}

// An LvProp blob as Access writes it: the names chunk, the table's own set (long enough to be
// stored on a long-value page) and one set per column name. The values do not depend on the
// names, so a renamed blob equals the blob built with the new names.
Blob propertyBlob(const std::vector<std::string>& columns) {
    Blob out = {'M', 'R', '2', 0};
    Blob names;
    put(names, 2 * 7, 2);
    const Blob caption = ucs2("Caption");
    names.insert(names.end(), caption.begin(), caption.end());
    chunk(out, 0x80, names);
    chunk(out, 0x00, propertySet("", std::string(120, 'd')));
    for (size_t i = 0; i < columns.size(); ++i)
        chunk(out, 0x01, propertySet(columns[i], "caption " + std::to_string(i)));
    return out;
}

TEST(JetPropertySets, OnlyTheNamedSetOfAWellFormedBlobIsRenamed) {
    const Blob ab = propertyBlob({"a", "b"});
    struct Row {
        Blob blob;
        std::string oldName;
        std::optional<Blob> expected;
    };
    const std::vector<Row> rows = {
        {ab, "A", propertyBlob({"Alpha", "b"})},  // names match without regard to case
        {ab, "b", propertyBlob({"a", "Alpha"})},
        {ab, "c", std::nullopt},                              // a column without properties
        {ab, "", std::nullopt},                               // the table's own set is no column's
        {Blob(ab.begin(), ab.end() - 1), "a", std::nullopt},  // cut short
        {Blob{'K', 'K', 'D', 0}, "a", std::nullopt},          // not Jet 4's kind
        {Blob{}, "a", std::nullopt},
    };
    for (const Row& row : rows)
        EXPECT_EQ(jet::renamePropertySet(row.blob, row.oldName, "Alpha"), row.expected)
            << row.oldName;
}

// Reads a database, lets `work` change the catalog row of `table`, and writes it back when
// `write`.
void withCatalogRow(
    const fs::path& file, const std::string& table, bool write,
    const std::function<void(jet::TableWriter&, jet::RowPointer, size_t, const jet::Row&)>& work) {
    std::ifstream in(file, std::ios::binary);
    jet::JetFile image({std::istreambuf_iterator<char>(in), {}}, file.string());
    in.close();
    jet::PageSpace space(image);
    jet::TableWriter objects(space, 2, "MSysObjects");
    const auto name = static_cast<size_t>(objects.columnIndex("Name"));
    const auto properties = static_cast<size_t>(objects.columnIndex("LvProp"));
    for (const auto& [place, row] : objects.scan()) {
        if (row[name].isString() && row[name].asString() == table)
            work(objects, place, properties, row);
    }
    if (write) {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(image.image().data()),
                  static_cast<std::streamsize>(image.image().size()));
    }
}

Blob propertiesOf(const fs::path& file, const std::string& table) {
    Blob blob;
    withCatalogRow(file, table, false, [&](auto&, auto, size_t column, const jet::Row& row) {
        if (!row[column].isNull())
            blob = row[column].asBinary();
    });
    return blob;
}

void setProperties(const fs::path& file, const std::string& table, const Blob& blob) {
    withCatalogRow(file, table, true,
                   [&](jet::TableWriter& objects, jet::RowPointer place, size_t column, auto&) {
                       objects.update(place, {{column, Variant::binary(blob)}});
                   });
}

void renameAndCommit(const fs::path& file, const std::string& table, const std::string& from,
                     const std::string& to) {
    jet::JetWriter writer(file.string());
    writer.renameField(table, from, to);
    writer.commit();
}

TEST(JetRenameProperties, ACreatedDatabaseKeepsEachSetWithItsColumn) {
    TempDir dir;
    const fs::path file = dir.path() / "new.mdb";
    jet::createDatabase(file.string());
    {
        jet::JetWriter writer(file.string());
        const std::vector<FieldDef> fields = {{"a", 4, 4}, {"b", 10, 20}, {"c", 4, 4}};
        writer.createTable("T", fields);
        writer.createTable("Bare", fields);
        writer.commit();
    }
    setProperties(file, "T", propertyBlob({"a", "b"}));
    ASSERT_EQ(propertiesOf(file, "T"), propertyBlob({"a", "b"}));

    renameAndCommit(file, "T", "A", "Alpha");
    renameAndCommit(file, "T", "c", "Gamma");  // no set: the blob stays as it is
    renameAndCommit(file, "Bare", "a", "Alpha");
    EXPECT_EQ(propertiesOf(file, "T"), propertyBlob({"Alpha", "b"}));
    EXPECT_EQ(propertiesOf(file, "Bare"), Blob{});
    EXPECT_EQ(jet::checkJetFile(file.string()), std::vector<std::string>{});
}

#ifdef DALVON_HAVE_JET_SAMPLES
// On Access's files; testV2000's LvProp pages lie beyond 512 in an inline map of 97 bytes.
TEST(JetRenameProperties, AccessFilesShowThePropertiesUnderTheNewName) {
    struct Row {
        std::string sample, table, column;
    };
    for (const Row& row :
         std::vector<Row>{{"delTestV2000.mdb", "Table", "a"}, {"testV2000.mdb", "Table1", "G"}}) {
        SCOPED_TRACE(row.sample);
        TempDir dir;
        const fs::path file = dir.path() / row.sample;
        fs::copy_file(sample(row.sample), file);
        fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
        const Blob before = propertiesOf(file, row.table);
        const std::string shown = "mdb-prop " + shellQuote(file.string()) + " " + row.table;
        const std::string shownBefore = haveMdbTools() ? runCommand(shown) : "";

        renameAndCommit(file, row.table, row.column, "Alpha");
        const Blob after = propertiesOf(file, row.table);
        EXPECT_EQ(after.size(), before.size() + 2 * (5 - row.column.size()));
        EXPECT_EQ(jet::renamePropertySet(after, "Alpha", row.column), before);
        EXPECT_EQ(jet::renamePropertySet(after, row.column, "x"), std::nullopt);
        EXPECT_EQ(jet::checkJetFile(file.string()), std::vector<std::string>{});
        if (haveMdbTools()) {
            std::string expected = shownBefore;
            const std::string old = "name: " + row.column + "\n";
            const size_t at = expected.find(old);
            ASSERT_NE(at, std::string::npos) << shownBefore;
            expected.replace(at, old.size(), "name: Alpha\n");
            EXPECT_EQ(runCommand(shown), expected);
        }
    }
}
#endif  // DALVON_HAVE_JET_SAMPLES

}  // namespace
}  // namespace dalvon::jet_test
