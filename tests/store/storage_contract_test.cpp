// One contract for every storage engine: what the store above may rely on. SQLite and the Access
// engine (on a database it creates) run the read and the write half; the Access engine also
// runs the read half on a sample written by Access when the samples are there.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "store/jet/writer/jet_create.h"
#include "store/storage.h"
#include "tests/store/store_fixture.h"

namespace dalvon::testing {
namespace {

const std::vector<FieldDef> kFields = {{"A", 10, 50}, {"B", 10, 100}, {"C", 2, 1},
                                       {"D", 3, 2},   {"E", 4, 4},    {"F", 7, 8},
                                       {"G", 8, 8},   {"H", 5, 8},    {"I", 1, 1}};
// A row of every common kind; the Jet sample's Table1 holds it too.
const Storage::Row kFullRow = {
    Variant::string("abcdefg"), Variant::string("hijklmnop"),  Variant::byte(2),
    Variant::integer(222),      Variant::longValue(333333333), Variant::doubleValue(444.555),
    Variant::date(27293),       Variant::currency(35000),      Variant::boolean(true)};

// Table1 written through the engine itself: kFullRow, then a row of Nulls but the last field.
void writeTable1(Storage& storage) {
    storage.createTable("Table1", kFields);
    Storage::Changes full;
    for (size_t i = 0; i < kFullRow.size(); ++i)
        full.emplace_back(i, kFullRow[i]);
    storage.appendRow("Table1", full);
    storage.appendRow("Table1", {{kFields.size() - 1, Variant::boolean(false)}});
    storage.commit();
}

// Each engine opens a file (Windows form) of the test's file system.
#ifdef DALVON_HAVE_SQLITE
struct SqliteEngine {
    static constexpr bool kWritable = true;
    static std::unique_ptr<Storage> open(FileSystem& files, std::string& file) {
        createEmptyDatabase(files.hostPath(file));
        auto storage = reopen(files, file);
        writeTable1(*storage);
        return storage;
    }
    static std::unique_ptr<Storage> reopen(FileSystem& files, const std::string& file) {
        return openSqliteStorage(files.hostPath(file), file);
    }
};
#define DALVON_SQLITE_ENGINE SqliteEngine,
#else
#define DALVON_SQLITE_ENGINE
#endif

struct JetEngine {
    static constexpr bool kWritable = true;
    static std::unique_ptr<Storage> open(FileSystem& files, std::string& file) {
        file += ".mdb";
        jet::createDatabase(files, file);
        auto storage = reopen(files, file);
        writeTable1(*storage);
        return storage;
    }
    static std::unique_ptr<Storage> reopen(FileSystem& files, const std::string& file) {
        return openJetStorage(files, file);
    }
};

#ifdef DALVON_HAVE_JET_SAMPLES
// Access's own file: read only here, since the samples stay as they are.
struct JetSampleEngine {
    static constexpr bool kWritable = false;
    static std::unique_ptr<Storage> open(FileSystem& files, std::string& file) {
        file = files.windowsPath(std::string(DALVON_JET_SAMPLES) + "/testV2000.mdb");
        return openJetStorage(files, file);
    }
};
using Engines = ::testing::Types<DALVON_SQLITE_ENGINE JetEngine, JetSampleEngine>;
#else
using Engines = ::testing::Types<DALVON_SQLITE_ENGINE JetEngine>;
#endif

template <class Engine>
class StorageContract : public StoreTest {
protected:
    void SetUp() override {
        m_file = this->path("contract.db");
        m_storage = Engine::open(*this->m_files, m_file);
    }

    std::vector<std::pair<Storage::RowId, Storage::Row>> scanAll(const std::string& table) {
        std::vector<std::pair<Storage::RowId, Storage::Row>> rows;
        m_storage->scan(
            table, [&](Storage::RowId id, const Storage::Row& row) { rows.emplace_back(id, row); });
        return rows;
    }

