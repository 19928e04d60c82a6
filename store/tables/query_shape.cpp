#include "store/tables/query_shape.h"

#include <algorithm>
#include <cstring>

namespace dalvon::tables {
namespace {

// The length of the common beginning of two texts; memcmp finds the block that differs.
size_t commonPrefix(std::string_view a, std::string_view b) {
    constexpr size_t kBlock = 64;
    size_t limit = std::min(a.size(), b.size());
    size_t at = 0;
    while (at + kBlock <= limit && std::memcmp(a.data() + at, b.data() + at, kBlock) == 0)
        at += kBlock;
    while (at < limit && a[at] == b[at])
        ++at;
    return at;
}

}  // namespace

const QueryShape& ShapeScanner::scan(std::string_view text) {
    // Literals that end before the first difference (and the character after them, which
    // ends a number) are read as before; the scan goes on after the last of them.
    size_t same = commonPrefix(m_text, text);
    size_t kept = 0;
    while (kept < m_after.size() && m_after[kept].position < same)
        ++kept;
    After resume = kept == 0 ? After{0, 0, 0} : m_after[kept - 1];
    std::vector<std::pair<size_t, size_t>> keptLiterals;  // offset and length in the text
    for (size_t i = 0; i < kept; ++i) {
        const sql::Token& token = m_last.literals[i];
        keptLiterals.emplace_back(static_cast<size_t>(token.text.data() - m_text.data()),
                                  token.text.size());
    }

    m_text.assign(text);
    std::string_view view(m_text);
    m_last.shape.resize(resume.shape);
    m_last.literals.resize(kept);
    for (size_t i = 0; i < kept; ++i)
        m_last.literals[i].text = view.substr(keptLiterals[i].first, keptLiterals[i].second);
    m_after.resize(kept);

    try {
        scanFrom(resume);
    } catch (...) {
        // A text that fails is no basis for the next one.
        m_text.clear();
        m_last = QueryShape{};
        m_after.clear();
        throw;
    }
    return m_last;
}

void ShapeScanner::scanFrom(const After& resume) {
    std::string_view view(m_text);
    size_t copied = resume.copied;
    sql::TokenScanner scanner(view, resume.position);
    for (sql::Token token = scanner.nextLiteral(); token.kind != sql::TokenKind::End;
         token = scanner.nextLiteral()) {
        // A text literal's view lies between its quotes, which stay in the shape.
        auto at = static_cast<size_t>(token.text.data() - view.data());
        bool quoted = token.kind == sql::TokenKind::Text;
        m_last.shape.append(view, copied, at - copied);
        if (!quoted)
            m_last.shape += '\x01';
        copied = at + token.text.size();
        m_after.push_back(After{quoted ? copied + 1 : copied, copied, m_last.shape.size()});
        m_last.literals.push_back(token);
    }
    m_last.shape.append(view, copied);
}

}  // namespace dalvon::tables
