#include "store/jet/format/jet_sort_key.h"

#include <iterator>
#include <string>

#include "store/jet/format/jet_sort_order.h"

namespace dalvon::jet {
namespace {

constexpr size_t kMaxKeyCharacters = 255;
constexpr uint8_t kEndOfText = 0x01;
constexpr uint8_t kEndOfKey = 0x00;
constexpr uint8_t kNoAccent = 0x02;
constexpr uint8_t kUnprintableMark = 0x06;
constexpr uint8_t kKanaSection[] = {0x01, 0x01, 0xFF, 0x02, 0x80, 0xFF, 0x80};

// Code points of a UTF-8 text; nullopt for a malformed sequence.
std::optional<std::u32string> codePoints(std::string_view utf8) {
    std::u32string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<uint8_t>(utf8[i]);
        const size_t length = lead < 0x80 ? 1 : lead >> 5 == 6 ? 2 : lead >> 4 == 14 ? 3 : 4;
        if (lead >= 0xF8 || (lead >= 0x80 && lead < 0xC0) || i + length > utf8.size())
            return std::nullopt;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<uint8_t>(utf8[i + k]);
            if (next >> 6 != 2)
                return std::nullopt;
            c = c << 6 | (next & 0x3F);
        }
        out.push_back(c);
        i += length;
    }
    return out;
}

}  // namespace

std::optional<std::vector<uint8_t>> generalTextKey(std::string_view utf8, bool ascending) {
    std::optional<std::u32string> text = codePoints(utf8);
    if (!text)
        return std::nullopt;
    if (text->size() > kMaxKeyCharacters)
        text->resize(kMaxKeyCharacters);
    while (!text->empty() && text->back() == U' ')
        text->pop_back();
    std::vector<uint8_t> key, accents, unprintables;
    size_t position = 0;  // characters with inline codes so far
    bool kana = false;
    for (char32_t c : *text) {
        const SortCode* code = generalSortCode(c);
        if (!code)
            return std::nullopt;
        kana = kana || code->kana;
        if (code->kind == kSimple || code->kind == kAccented) {
            key.push_back(code->code[0]);
            if (code->code[1] != 0)
                key.push_back(code->code[1]);
        }
        if (code->kind == kAccented) {
            // Characters without an accent before this one hold their places in the section.
            accents.resize(position, kNoAccent);
            accents.push_back(code->extra);
        } else if (code->kind == kUnprintable) {
            const size_t mark = (7 + 4 * position) | 0x8000;
            unprintables.insert(unprintables.end(),
                                {static_cast<uint8_t>(mark >> 8), static_cast<uint8_t>(mark),
                                 kUnprintableMark, code->extra});
        }
        if (code->kind == kSimple || code->kind == kAccented)
            ++position;
    }
    key.push_back(kEndOfText);
    while (!accents.empty() && accents.back() <= kNoAccent)
        accents.pop_back();
    key.insert(key.end(), accents.begin(), accents.end());
    // The kana section as the samples show it; with unprintable characters beside it the
    // key's shape is not known.
    if (kana && !unprintables.empty())
        return std::nullopt;
    if (kana)
        key.insert(key.end(), std::begin(kKanaSection), std::end(kKanaSection));
    if (!unprintables.empty()) {
        key.insert(key.end(), {kEndOfText, kEndOfText, kEndOfText});
        key.insert(key.end(), unprintables.begin(), unprintables.end());
    }
    if (!ascending) {
        key.push_back(kEndOfKey);
        for (uint8_t& b : key)
            b = static_cast<uint8_t>(~b);
    }
    key.push_back(kEndOfKey);
    return key;
}

std::optional<std::vector<uint8_t>> general97TextKey(std::string_view utf8, bool ascending) {
    std::optional<std::u32string> text = codePoints(utf8);
    if (!text || !ascending)
        return std::nullopt;
    std::vector<uint8_t> key;
    for (char32_t c : *text) {
        const uint8_t code = general97SortCode(c);
        if (code == 0)
            return std::nullopt;
        key.push_back(code);
    }
    key.push_back(kEndOfKey);
    return key;
}

}  // namespace dalvon::jet
