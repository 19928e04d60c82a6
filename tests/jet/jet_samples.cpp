#include "tests/jet/jet_samples.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "platform/calendar.h"
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

std::string formatOleDate(double oleDays) {
    CivilTime time = civilFromOleDate(oleDays);
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02u %02d:%02d:%02d",
                  static_cast<long long>(time.year), time.month, time.day, time.hour, time.minute,
                  time.second);
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
