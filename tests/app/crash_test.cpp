// Kills the built program at random moments of a silent update and checks what a kill can
// leave: the component database old or new and whole, and a next run that cleans up and
// gives the same result as an uninterrupted one.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <random>
#include <thread>

#include "platform/fault.h"
#include "store/jet/check/jet_check.h"
#include "store/sqlite/sqlite_script.h"
#include "tests/support/program_run.h"
#include "tests/support/test_installation.h"

namespace dalvon::testing {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Kills per format; the Jet writer's commit is a single rename, so fewer moments cover it.
int killsFor(DatabaseFormat format) {
    return format == DatabaseFormat::Jet4 ? 5 : 20;
}

// The example installation with enough source rows that an update lasts a while.
void makeLargerExample(TestInstallation& inst) {
    inst.makeExample();
    std::ifstream in(sourceDir() / "example" / "Dalvon" / "Dalvon_Source.sql", std::ios::binary);
    inst.makeDatabase(kSourceDatabase,
                      std::string(std::istreambuf_iterator<char>(in), {}) +
                          "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE "
                          "k < 1500) INSERT INTO Source_PRESET_DEFS SELECT 1000 + k, '1', 1, 1, "
                          "'Extra' || k, 1, 0, k, 'Extra', 'P', 0, 9, 1, 8, 1, 'mm', 1 FROM n;");
}

// Whether the component database is whole: SQLite finds it so (rolling back a journal a kill
// left, as any next opener does), or the structural check finds nothing wrong in a Jet file.
// Its PRESET_DEFS rows as text go to `rows`.
bool wholeDatabase(const TestInstallation& inst, Rows& rows) {
    const fs::path file = inst.host(kComponentDatabase);
    rows.clear();
    try {
        if (isJetFile(file)) {
            if (!jet::checkJetFile(file.string()).empty())
                return false;
        } else {
            // A read-write opener rolls back the journal a kill left; the check then reads it.
            sqlite::runScript(file.string(), "SELECT count(*) FROM sqlite_master;");
            if (sqlite::queryAsText(file.string(), "PRAGMA integrity_check") != Rows{{"ok"}})
                return false;
        }
    } catch (const Fault&) {
        return false;
    }
    try {
        rows = inst.query(kComponentDatabase, "SELECT * FROM PRESET_DEFS ORDER BY ID");
    } catch (const Fault&) {
        rows.clear();  // a whole file without the table: no rows to compare
    }
    return true;
}

class Crash : public ::testing::TestWithParam<DatabaseFormat> {};

TEST_P(Crash, AKilledUpdateLeavesAWholeDatabaseAndTheNextRunSetsItRight) {
    // An uninterrupted run gives the expected result and the time an update takes.
    TestInstallation reference(GetParam());
    makeLargerExample(reference);
    ProgramRunner referenceRunner(reference, DALVON_PROGRAM);
    Rows before, expected;
    ASSERT_TRUE(wholeDatabase(reference, before));
    Clock::time_point start = Clock::now();
    ASSERT_EQ(referenceRunner.run({"/EXTERNAL=SILENT"}).status, kExitOk);
    auto duration = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
    ASSERT_TRUE(wholeDatabase(reference, expected));
    ASSERT_NE(before.size(), expected.size());

    unsigned seed = std::random_device()();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<long> moment(0, duration.count());
    for (int kill = 0; kill < killsFor(GetParam()); ++kill) {
        TestInstallation inst(GetParam());
        makeLargerExample(inst);
        ProgramRunner runner(inst, DALVON_PROGRAM);
        long delay = moment(random);
        SCOPED_TRACE("kill after " + std::to_string(delay) + " us");
        pid_t child = runner.start({"/EXTERNAL=SILENT"});
        std::this_thread::sleep_for(std::chrono::microseconds(delay));
        ::kill(child, SIGKILL);
        runner.wait(child);

        Rows found;
        ASSERT_TRUE(wholeDatabase(inst, found));
        // Old (possibly with the variable names the update renames in place) or new.
        EXPECT_TRUE(found.size() == before.size() || found == expected) << found.size() << " rows";

        ProgramOutcome next = runner.run({"/EXTERNAL=SILENT"});
        EXPECT_EQ(next.status, kExitOk) << next.err;
        EXPECT_TRUE(wholeDatabase(inst, found));
        EXPECT_TRUE(found == expected) << found.size() << " rows";
        EXPECT_EQ(tempFilesBelow(inst.root()), std::vector<std::string>{});
        EXPECT_EQ(inst.jetProblems(), std::vector<std::string>{});
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, Crash, ::testing::ValuesIn(kFormats), FormatName());

}  // namespace
}  // namespace dalvon::testing
