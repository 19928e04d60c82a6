#include "store/jet/reader/jet_usage_map.h"

namespace dalvon::jet {
namespace {

void addMarkedPages(const JetFile& file, Bytes bitmap, uint64_t firstPage, const std::string& owner,
                    std::vector<uint32_t>& pages) {
    for (size_t i = 0; i < bitmap.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            if ((bitmap[i] >> bit & 1) == 0)
                continue;
            const uint64_t page = firstPage + i * 8 + static_cast<uint64_t>(bit);
            if (page >= file.pageCount()) {
                file.damaged("The page map of " + owner + " marks page " + std::to_string(page) +
                             ", which lies beyond the end of the file.");
            }
            pages.push_back(static_cast<uint32_t>(page));
        }
    }
}

void readReferenceMap(const JetFile& file, Bytes row, const std::string& owner,
                      std::vector<uint32_t>& pages) {
    const uint64_t pagesPerBitmap = uint64_t{file.pageSize() - 4} * 8;
    const size_t entries = (row.size() - 1) / 4;
    for (size_t i = 0; i < entries; ++i) {
        const uint32_t bitmapPage = readU32(file, row, 1 + i * 4);
        if (bitmapPage == 0)
            continue;
        Bytes bitmap = file.page(bitmapPage, 0x05, "the page map of " + owner);
        addMarkedPages(file, bitmap.subspan(4), i * pagesPerBitmap, owner, pages);
    }
}

}  // namespace

std::vector<uint32_t> usageMapPages(const JetFile& file, RowPointer map, const std::string& owner) {
    Bytes row = file.row(map);
    std::vector<uint32_t> pages;
    switch (readU8(file, row, 0)) {
        case 0:
            addMarkedPages(file, row.subspan(readRange(file, row, 0, 5).size()),
                           readU32(file, row, 1), owner, pages);
            break;
        case 1:
            readReferenceMap(file, row, owner, pages);
            break;
        default:
            file.damaged("The page map of " + owner + " has an unknown kind.");
    }
    return pages;
}

}  // namespace dalvon::jet
