#include "form/terminal/terminal_dialogs.h"

#include <gtest/gtest.h>

namespace dalvon {
namespace {

struct Conversation {
    DialogAnswer answer;
    std::string shown;
};

// Shows `box` on a terminal whose input is `typed`.
Conversation ask(const MessageBox& box, const std::string& typed) {
    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    std::fputs(typed.c_str(), in);
    std::rewind(in);
    Conversation result{makeTerminalDialogs(in, out)->show(box), ""};
    std::rewind(out);
    for (int c = std::fgetc(out); c != EOF; c = std::fgetc(out))
        result.shown += static_cast<char>(c);
    std::fclose(in);
    std::fclose(out);
    return result;
}

MessageBox question(DialogAnswer defaultButton) {
    return MessageBox{"Resume?\n\rNo such table", "Unexpected error", DialogButtons::YesNo,
                      DialogIcon::Critical, defaultButton};
}

TEST(TerminalDialogsTest, ReadsTheAnswer) {
    const DialogAnswer yes = DialogAnswer::Yes, no = DialogAnswer::No;
    const std::tuple<const char*, DialogAnswer, DialogAnswer> rows[] = {
        {"  ja \r\n", no, yes},   {"No\n", yes, no},
        {"nein\n", yes, no},      {"\n", no, no},
        {"", yes, yes},           {"yes", no, yes},
        {"maybe\nno\n", yes, no}, {"a\nb\nc\nno\n", yes, yes}};  // three tries, then the default
    for (const auto& [typed, defaultButton, expected] : rows)
        EXPECT_EQ(ask(question(defaultButton), typed).answer, expected) << '"' << typed << '"';
}

TEST(TerminalDialogsTest, ShowsIconTitleTextAndPromptWithPlainLineBreaks) {
    EXPECT_EQ(ask(question(DialogAnswer::No), "huh\n\n").shown,
              "[critical] Unexpected error\nResume?\nNo such table\n"
              "(yes/no, default no): (yes/no, default no): ");
    EXPECT_EQ(ask(question(DialogAnswer::Yes), "y\n").shown.substr(50), "(yes/no, default yes): ");
    MessageBox notice{"File missing", "Dalvon_Config", DialogButtons::Ok, DialogIcon::None,
                      DialogAnswer::Ok};
    Conversation shown = ask(notice, "");
    EXPECT_EQ(shown.answer, DialogAnswer::Ok);
    EXPECT_EQ(shown.shown, "Dalvon_Config\nFile missing\n(press Enter)\n");

    const std::pair<const char*, const char*> rows[] = {{"a\r\nb", "a\nb"},
                                                        {"a\rb", "a\nb"},
                                                        {"a\n\r\n\rb", "a\n\nb"},
                                                        {"a\r\rb", "a\n\nb"},
                                                        {"\n\rtrailing\n\r", "\ntrailing\n"}};
    for (const auto& [text, plain] : rows)
        EXPECT_EQ(plainLineBreaks(text), plain) << text;
}

}  // namespace
}  // namespace dalvon
