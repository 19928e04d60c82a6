#include "tests/jet/jet_samples.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "store/store_backend.h"

namespace dalvon::jet_test {

namespace fs = std::filesystem;

fs::path samplesDir() {
    return DALVON_JET_SAMPLES;
}

bool haveSamples() {
    return fs::is_directory(samplesDir());
}

std::vector<fs::path> sampleFiles() {
    std::vector<fs::path> files;
    if (!haveSamples())
        return files;
    for (const auto& entry : fs::directory_iterator(samplesDir())) {
        if (entry.path().extension() == ".mdb")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

fs::path sample(const std::string& name) {
    return samplesDir() / name;
}

bool haveMdbTools() {
    return std::system(
               "command -v mdb-export >/dev/null 2>&1 && "
               "command -v mdb-schema >/dev/null 2>&1 && "
               "command -v mdb-tables >/dev/null 2>&1") == 0;
}

std::string runCommand(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return output;
    char buffer[65536];
    size_t got = 0;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, got);
    pclose(pipe);
    return output;
}

std::string shellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::unique_ptr<Database> openJet(const fs::path& file) {
    return makeJetBackend()->open(file.string(), file.string());
}

std::vector<std::vector<Variant>> readAll(Database& db, const std::string& table) {
    auto rs = db.openTable(table);
    std::vector<std::vector<Variant>> rows;
    for (; !rs->eof(); rs->moveNext()) {
        std::vector<Variant> row;
        for (int i = 0; i < rs->fieldCount(); ++i)
            row.push_back(rs->value(i));
        rows.push_back(std::move(row));
    }
    return rows;
}

// Civil date from days since 1970-01-01 (proleptic Gregorian).
static void civilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

std::string formatOleDate(double oleDays) {
    // Negative OLE dates count whole days backwards but the fraction forwards.
    double day = std::trunc(oleDays);
    double fraction = std::fabs(oleDays - day);
    auto seconds = static_cast<int64_t>(std::llround(fraction * 86400.0));
    if (seconds >= 86400) {
        seconds -= 86400;
        day += oleDays < 0 ? -1 : 1;
    }
    int64_t y;
    unsigned m, d;
    civilFromDays(static_cast<int64_t>(day) - 25569, y, m, d);
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02u %02lld:%02lld:%02lld",
                  static_cast<long long>(y), m, d, static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

TempDir::TempDir() {
    std::random_device random;
    m_path = fs::temp_directory_path() / ("jet_test_" + std::to_string(random()));
    fs::create_directories(m_path);
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

}  // namespace dalvon::jet_test
