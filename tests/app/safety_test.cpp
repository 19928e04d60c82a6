// The safety nets around the update, seen from outside: the built program in silent start on
// temp installations. Every damaged input keeps the previous component database in the backup
// folder and ends with the status of a run with faults; a second run is refused, also while a
// first one waits in its window; temp files of ended runs go. Hostile runs on both formats:
// hostile_run_test.cpp.
#include <gtest/gtest.h>
#include <unistd.h>

#include <sys/wait.h>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "platform/fault.h"
#include "platform/file_system.h"
#include "presetdb/component_backup.h"
#include "tests/support/program_run.h"
#include "tests/support/test_installation.h"

namespace dalvon::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kBackupFolder = "D:\\Plant\\Dalvon\\Backup";

std::string randomBytes(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() & 0xff);
    return bytes;
}

class Safety : public ::testing::Test {
protected:
    Safety() : runner(inst, DALVON_PROGRAM) { inst.makeExample(); }

    ProgramOutcome runSilent(bool asOrdinaryUser = false) {
        return runner.run({"/EXTERNAL=SILENT"}, asOrdinaryUser);
    }
    // Oldest first, as the program orders them.
    std::vector<std::string> backups() { return ListBackups(inst.rt().files, kComponentDatabase); }
    std::string newestBackup() {
        std::vector<std::string> names = backups();
        return names.empty() ? "<none>"
                             : inst.readFile(std::string(kBackupFolder) + "\\" + names.back());
    }
    std::string errorLog() { return inst.readFile(TestInstallation::kErrorLog); }

    TestInstallation inst;
    ProgramRunner runner;
};

TEST_F(Safety, ACleanRunKeepsThePreviousDatabaseAndExitsZero) {
    std::string previous = inst.readFile(kComponentDatabase);
    ProgramOutcome outcome = runSilent();
    EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    ASSERT_EQ(backups().size(), 1u);
    EXPECT_TRUE(newestBackup() == previous);
    EXPECT_FALSE(inst.exists(TestInstallation::kErrorLog));
    // A second run keeps the first run's result as its previous database.
    std::string first = inst.readFile(kComponentDatabase);
    EXPECT_EQ(runSilent().status, kExitOk);
    EXPECT_TRUE(newestBackup() == first);
}

