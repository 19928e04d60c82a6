#include "platform/profile_store.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

#include "platform/fault.h"
#include "platform/file_system.h"
#include "platform/text.h"

namespace dalvon {
namespace {

constexpr const char* kLineEnd = "\r\n";

// One physical line of the file as byte offsets, so that a write can keep every other byte.
struct Line {
    size_t begin = 0;
    size_t contentEnd = 0;  // where the line end starts
    size_t end = 0;         // after the line end
    std::string text;       // the content, decoded to UTF-8
};

// Splits at CR LF, lone LF and lone CR alike.
std::vector<Line> splitLines(const std::string& bytes) {
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < bytes.size()) {
        Line line;
        line.begin = pos;
        size_t stop = bytes.find_first_of("\r\n", pos);
        line.contentEnd = stop == std::string::npos ? bytes.size() : stop;
        line.end = line.contentEnd;
        if (line.end < bytes.size()) {
            bool crLf = bytes[line.end] == '\r' && line.end + 1 < bytes.size() &&
                        bytes[line.end + 1] == '\n';
            line.end += crLf ? 2 : 1;
        }
        line.text = cp1252ToUtf8(std::string_view(bytes).substr(pos, line.contentEnd - pos));
        pos = line.end;
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string trimmed(std::string_view text) {
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos)
        return {};
    size_t end = text.find_last_not_of(" \t");
    return std::string(text.substr(begin, end - begin + 1));
}

// The name of a section header line ("[ Project ]" -> "Project"); nothing for other lines.
std::optional<std::string> sectionName(const std::string& text) {
    std::string line = trimmed(text);
    if (line.empty() || line[0] != '[')
        return std::nullopt;
    size_t close = line.find(']');
    return trimmed(
        std::string_view(line).substr(1, close == std::string::npos ? close : close - 1));
}

// The key of an entry line ("  Name = x" -> "Name"); nothing for comments and other lines.
std::optional<std::string> entryKey(const std::string& text) {
    std::string line = trimmed(text);
    size_t equals = line.find('=');
    if (line.empty() || line[0] == ';' || line[0] == '[' || equals == std::string::npos) {
        return std::nullopt;
    }
    return trimmed(std::string_view(line).substr(0, equals));
}

// Where a section and a key are: the first matching section only, the first matching key in it.
struct Location {
    std::optional<size_t> section;  // index of the header line
    size_t sectionEnd = 0;          // index of the first line after the section
    std::optional<size_t> entry;    // index of the entry line
};

Location locate(const std::vector<Line>& lines, const std::string& section,
                const std::string& key) {
    Location where;
    std::string wantedSection = trimmed(section);
    std::string wantedKey = trimmed(key);
    for (size_t i = 0; i < lines.size(); ++i) {
        std::optional<std::string> name = sectionName(lines[i].text);
        if (where.section) {
            if (name)
                break;
            std::optional<std::string> found = entryKey(lines[i].text);
            if (!where.entry && found && equalsIgnoreCase(*found, wantedKey))
                where.entry = i;
            where.sectionEnd = i + 1;
        } else if (name && equalsIgnoreCase(*name, wantedSection)) {
            where.section = i;
            where.sectionEnd = i + 1;
        }
    }
    return where;
}

// The value of an entry line: after the first '=', trimmed, without one pair of quotes.
std::string entryValue(const std::string& text) {
    std::string value = trimmed(std::string_view(text).substr(text.find('=') + 1));
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

std::string withoutTrailingBlanks(const std::string& text) {
    size_t end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

// Leading blanks, an optional sign and the decimal digits that follow; 0 without digits.
int64_t leadingInteger(const std::string& text) {
    std::string digits = trimmed(text);
    bool negative = !digits.empty() && digits[0] == '-';
    size_t pos = !digits.empty() && (digits[0] == '-' || digits[0] == '+') ? 1 : 0;
    uint64_t magnitude = 0;
    const uint64_t limit = static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) + 1;
    for (; pos < digits.size() && digits[pos] >= '0' && digits[pos] <= '9'; ++pos) {
        uint64_t digit = static_cast<uint64_t>(digits[pos] - '0');
        magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
    }
    if (negative)
        return magnitude == limit ? std::numeric_limits<int64_t>::min()
                                  : -static_cast<int64_t>(magnitude);
    return static_cast<int64_t>(std::min(magnitude, limit - 1));
}

class IniProfileStore : public ProfileStore {
public:
    explicit IniProfileStore(FileSystem& files) : m_files(files) {}

    std::string getString(const std::string& section, const std::string& key,
                          const std::string& defaultValue, size_t bufferSize,
                          const std::string& file) override {
        std::optional<std::string> value = lookup(section, key, file);
        size_t room = bufferSize == 0 ? 0 : bufferSize - 1;
        return firstCharacters(value ? *value : withoutTrailingBlanks(defaultValue), room);
    }

    int64_t getInt(const std::string& section, const std::string& key, int64_t defaultValue,
                   const std::string& file) override {
        std::optional<std::string> value = lookup(section, key, file);
        return value ? leadingInteger(*value) : defaultValue;
    }

    bool writeString(const std::string& section, const std::string& key, const std::string& value,
                     const std::string& file) override {
        try {
            std::string bytes = m_files.readFile(file).value_or("");
            m_files.writeFileAtomic(file, withEntry(bytes, section, key, value));
            return true;
        } catch (const Fault&) {
            return false;
        }
    }

private:
    // The entry's value, or nothing when the file (or one that cannot be read), the section or
    // the key is missing.
    std::optional<std::string> lookup(const std::string& section, const std::string& key,
                                      const std::string& file) {
        std::optional<std::string> bytes;
        try {
            bytes = m_files.readFile(file);
        } catch (const Fault&) {
            return std::nullopt;
        }
        if (!bytes)
            return std::nullopt;
        std::vector<Line> lines = splitLines(*bytes);
        Location where = locate(lines, section, key);
        if (!where.entry)
            return std::nullopt;
        return entryValue(lines[*where.entry].text);
    }

    static std::string withEntry(const std::string& bytes, const std::string& section,
                                 const std::string& key, const std::string& value) {
        std::vector<Line> lines = splitLines(bytes);
        Location where = locate(lines, section, key);
        if (where.entry)
            return withValueReplaced(bytes, lines[*where.entry], value);
        std::string entry = utf8ToCp1252(key + "=" + value) + kLineEnd;
        if (where.section)
            return withEntryInSection(bytes, lines, where, entry);
        std::string result = bytes;
        if (!lines.empty()) {
            if (lines.back().end == lines.back().contentEnd)
                result += kLineEnd;
            // A blank line between the last section and the new one, unless there is one.
            if (!trimmed(lines.back().text).empty())
                result += kLineEnd;
        }
        return result + utf8ToCp1252("[" + section + "]") + kLineEnd + entry;
    }

    // Keeps the line up to the '=' and the blanks after it, and its line end.
    static std::string withValueReplaced(const std::string& bytes, const Line& line,
                                         const std::string& value) {
        size_t start = bytes.find('=', line.begin) + 1;
        while (start < line.contentEnd && (bytes[start] == ' ' || bytes[start] == '\t'))
            ++start;
        return bytes.substr(0, start) + utf8ToCp1252(value) + bytes.substr(line.contentEnd);
    }

    // Adds the entry after the last line of the section that is not blank.
    static std::string withEntryInSection(const std::string& bytes, const std::vector<Line>& lines,
                                          const Location& where, const std::string& entry) {
        size_t last = *where.section;
        for (size_t i = *where.section + 1; i < where.sectionEnd; ++i) {
            if (!trimmed(lines[i].text).empty())
                last = i;
        }
        const Line& line = lines[last];
        std::string separator = line.end == line.contentEnd ? kLineEnd : "";
        return bytes.substr(0, line.end) + separator + entry + bytes.substr(line.end);
    }

    FileSystem& m_files;
};

}  // namespace

std::unique_ptr<ProfileStore> makeProfileStore(FileSystem& files) {
    return std::make_unique<IniProfileStore>(files);
}

}  // namespace dalvon
