#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/jet/format/jet_file.h"

namespace dalvon::jet_test {

// Builds small Jet files byte by byte for the decoder tests: a header page whose masked fields
// are all zero, then the pages added.
class JetImage {
public:
    explicit JetImage(bool jet4);

    uint32_t pageSize() const { return m_jet4 ? 4096 : 2048; }
    // Appends a page of `type` filled with `filler` (Access leaves garbage, never zeros).
    uint32_t addPage(uint8_t type, uint8_t filler = 0xEE);
    // Appends a data page owned by `owner` whose rows are placed from the page end downward;
    // `flags` are or-ed into the offset slots (0x8000 deleted, 0x4000 moved).
    uint32_t addDataPage(uint32_t owner, const std::vector<std::vector<uint8_t>>& rows,
                         const std::vector<uint16_t>& flags = {});
    void put(size_t offset, const std::vector<uint8_t>& bytes);
    uint8_t* at(uint32_t page, size_t offset) {
        return &m_bytes[page * size_t{pageSize()} + offset];
    }

    std::vector<uint8_t> bytes() const { return m_bytes; }
    jet::JetFile file() const { return jet::JetFile(m_bytes, "C:\\test.mdb"); }

private:
    bool m_jet4;
    std::vector<uint8_t> m_bytes;
};

std::vector<uint8_t> le16(uint16_t value);
std::vector<uint8_t> le32(uint32_t value);
std::vector<uint8_t> concat(std::initializer_list<std::vector<uint8_t>> parts);
std::vector<uint8_t> ucs2(const std::u16string& text);

}  // namespace dalvon::jet_test
