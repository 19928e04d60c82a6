// The whole preset database update at the 16-bit limit (8191 source rows, four valid machines,
// 32764 rows, a previous table of the same size whose rows all match), side by side with a plain
// sqlite3 script doing the equivalent set work. Also at 1/8, 1/4 and 1/2 of that size.
//
// Usage: see kUsage below, or bench_update --help.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/event_loop.h"
#include "platform/fakes/scripted_dialogs.h"
#include "platform/fault.h"
#include "platform/file_system.h"
#include "platform/profile_store.h"
#include "platform/program_identity.h"
#include "presetdb/work_on_mdb.h"
#include "standard/command_line.h"
#include "standard/installation_paths.h"
#include "standard/runtime.h"
#include "store/database.h"
#include "store/jet/writer/jet_create.h"
#include "store/sqlite/sqlite_script.h"
#include "store/table_copy.h"

namespace fs = std::filesystem;
using namespace dalvon;

namespace {

constexpr int kMachines = 4;
const char* const kFields =
    "ID LONG, machine_type VARCHAR(20), type LONG, part SHORT, var_name VARCHAR(255),"
    " category_id LONG, isBitArray BIT, offset_or_bitno LONG, text VARCHAR(255),"
    " page_name VARCHAR(100), abs_min DOUBLE, abs_max DOUBLE, min DOUBLE, max DOUBLE, pass SHORT";

void makeDatabase(const fs::path& path, int sourceRows, bool withSource) {
    std::ostringstream sql;
    sql << "BEGIN;";
    if (withSource) {
        sql << "CREATE TABLE Source_DEFS (System VARCHAR(20), Var_Name VARCHAR(255), Part SHORT);"
            << "INSERT INTO Source_DEFS VALUES ('VISIWIN32','###machine.###Var_Name',1),"
            << "('VISIWINSTUDIO','###machine.###Var_Name',1);"
            << "CREATE TABLE Source_PRESET_DEFS (" << kFields << ");";
        for (int i = 1; i <= sourceRows; ++i) {
            sql << "INSERT INTO Source_PRESET_DEFS VALUES (" << i << ",'1',1,1,'V" << i << "',2,0,"
                << i % 16 << ",'Value " << i
                << " of ###machine','###machine page',0,1000,10,900,2);";
        }
    } else {
        sql << "CREATE TABLE PRESET_DEFS (" << kFields << ");";
        int id = 1;
        for (int m = 1; m <= kMachines; ++m) {
            for (int i = 1; i <= sourceRows; ++i, ++id) {
                sql << "INSERT INTO PRESET_DEFS VALUES (" << id << ",'1',1,1,'M" << m << ".V" << i
                    << "',2,0," << i % 16 << ",'t','p',1,999," << 20 + m << ",800,3);";
            }
        }
    }
    sql << "COMMIT;";
    try {
        sqlite::runScript(path.string(), sql.str());
    } catch (const Fault& fault) {
        std::fprintf(stderr, "setup failed: %s\n", fault.description().c_str());
        std::exit(2);
    }
}

void writeText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

fs::path makeInstallation(const fs::path& root, int sourceRows) {
    fs::remove_all(root);
    fs::path plant = root / "Plant";
    fs::create_directories(plant / "Config");
    fs::create_directories(plant / "Dalvon");
    std::string program = "[Project]\r\nNumberOfMachines=4\r\nVWStudio=true\r\n";
    std::string cfg = "[Project]\r\n";
    for (int m = 1; m <= kMachines; ++m) {
        program +=
            "[Machine" + std::to_string(m) + "]\r\nMachineName=M" + std::to_string(m) + "\r\n";
        cfg += "ForMachine" + std::to_string(m) + "=true\r\n";
    }
    writeText(plant / "parameter" / "Program.ini", program);
    writeText(plant / "Dalvon" / "Dalvon.cfg", cfg);
    makeDatabase(plant / "Dalvon" / "Dalvon_Source.mdb", sourceRows, true);
    makeDatabase(plant / "Dalvon" / "Dalvon.mdb", sourceRows, false);
    return plant;
}

// Replaces the SQLite file at `path` by a Jet 4 file of the same tables and rows.
void convertToJet(const fs::path& path) {
    fs::path jet = path.string() + ".jet";
    auto files = makePosixFileSystem({{'D', "/"}});
    auto engine = makeDatabaseEngine(*files);
    try {
        jet::createDatabase(jet.string());
        auto from = engine->open(files->windowsPath(path.string()));
        auto to = engine->open(files->windowsPath(jet.string()));
        for (const std::string& table : from->tableNames())
            copyTable(*from, *to, table);
        to->close();
        from->close();
    } catch (const Fault& fault) {
        std::fprintf(stderr, "setup failed: %s\n", fault.description().c_str());
        std::exit(2);
    }
    fs::rename(jet, path);
}

fs::path makeInstallation(const fs::path& root, int sourceRows, bool jet) {
    fs::path plant = makeInstallation(root, sourceRows);
    if (jet) {
        convertToJet(plant / "Dalvon" / "Dalvon_Source.mdb");
        convertToJet(plant / "Dalvon" / "Dalvon.mdb");
    }
    return plant;
}

struct Measure {
    double seconds;
    long peakKiB;
    int status;
};

template <class Child>
Measure inChild(Child&& child) {
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0)
        _exit(child());
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return {seconds, usage.ru_maxrss, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

// The faster run, with the larger peak memory of the two and any failure kept.
Measure best(const Measure& a, const Measure& b) {
    Measure m = a.seconds <= b.seconds ? a : b;
    m.peakKiB = std::max(a.peakKiB, b.peakKiB);
    m.status = a.status != 0 ? a.status : b.status;
    return m;
}

int runUpdate(const fs::path& root) {
    auto files = makePosixFileSystem({{'D', root.string()}, {'C', root.string()}});
    auto profiles = makeProfileStore(*files);
    ScriptedDialogs dialogs;
    CountingEventLoop events;
    FixedIdentity identity("D:\\Plant\\Config", "Dalvon_Config", "/EXTERNAL=SILENT");
    auto databases = makeDatabaseEngine(*files);
    Runtime rt(Services{*files, *profiles, dialogs, events, identity, *databases});
    try {
        GetStartModeIntegrated(rt);
        GetExistingMachines(rt, GetZEBConfigurationIniPath(rt));
        WorkOnMDB(rt);
    } catch (const ProgramEnd& end) {
        return 10 + end.exitStatus;
    }
    return 0;
}

// The equivalent set work: rows per machine, limits from the previous table by key, file copy.
std::string sqliteScript(const fs::path& plant) {
    std::ostringstream sql;
    sql << "ATTACH '" << (plant / "Dalvon" / "Dalvon.mdb").string() << "' AS previous;\n"
        << "BEGIN;\nDROP TABLE IF EXISTS main.PRESET_DEFS;\nCREATE TABLE main.PRESET_DEFS ("
        << kFields << ");\n";
    for (int m = 1; m <= kMachines; ++m) {
        sql << "INSERT INTO PRESET_DEFS SELECT ID + " << (m - 1) << " * (SELECT count(*) FROM"
            << " Source_PRESET_DEFS), machine_type, type, part, 'M" << m << ".' || var_name,"
            << " category_id, isBitArray, offset_or_bitno, replace(text, '###machine', 'M" << m
            << "'), replace(page_name, '###machine', 'M" << m
            << "'), abs_min, abs_max, min, max, pass"
            << " FROM Source_PRESET_DEFS ORDER BY ID;\n";
    }
    sql << "CREATE TEMP TABLE keyed AS SELECT * FROM previous.PRESET_DEFS;\n"
        << "CREATE INDEX temp.keyed_key ON keyed (machine_type, var_name, offset_or_bitno);\n"
        << "UPDATE PRESET_DEFS SET (abs_min, abs_max, min, max, pass) = (SELECT k.abs_min,"
        << " k.abs_max, k.min, k.max, k.pass FROM keyed k WHERE k.machine_type ="
        << " PRESET_DEFS.machine_type AND k.var_name = PRESET_DEFS.var_name AND k.offset_or_bitno ="
        << " PRESET_DEFS.offset_or_bitno ORDER BY k.rowid DESC LIMIT 1) WHERE EXISTS (SELECT 1 FROM"
        << " keyed k WHERE k.machine_type = PRESET_DEFS.machine_type AND k.var_name ="
        << " PRESET_DEFS.var_name AND k.offset_or_bitno = PRESET_DEFS.offset_or_bitno);\n"
        << "COMMIT;\nDETACH previous;\n";
    return sql.str();
}

int runScript(const std::string& sqlite3Binary, const fs::path& plant, const fs::path& script) {
    fs::path source = plant / "Dalvon" / "Dalvon_Source.mdb";
    std::string command = sqlite3Binary + " '" + source.string() + "' < '" + script.string() +
                          "' && cp '" + source.string() + "' '" +
                          (plant / "Dalvon" / "Dalvon.mdb").string() + "'";
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    return 127;
}

// The rows of the rebuilt PRESET_DEFS, negative when not every row took its limits over.
long countTaken(const fs::path& plant) {
    auto files = makePosixFileSystem({{'D', "/"}});
    auto engine = makeDatabaseEngine(*files);
    long all = 0, taken = 0;
    try {
        auto db = engine->open(files->windowsPath((plant / "Dalvon" / "Dalvon.mdb").string()));
        auto rows = db->openTable("PRESET_DEFS");
        for (; !rows->eof(); rows->moveNext(), ++all)
            taken += rows->value("min").toDouble() > 20 ? 1 : 0;
    } catch (const Fault&) {
        return -1;
    }
    return all == taken ? all : -all;
}

}  // namespace

// The update on SQLite and on Jet 4 databases at each size, best of three runs each.
int compareEngines(const fs::path& root) {
    std::printf("%-8s %-7s | %-22s | %-22s | %s\n", "source", "rows", "SQLite (s, peak MiB)",
                "Jet 4 (s, peak MiB)", "ratio");
    constexpr int kRuns = 3;
    bool mismatch = false;
    for (int divisor : {8, 4, 2, 1}) {
        int sourceRows = 8191 / divisor;
        Measure sqlite{1e9, 0, 0}, jet{1e9, 0, 0};
        long sqliteRows = 0, jetRows = 0;
        for (int run = 0; run < kRuns; ++run) {
            fs::path plant = makeInstallation(root, sourceRows, false);
            sqlite = best(sqlite, inChild([&] { return runUpdate(root); }));
            sqliteRows = countTaken(plant);
            plant = makeInstallation(root, sourceRows, true);
            jet = best(jet, inChild([&] { return runUpdate(root); }));
            jetRows = countTaken(plant);
        }
        bool bad = sqlite.status != 0 || jet.status != 0 || sqliteRows != jetRows ||
                   sqliteRows != 4L * sourceRows;
        mismatch = mismatch || bad;
        std::printf("%-8d %-7ld | %8.3f s %8.1f MiB | %8.3f s %8.1f MiB | %.2fx%s\n", sourceRows,
                    jetRows, sqlite.seconds, sqlite.peakKiB / 1024.0, jet.seconds,
                    jet.peakKiB / 1024.0, jet.seconds / sqlite.seconds, bad ? "  (MISMATCH)" : "");
    }
    fs::remove_all(root);
    return mismatch ? 1 : 0;
}

namespace {

const char* const kUsage =
    "Usage: bench_update [SQLITE3-BINARY]\n"
    "       bench_update --jet\n"
    "       bench_update --update-only SOURCE-ROWS [--jet]\n"
    "\n"
    "Without an option: the update beside a sqlite3 script doing the same work (SQLITE3-BINARY,\n"
    "default sqlite3), at 1/8, 1/4, 1/2 and all of 8191 source rows, best of three runs each.\n"
    "--jet          the update on Jet 4 databases beside the one on SQLite\n"
    "--update-only  one update in this process, for a profiler\n"
    "--help         this text\n";

// What the command line asks for; nullopt (after a message) when it is not understood.
struct Options {
    enum class Mode { Script, Jet, UpdateOnly, Help } mode = Mode::Script;
    std::string sqlite3Binary = "sqlite3";
    int sourceRows = 0;
    bool jet = false;
};

std::optional<Options> parseOptions(const std::vector<std::string>& args) {
    Options options;
    auto refuse = [](const std::string& why) -> std::optional<Options> {
        std::fprintf(stderr, "bench_update: %s\n%s", why.c_str(), kUsage);
        return std::nullopt;
    };
    if (args.empty())
        return options;
    const std::string& first = args[0];
    if (first == "--help" || first == "-h") {
        options.mode = Options::Mode::Help;
    } else if (first == "--jet") {
        options.mode = Options::Mode::Jet;
        if (args.size() > 1)
            return refuse("unexpected argument '" + args[1] + "'");
    } else if (first == "--update-only") {
        options.mode = Options::Mode::UpdateOnly;
        char* end = nullptr;
        long rows = args.size() > 1 ? std::strtol(args[1].c_str(), &end, 10) : 0;
        if (args.size() < 2 || *end != '\0' || rows < 1 || rows > 32767)
            return refuse("--update-only wants a number of source rows from 1 to 32767");
        options.sourceRows = static_cast<int>(rows);
        if (args.size() > 2 && args[2] != "--jet")
            return refuse("unexpected argument '" + args[2] + "'");
        options.jet = args.size() > 2;
        if (args.size() > 3)
            return refuse("unexpected argument '" + args[3] + "'");
    } else if (first.starts_with("-")) {
        return refuse("unknown option '" + first + "'");
    } else {
        options.sqlite3Binary = first;
        if (args.size() > 1)
            return refuse("unexpected argument '" + args[1] + "'");
    }
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    std::optional<Options> options = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!options)
        return 2;
    if (options->mode == Options::Mode::Help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    std::string sqlite3Binary = options->sqlite3Binary;
    fs::path root = fs::temp_directory_path() / ("dalvon-bench-" + std::to_string(getpid()));
    if (options->mode == Options::Mode::Jet)
        return compareEngines(root);
    if (options->mode == Options::Mode::UpdateOnly) {
        makeInstallation(root, options->sourceRows, options->jet);
        auto start = std::chrono::steady_clock::now();
        double cpuBefore = std::clock() / static_cast<double>(CLOCKS_PER_SEC);
        int status = runUpdate(root);
        std::printf("WorkOnMDB: %.3f s wall, %.3f s CPU, status %d\n",
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                    std::clock() / static_cast<double>(CLOCKS_PER_SEC) - cpuBefore, status);
        fs::remove_all(root);
        return status;
    }
    std::printf("%-8s %-7s | %-22s | %-22s | %s\n", "source", "rows", "WorkOnMDB (s, peak MiB)",
                "sqlite3 script (s, MiB)", "ratio");
    // This machine's speed varies from run to run: each figure is the best of three runs.
    constexpr int kRuns = 3;
    for (int divisor : {8, 4, 2, 1}) {
        int sourceRows = 8191 / divisor;
        Measure ours{1e9, 0, 0}, theirs{1e9, 0, 0};
        long rows = 0, scriptRows = 0;
        for (int run = 0; run < kRuns; ++run) {
            fs::path plant = makeInstallation(root, sourceRows);
            Measure one = inChild([&] { return runUpdate(root); });
            rows = countTaken(plant);
            ours = best(ours, one);

            plant = makeInstallation(root, sourceRows);
            fs::path script = root / "update.sql";
            writeText(script, sqliteScript(plant));
            one = inChild([&] { return runScript(sqlite3Binary, plant, script); });
            scriptRows = countTaken(plant);
            theirs = best(theirs, one);
        }
        std::printf(
            "%-8d %-7ld | %8.3f s %8.1f MiB | %8.3f s %8.1f MiB | %.2fx%s\n", sourceRows, rows,
            ours.seconds, ours.peakKiB / 1024.0, theirs.seconds, theirs.peakKiB / 1024.0,
            ours.seconds / theirs.seconds,
            ours.status != 0 || theirs.status != 0 || rows != scriptRows ? "  (MISMATCH)" : "");
    }
    fs::remove_all(root);
    return 0;
}
