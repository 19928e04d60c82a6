// The cheap checks of a SQLite file before it is opened: header against size.
#include <gtest/gtest.h>

#include <string>

#include "store/sqlite/sqlite_integrity.h"

namespace dalvon::sqlite {
namespace {

// A 100-byte header with the given page size field, page count and "valid for" counter.
std::string header(uint32_t pageSizeField, uint32_t pages, bool countValid) {
    std::string bytes(100, '\0');
    bytes.replace(0, 16, std::string("SQLite format 3\0", 16));
    auto put = [&](size_t at, uint32_t value, size_t width) {
        for (size_t i = 0; i < width; ++i)
            bytes[at + i] = static_cast<char>(value >> (8 * (width - 1 - i)) & 0xff);
    };
    put(16, pageSizeField, 2);
    put(24, 7, 4);                   // change counter
    put(28, pages, 4);               // pages in the header
    put(92, countValid ? 7 : 6, 4);  // version valid for
    return bytes;
}

TEST(SqliteIntegrity, HeaderAgainstSize) {
    struct Row {
        const char* what;
        std::string header;
        uint64_t size;
        bool damaged;
    };
    for (const Row& row : std::vector<Row>{
             {"whole", header(4096, 4, true), 16384, false},
             {"page size 65536 stored as 1", header(1, 2, true), 131072, false},
             {"truncated to 5000 bytes", header(4096, 4, true), 5000, true},
             {"pages missing at the end", header(4096, 4, true), 8192, true},
             {"count from an old writer is not trusted", header(4096, 9, false), 8192, false},
             {"no valid page size", header(1000, 1, true), 1000, true},
             {"ends in its header", header(4096, 1, true).substr(0, 60), 60, true},
             {"longer than the count says", header(4096, 2, true), 16384, false},
         }) {
        FileHeader parsed = readFileHeader(row.header, row.size);
        EXPECT_EQ(!headerDamage(parsed).empty(), row.damaged) << row.what;
    }
    EXPECT_EQ(headerDamage(readFileHeader(header(4096, 4, true), 8192)),
              "the header counts 4 pages, the file holds 2");
}

}  // namespace
}  // namespace dalvon::sqlite
