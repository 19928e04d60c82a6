#include <gtest/gtest.h>

#include <filesystem>

#include "platform/fakes/faulty_file_system.h"
#include "platform/fakes/memory_file_system.h"
#include "store/jet/writer/jet_create.h"
#include "tests/store/store_fixture.h"
#include "tests/support/dead_writer.h"

namespace dalvon::testing {
namespace {

using Rows = std::vector<std::vector<std::string>>;

using FilesTest = StoreTest;

void addRow(Database& db, int32_t id) {
    auto set = db.openTable("T");
    set->addNew();
    set->setValue("ID", Variant::longValue(id));
    set->update();
}

TEST_F(FilesTest, TheEngineIsChosenByContentNotByName) {
    std::string sqliteNamedMdb = makeDatabase("Dalvon.mdb", "CREATE TABLE T (ID LONG)");
    EXPECT_EQ(open(sqliteNamedMdb)->tableNames(), (std::vector<std::string>{"T"}));

    struct Row {
        std::string name;
        std::string bytes;
    };
    std::string valid = readBytes(makeDatabase("valid.db",
                                               "CREATE TABLE T (ID LONG);"
                                               "INSERT INTO T VALUES (1);"));
    const std::vector<Row> foreign = {
        {"text.db", "ID;Name\r\n1;first\r\n"},
        {"empty.db", ""},
        {"garbage.mdb", std::string("SQLite format 3\0", 16) + std::string(4000, '\x5a')},
        {"truncated.db", valid.substr(0, 100)},
        {"torn.db", valid.substr(0, valid.size() / 2) + std::string(valid.size() / 2, '\xff')},
    };
    for (const Row& row : foreign) {
        std::string file = path(row.name);
        writeBytes(file, row.bytes);
        std::string description;
        int32_t fault = faultOf([&] { open(file)->openTable("T")->recordCount(); }, &description);
        EXPECT_TRUE(fault == 3343 || fault == 3049)
            << row.name << ": " << fault << " " << description;
        EXPECT_NE(description.find(file), std::string::npos) << description;
        EXPECT_EQ(readBytes(file), row.bytes) << row.name << " was changed";
        EXPECT_FALSE(std::filesystem::exists(host(file) + "-journal")) << row.name;
    }
    std::string description;
    EXPECT_EQ(faultOf([&] { open(path("none.mdb")); }, &description), 3024);
    EXPECT_EQ(description, "Could not find file '" + path("none.mdb") + "'.");
    writeBytes(path("plain.txt"), "hello");
    EXPECT_EQ(faultOf([&] { open(path("plain.txt")); }, &description), 3343);
    EXPECT_EQ(description, "Unrecognized database format '" + path("plain.txt") + "'.");
}

TEST_F(FilesTest, TwoHandlesOnOneFileSeeEachOthersWrites) {
    std::string file = makeDatabase("shared.db", "CREATE TABLE T (ID LONG)");
    auto first = open(file);
    auto second = open(path("./shared.db"));  // another spelling of the same file
    addRow(*first, 1);
    EXPECT_EQ(second->openTable("T")->recordCount(), 1);
    addRow(*second, 2);
    second->createTable("U", {FieldDef{"a", static_cast<int>(FieldType::Long), 4}});
    EXPECT_EQ(first->openTable("T")->recordCount(), 2);
    EXPECT_EQ(first->tableNames(), (std::vector<std::string>{"T", "U"}));

    second->close();
    EXPECT_EQ(rows(file, "SELECT count(*) FROM T"), (Rows{{"0"}})) << "committed at the last close";
    first->close();
    EXPECT_EQ(rows(file, "SELECT ID FROM T"), (Rows{{"1"}, {"2"}}));
}

TEST_F(FilesTest, AClosedFileIsCompleteWithoutAJournal) {
    std::string file = makeDatabase("closed.db", "CREATE TABLE T (ID LONG)");
    auto db = open(file);
    addRow(*db, 7);
    auto set = db->openQuery("SELECT * FROM T WHERE ID = 7");
    db->close();
    EXPECT_FALSE(std::filesystem::exists(host(file) + "-journal"));
    EXPECT_FALSE(std::filesystem::exists(host(file) + "-wal"));
    EXPECT_EQ(rows(file, "SELECT ID FROM T"), (Rows{{"7"}}));
    EXPECT_EQ(faultOf([&] { set->moveFirst(); }), 3420) << "the set went with its database";
    EXPECT_EQ(faultOf([&] { db->tableNames(); }), 3420);

    std::filesystem::copy_file(host(file), host(path("copy.db")));
    EXPECT_EQ(open(path("copy.db"))->openTable("T")->recordCount(), 1);
}

TEST_F(FilesTest, FlushAllCommitsWhatOpenDatabasesWrote) {
    std::string file = makeDatabase("flush.db", "CREATE TABLE T (ID LONG)");
    auto db = open(file);
    addRow(*db, 1);
    m_engine->flushAll();
    EXPECT_EQ(rows(file, "SELECT ID FROM T"), (Rows{{"1"}}));
    addRow(*db, 2);
    EXPECT_EQ(db->openQuery("SELECT * FROM T WHERE ID = 2")->recordCount(), 1);
    m_engine->flushAll();
    EXPECT_EQ(rows(file, "SELECT ID FROM T"), (Rows{{"1"}, {"2"}}));
}

TEST_F(FilesTest, AWalFileIsLeftInRollbackJournalMode) {
    std::string file = makeDatabase("wal.db", "PRAGMA journal_mode=WAL; CREATE TABLE T (ID LONG)");
    auto db = open(file);
    addRow(*db, 3);
    db->close();
    EXPECT_FALSE(std::filesystem::exists(host(file) + "-wal"));
    EXPECT_EQ(rows(file, "PRAGMA journal_mode"), (Rows{{"delete"}}));
    EXPECT_EQ(rows(file, "SELECT ID FROM T"), (Rows{{"3"}}));
}

TEST_F(FilesTest, ACopyHoldsTheCommittedContentAndNothingElse) {
    struct Case {
        const char* what;
        const char* sql;
        bool flush;
        const char* companion;
        const char* committed;
    };
    for (const Case& c : std::vector<Case>{
             {"a commit only in the write-ahead log",
              "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0; UPDATE T SET ID = 123", false,
              "-wal", "123"},
             {"a dead writer's change beside its hot journal", "BEGIN; UPDATE T SET ID = -777",
              true, "-journal", "1"},
         }) {
        SCOPED_TRACE(c.what);
        std::string file =
            makeDatabase("copied.db", "CREATE TABLE T (ID LONG); INSERT INTO T VALUES (1)");
        sqliteWriterDiesAfter(host(file), c.sql, c.flush);
        ASSERT_TRUE(std::filesystem::exists(host(file) + c.companion));
        writeBytes(path("copy.db"), m_engine->committedContent(file));
        EXPECT_EQ(rows(path("copy.db"), "SELECT ID FROM T"), (Rows{{c.committed}}));
        std::filesystem::remove(host(file) + "-wal");
        std::filesystem::remove(host(file) + "-journal");
    }
    // Without anything beside it, a file's bytes are its content.
    std::string plain = makeDatabase("plain.db", "CREATE TABLE T (ID LONG)");
    EXPECT_EQ(m_engine->committedContent(plain), readBytes(plain));
}

TEST_F(FilesTest, ACopyOverAnotherFileNeedsASoundSource) {
    std::string sound =
        makeDatabase("sound.db", "CREATE TABLE T (ID LONG); INSERT INTO T VALUES (1)");
    std::string target = makeDatabase("target.db", "CREATE TABLE T (ID LONG)");
    EXPECT_EQ(faultOf([&] { m_engine->checkCopy(sound, target); }), 0);
    std::string damaged = path("damaged.db");
    std::string bytes = readBytes(sound);
    bytes.replace(4096, 64, std::string(64, '\x5a'));  // the header of the table's page
    writeBytes(damaged, bytes);
    std::string description;
    EXPECT_EQ(faultOf([&] { m_engine->checkCopy(damaged, target); }, &description), 3049);
    EXPECT_NE(description.find(damaged), std::string::npos) << description;
    writeBytes(path("text.db"), "ID;Name");
    EXPECT_EQ(faultOf([&] { m_engine->checkCopy(path("text.db"), target); }), 3343);
}

TEST_F(FilesTest, RefusedWritesLeaveTheFileAsItWas) {
    std::string file =
        makeDatabase("kept.db", "CREATE TABLE T (ID LONG); INSERT INTO T VALUES (1)");
    std::string before = readBytes(file);
    m_engine->refuseWrites(file, Fault(75, "", "no backup"));
    auto db = open(file);
    EXPECT_EQ(db->openTable("T")->recordCount(), 1);
    EXPECT_EQ(faultOf([&] { addRow(*db, 2); }), 75);
    EXPECT_EQ(faultOf([&] { db->renameField("T", "ID", "Key"); }), 75);
    EXPECT_EQ(faultOf([&] { db->deleteTable("T"); }), 75);
    db->close();
    EXPECT_EQ(readBytes(file), before);
}

// A Jet database kept in memory, whose commits and copies fail as a disk can make them fail: the
// file stays as it was, and the failure comes back as the fault of the commit or the copy.
TEST(FailingWrites, LeaveTheDatabaseAsItWas) {
    MemoryFileSystem memory;
    FaultyFileSystem files(memory);
    const std::string file = "D:\\Plant\\Dalvon.mdb", copy = "D:\\Plant\\Copy.mdb";
    memory.makeFolder("D:\\Plant");
    jet::createDatabase(files, file);
    auto engine = makeDatabaseEngine(files);
    {
        auto db = engine->open(file);
        db->createTable("T", {FieldDef{"ID", static_cast<int>(FieldType::Long), 4}});
        addRow(*db, 1);
        db->close();
    }
    memory.setFile(copy, *memory.readFile(file));
    for (WriteFailure failure :
         {WriteFailure::DiskFull, WriteFailure::ShortWrite, WriteFailure::FailedRename}) {
        const std::string before = *memory.readFile(file);
        files.failAs(failure);
        files.failAllWrites(true);
        auto db = engine->open(file);
        addRow(*db, 2);
        EXPECT_EQ(faultOf([&] { db->close(); }), 75);
        EXPECT_EQ(faultOf([&] { files.copyFile(file, copy); }), 75);
        EXPECT_TRUE(*memory.readFile(file) == before);
        EXPECT_TRUE(*memory.readFile(copy) == before);
        files.failAllWrites(false);
        EXPECT_EQ(engine->open(file)->openTable("T")->recordCount(), 1);
    }
}

}  // namespace
}  // namespace dalvon::testing