    std::string m_file;
    std::unique_ptr<Storage> m_storage;
};

TYPED_TEST_SUITE(StorageContract, Engines);

TYPED_TEST(StorageContract, TablesFieldsAndRowsReadBackByScanAndById) {
    Storage& storage = *this->m_storage;
    auto names = storage.tableNames();
    EXPECT_NE(std::find(names.begin(), names.end(), "Table1"), names.end());
    EXPECT_EQ(storage.fields("Table1"), kFields);

    auto rows = this->scanAll("Table1");
    ASSERT_EQ(rows.size(), 2u);
    std::set<Storage::RowId> ids;
    for (const auto& [id, row] : rows) {
        EXPECT_GT(id, 0);
        ids.insert(id);
        EXPECT_EQ(storage.readRow("Table1", id), std::optional<Storage::Row>(row));
    }
    EXPECT_EQ(ids.size(), rows.size()) << "row ids are unique";
    EXPECT_TRUE(rows[0].second == kFullRow || rows[1].second == kFullRow);
    EXPECT_FALSE(storage.readRow("Table1", *ids.rbegin() + 1));
    EXPECT_FALSE(storage.readRow("Table1", 0));
    if constexpr (!TypeParam::kWritable) {
        EXPECT_EQ(storage.indexes("Table1"),
                  (std::vector<IndexDef>{{"PrimaryKey", {{"A", true}}, true, true},
                                         {"B", {{"B", true}}, false, false}}));
    }
}

TYPED_TEST(StorageContract, AMissingTableIsFault3078Everywhere) {
    Storage& storage = *this->m_storage;
    EXPECT_EQ(faultOf([&] { storage.fields("NoSuchTable"); }), 3078);
    EXPECT_EQ(faultOf([&] { storage.scan("NoSuchTable", [](auto, const auto&) {}); }), 3078);
    EXPECT_EQ(faultOf([&] { storage.readRow("NoSuchTable", 1); }), 3078);
    // Names are exact: the store above resolves other spellings.
    EXPECT_EQ(faultOf([&] { storage.fields("TABLE1"); }), 3078);
}

TYPED_TEST(StorageContract, WritesChangeRowsAndLastAcrossAReopen) {
    if constexpr (TypeParam::kWritable) {
        Storage& storage = *this->m_storage;
        // Appended rows come back in the order appended, under ascending ids.
        storage.createTable("T", {{"K", 4, 4}, {"V", 10, 20}});
        Storage::RowId first = storage.appendRow("T", {{0, Variant::longValue(1)}});
        Storage::RowId second =
            storage.appendRow("T", {{1, Variant::string("b")}, {0, Variant::longValue(2)}});
        EXPECT_LT(first, second);
        EXPECT_TRUE(storage.updateRow("T", first, {{1, Variant::string("a")}}));
        EXPECT_FALSE(storage.updateRow("T", second + 1, {{1, Variant::string("x")}}));
        auto rows = this->scanAll("T");
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0],
                  std::make_pair(first, Storage::Row{Variant::longValue(1), Variant::string("a")}));
        EXPECT_EQ(rows[1].first, second);
        EXPECT_EQ(storage.rowIds("T"), (std::vector<Storage::RowId>{first, second}));

        EXPECT_EQ(faultOf([&] { storage.createTable("T", kFields); }), 3010);
        storage.renameField("T", "V", "Value");
        EXPECT_EQ(storage.fields("T")[1].name, "Value");
        storage.deleteTable("Table1");
        EXPECT_EQ(faultOf([&] { storage.fields("Table1"); }), 3078);
        storage.commit();
        this->m_storage.reset();
        auto reopened = TypeParam::reopen(*this->m_files, this->m_file);
        EXPECT_EQ(reopened->tableNames(), std::vector<std::string>{"T"});
        EXPECT_EQ(reopened->readRow("T", second),
                  std::optional<Storage::Row>({Variant::longValue(2), Variant::string("b")}));
    }
}

// Keys as the store describes them come back as given, and hold: a second row with a key taken
// and a primary key without a value are refused and leave the table as it was.
TYPED_TEST(StorageContract, KeysReadBackAndRefuseDuplicatesAndNullPrimaryKeys) {
    if constexpr (TypeParam::kWritable) {
        Storage& storage = *this->m_storage;
        const std::vector<IndexDef> keys = {
            {"PrimaryKey", {{"K", true}}, true, true},
            {"NameWhen", {{"Name", false}, {"When", true}}, false, true},
            {"Score", {{"Score", true}}, false, false}};
        storage.createTable("Keyed",
                            {{"K", 4, 4}, {"Name", 10, 20}, {"When", 8, 8}, {"Score", 7, 8}}, keys);
        EXPECT_EQ(storage.indexes("Keyed"), keys);
        EXPECT_TRUE(storage.indexes("Table1").empty());
        const auto row = [](int32_t k, const char* name) {
            return Storage::Changes{
                {0, Variant::longValue(k)}, {1, Variant::string(name)}, {2, Variant::date(45000)}};
        };
        storage.appendRow("Keyed", row(1, "a"));
        storage.appendRow("Keyed", row(2, "b"));
        EXPECT_EQ(faultOf([&] { storage.appendRow("Keyed", row(1, "c")); }), 3022);
        EXPECT_EQ(faultOf([&] { storage.appendRow("Keyed", row(3, "b")); }), 3022);
        EXPECT_EQ(faultOf([&] { storage.appendRow("Keyed", {{1, Variant::string("d")}}); }), 3058);
        // Null keys are no duplicates.
        storage.appendRow("Keyed", {{0, Variant::longValue(4)}});
        storage.appendRow("Keyed", {{0, Variant::longValue(5)}});
        EXPECT_EQ(this->scanAll("Keyed").size(), 4u);
        storage.commit();
        EXPECT_EQ(TypeParam::reopen(*this->m_files, this->m_file)->indexes("Keyed"), keys);
    }
}

TYPED_TEST(StorageContract, WhatIsNotCommittedNeverReachesTheFile) {
    if constexpr (TypeParam::kWritable) {
        const std::string before = this->readBytes(this->m_file);
        this->m_storage->appendRow("Table1", {{0, Variant::string("later")}});
        EXPECT_EQ(this->readBytes(this->m_file), before);
    }
}

}  // namespace
}  // namespace dalvon::testing
