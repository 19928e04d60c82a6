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
#include "store/jet/jet_catalog.h"
#include "store/jet/jet_row.h"
#include "tests/support/dead_writer.h"
#include "tests/support/program_run.h"
#include "tests/support/test_installation.h"

namespace dalvon::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kConfiguration = "D:\\Plant\\Dalvon\\Dalvon.cfg";
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

int faultOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Fault& fault) {
        return fault.number();
    }
    return 0;
}

std::string exampleSourceScript() {
    return fileBytes(sourceDir() / "example" / "Dalvon" / "Dalvon_Source.sql");
}

struct Hostile {
    const char* name;
    Arrange arrange;
    std::vector<const char*> untouched;  // files that keep every byte
    int fault = 0;                       // a fault the error log shows
    // What the last line on standard error must say ("faults were reported" when not given;
    // nothing checked when empty).
    const char* closing = nullptr;
    int status = kExitFaultsReported;
    bool asOrdinaryUser = false;
    std::optional<DatabaseFormat> only;
    // When the backup is not a byte copy of the file as found: what it must hold.
    std::function<void(TestInstallation&, const std::string& backup)> backupHolds;
};

std::vector<Hostile> hostileRuns() {
    const char* component = kComponentDatabase;
    const char* source = kSourceDatabase;
    return {
        // The update changes the component database in place before its last step: only the
        // damaged result is kept from replacing it.
        {"damaged source database",
         [](TestInstallation& inst, ProgramRunner&) { overwrite(inst, kSourceDatabase, 12288, 1); },
         {},
         3049},
        {"foreign page in the previous PRESET_DEFS",
         foreignPageIn(component, "PRESET_DEFS"),
         {},
         3049,
         nullptr,
         kExitFaultsReported,
         false,
         DatabaseFormat::Jet4},
        {"foreign page in Source_PRESET_DEFS",
         foreignPageIn(source, "Source_PRESET_DEFS"),
         {},
         3049,
         nullptr,
         kExitFaultsReported,
         false,
         DatabaseFormat::Jet4},
        {"file-size limit below a database's size",
         [](TestInstallation& inst, ProgramRunner& runner) {
             runner.limitFileSize(std::min(fs::file_size(inst.host(kComponentDatabase)),
                                           fs::file_size(inst.host(kSourceDatabase))) -
                                  1);
         },
         {component, source},
         75,
         // The logs overflow the limit too: their entries go to standard error, which is cut.
         ""},
        {"a file where the backup folder belongs",
         [](TestInstallation& inst, ProgramRunner&) { inst.writeFile(kBackupFolder, "x"); },
         {component},
         75},
        {"lock file beside the component database",
         [](TestInstallation& inst, ProgramRunner&) {
             inst.writeFile("D:\\Plant\\Dalvon\\Dalvon.ldb", "");
         },
         {component},
         75,
         nullptr,
         kExitFaultsReported,
         false,
         DatabaseFormat::Jet4},
        {"read-only component database",
         readOnly(component),
         {component},
         75,
         nullptr,
         kExitFaultsReported,
         true},
        {"read-only source database",
         readOnly(source),
         {source},
         3027,
         nullptr,
         kExitFaultsReported,
         true},
        {"read-only configuration file",
         readOnly(kConfiguration),
         {kConfiguration},
         0,
         "Dalvon/Dalvon.cfg' could not be written",
         kExitFaultsReported,
         true},
        {"Source_PRESET_DEFS without var_name",
         [](TestInstallation& inst, ProgramRunner&) {
             inst.makeDatabase(
                 kSourceDatabase,
                 exampleSourceScript() + "ALTER TABLE Source_PRESET_DEFS DROP COLUMN var_name;");
         },
         {},
         0,
         "kept the limits of none of 37 previous rows: the lookup failed (Too few "
         "parameters."},
        {"no source database",
         [](TestInstallation& inst, ProgramRunner&) { fs::remove(inst.host(kSourceDatabase)); },
         {component},
         0,
         "Dalvon_Source.mdb' is missing (or no file)"},
        {"a folder where the source database belongs",
         [](TestInstallation& inst, ProgramRunner&) {
             fs::remove(inst.host(kSourceDatabase));
             fs::create_directory(inst.host(kSourceDatabase));
         },
         {component},
         0,
         "is missing (or no file)",
         kExitFaultsReported,
         false,
         DatabaseFormat::Sqlite},
        {"no configuration file: an end through an error",
         [](TestInstallation& inst, ProgramRunner&) { fs::remove(inst.host(kConfiguration)); },
         {component},
         0,
         "Dalvon_Config: ended early; faults were reported to ",
         kExitError},
        {"a commit only in the write-ahead log",
         [](TestInstallation& inst, ProgramRunner&) {
             sqliteWriterDiesAfter(inst.host(kComponentDatabase).string(),
                                   "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0; "
                                   "UPDATE PRESET_DEFS SET min = 123.25",
                                   false);
         },
         {},
         0,
         nullptr,
         kExitOk,
         false,
         DatabaseFormat::Sqlite,
         [](TestInstallation& inst, const std::string& backup) {
             EXPECT_NE(inst.query(backup, "SELECT count(*) FROM PRESET_DEFS WHERE min = 123.25"),
                       (Rows{{"0"}}));
         }},
        {"a dead writer's change beside its hot journal",
         [](TestInstallation& inst, ProgramRunner&) {
             sqliteWriterDiesAfter(inst.host(kComponentDatabase).string(),
                                   "BEGIN; UPDATE PRESET_DEFS SET min = -777", true);
         },
         {},
         0,
         nullptr,
         kExitOk,
         false,
         DatabaseFormat::Sqlite,
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

INSTANTIATE_TEST_SUITE_P(Formats, HostileRun, ::testing::ValuesIn(kBothFormats), FormatName());

}  // namespace
}  // namespace dalvon::testing
