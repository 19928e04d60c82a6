// Fills a table of a copy of the empty Jet 4 sample with rows shaped like the update's
// (32764 rows by default), then changes every row once, and prints the wall time of each step.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "store/jet/writer/jet_writer.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    using namespace dalvon;
    const int rows = argc > 1 ? std::atoi(argv[1]) : 32764;
    const fs::path sample = fs::path(DALVON_JET_SAMPLES) / "empty2003.mdb";
    const fs::path file = fs::temp_directory_path() / "bench_jet_write.mdb";
    fs::copy_file(sample, file, fs::copy_options::overwrite_existing);
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    const std::vector<FieldDef> fields = {
        {"machine", 10, 50}, {"name", 10, 50},  {"group", 4, 4},  {"abs_min", 7, 8},
        {"abs_max", 7, 8},   {"min", 7, 8},     {"max", 7, 8},    {"pass", 4, 4},
        {"unit", 10, 20},    {"text", 10, 255}, {"active", 1, 1}, {"changed", 8, 8},
    };
    auto start = Clock::now();
    jet::JetWriter writer(file.string());
    writer.createTable("PRESET_DEFS", fields);
    std::vector<uint32_t> ids;
    for (int n = 0; n < rows; ++n) {
        ids.push_back(writer.appendRow(
            "PRESET_DEFS",
            {Variant::string("Machine" + std::to_string(n % 4)),
             Variant::string("Parameter_" + std::to_string(n)), Variant::longValue(n % 17),
             Variant::doubleValue(-1000.5), Variant::doubleValue(1000.5),
             Variant::doubleValue(n * 0.5), Variant::doubleValue(n * 2.0), Variant::longValue(1),
             Variant::string("mm"),
             Variant::string("Description of parameter " + std::to_string(n)),
             Variant::boolean(n % 2 == 0), Variant::date(45000.25)}));
    }
    std::printf("append %d rows: %.3f s\n", rows, secondsSince(start));
    start = Clock::now();
    for (uint32_t id : ids)
        writer.updateRow("PRESET_DEFS", id,
                         {{5, Variant::doubleValue(1.0)},
                          {9, Variant::string("changed and somewhat longer than before")}});
    std::printf("change every row: %.3f s\n", secondsSince(start));
    start = Clock::now();
    writer.commit();
    std::printf("commit %u pages: %.3f s\n", writer.file().pageCount(), secondsSince(start));
    fs::remove(file);
    return 0;
}
