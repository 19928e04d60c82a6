#include <set>
#include <utility>

#include "store/jet/reader/jet_row.h"

namespace dalvon::jet {
namespace {

constexpr uint32_t kLengthMask = 0x3FFFFFFF;
constexpr uint32_t kInline = 2;
constexpr uint32_t kOneRow = 1;
constexpr uint32_t kChain = 0;

std::vector<uint8_t> readChain(const JetFile& file, RowPointer first, uint32_t length) {
    std::vector<uint8_t> data;
    std::set<std::pair<uint32_t, uint8_t>> seen;
    for (RowPointer at = first; data.size() < length;) {
        if (at.page == 0)
            file.damaged("A long value ends before its stated length.");
        if (!seen.insert({at.page, at.row}).second)
            file.damaged("A long value chain loops.");
        Bytes piece = file.row(at);
        const RowPointer next = readRowPointer(file, piece, 0);
        const size_t take = std::min<size_t>(piece.size() - 4, length - data.size());
        data.insert(data.end(), piece.begin() + 4, piece.begin() + 4 + static_cast<long>(take));
        at = next;
    }
    return data;
}

}  // namespace

std::vector<uint8_t> readLongValue(const JetFile& file, Bytes header) {
    const uint32_t word = readU32(file, header, 0);
    const uint32_t length = word & kLengthMask;
    switch (word >> 30) {
        case kInline: {
            Bytes data = readRange(file, header, 12, length);
            return {data.begin(), data.end()};
        }
        case kOneRow: {
            Bytes data = readRange(file, file.row(readRowPointer(file, header, 4)), 0, length);
            return {data.begin(), data.end()};
        }
        case kChain:
            return readChain(file, readRowPointer(file, header, 4), length);
        default:
            file.damaged("A long value has an unknown storage kind.");
    }
}

}  // namespace dalvon::jet
