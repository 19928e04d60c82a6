#include "form/form_texts.h"

#include <gtest/gtest.h>

namespace dalvon {
namespace {

TEST(FormTexts, EditorCodeOfTheFirstEnvironmentEntry) {
    const std::pair<const char*, const char*> rows[] = {
        {"X=abc", "666768"},
        {"X=a=b", "664267"},               // only the first "=" separates
        {"NOEQUALS", "53544A565A465158"},  // the whole entry when there is no "="
        {"X=", ""},
        {"X=\xC3\xBF", "104"},     // ÿ is 255 in Windows-1252: three digits
        {"X=\xE2\x82\xAC", "85"},  // the euro sign is 128 in Windows-1252
    };
    for (const auto& [entry, code] : rows)
        EXPECT_EQ(editorCode(entry), code) << entry;
}

TEST(FormTexts, LineMarkersInAnyCase) {
    const std::pair<const char*, const char*> rows[] = {
        {"", ""},
        {"a<CRLF><crlf>B", "a\r\n\r\nB"},
        {"<CrLf>", "\r\n"},
        {"<CRL", "<CRL"},
        {"\xC3\xA4<crlf>\xC3\xB6", "\xC3\xA4\r\n\xC3\xB6"},  // text around keeps its bytes
    };
    for (const auto& [text, shown] : rows)
        EXPECT_EQ(expandLineMarkers(text), shown) << text;
}

}  // namespace
}  // namespace dalvon
