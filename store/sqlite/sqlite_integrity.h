#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace dalvon::sqlite {

// What the first 100 bytes and the size of a SQLite file say about it.
struct FileHeader {
    uint32_t pageSize = 0;         // 512 ... 65536; 0 when the stored value is none of these
    uint32_t headerPageCount = 0;  // the page count the header claims, 0 when not to be trusted
    uint64_t fileSize = 0;
};

// Reads the header fields from the first bytes of a file of `fileSize` bytes.
FileHeader readFileHeader(const std::string& firstBytes, uint64_t fileSize);

// The damage a header and size show (a truncated or padded file, an impossible page size), or
// the empty text when they fit together.
std::string headerDamage(const FileHeader& header);

// The cheap checks before a file is opened: the header against the file's size. Skipped while
// a journal or write-ahead log lies beside the file, since SQLite puts such a file right
// itself. Throws Fault 3049 naming `displayPath` when the file is damaged.
void checkIntegrity(const std::string& hostPath, const std::string& displayPath);

// What SQLite's full integrity check finds wrong with the file (its first finding); empty when
// the file is sound. A file SQLite cannot open or read is damaged too.
std::string integrityDamage(const std::string& hostPath);

// The file's committed content when a journal or write-ahead log lies beside it: SQLite opens
// the file, recovering it (a hot journal is rolled back, the log is read), and hands out the
// whole database. Nothing when no such file lies beside it: then the bytes are the content.
// Throws the Fault for SQLite's failure (naming `displayPath`) when it cannot.
std::optional<std::string> recoveredContent(const std::string& hostPath,
                                            const std::string& displayPath);

}  // namespace dalvon::sqlite
