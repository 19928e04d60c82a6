#include "tests/jet/jet_samples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>

#include "platform/fault.h"
#include "store/jet/check/jet_check.h"
#include "store/jet/writer/jet_create.h"
#include "store/store_backend.h"

namespace dalvon::jet_test {

bool haveSamples() {
    return fs::is_directory(DALVON_JET_SAMPLES);
}

std::vector<fs::path> sampleFiles() {
    std::vector<fs::path> files;
    if (!haveSamples())
        return files;
    for (const auto& entry : fs::directory_iterator(DALVON_JET_SAMPLES)) {
        if (entry.path().extension() == ".mdb")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

fs::path sample(const std::string& name) {
    return fs::path(DALVON_JET_SAMPLES) / name;
}

std::string runCommand(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return output;
    char buffer[65536];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
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

std::vector<uint8_t> fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void saveBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

testing::HostDatabase openJet(const fs::path& file) {
    return testing::HostDatabase(file);
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

std::vector<std::vector<Variant>> readAll(const fs::path& file, const std::string& table) {
    return readAll(*openJet(file), table);
}

std::string repeated(const std::string& text, size_t times) {
    std::string out;
    for (size_t i = 0; i < times; ++i)
        out += text;
    return out;
}

std::vector<uint8_t> pattern(size_t length, uint8_t seed) {
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<uint8_t>(seed + i * 7);
    return bytes;
}

fs::path newDatabase(const TempDir& dir, const std::string& name) {
    const fs::path file = dir.path() / name;
    jet::createDatabase(file.string());
    return file;
}

fs::path copySample(const TempDir& dir, const std::string& name) {
    const fs::path target = dir.path() / name;
    fs::copy_file(sample(name), target);
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    return target;
}

void expectSound(const fs::path& file) {
    EXPECT_EQ(jet::checkJetFile(file.string()), std::vector<std::string>{}) << file;
    if (haveMdbTools()) {
        EXPECT_EQ(mdbToolsDisagreement(file), "") << file;
    }
    if (haveMdbReader()) {
        EXPECT_EQ(mdbReaderDisagreement(file), "") << file;
    } else {
        std::cerr << "mdb-reader not installed (scripts/install-node-deps): " << file
                  << " not compared with it\n";
    }
}

const std::vector<FieldDef> kAllKinds = {
    {"Flag", 1, 1},  {"Small", 2, 1}, {"Count", 3, 2}, {"Id", 4, 4},      {"Price", 5, 8},
    {"Ratio", 6, 4}, {"Value", 7, 8}, {"Stamp", 8, 8}, {"Name", 10, 50},  {"Notes", 12, 0},
    {"Blob", 11, 0}, {"Key", 15, 16}, {"Raw", 9, 16},  {"Wide", 10, 255},
};

std::vector<Variant> rowOfAllKinds(int32_t n) {
    if (n == 7)
        return std::vector<Variant>(kAllKinds.size(), Variant::null());
    const std::vector<std::pair<std::string, size_t>> longValues = {
        {"short memo", 0}, {repeated("x", 3000), 40}, {repeated("Lang ", 3000), 9000}};
    const auto& [notes, blobLength] = longValues[static_cast<size_t>(n) % 3];
    return {
        Variant::boolean(n % 2 == 0),
        Variant::byte(static_cast<uint8_t>(n)),
        Variant::integer(static_cast<int16_t>(-n)),
        Variant::longValue(n * 1000),
        Variant::currency(int64_t{n} * 12345),
        Variant::single(static_cast<float>(n) / 4),
        Variant::doubleValue(n / 3.0),
        Variant::date(45000.5 + n),
        Variant::string("Row " + std::to_string(n)),
        Variant::string(notes),
        Variant::binary(pattern(blobLength, 1)),
        Variant::string("{6F9619FF-8B86-D011-B42D-00C04FC964" + std::to_string(10 + n % 90) + "}"),
        Variant::binary(pattern(static_cast<size_t>(1 + n % 16), 3)),
        Variant::string(n % 3 == 0 ? "Grüße, \xE2\x82\xAC " + std::to_string(n) : "ab")};
}

std::vector<std::vector<Variant>> fillAllKinds(
    size_t count, const std::function<void(const std::vector<Variant>&)>& append) {
    std::vector<std::vector<Variant>> rows;
    for (size_t n = 0; n < count; ++n) {
        rows.push_back(rowOfAllKinds(static_cast<int32_t>(n)));
        append(rows.back());
    }
    if (count > 7)
        rows[7][0] = Variant::boolean(false);
    return rows;
}

}  // namespace dalvon::jet_test
