#include "store/jet/jet_sort_order.h"

namespace dalvon::jet {

std::vector<uint8_t> generalSortCode(char c) {
    static const uint8_t kLetters[26] = {0x4A, 0x4C, 0x4D, 0x4F, 0x51, 0x53, 0x55, 0x57, 0x59,
                                         0x5B, 0x5C, 0x5E, 0x60, 0x62, 0x64, 0x66, 0x68, 0x69,
                                         0x6B, 0x6D, 0x6F, 0x71, 0x73, 0x75, 0x76, 0x78};
    if (c >= 'a' && c <= 'z')
        return {kLetters[c - 'a']};
    if (c >= 'A' && c <= 'Z')
        return {kLetters[c - 'A']};
    if (c >= '0' && c <= '9')
        return {static_cast<uint8_t>(0x36 + 2 * (c - '0'))};
    if (c == ' ')
        return {0x07};
    if (c == '.')
        return {0x1C};
    if (c == '_')
        return {0x2B, 0x03};
    return {};
}

}  // namespace dalvon::jet
