#include "tests/store/store_fixture.h"

#include <sqlite3.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

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

StoreTest::StoreTest() : m_engine(makeDatabaseEngine(m_files)) {
    std::string pattern = (std::filesystem::temp_directory_path() / "store_test_XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("no temp folder");
    m_dir = pattern;
}

StoreTest::~StoreTest() {
    m_engine.reset();
    std::error_code error;
    std::filesystem::remove_all(m_dir, error);
}

std::string StoreTest::makeDatabase(const std::string& name, const std::string& script) {
    std::string file = path(name);
    std::filesystem::remove(file);
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    char* error = nullptr;
    int rc = sqlite3_exec(db, script.c_str(), nullptr, nullptr, &error);
    std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error("script failed: " + message);
    return file;
}

std::vector<std::vector<std::string>> StoreTest::rows(const std::string& file,
                                                      const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        std::string message = sqlite3_errmsg(db);
        sqlite3_close(db);
        throw std::runtime_error("query failed: " + message);
    }
    std::vector<std::vector<std::string>> result;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            const unsigned char* text = sqlite3_column_text(statement, i);
            row.push_back(text ? reinterpret_cast<const char*>(text) : "NULL");
        }
        result.push_back(std::move(row));
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return result;
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
