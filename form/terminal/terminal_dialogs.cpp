#include "form/terminal/terminal_dialogs.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace dalvon {
namespace {

// How often an answer that is neither yes nor no is asked again before the default counts.
constexpr int kAttempts = 3;

std::string lowerTrimmed(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return {};
    size_t end = text.find_last_not_of(" \t");
    std::string word = text.substr(begin, end - begin + 1);
    std::transform(word.begin(), word.end(), word.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return word;
}

std::optional<DialogAnswer> yesOrNo(const std::string& word) {
    if (word == "y" || word == "yes" || word == "j" || word == "ja")
        return DialogAnswer::Yes;
    if (word == "n" || word == "no" || word == "nein")
        return DialogAnswer::No;
    return std::nullopt;
}

class TerminalDialogs : public Dialogs {
public:
    TerminalDialogs(std::FILE* in, std::FILE* out) : m_in(in), m_out(out) {}

    DialogAnswer show(const MessageBox& box) override {
        std::string icon = iconWord(box.icon);
        std::string heading = icon.empty() ? box.title : "[" + icon + "] " + box.title;
        std::fprintf(m_out, "%s\n%s\n", heading.c_str(), plainLineBreaks(box.text).c_str());
        if (box.buttons == DialogButtons::Ok) {
            std::fputs("(press Enter)", m_out);
            std::fflush(m_out);
            readTerminalLine(m_in);
            std::fputc('\n', m_out);
            return DialogAnswer::Ok;
        }
        return askYesNo(box.defaultButton == DialogAnswer::Yes ? DialogAnswer::Yes
                                                               : DialogAnswer::No);
    }

private:
    DialogAnswer askYesNo(DialogAnswer defaultAnswer) {
        const char* prompt = defaultAnswer == DialogAnswer::Yes ? "(yes/no, default yes): "
                                                                : "(yes/no, default no): ";
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            std::fputs(prompt, m_out);
            std::fflush(m_out);
            std::optional<std::string> line = readTerminalLine(m_in);
            if (!line)
                break;
            std::string word = lowerTrimmed(*line);
            if (word.empty())
                return defaultAnswer;
            if (std::optional<DialogAnswer> answer = yesOrNo(word))
                return *answer;
        }
        std::fputc('\n', m_out);
        return defaultAnswer;
    }

    std::FILE* m_in;
    std::FILE* m_out;
};

}  // namespace

std::string iconWord(DialogIcon icon) {
    switch (icon) {
        case DialogIcon::Critical:
            return "critical";
        case DialogIcon::Exclamation:
            return "exclamation";
        case DialogIcon::Information:
            return "information";
        case DialogIcon::None:
            break;
    }
    return "";
}

std::optional<std::string> readTerminalLine(std::FILE* in) {
    std::string line;
    int c = 0;
    while ((c = std::fgetc(in)) != EOF && c != '\n')
        line += static_cast<char>(c);
    if (c == EOF && line.empty())
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

std::unique_ptr<Dialogs> makeTerminalDialogs(std::FILE* in, std::FILE* out) {
    return std::make_unique<TerminalDialogs>(in, out);
}

}  // namespace dalvon
