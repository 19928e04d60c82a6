// The update on an installation whose databases are Jet 4 files, seen from outside: what other
// readers find in the files it writes, and writes that fail and must leave the file as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "platform/fault.h"
#include "presetdb/component_backup.h"
#include "tests/jet/jet_samples.h"
#include "tests/support/program_run.h"
#include "tests/support/test_installation.h"

namespace dalvon::testing {
namespace {

namespace fs = std::filesystem;

TEST(JetUpdate, OtherReadersReadTheWrittenFilesAsWeDo) {
    const bool mdbTools = jet_test::haveMdbTools(), mdbReader = jet_test::haveMdbReader();
    if (!mdbTools && !mdbReader)
        GTEST_SKIP() << "neither mdbtools nor mdb-reader is installed";
    TestInstallation inst(DatabaseFormat::Jet4);
    inst.makeExample();
    ProgramRunner runner(inst, DALVON_PROGRAM);
    ProgramOutcome outcome = runner.run({"/EXTERNAL=SILENT"});
    ASSERT_EQ(outcome.status, kExitOk) << outcome.err;
    for (const char* database : {kComponentDatabase, kSourceDatabase}) {
        SCOPED_TRACE(database);
        ASSERT_TRUE(isJetFile(inst.host(database)));
        if (mdbTools) {
            EXPECT_EQ(jet_test::mdbToolsDisagreement(inst.host(database)), "");
        }
        if (mdbReader) {
            EXPECT_EQ(jet_test::mdbReaderDisagreement(inst.host(database)), "");
        }
    }
}

struct BadWrite {
    const char* name;
    std::function<void(TestInstallation&, ProgramRunner&)> arrange;
    int fault;                           // the number the error log shows
    std::vector<const char*> untouched;  // databases that must keep every byte in place
};

// Writes the Jet writer cannot do leave their file byte for byte, are reported, and the run
// finishes with the status of a run with faults (more such runs: hostile_run_test.cpp). The
// component database is always either as it was or kept as the newest backup.
TEST(JetUpdate, AFailedWriteLeavesTheFileAsItWas) {
    const std::string ldbBesideSource = "D:\\Plant\\Dalvon\\Dalvon_Source.ldb";
    std::vector<BadWrite> cases = {
        {"lock file beside the source database",
         [&](TestInstallation& inst, ProgramRunner&) { inst.writeFile(ldbBesideSource, ""); },
         3045,
         {kSourceDatabase}},
    };
    if (jet_test::haveSamples()) {
        // A Jet 3 file has no PRESET_DEFS to change in place: it is read, reported and then
        // replaced, itself kept as the backup.
        cases.push_back({"Jet 3 component database",
                         [](TestInstallation& inst, ProgramRunner&) {
                             fs::remove(inst.host(kComponentDatabase));
                             fs::copy_file(jet_test::sample("testV1997.mdb"),
                                           inst.host(kComponentDatabase));
                         },
                         3265,
                         {}});
    }
    for (const BadWrite& row : cases) {
        SCOPED_TRACE(row.name);
        TestInstallation inst(DatabaseFormat::Jet4);
        inst.makeExample();
        ProgramRunner runner(inst, DALVON_PROGRAM);
        row.arrange(inst, runner);
        std::vector<std::string> before;
        for (const char* database : row.untouched)
            before.push_back(inst.readFile(database));
        const std::string component = inst.readFile(kComponentDatabase);

        ProgramOutcome outcome = runner.run({"/EXTERNAL=SILENT"});
        EXPECT_EQ(outcome.status, kExitFaultsReported) << outcome.err;
        for (size_t i = 0; i < before.size(); ++i)
            EXPECT_TRUE(inst.readFile(row.untouched[i]) == before[i]) << row.untouched[i];
        std::vector<std::string> backups = ListBackups(inst.rt().files, kComponentDatabase);
        EXPECT_TRUE(inst.readFile(kComponentDatabase) == component ||
                    (!backups.empty() &&
                     inst.readFile("D:\\Plant\\Dalvon\\Backup\\" + backups.back()) == component));
        const std::string log = inst.readFile(TestInstallation::kErrorLog);
        EXPECT_NE(log.find("(Nr. " + std::to_string(row.fault) + ")"), std::string::npos)
            << log.substr(0, 600);
        EXPECT_EQ(tempFilesBelow(inst.root()), std::vector<std::string>{});
        EXPECT_EQ(inst.jetProblems(), std::vector<std::string>{});
    }
}

}  // namespace
}  // namespace dalvon::testing
