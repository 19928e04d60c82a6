// The example installation's databases poured into each Jet 4 file Access made, as
// `dalvon-db convert --template` pours them: the update runs on those files as on files of our
// own making, also when the source table has a primary key, and leaves them sound.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <ostream>
#include <string>

#include "platform/fault.h"
#include "store/sqlite/sqlite_script.h"
#include "tests/jet/jet_samples.h"
#include "tests/support/host_database.h"
#include "tests/support/program_run.h"
#include "tests/support/test_installation.h"

namespace dalvon::testing {
namespace {

namespace fs = std::filesystem;

struct Container {
    fs::path sample;
    bool keyedSource;
};
void PrintTo(const Container& container, std::ostream* out) {
    *out << container.sample.filename().string() << (container.keyedSource ? ", keyed" : "");
}

std::vector<Container> containers() {
    std::vector<Container> all;
    for (const fs::path& sample : jet_test::sampleFiles()) {
        // Byte 0x14 is the version: 1 for Jet 4, the one the update writes.
        if (jet_test::fileBytes(sample).at(0x14) == 1) {
            all.push_back({sample, false});
            all.push_back({sample, true});
        }
    }
    return all;
}

// Source_PRESET_DEFS made again with a primary key on ID, its rows kept.
void keySourceTable(const fs::path& database) {
    const std::string table = "Source_PRESET_DEFS";
    std::string create = sqlite::queryAsText(
        database.string(), "SELECT sql FROM sqlite_master WHERE name = '" + table + "'")[0][0];
    create.insert(create.rfind(')'), ", PRIMARY KEY (\"ID\")");
    sqlite::runScript(database.string(), "ALTER TABLE " + table + " RENAME TO old; " + create +
                                             "; INSERT INTO " + table +
                                             " SELECT * FROM old; DROP TABLE old;");
}

class JetSampleContainer : public ::testing::TestWithParam<Container> {};

TEST_P(JetSampleContainer, TheUpdateRunsCleanInAFileAccessMade) {
    const Container& container = GetParam();
    TestInstallation inst;
    inst.makeExample();
    if (container.keyedSource)
        keySourceTable(inst.host(kSourceDatabase));
    ProgramRunner runner(inst, DALVON_PROGRAM);
    for (const char* database :
         {kSourceDatabase, kComponentDatabase, "D:\\Plant\\SaveRestore\\Dalvon\\Dalvon.mdb"}) {
        const fs::path file = inst.host(database), poured = file.string() + ".jet4";
        const ProgramOutcome converted = runner.runTool(
            DALVON_DB_TOOL, {"convert", "--format", "jet4", "--template", container.sample.string(),
                             file.string(), poured.string()});
        ASSERT_EQ(converted.status, 0) << database << ": " << converted.err;
        fs::rename(poured, file);
    }
    EXPECT_EQ(HostDatabase(inst.host(kSourceDatabase))->tableIndexes("Source_PRESET_DEFS").size(),
              container.keyedSource ? 1u : 0u);

    const ProgramOutcome outcome = runner.run({"/EXTERNAL=SILENT"});
    EXPECT_EQ(outcome.status, kExitOk) << outcome.err << inst.readFile(TestInstallation::kErrorLog);
    EXPECT_EQ(inst.jetProblems(), std::vector<std::string>{});
    // The update makes PRESET_DEFS as ever: without a key or index.
    EXPECT_TRUE(HostDatabase(inst.host(kComponentDatabase))->tableIndexes("PRESET_DEFS").empty());
}

INSTANTIATE_TEST_SUITE_P(Samples, JetSampleContainer, ::testing::ValuesIn(containers()),
                         [](const ::testing::TestParamInfo<Container>& info) {
                             std::string name = info.param.sample.stem().string();
                             std::replace_if(
                                 name.begin(), name.end(),
                                 [](char c) {
                                     return !std::isalnum(static_cast<unsigned char>(c));
                                 },
                                 '_');
                             return name + (info.param.keyedSource ? "_KeyedSource" : "");
                         });

}  // namespace
}  // namespace dalvon::testing
