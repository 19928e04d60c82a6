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
#include "store/sqlite/sqlite_script.h"
#include "tests/support/program_run.h"
#include "tests/support/test_installation.h"

namespace dalvon::testing {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kKills = 20;

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

// Whether SQLite finds the file whole (rolling back a journal a kill left, as any next opener
// does); its PRESET_DEFS rows as text go to `rows`.
bool wholeDatabase(const fs::path& file, Rows& rows) {
    rows.clear();
    try {
        // A read-write opener rolls back the journal a kill left; the check then reads it whole.
        sqlite::runScript(file.string(), "SELECT count(*) FROM sqlite_master;");
        if (sqlite::queryAsText(file.string(), "PRAGMA integrity_check") != Rows{{"ok"}})
            return false;
    } catch (const Fault&) {
        return false;
    }
    try {
        rows = sqlite::queryAsText(file.string(), "SELECT * FROM PRESET_DEFS ORDER BY ID");
    } catch (const Fault&) {
        rows.clear();  // a whole file without the table: no rows to compare
    }
    return true;
}

TEST(Crash, AKilledUpdateLeavesAWholeDatabaseAndTheNextRunSetsItRight) {
    // An uninterrupted run gives the expected result and the time an update takes.
    TestInstallation reference;
    makeLargerExample(reference);
    ProgramRunner referenceRunner(reference, DALVON_PROGRAM);
    Rows before, expected;
    ASSERT_TRUE(wholeDatabase(reference.host(kComponentDatabase), before));
    Clock::time_point start = Clock::now();
    ASSERT_EQ(referenceRunner.run({"/EXTERNAL=SILENT"}).status, kExitOk);
    auto duration = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
    ASSERT_TRUE(wholeDatabase(reference.host(kComponentDatabase), expected));
    ASSERT_NE(before.size(), expected.size());

    unsigned seed = std::random_device()();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<long> moment(0, duration.count());
    for (int kill = 0; kill < kKills; ++kill) {
        TestInstallation inst;
        makeLargerExample(inst);
        ProgramRunner runner(inst, DALVON_PROGRAM);
        long delay = moment(random);
        SCOPED_TRACE("kill after " + std::to_string(delay) + " us");
        pid_t child = runner.start({"/EXTERNAL=SILENT"});
        std::this_thread::sleep_for(std::chrono::microseconds(delay));
        ::kill(child, SIGKILL);
        runner.wait(child);

        Rows found;
        ASSERT_TRUE(wholeDatabase(inst.host(kComponentDatabase), found));
        // Old (possibly with the variable names the update renames in place) or new.
        EXPECT_TRUE(found.size() == before.size() || found == expected) << found.size() << " rows";

        ProgramOutcome next = runner.run({"/EXTERNAL=SILENT"});
        EXPECT_EQ(next.status, kExitOk) << next.err;
        EXPECT_TRUE(wholeDatabase(inst.host(kComponentDatabase), found));
        EXPECT_TRUE(found == expected) << found.size() << " rows";
        EXPECT_EQ(tempFilesBelow(inst.root()), std::vector<std::string>{});
    }
}

}  // namespace
}  // namespace dalvon::testing