std::string exampleSourceScript() {
    std::ifstream in(sourceDir() / "example" / "Dalvon" / "Dalvon_Source.sql", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Four machines, every one configured and valid.
void configureFourMachines(TestInstallation& inst) {
    inst.writeFile(kProgramIni,
                   "[Project]\r\nNumberOfMachines=4\r\nVWStudio=true\r\n"
                   "[Machine1]\r\nMachineName=M1\r\n[Machine2]\r\nMachineName=M2\r\n"
                   "[Machine3]\r\nMachineName=M3\r\n[Machine4]\r\nMachineName=M4\r\n");
    inst.writeFile("D:\\Plant\\Dalvon\\Dalvon.cfg",
                   "[Project]\r\nValidMachines=M1,M2,M3,M4\r\nForMachine1=true\r\n"
                   "ForMachine2=true\r\nForMachine3=true\r\nForMachine4=true\r\n"
                   "DataBaseAdditionalFields=unit,decimals\r\n");
}

struct DamageCase {
    const char* name;
    std::function<void(TestInstallation&)> damage;
    int fault;  // the fault number the error log must show; 0 for any
};

TEST_F(Safety, EveryDamagedInputKeepsTheBackupAndEndsWithStatusThree) {
    const std::string component = kComponentDatabase;
    std::vector<DamageCase> cases = {
        {"program profile missing", [](TestInstallation& i) { fs::remove(i.host(kProgramIni)); },
         0},
        {"program profile empty", [](TestInstallation& i) { i.writeFile(kProgramIni, ""); }, 0},
        {"program profile binary",
         [](TestInstallation& i) { i.writeFile(kProgramIni, randomBytes(3000, 1)); }, 0},
        {"no machines",
         [](TestInstallation& i) {
             i.writeFile(kProgramIni, "[Project]\r\nNumberOfMachines=-1\r\n");
         },
         0},
        {"component database of random bytes",
         [&](TestInstallation& i) { i.writeFile(component, randomBytes(16384, 2)); }, 3343},
        {"component database truncated",
         [&](TestInstallation& i) {
             i.writeFile(component, i.readFile(component).substr(0, 5000));
         },
         3049},
        {"component database with damaged pages",
         [&](TestInstallation& i) {
             std::string bytes = i.readFile(component);
             bytes.replace(4096, 4096, randomBytes(4096, 3));
             i.writeFile(component, bytes);
         },
         3049},
        {"too many rows for four machines",
         [](TestInstallation& i) {
             configureFourMachines(i);
             i.makeDatabase(kSourceDatabase,
                            exampleSourceScript() +
                                "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n "
                                "WHERE k < 8192) INSERT INTO Source_PRESET_DEFS SELECT 1000 + k, "
                                "'1', 1, 1, 'V' || k, 1, 0, k, 'T', 'P', 0, 9, 1, 8, 1, '', 0 "
                                "FROM n;");
         },
         6},
    };
    fs::path password =
        sourceDir() / ".." / "shared" / "testdata" / "jet" / "V2003_with-password.mdb";
    if (fs::exists(password)) {
        cases.push_back({"password-protected Access file",
                         [&](TestInstallation& i) {
                             fs::remove(i.host(component));
                             fs::copy_file(password, i.host(component));
                         },
                         0});
    }
    for (const DamageCase& row : cases) {
        SCOPED_TRACE(row.name);
        TestInstallation fresh;
        fresh.makeExample();
        ProgramRunner run(fresh, DALVON_PROGRAM);
        row.damage(fresh);
        std::string previous = fresh.readFile(component);
        ProgramOutcome outcome = run.run({"/EXTERNAL=SILENT"});
        EXPECT_EQ(outcome.status, kExitFaultsReported) << outcome.err;
        std::vector<std::string> kept;
        for (const auto& entry : fs::directory_iterator(fresh.host(kBackupFolder)))
            kept.push_back(entry.path().string());
        ASSERT_EQ(kept.size(), 1u);
        std::ifstream in(kept[0], std::ios::binary);
        EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(in), {}) == previous);
        std::string log = fresh.readFile(TestInstallation::kErrorLog);
        if (row.fault != 0) {
            EXPECT_NE(log.find("(Nr. " + std::to_string(row.fault) + ")"), std::string::npos)
                << log.substr(0, 600);
        }
        // One line names the logs that have the faults and the backup.
        EXPECT_NE(outcome.err.find("faults were reported to " +
                                   fresh.host(TestInstallation::kErrorLog).string()),
                  std::string::npos)
            << outcome.err;
        EXPECT_NE(outcome.err.find(kept[0]), std::string::npos) << outcome.err;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1);
    }
}

TEST_F(Safety, ASecondRunIsRefusedBeforeItTouchesAnything) {
    std::unique_ptr<FileSystem> files = makePosixFileSystem({{'D', (inst.root() / "d").string()}});
    LockAttempt held = files->tryLock("D:\\Plant\\.Dalvon_Config.lock");
    ASSERT_TRUE(held.lock);
    std::string component = inst.readFile(kComponentDatabase);
    ProgramOutcome refused = runSilent();
    EXPECT_EQ(refused.status, kExitError);
    EXPECT_EQ(refused.err, "Dalvon_Config is already running on this installation (process " +
                               std::to_string(getpid()) + "); this start was refused.\n");
    EXPECT_EQ(errorLog(), "Fehler in Dalvon / Dalvon_Config / Start (Nr. 70) :Permission denied: " +
                              refused.err.substr(0, refused.err.size() - 1) + "\r\n");
    EXPECT_NE(inst.readFile(TestInstallation::kServiceLog).find("already running"),
              std::string::npos);
    EXPECT_TRUE(inst.readFile(kComponentDatabase) == component);
    EXPECT_FALSE(inst.exists("D:\\Plant\\Config\\Dalvon_Config.ini"));  // not even read
    EXPECT_TRUE(backups().empty());

    held.lock.reset();
    EXPECT_EQ(runSilent().status, kExitOk);
}

