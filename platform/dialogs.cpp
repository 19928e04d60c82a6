#include "platform/dialogs.h"

namespace dalvon {

std::string plainLineBreaks(const std::string& text) {
    std::string plain;
    plain.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\n' && c != '\r') {
            plain += c;
            continue;
        }
        plain += '\n';
        char partner = c == '\n' ? '\r' : '\n';
        if (i + 1 < text.size() && text[i + 1] == partner)
            ++i;
    }
    return plain;
}

}  // namespace dalvon
