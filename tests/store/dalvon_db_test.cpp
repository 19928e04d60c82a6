#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "tests/store/store_fixture.h"

namespace dalvon::testing {
namespace {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

class DalvonDbTest : public StoreTest {
protected:
    ToolRun run(const std::string& arguments) {
        std::string command = std::string("'") + DALVON_DB_TOOL + "' " + arguments + " >'" +
                              path("out.txt") + "' 2>'" + path("err.txt") + "'";
        int raw = std::system(command.c_str());
        return ToolRun{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readBytes(path("out.txt")),
                       readBytes(path("err.txt"))};
    }

    std::string quoted(const std::string& file) { return "'" + file + "'"; }
};

TEST_F(DalvonDbTest, ListsDescribesAndExportsASmallDatabase) {
    std::string file = makeDatabase(
        "small.mdb",
        "CREATE TABLE PRESET_DEFS (ID LONG, var_name VARCHAR(20), text LONGTEXT, min DOUBLE);"
        "CREATE TABLE Source_DEFS (System VARCHAR(20));"
        "INSERT INTO PRESET_DEFS VALUES (2, 'a,b', 'say \"hi\"', 1.5);"
        "INSERT INTO PRESET_DEFS VALUES (1, NULL, 'two' || char(10) || 'lines', NULL);");

    ToolRun tables = run("tables " + quoted(file));
    EXPECT_EQ(tables.status, 0) << tables.err;
    EXPECT_EQ(tables.out, "PRESET_DEFS\nSource_DEFS\n");

    ToolRun schema = run("schema " + quoted(file) + " PRESET_DEFS");
    EXPECT_EQ(schema.status, 0) << schema.err;
    EXPECT_EQ(schema.out,
              "Table\tField\tType\tTypeName\tSize\n"
              "PRESET_DEFS\tID\t4\tLong\t4\n"
              "PRESET_DEFS\tvar_name\t10\tText\t20\n"
              "PRESET_DEFS\ttext\t12\tMemo\t0\n"
              "PRESET_DEFS\tmin\t7\tDouble\t8\n");

    ToolRun csv = run("export " + quoted(file) + " PRESET_DEFS");
    EXPECT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.out,
              "ID,var_name,text,min\r\n"
              "2,\"a,b\",\"say \"\"hi\"\"\",1.5\r\n"
              "1,,\"two\nlines\",\r\n");
    EXPECT_TRUE(csv.err.empty());
}

TEST_F(DalvonDbTest, BadInputGivesAClearMessageAndAFailingStatus) {
    std::string text = path("notes.db");
    writeBytes(text, "not a database\n");
    ToolRun foreign = run("tables " + quoted(text));
    EXPECT_EQ(foreign.status, 1);
    EXPECT_NE(foreign.err.find("Unrecognized database format"), std::string::npos) << foreign.err;
    EXPECT_NE(foreign.err.find(text), std::string::npos) << foreign.err;
    EXPECT_TRUE(foreign.out.empty());
    EXPECT_EQ(readBytes(text), "not a database\n");

    std::string file = makeDatabase("small.db", "CREATE TABLE T (ID LONG)");
    ToolRun missingTable = run("export " + quoted(file) + " Nope");
    EXPECT_EQ(missingTable.status, 1);
    EXPECT_NE(missingTable.err.find("'Nope'"), std::string::npos) << missingTable.err;

    ToolRun missingFile = run("schema " + quoted(path("none.db")));
    EXPECT_EQ(missingFile.status, 1);
    EXPECT_NE(missingFile.err.find("Could not find file"), std::string::npos);

    ToolRun wrong = run("export " + quoted(file));
    EXPECT_EQ(wrong.status, 2);
    EXPECT_NE(wrong.err.find("usage: dalvon-db"), std::string::npos);
}

}  // namespace
}  // namespace dalvon::testing