TEST_F(Safety, ARunKeepsTheLockUntilItEnds) {
    StartedProgram first = runner.startWithInput({});
    // Waiting for a command, the first run is well past taking the lock.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!runner.errorSoFar(first.pid).ends_with("> ") &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(runner.errorSoFar(first.pid).ends_with("> ")) << runner.errorSoFar(first.pid);

    ProgramOutcome refused = runSilent();
    EXPECT_EQ(refused.status, kExitError);
    EXPECT_EQ(refused.err, "Dalvon_Config is already running on this installation (process " +
                               std::to_string(first.pid) + "); this start was refused.\n");
    EXPECT_EQ(waitpid(first.pid, nullptr, WNOHANG), 0) << "the first run goes on";

    first.input.send("ok\n");
    ProgramOutcome finished = runner.wait(first.pid);
    EXPECT_EQ(finished.status, kExitOk) << finished.err;
    EXPECT_NE(finished.err.find("The update finished"), std::string::npos) << finished.err;
}

TEST_F(Safety, TempFilesOfEndedRunsAreRemovedAndOthersKept) {
    pid_t gone = fork();
    if (gone == 0)
        _exit(0);
    waitpid(gone, nullptr, 0);
    std::string dead = std::to_string(gone), live = std::to_string(getpid());
    std::vector<std::string> stale = {"D:\\Plant\\Dalvon\\.Dalvon.mdb.tmp" + dead + ".0",
                                      "D:\\Plant\\parameter\\.Program.ini.tmp" + dead + ".3",
                                      "D:\\Plant\\Config\\.Dalvon_Config.ini.tmp" + dead + ".1"};
    std::vector<std::string> kept = {"D:\\Plant\\Dalvon\\.Dalvon.mdb.tmp" + live + ".0",
                                     "D:\\Plant\\Dalvon\\notes.tmp" + dead + ".0"};
    for (const std::string& path : stale)
        inst.writeFile(path, "left by a killed run");
    for (const std::string& path : kept)
        inst.writeFile(path, "not ours to remove");
    EXPECT_EQ(runSilent().status, kExitOk);
    for (const std::string& path : stale)
        EXPECT_FALSE(inst.exists(path)) << path;
    for (const std::string& path : kept)
        EXPECT_TRUE(inst.exists(path)) << path;
}

TEST_F(Safety, BackupsAreListedAndRestoredByTheTool) {
    std::string original = inst.readFile(kComponentDatabase);
    ASSERT_EQ(runSilent().status, kExitOk);
    std::string updated = inst.readFile(kComponentDatabase);
    ASSERT_NE(updated, original);
    std::string installation = (inst.root() / "d" / "Plant").string();

    ProgramOutcome listed = runner.runTool(DALVON_DB_TOOL, {"backups", installation});
    EXPECT_EQ(listed.status, 0) << listed.err;
    ASSERT_EQ(backups().size(), 1u);
    EXPECT_EQ(listed.out, inst.host(kBackupFolder).string() + "/" + backups()[0] + "\n");

    ProgramOutcome restored = runner.runTool(DALVON_DB_TOOL, {"restore", installation});
    EXPECT_EQ(restored.status, 0) << restored.err;
    EXPECT_TRUE(inst.readFile(kComponentDatabase) == original);
    ASSERT_EQ(backups().size(), 2u);
    EXPECT_TRUE(newestBackup() == updated);  // the replaced file is a backup itself

    ProgramOutcome byName =
        runner.runTool(DALVON_DB_TOOL, {"restore", installation, backups().back()});
    EXPECT_EQ(byName.status, 0) << byName.err;
    EXPECT_TRUE(inst.readFile(kComponentDatabase) == updated);

    ProgramOutcome unknown =
        runner.runTool(DALVON_DB_TOOL, {"restore", installation, "Dalvon-nothing.mdb"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.err.find("(error 53)"), std::string::npos) << unknown.err;
    EXPECT_TRUE(inst.readFile(kComponentDatabase) == updated);
}

}  // namespace
}  // namespace dalvon::testing
