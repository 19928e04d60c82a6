#include "store/sqlite/sqlite_integrity.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>

#include "platform/fault.h"
#include "store/faults.h"
#include "store/sqlite/sqlite_handles.h"

namespace dalvon::sqlite {
namespace {

constexpr size_t kHeaderSize = 100;

uint32_t bigEndian(const std::string& bytes, size_t at, size_t width) {
    uint32_t value = 0;
    for (size_t i = 0; i < width; ++i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// A journal or log that SQLite replays (or discards) when it next opens the file.
bool hasCompanion(const std::string& hostPath) {
    struct stat info {};
    for (const char* suffix : {"-journal", "-wal"}) {
        if (::stat((hostPath + suffix).c_str(), &info) == 0 && info.st_size > 0)
            return true;
    }
    return false;
}

}  // namespace

FileHeader readFileHeader(const std::string& firstBytes, uint64_t fileSize) {
    FileHeader header;
    header.fileSize = fileSize;
    if (firstBytes.size() < kHeaderSize)
        return header;
    uint32_t size = bigEndian(firstBytes, 16, 2);
    if (size == 1)
        size = 65536;
    if (size >= 512 && size <= 65536 && (size & (size - 1)) == 0)
        header.pageSize = size;
    // The stored count holds only when written by a version that keeps it: the change counter
    // and the "version valid for" number agree.
    uint32_t count = bigEndian(firstBytes, 28, 4);
    if (count != 0 && bigEndian(firstBytes, 24, 4) == bigEndian(firstBytes, 92, 4))
        header.headerPageCount = count;
    return header;
}

std::string headerDamage(const FileHeader& header) {
    if (header.fileSize < kHeaderSize)
        return "the file ends inside its header";
    if (header.pageSize == 0)
        return "the header names no valid page size";
    if (header.fileSize % header.pageSize != 0)
        return "the file ends inside a page";
    uint64_t claimed = uint64_t{header.headerPageCount} * header.pageSize;
    if (header.headerPageCount != 0 && claimed > header.fileSize) {
        return "the header counts " + std::to_string(header.headerPageCount) +
               " pages, the file holds " + std::to_string(header.fileSize / header.pageSize);
    }
    return "";
}

void checkIntegrity(const std::string& hostPath, const std::string& displayPath) {
    struct stat info {};
    if (::stat(hostPath.c_str(), &info) != 0 || hasCompanion(hostPath))
        return;  // a missing file is the open's to report
    std::ifstream in(hostPath, std::ios::binary);
    std::string bytes(kHeaderSize, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    std::string damage = headerDamage(readFileHeader(bytes, static_cast<uint64_t>(info.st_size)));
    if (damage.empty())
        return;
    throw Fault(3049, "DAO.Database",
                "Cannot open database '" + displayPath +
                    "'. It may not be a database that your application recognizes, or the file "
                    "may be corrupt. (" +
                    damage + ")");
}

std::string integrityDamage(const std::string& hostPath) {
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(hostPath.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    DatabaseHandle db(raw);
    if (rc != SQLITE_OK)
        return raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
    sqlite3_stmt* prepared = nullptr;
    rc = sqlite3_prepare_v2(raw, "PRAGMA integrity_check(1)", -1, &prepared, nullptr);
    Statement check(prepared);
    if (rc != SQLITE_OK)
        return sqlite3_errmsg(raw);
    rc = sqlite3_step(prepared);
    if (rc != SQLITE_ROW)
        return sqlite3_errmsg(raw);
    const unsigned char* text = sqlite3_column_text(prepared, 0);
    std::string finding = text ? reinterpret_cast<const char*>(text) : "";
    if (finding == "ok")
        return {};
    // One line: the finding goes into a log entry.
    std::replace(finding.begin(), finding.end(), '\n', ' ');
    return finding;
}

std::optional<std::string> recoveredContent(const std::string& hostPath,
                                            const std::string& displayPath) {
    if (!hasCompanion(hostPath))
        return std::nullopt;
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(hostPath.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    DatabaseHandle db(raw);
    auto failure = [&](int code) {
        return faults::databaseCorrupt(
            displayPath, " (" + std::string(raw ? sqlite3_errmsg(raw) : sqlite3_errstr(code)) +
                             "; it could not be recovered for a copy)");
    };
    if (rc != SQLITE_OK)
        throw failure(rc);
    sqlite3_int64 size = 0;
    unsigned char* bytes = sqlite3_serialize(raw, "main", &size, 0);
    if (bytes == nullptr)
        throw failure(sqlite3_errcode(raw));
    std::string content(reinterpret_cast<const char*>(bytes), static_cast<size_t>(size));
    sqlite3_free(bytes);
    // A copy has no log beside it: it is marked as a rollback-journal file (the read and write
    // versions of the header), so that a reader of the copy never makes one.
    if (content.size() >= kHeaderSize && content[18] == 2 && content[19] == 2)
        content[18] = content[19] = 1;
    return content;
}

}  // namespace dalvon::sqlite
