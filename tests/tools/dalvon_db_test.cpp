// dalvon-db as a user runs it, beside sqlite3 and mdbtools.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "store/sqlite/sqlite_script.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

class DalvonDb : public ::testing::Test {
protected:
    DalvonDb() {
        folder = fs::temp_directory_path() /
                 ("dalvon-db-test-" + std::to_string(getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        database = folder / "Dalvon.mdb";
        // A database in WAL mode, as another SQLite tool may leave one.
        dalvon::sqlite::runScript(
            database.string(),
            "PRAGMA journal_mode = WAL;"
            "CREATE TABLE PRESET_DEFS (ID LONG, var_name VARCHAR(50), isBitArray BIT,"
            "  abs_max DOUBLE, price CURRENCY, changed DATETIME, note LONGTEXT);"
            "INSERT INTO PRESET_DEFS VALUES (1, 'Speed, \"max\"', 1, 99.5, 123400, 45351.5, '');"
            "INSERT INTO PRESET_DEFS VALUES (2, NULL, 0, NULL, NULL, NULL, NULL);");
    }
    ~DalvonDb() override { fs::remove_all(folder); }

    Outcome run(const std::vector<std::string>& arguments) {
        std::string command = quoted(DALVON_DB);
        for (const std::string& argument : arguments)
            command += " " + quoted(argument);
        fs::path out = folder / "out.txt", err = folder / "err.txt";
        command += " > " + quoted(out.string()) + " 2> " + quoted(err.string());
        int status = std::system(command.c_str());
        Outcome outcome{WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(out), slurp(err)};
        fs::remove(out);
        fs::remove(err);
        return outcome;
    }

    // The folder's files with their bytes and times.
    std::vector<std::string> snapshot() const {
        std::vector<std::string> files;
        for (const auto& entry : fs::directory_iterator(folder)) {
            files.push_back(entry.path().filename().string() + "|" + slurp(entry.path()) + "|" +
                            std::to_string(entry.last_write_time().time_since_epoch().count()));
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    fs::path folder;
    fs::path database;
};

TEST_F(DalvonDb, ReadingCommandsWriteTheirFormatsAndLeaveTheFileByteForByte) {
    std::vector<std::string> before = snapshot();
    const std::string db = database.string();
    const std::pair<std::vector<std::string>, std::string> commands[] = {
        {{"tables", db}, "PRESET_DEFS\n"},
        {{"schema", db, "PRESET_DEFS"},
         "Table\tField\tType\tTypeName\tSize\n"
         "PRESET_DEFS\tID\t4\tLong\t4\n"
         "PRESET_DEFS\tvar_name\t10\tText\t50\n"
         "PRESET_DEFS\tisBitArray\t1\tBoolean\t1\n"
         "PRESET_DEFS\tabs_max\t7\tDouble\t8\n"
         "PRESET_DEFS\tprice\t5\tCurrency\t8\n"
         "PRESET_DEFS\tchanged\t8\tDate\t8\n"
         "PRESET_DEFS\tnote\t12\tMemo\t0\n"},
        {{"schema", "--sql", db},
         "CREATE TABLE PRESET_DEFS (ID LONG, var_name VARCHAR(50), isBitArray BIT, "
         "abs_max DOUBLE, price CURRENCY, changed DATETIME, note LONGTEXT);\n"},
        {{"export", db, "PRESET_DEFS"},
         "ID,var_name,isBitArray,abs_max,price,changed,note\r\n"
         "1,\"Speed, \"\"max\"\"\",True,99.5,12.34,2024-02-29 12:00:00,\r\n"
         "2,,False,,,,\r\n"},
        {{"export", "--null", "NULL", "--no-header", db, "PRESET_DEFS"},
         "1,\"Speed, \"\"max\"\"\",True,99.5,12.34,2024-02-29 12:00:00,\r\n"
         "2,NULL,False,NULL,NULL,NULL,NULL\r\n"},
        {{"export", "--format=json", db, "PRESET_DEFS"},
         "{\"ID\":1,\"var_name\":\"Speed, \\\"max\\\"\",\"isBitArray\":true,\"abs_max\":99.5,"
         "\"price\":12.34,\"changed\":\"2024-02-29 12:00:00\",\"note\":\"\"}\n"
         "{\"ID\":2,\"var_name\":null,\"isBitArray\":false,\"abs_max\":null,"
         "\"price\":null,\"changed\":null,\"note\":null}\n"},
    };
    for (const auto& [arguments, output] : commands) {
        Outcome outcome = run(arguments);
        EXPECT_EQ(outcome.status, 0) << arguments[0] << ": " << outcome.err;
        EXPECT_EQ(outcome.out, output) << arguments[0];
        EXPECT_EQ(snapshot(), before) << arguments[0];
    }
    // Still in WAL mode: byte 18 of the header is 2 for WAL, 1 for the rollback journal.
    EXPECT_EQ(slurp(database)[18], 2);

    // Another program holds the file open with rows still in its log: they are read, and the
    // file itself stays as it was.
    dalvon::sqlite::ScriptSession writer(db);
    writer.run("PRAGMA wal_autocheckpoint = 0; INSERT INTO PRESET_DEFS (ID) VALUES (3);");
    std::string bytes = slurp(database);
    Outcome rows = run({"export", "--no-header", db, "PRESET_DEFS"});
    EXPECT_NE(rows.out.find("\r\n3,"), std::string::npos) << rows.out << rows.err;
    EXPECT_EQ(slurp(database), bytes);
}

// A primary key and a descending two-column unique index go to Jet 4 and back unchanged, with
// the rows; keys the other format would break stay behind, the rows all go, and it says so.
TEST_F(DalvonDb, ConvertKeepsKeysBothWays) {
    const fs::path source = folder / "keys.db";
    const std::string script =
        "CREATE TABLE Machines (ID LONG NOT NULL, Name VARCHAR(20), Since DATETIME, "
        "Speed DOUBLE, PRIMARY KEY (ID));"
        "CREATE UNIQUE INDEX NameSince ON Machines (Name DESC, Since);"
        "CREATE INDEX BySpeed ON Machines (Speed);";
    dalvon::sqlite::runScript(source.string(),
                              script + std::string("INSERT INTO Machines VALUES (2, 'Press', "
                                                   "45000.5, 1.5), (1, 'Oven', NULL, NULL);"));
    const std::string schema =
        "CREATE TABLE Machines (ID LONG, Name VARCHAR(20), Since DATETIME, Speed DOUBLE, "
        "PRIMARY KEY (ID));\n"
        "CREATE UNIQUE INDEX NameSince ON Machines (Name DESC, Since);\n"
        "CREATE INDEX BySpeed ON Machines (Speed);\n";
    EXPECT_EQ(run({"schema", "--sql", source.string()}).out, schema);
    const std::string rows = run({"export", source.string(), "Machines"}).out;
    const fs::path jet = folder / "keys.mdb", back = folder / "back.db";
    ASSERT_EQ(run({"convert", "--format", "jet4", source.string(), jet.string()}).status, 0);
    ASSERT_EQ(run({"convert", jet.string(), back.string()}).status, 0);
    for (const fs::path& file : {jet, back}) {
        EXPECT_EQ(run({"schema", "--sql", file.string()}).out, schema) << file;
        EXPECT_EQ(run({"export", file.string(), "Machines"}).out, rows) << file;
    }
    const Outcome check = run({"check", jet.string()});
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_EQ(check.out.find("not checked"), std::string::npos) << check.out;

    // Jet keys ignore case and take no Null in a primary key.
    const std::pair<std::string, std::string> leftOut[] = {
        {"INSERT INTO Machines VALUES (1, 'oven', 1, 1), (2, 'OVEN', 1, 1);",
         "would create duplicate values"},
        {"INSERT INTO Machines (Name) VALUES ('x');", "cannot contain a Null value"},
    };
    for (const auto& [rowsIn, reason] : leftOut) {
        const fs::path bad = folder / "bad.db", out = folder / "bad.mdb";
        fs::remove(bad);
        dalvon::sqlite::runScript(bad.string(),
                                  "CREATE TABLE Machines (ID LONG, Name "
                                  "VARCHAR(20), Since DATETIME, Speed DOUBLE, "
                                  "PRIMARY KEY (ID));"
                                  "CREATE UNIQUE INDEX NameSince ON Machines "
                                  "(Name DESC, Since);" +
                                      rowsIn);
        fs::remove(out);
        const Outcome outcome = run({"convert", "--format", "jet4", bad.string(), out.string()});
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_NE(outcome.out.find(" rows; its indexes were left out: "), std::string::npos)
            << outcome.out;
        EXPECT_NE(outcome.out.find(reason), std::string::npos) << outcome.out;
        EXPECT_EQ(run({"export", out.string(), "Machines"}).out,
                  run({"export", bad.string(), "Machines"}).out);
        EXPECT_EQ(run({"schema", "--sql", out.string()}).out.find("INDEX"), std::string::npos);
        EXPECT_EQ(run({"check", out.string()}).status, 0);
    }
}

TEST_F(DalvonDb, MessagesNameHostPaths) {
    fs::path text = folder / "text.mdb";
    std::ofstream(text) << "not a database at all, not even close to one";
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"tables", (folder / "missing.mdb").string()},
         "Could not find file '" + (folder / "missing.mdb").string() + "'."},
        {{"tables", folder.string()}, "'" + folder.string() + "' is a directory"},
        {{"schema", text.string()}, text.string()},
        {{"export", database.string(), "NOPE"}, ""},
        {{"convert", database.string(), database.string()},
         "File already exists: '" + database.string() + "'"},
    };
    for (const auto& [arguments, message] : rows) {
        Outcome outcome = run(arguments);
        EXPECT_EQ(outcome.status, 1) << outcome.err;
        EXPECT_EQ(outcome.err.rfind("dalvon-db: " + arguments[0] + ": ", 0), 0u) << outcome.err;
        EXPECT_NE(outcome.err.find(message), std::string::npos) << outcome.err;
        EXPECT_EQ(outcome.err.find(":\\"), std::string::npos) << outcome.err;
    }
}

TEST_F(DalvonDb, CommandLine) {
    const std::tuple<std::vector<std::string>, int, std::string> rows[] = {
        // Arguments, exit status, part of standard output (status 0) or error (status 2).
        {{"--version"}, 0, "dalvon-db 1.0.2\n"},
        {{"--help"}, 0, "export [--format csv|json]"},
        {{"export", "--help"}, 0, "--null TEXT"},
        {{"schema", "x.mdb", "-h"}, 0, "--sql"},
        {{}, 2, "usage: dalvon-db"},
        {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
        {{"--frobnicate"}, 2, "unknown option '--frobnicate'"},
        {{"tables", "--sql", "x.mdb"}, 2, "unknown option '--sql' for tables"},
        {{"export", "--format", "xml", "x.mdb", "T"}, 2, "unknown export format 'xml'"},
        {{"export", "x.mdb", "T", "--format"}, 2, "needs a value"},
        {{"schema", "--sql=yes", "x.mdb"}, 2, "takes no value"},
        {{"tables"}, 2, "wrong number of arguments"},
    };
    for (const auto& [arguments, status, text] : rows) {
        Outcome outcome = run(arguments);
        EXPECT_EQ(outcome.status, status) << outcome.err;
        EXPECT_NE((status == 0 ? outcome.out : outcome.err).find(text), std::string::npos)
            << outcome.out << outcome.err;
    }
    // "--" ends the options: a file may start with a dash.
    fs::copy_file(database, folder / "-odd.mdb");
    // Back to the folder before, which outlives this test's: later tests in this process
    // resolve relative paths.
    const fs::path before = fs::current_path();
    fs::current_path(folder);
    Outcome odd = run({"tables", "--", "-odd.mdb"});
    fs::current_path(before);
    EXPECT_EQ(odd.status, 0) << odd.err;
    EXPECT_EQ(odd.out, "PRESET_DEFS\n");
}

}  // namespace
