#include "tests/store/store_fixture.h"

#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "store/sqlite/sqlite_script.h"

namespace dalvon::testing {

bool HostFileSystem::fileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

std::optional<std::string> HostFileSystem::readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void HostFileSystem::writeFileAtomic(const std::string& path, const std::string& bytes) {
    std::ofstream(path + ".tmp", std::ios::binary) << bytes;
    std::filesystem::rename(path + ".tmp", path);
}

void HostFileSystem::copyFile(const std::string& from, const std::string& to) {
    writeFileAtomic(to, readFile(from).value());
}

void HostFileSystem::appendLine(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::app) << text << "\r\n";
}

StoreTest::StoreTest() : m_engine(makeDatabaseEngine(m_files)) {}

StoreTest::~StoreTest() {
    m_engine.reset();
}

std::string StoreTest::makeDatabase(const std::string& name, const std::string& script) {
    std::string file = path(name);
    std::filesystem::remove(file);
    sqlite::runScript(file, script);
    return file;
}

std::vector<std::vector<std::string>> StoreTest::rows(const std::string& file,
                                                      const std::string& sql) {
    return sqlite::queryAsText(file, sql);
}

std::string StoreTest::readBytes(const std::string& file) const {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void StoreTest::writeBytes(const std::string& file, const std::string& bytes) const {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

std::vector<std::vector<std::string>> StoreTest::readAll(Recordset& set) {
    std::vector<std::vector<std::string>> result;
    if (set.eof())
        return result;
    set.moveFirst();
    for (; !set.eof(); set.moveNext()) {
        std::vector<std::string> row;
        for (int i = 0; i < set.fieldCount(); ++i) {
            Variant value = set.value(i);
            row.push_back(value.isNull() ? "Null" : value.toText());
        }
        result.push_back(std::move(row));
    }
    return result;
}

}  // namespace dalvon::testing
