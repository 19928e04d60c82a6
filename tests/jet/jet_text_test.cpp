// Pure decoders of the Jet reader: text forms, GUIDs and the header mask keystream.
#include "store/jet/jet_text.h"

#include <gtest/gtest.h>

#include "store/jet/jet_file.h"

namespace dalvon::jet_test {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(JetText, DecodesEveryTextForm) {
    struct Case {
        Bytes stored;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {{'A', 0, 0xE4, 0}, "Aä"},
        {{0x3D, 0xD8, 0x00, 0xDE}, "\U0001F600"},        // surrogate pair
        {{0x3D, 0xD8, 'x', 0}, "\xEF\xBF\xBDx"},         // lone high surrogate
        {{'A', 0, 'B'}, "A"},                            // odd trailing byte dropped
        {{0xFF, 0xFE}, ""},                              // compressed, empty
        {{0xFF, 0xFE, 'h', 'i', 0, 0xAC, 0x20}, "hi€"},  // switch to UCS-2 and stay
        {{0xFF, 0xFE, 0, 'A', 0, 0, 'z'}, "Az"},         // UCS-2 first, then one-byte
        {{0xFF, 0xFE, 'a', 0, 0x42}, "a"},               // half a UCS-2 unit at the end
    };
    for (const auto& c : cases) {
        EXPECT_EQ(jet::decodeJet4Text(c.stored), c.expected);
    }
    EXPECT_EQ(jet::decodeCodePageText(Bytes{'x', 0x80, 0xE9}, 1252), "x€é");
}

TEST(JetText, FormatsGuidsInRegistryForm) {
    const Bytes guid = {0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x03, 0x00,
                        0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x00, 0x11};
    EXPECT_EQ(jet::formatGuid(guid), "{00000001-0002-0003-AABB-CCDDEEFF0011}");
}

TEST(JetText, Rc4KeystreamMatchesPublishedVectors) {
    const Bytes key = {'K', 'e', 'y'};
    EXPECT_EQ(jet::rc4Keystream(key, 10),
              (Bytes{0xEB, 0x9F, 0x77, 0x81, 0xB7, 0x34, 0xCA, 0x72, 0xA7, 0x19}));
    const Bytes wiki = {'W', 'i', 'k', 'i'};
    EXPECT_EQ(jet::rc4Keystream(wiki, 6), (Bytes{0x60, 0x44, 0xDB, 0x6D, 0x41, 0xB7}));
}

}  // namespace
}  // namespace dalvon::jet_test
