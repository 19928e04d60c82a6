// `dalvon-db convert --format jet4` on the example installation's databases: each Jet 4 file it
// writes checks clean, holds the same tables, fields and values as its source, and the second
// readers (mdbtools, mdb-reader) read it as ours does.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/jet/jet_samples.h"

namespace dalvon::jet_test {
namespace {

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
}

}  // namespace
}  // namespace dalvon::jet_test
