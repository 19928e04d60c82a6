// Hostile runs of the built program in silent start, on both formats: damaged and foreign
// files, files in use, read-only files, a file-size limit, no room for a backup, databases of
// the wrong shape. Each ends with a whole component database (the old one where nothing may
// replace it), a backup that holds its committed previous content, the failure reported (in a
// log, or on standard error where no log may receive it) and a non-zero status.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>

#include "platform/fault.h"
#include "presetdb/component_backup.h"
#include "store/jet/reader/jet_catalog.h"
#include "store/jet/reader/jet_row.h"
#include "tests/support/dead_writer.h"
#include "tests/support/fault_of.h"
#include "tests/support/program_run.h"
#include "tests/support/test_installation.h"

namespace dalvon::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kBackupFolder = "D:\\Plant\\Dalvon\\Backup";
using Arrange = std::function<void(TestInstallation&, ProgramRunner&)>;

void overwrite(TestInstallation& inst, const char* database, size_t offset, unsigned seed) {
    std::string bytes = inst.readFile(database);
    std::mt19937 random(seed);
    for (size_t i = offset; i < offset + 4096 && i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(random() & 0xff);
    inst.writeFile(database, bytes);
}

// A data page of `table` in a Jet file, made into random bytes: a page the table's usage map
// claims that is no data page of it.
Arrange foreignPageIn(const char* database, const char* table) {
    return [=](TestInstallation& inst, ProgramRunner&) {
        std::string bytes = inst.readFile(database);
        jet::JetFile file(std::vector<uint8_t>(bytes.begin(), bytes.end()), database);
        for (const jet::CatalogTable& entry : jet::readUserTables(file)) {
            if (entry.name == table) {
                auto def = jet::readTableDef(file, entry.definitionPage, table);
                overwrite(inst, database, size_t{jet::tableDataPages(file, def).front()} * 4096, 9);
            }
        }
    };
}

Arrange readOnly(const char* path) {
    return [=](TestInstallation& inst, ProgramRunner&) {
        fs::permissions(inst.host(path),
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    };
}

std::string exampleSourceScript() {
    return fileBytes(sourceDir() / "example" / "Dalvon" / "Dalvon_Source.sql");
}

struct Hostile {
    const char* name;
    Arrange arrange;
    std::vector<const char*> untouched = {};  // files that keep every byte
    int fault = 0;                            // a fault the error log shows
    // What the last line on standard error must say ("faults were reported" when not given;
    // nothing checked when empty).
    const char* closing = nullptr;
    int status = kExitFaultsReported;
    bool asOrdinaryUser = false;
    std::optional<DatabaseFormat> only = std::nullopt;
    // When the backup is not a byte copy of the file as found: what it must hold.
    std::function<void(TestInstallation&, const std::string& backup)> backupHolds = nullptr;
};

std::vector<Hostile> hostileRuns() {
    const char* component = kComponentDatabase;
    const char* source = kSourceDatabase;
    const Arrange noSource = [](TestInstallation& inst, ProgramRunner&) {
        fs::remove(inst.host(kSourceDatabase));
    };
    return {
        // The update changes the component database in place before its last step: only the
        // damaged result is kept from replacing it.
        {.name = "damaged source database",
         .arrange = [](TestInstallation& inst,
                       ProgramRunner&) { overwrite(inst, kSourceDatabase, 12288, 1); },
         .fault = 3049},
        {.name = "foreign page in the previous PRESET_DEFS",
         .arrange = foreignPageIn(component, "PRESET_DEFS"),
         .fault = 3049,
         .only = DatabaseFormat::Jet4},
        {.name = "foreign page in Source_PRESET_DEFS",
         .arrange = foreignPageIn(source, "Source_PRESET_DEFS"),
         .fault = 3049,
         .only = DatabaseFormat::Jet4},
        {.name = "file-size limit below a database's size",
         .arrange =
             [](TestInstallation& inst, ProgramRunner& runner) {
                 runner.limitFileSize(std::min(fs::file_size(inst.host(kComponentDatabase)),
                                               fs::file_size(inst.host(kSourceDatabase))) -
                                      1);
             },
         .untouched = {component, source},
         .fault = 75,
         // The logs overflow the limit too: their entries go to standard error, which is cut.
         .closing = ""},
        {.name = "a file where the backup folder belongs",
         .arrange = [](TestInstallation& inst,
                       ProgramRunner&) { inst.writeFile(kBackupFolder, "x"); },
         .untouched = {component},
         .fault = 75},
        {.name = "lock file beside the component database",
         .arrange = [](TestInstallation& inst,
                       ProgramRunner&) { inst.writeFile("D:\\Plant\\Dalvon\\Dalvon.ldb", ""); },
         .untouched = {component},
         .fault = 75,
         .only = DatabaseFormat::Jet4},
        {.name = "read-only component database",
         .arrange = readOnly(component),
         .untouched = {component},
         .fault = 75,
         .asOrdinaryUser = true},
        {.name = "read-only source database",
         .arrange = readOnly(source),
         .untouched = {source},
         .fault = 3027,
         .asOrdinaryUser = true},
        {.name = "read-only configuration file",
         .arrange = readOnly(kConfigurationFile),
         .untouched = {kConfigurationFile},
         .closing = "Dalvon/Dalvon.cfg' could not be written",
         .asOrdinaryUser = true},
        {.name = "Source_PRESET_DEFS without var_name",
         .arrange =
             [](TestInstallation& inst, ProgramRunner&) {
                 inst.makeDatabase(kSourceDatabase,
                                   exampleSourceScript() +
                                       "ALTER TABLE Source_PRESET_DEFS DROP COLUMN var_name;");
             },
         .closing = "kept the limits of none of 37 previous rows: the lookup failed (Too few "
                    "parameters."},
        {.name = "no source database",
         .arrange = noSource,
         .untouched = {component},
         .closing = "Dalvon_Source.mdb' is missing (or no file)"},
        {.name = "a folder where the source database belongs",
         .arrange =
             [=](TestInstallation& inst, ProgramRunner& runner) {
                 noSource(inst, runner);
                 fs::create_directory(inst.host(kSourceDatabase));
             },
         .untouched = {component},
         .closing = "is missing (or no file)",
         .only = DatabaseFormat::Sqlite},
        {.name = "no configuration file: an end through an error",
         .arrange = [](TestInstallation& inst,
                       ProgramRunner&) { fs::remove(inst.host(kConfigurationFile)); },
         .untouched = {component},
         .closing = "Dalvon_Config: ended early; faults were reported to ",
         .status = kExitError},
        {.name = "a commit only in the write-ahead log",
         .arrange =
             [](TestInstallation& inst, ProgramRunner&) {
                 sqliteWriterDiesAfter(inst.host(kComponentDatabase).string(),
                                       "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0; "
                                       "UPDATE PRESET_DEFS SET min = 123.25",
                                       false);
             },
         .status = kExitOk,
         .only = DatabaseFormat::Sqlite,
         .backupHolds =
             [](TestInstallation& inst, const std::string& backup) {
                 EXPECT_NE(
                     inst.query(backup, "SELECT count(*) FROM PRESET_DEFS WHERE min = 123.25"),
                     (Rows{{"0"}}));
             }},
        {.name = "a dead writer's change beside its hot journal",
         .arrange =
             [](TestInstallation& inst, ProgramRunner&) {
                 sqliteWriterDiesAfter(inst.host(kComponentDatabase).string(),
                                       "BEGIN; UPDATE PRESET_DEFS SET min = -777", true);
             },
         .status = kExitOk,
         .only = DatabaseFormat::Sqlite,
         .backupHolds =
             [](TestInstallation& inst, const std::string& backup) {
                 EXPECT_EQ(inst.query(backup, "SELECT count(*) FROM PRESET_DEFS WHERE min = -777"),
                           (Rows{{"0"}}));
             }},
    };
}

class HostileRun : public ::testing::TestWithParam<DatabaseFormat> {};

TEST_P(HostileRun, LosesNothingAndHidesNothing) {
    for (const Hostile& run : hostileRuns()) {
        if (run.only && *run.only != GetParam())
            continue;
        SCOPED_TRACE(run.name);
        TestInstallation inst(GetParam());
        inst.makeExample();
        ProgramRunner runner(inst, DALVON_PROGRAM);
        if (run.asOrdinaryUser && !runner.permissionsEnforced())
            continue;
        run.arrange(inst, runner);
        const std::string previous = inst.readFile(kComponentDatabase);
        std::vector<std::string> before;
        for (const char* file : run.untouched)
            before.push_back(inst.readFile(file));

        ProgramOutcome outcome = runner.run({"/EXTERNAL=SILENT"}, run.asOrdinaryUser);
        EXPECT_EQ(outcome.status, run.status) << outcome.err;
        for (size_t i = 0; i < before.size(); ++i)
            EXPECT_TRUE(inst.readFile(run.untouched[i]) == before[i]) << run.untouched[i];
        std::vector<std::string> backups = ListBackups(inst.rt().files, kComponentDatabase);
        if (!backups.empty()) {
            std::string newest = std::string(kBackupFolder) + "\\" + backups.back();
            if (run.backupHolds)
                run.backupHolds(inst, newest);
            else
                EXPECT_TRUE(inst.readFile(newest) == previous);
        }
        if (run.fault != 0) {
            std::string log = inst.readFile(TestInstallation::kErrorLog);
            EXPECT_NE(log.find("(Nr. " + std::to_string(run.fault) + ")"), std::string::npos)
                << log.substr(0, 600);
        }
        if (run.status != kExitOk && (!run.closing || *run.closing)) {
            std::string last =
                outcome.err.substr(outcome.err.rfind('\n', outcome.err.size() - 2) + 1);
            EXPECT_NE(last.find(run.closing ? run.closing : "faults were reported"),
                      std::string::npos)
                << outcome.err;
        }
        EXPECT_EQ(tempFilesBelow(inst.root()), std::vector<std::string>{});
        // Old or new, the component database is whole.
        EXPECT_EQ(faultOf([&] { inst.rt().databases.checkCopy(kComponentDatabase, "D:\\-"); }), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, HostileRun, ::testing::ValuesIn(kFormats), FormatName());

}  // namespace
}  // namespace dalvon::testing
