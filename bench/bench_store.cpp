// The store at the 16-bit limit: fills a table of 32767 preset definition rows through the
// database interface, then looks every row up by ("machine_type", "var_name",
// "offset_or_bitno") with the takeover's query and updates five fields. The same work runs as a
// plain sqlite3 script in the same run, for comparison.
//
// Usage: bench_store [rows] [sqlite3-binary]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/fault.h"
#include "platform/file_system.h"
#include "store/database.h"

namespace fs = std::filesystem;
using namespace dalvon;

namespace {

using Clock = std::chrono::steady_clock;

const char* const kFieldsDdl =
    "ID LONG, machine_type VARCHAR(50), type LONG, var_name VARCHAR(255), category_id LONG, "
    "isBitArray BIT, offset_or_bitno LONG, text VARCHAR(255), page_name VARCHAR(255), "
    "abs_min DOUBLE, abs_max DOUBLE, min DOUBLE, max DOUBLE, pass LONG, part LONG";

FieldDef def(const char* name, FieldType type, int32_t size) {
    return FieldDef{name, static_cast<int>(type), size};
}

std::vector<FieldDef> presetFields() {
    return {def("ID", FieldType::Long, 4),
            def("machine_type", FieldType::Text, 50),
            def("type", FieldType::Long, 4),
            def("var_name", FieldType::Text, 255),
            def("category_id", FieldType::Long, 4),
            def("isBitArray", FieldType::Boolean, 1),
            def("offset_or_bitno", FieldType::Long, 4),
            def("text", FieldType::Text, 255),
            def("page_name", FieldType::Text, 255),
            def("abs_min", FieldType::Double, 8),
            def("abs_max", FieldType::Double, 8),
            def("min", FieldType::Double, 8),
            def("max", FieldType::Double, 8),
            def("pass", FieldType::Long, 4),
            def("part", FieldType::Long, 4)};
}

// The key of row i: four machines, a variable per four rows, sixteen offsets.
std::string machineOf(int i) {
    return std::to_string(1 + i % 4);
}
std::string varNameOf(int i) {
    return "Machine" + machineOf(i) + ".Var_" + std::to_string(i / 4);
}
int offsetOf(int i) {
    return i % 16;
}

std::string takeoverQuery(int i) {
    return "SELECT PRESET_DEFS.ID, PRESET_DEFS.machine_type, PRESET_DEFS.type, "
           "PRESET_DEFS.var_name, PRESET_DEFS.category_id, PRESET_DEFS.isBitArray, "
           "PRESET_DEFS.offset_or_bitno, PRESET_DEFS.text, PRESET_DEFS.page_name, "
           "PRESET_DEFS.abs_min, PRESET_DEFS.abs_max, PRESET_DEFS.min, PRESET_DEFS.max, "
           "PRESET_DEFS.pass, PRESET_DEFS.part From PRESET_DEFS  WHERE "
           "(((PRESET_DEFS.machine_type)=\"" +
           machineOf(i) + "\") AND ((PRESET_DEFS.var_name)=\"" + varNameOf(i) +
           "\")  AND ((PRESET_DEFS.offset_or_bitno)=" + std::to_string(offsetOf(i)) + "));";
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

long peakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void makeEmptyDatabase(const fs::path& file) {
    fs::remove(file);
    createEmptyDatabase(file.string());
}

void fill(Database& db, int rows) {
    db.createTable("PRESET_DEFS", presetFields());
    auto set = db.openTable("PRESET_DEFS");
    for (int i = 0; i < rows; ++i) {
        set->addNew();
        set->setValue(0, Variant::longValue(i + 1));
        set->setValue(1, Variant::string(machineOf(i)));
        set->setValue(2, Variant::longValue(i % 7));
        set->setValue(3, Variant::string(varNameOf(i)));
        set->setValue(4, Variant::longValue(i % 20));
        set->setValue(5, Variant::boolean(i % 2 == 0));
        set->setValue(6, Variant::longValue(offsetOf(i)));
        set->setValue(7, Variant::string("Preset text " + std::to_string(i)));
        set->setValue(8, Variant::string("Page " + std::to_string(i % 30)));
        for (int f = 9; f <= 12; ++f)
            set->setValue(f, Variant::doubleValue(f * 10.0));
        set->setValue(13, Variant::longValue(1));
        set->setValue(14, Variant::longValue(1 + i % 50));
        set->update();
    }
}

int lookUpAndUpdate(Database& db, int rows) {
    int updated = 0;
    for (int i = 0; i < rows; ++i) {
        auto match = db.openQuery(takeoverQuery(i));
        if (match->recordCount() != 1)
            continue;
        match->edit();
        match->setValue("abs_min", Variant::doubleValue(-i));
        match->setValue("abs_max", Variant::doubleValue(i));
        match->setValue("min", Variant::doubleValue(-i / 2.0));
        match->setValue("max", Variant::doubleValue(i / 2.0));
        match->setValue("pass", Variant::longValue(i % 3));
        match->update();
        ++updated;
    }
    return updated;
}

std::string sqlText(const std::string& text) {
    return "'" + text + "'";
}

// The same work as one sqlite3 script. Without an index each UPDATE would scan the table, so
// the script builds one for the duration and drops it before COMMIT, as the store leaves a
// file with exactly the indexes it had.
void writeScript(const fs::path& script, int rows) {
    std::ofstream out(script);
    out << "PRAGMA journal_mode=DELETE;\nBEGIN;\nCREATE TABLE PRESET_DEFS (" << kFieldsDdl
        << ");\n";
    for (int i = 0; i < rows; ++i) {
        out << "INSERT INTO PRESET_DEFS VALUES (" << i + 1 << "," << sqlText(machineOf(i)) << ","
            << i % 7 << "," << sqlText(varNameOf(i)) << "," << i % 20 << "," << (i % 2 == 0) << ","
            << offsetOf(i) << "," << sqlText("Preset text " + std::to_string(i)) << ","
            << sqlText("Page " + std::to_string(i % 30)) << ",90.0,100.0,110.0,120.0,1,"
            << 1 + i % 50 << ");\n";
    }
    out << "CREATE INDEX bench_key ON PRESET_DEFS (machine_type, var_name, offset_or_bitno);\n";
    for (int i = 0; i < rows; ++i) {
        out << "UPDATE PRESET_DEFS SET abs_min=" << -i << ",abs_max=" << i << ",min=" << -i / 2.0
            << ",max=" << i / 2.0 << ",pass=" << i % 3
            << " WHERE machine_type=" << sqlText(machineOf(i))
            << " AND var_name=" << sqlText(varNameOf(i)) << " AND offset_or_bitno=" << offsetOf(i)
            << ";\n";
    }
    out << "DROP INDEX bench_key;\nCOMMIT;\n";
}

struct ChildRun {
    double seconds;
    long peakRssKiB;
    int status;
};

ChildRun runSqliteScript(const std::string& sqlite3, const fs::path& database,
                         const fs::path& script) {
    auto start = Clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        std::string command =
            "'" + sqlite3 + "' '" + database.string() + "' < '" + script.string() + "' > /dev/null";
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return {secondsSince(start), usage.ru_maxrss, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

}  // namespace

int main(int argc, char** argv) {
    int rows = argc > 1 ? std::atoi(argv[1]) : 32767;
    std::string sqlite3 = argc > 2 ? argv[2] : "sqlite3";
    std::string pattern = (fs::temp_directory_path() / "bench_store_XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return 2;
    fs::path dir = pattern;
    fs::path file = dir / "Dalvon.mdb";
    makeEmptyDatabase(file);
    long baseline = peakRssKiB();
    try {
        auto files = makeHostFileSystem();
        auto engine = makeDatabaseEngine(*files);
        auto db = engine->open(files->windowsPath(file.string()));
        auto start = Clock::now();
        fill(*db, rows);
        double fillSeconds = secondsSince(start);
        auto lookupStart = Clock::now();
        int updated = lookUpAndUpdate(*db, rows);
        double lookupSeconds = secondsSince(lookupStart);
        auto closeStart = Clock::now();
        db->close();
        double closeSeconds = secondsSince(closeStart);
        std::printf(
            "store:   %d rows; fill %.3f s, %d lookups+updates %.3f s, commit %.3f s; "
            "total %.3f s; peak RSS %ld KiB (%ld KiB before)\n",
            rows, fillSeconds, updated, lookupSeconds, closeSeconds, secondsSince(start),
            peakRssKiB(), baseline);
    } catch (const Fault& fault) {
        std::fprintf(stderr, "store failed: %d %s\n", fault.number(), fault.description().c_str());
        return 1;
    }
    fs::path script = dir / "same_work.sql";
    writeScript(script, rows);
    ChildRun child = runSqliteScript(sqlite3, dir / "script.db", script);
    std::printf(
        "sqlite3: %d rows; script (fill, index, updates, commit) %.3f s; peak RSS %ld KiB; "
        "exit %d\n",
        rows, child.seconds, child.peakRssKiB, child.status);
    fs::remove_all(dir);
    return child.status == 0 ? 0 : 1;
}
