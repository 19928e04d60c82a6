#include "platform/dialogs.h"

#include <gtest/gtest.h>

namespace dalvon {
namespace {

// A temp file holding `text`, read from its start.
std::FILE* inputOf(const std::string& text) {
    std::FILE* file = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), file);
    std::rewind(file);
    return file;
}

std::string contentOf(std::FILE* file) {
    std::rewind(file);
    std::string text;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file))
        text += static_cast<char>(c);
    return text;
}

struct Conversation {
    DialogAnswer answer;
    std::string shown;
};

Conversation ask(const MessageBox& box, const std::string& typed) {
    std::FILE* in = inputOf(typed);
    std::FILE* out = std::tmpfile();
    DialogAnswer answer = makeTerminalDialogs(in, out)->show(box);
    Conversation result{answer, contentOf(out)};
    std::fclose(in);
    std::fclose(out);
    return result;
}

MessageBox question(DialogAnswer defaultButton) {
    return MessageBox{"Resume?", "Unexpected error", DialogButtons::YesNo, DialogIcon::Critical,
                      defaultButton};
}

TEST(TerminalDialogsTest, ReadsTheAnswer) {
    struct Row {
        const char* typed;
        DialogAnswer defaultButton;
        DialogAnswer expected;
    };
    const Row rows[] = {
        {"y\n", DialogAnswer::No, DialogAnswer::Yes},
        {"YES\n", DialogAnswer::No, DialogAnswer::Yes},
        {"  ja \r\n", DialogAnswer::No, DialogAnswer::Yes},
        {"J\n", DialogAnswer::No, DialogAnswer::Yes},
        {"n\n", DialogAnswer::Yes, DialogAnswer::No},
        {"No\n", DialogAnswer::Yes, DialogAnswer::No},
        {"nein\n", DialogAnswer::Yes, DialogAnswer::No},
        {"\n", DialogAnswer::Yes, DialogAnswer::Yes},
        {"\n", DialogAnswer::No, DialogAnswer::No},
        {"", DialogAnswer::Yes, DialogAnswer::Yes},
        {"", DialogAnswer::No, DialogAnswer::No},
        {"yes", DialogAnswer::No, DialogAnswer::Yes},
        {"maybe\nno\n", DialogAnswer::Yes, DialogAnswer::No},
        {"a\nb\nc\nno\n", DialogAnswer::Yes, DialogAnswer::Yes},
        {"what\n", DialogAnswer::No, DialogAnswer::No},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ask(question(row.defaultButton), row.typed).answer, row.expected)
            << '"' << row.typed << '"';
    }
}

TEST(TerminalDialogsTest, ShowsIconTitleTextAndPrompt) {
    MessageBox box{"Unexpected error!\n\rNo such table\n\rError logged to \n\rD:\\ZEBCFGLOG.TXT",
                   "Unexpected error", DialogButtons::YesNo, DialogIcon::Critical,
                   DialogAnswer::Yes};
    EXPECT_EQ(ask(box, "y\n").shown,
              "[critical] Unexpected error\nUnexpected error!\nNo such table\nError logged to "
              "\nD:\\ZEBCFGLOG.TXT\n(yes/no, default yes): ");

    EXPECT_EQ(ask(question(DialogAnswer::No), "huh\n\n").shown,
              "[critical] Unexpected error\nResume?\n(yes/no, default no): (yes/no, default no): ");

    MessageBox notice{"File missing", "Dalvon_Config", DialogButtons::Ok, DialogIcon::None,
                      DialogAnswer::Ok};
    Conversation shown = ask(notice, "");
    EXPECT_EQ(shown.answer, DialogAnswer::Ok);
    EXPECT_EQ(shown.shown, "Dalvon_Config\nFile missing\n(press Enter)\n");
}

TEST(TerminalDialogsTest, NamesIconsAndPlainsLineBreaks) {
    EXPECT_EQ(iconWord(DialogIcon::Critical), "critical");
    EXPECT_EQ(iconWord(DialogIcon::Exclamation), "exclamation");
    EXPECT_EQ(iconWord(DialogIcon::Information), "information");
    EXPECT_EQ(iconWord(DialogIcon::None), "");

    struct Row {
        const char* text;
        const char* plain;
    };
    const Row rows[] = {
        {"a\n\rb", "a\nb"},       {"a\r\nb", "a\nb"},
        {"a\nb", "a\nb"},         {"a\rb", "a\nb"},
        {"a\n\r\n\rb", "a\n\nb"}, {"a\n\nb", "a\n\nb"},
        {"a\r\rb", "a\n\nb"},     {"\n\rtrailing\n\r", "\ntrailing\n"},
        {"plain", "plain"},       {"", ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(plainLineBreaks(row.text), row.plain) << row.text;
}

}  // namespace
}  // namespace dalvon
