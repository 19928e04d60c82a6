// The window on a terminal, driven through its input like a script would.
#include "form/terminal/terminal_front_end.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/form/form_fixture.h"

namespace dalvon::testing {
namespace {

class TerminalWindow : public FormTest {
protected:
    // Runs the window with `input`; keeps what it printed in `output`.
    int session(const std::string& input) {
        std::FILE* in = std::tmpfile();
        std::FILE* out = std::tmpfile();
        std::fputs(input.c_str(), in);
        std::rewind(in);
        std::unique_ptr<FrontEnd> frontEnd = makeTerminalFrontEnd(in, out);
        Runtime& base = inst.rt();
        Runtime rt(Services{base.files, base.profiles, frontEnd->dialogs(), frontEnd->events(),
                            base.identity, base.databases});
        frm_Dalvon_Config_Exe window(rt);
        int status = run([&] { frontEnd->run(window); });
        std::rewind(out);
        output.clear();
        for (int c = std::fgetc(out); c != EOF; c = std::fgetc(out))
            output += static_cast<char>(c);
        std::fclose(in);
        std::fclose(out);
        return status;
    }

    bool printed(const std::string& text) const { return output.find(text) != std::string::npos; }

    std::string output;
};

TEST_F(TerminalWindow, HelpInfoModeAndCloseAnsweredYes) {
    EXPECT_EQ(session("help\ninfo\nframe\n\nok\n\nbogus\ninfo\n?\nclose\nyes\n"), kExitCancelled);
    for (const char* line : {"  ok      press OK", "  cancel  press Cancel", "  close   close",
                             "  toggle  click the check box", "  info    press the help button",
                             "  frame   click the recipe frame", "  help    show these commands"}) {
        size_t count = 0;  // once for "help", once for "?"
        for (size_t at = output.find(line); at != std::string::npos; at = output.find(line, at + 1))
            ++count;
        EXPECT_EQ(count, 2u) << line << "\n" << output;
    }
    EXPECT_TRUE(printed("Info mode on\n"));
    EXPECT_TRUE(printed("[information] Info:\n"));
    EXPECT_TRUE(printed("Info mode off\n"));
    EXPECT_TRUE(printed("Unknown command \"bogus\""));
    EXPECT_FALSE(printed("Working ..."));
    EXPECT_EQ(entry("Info", "S_Prog", kConfigurationFile), "");
}

TEST_F(TerminalWindow, SaysWhenTheUpdateEndedEarly) {
    // A source database that is no database: the fault is reported and No ends the program.
    inst.writeFile(kSourceDatabase, std::string(4096, 'x'));
    EXPECT_EQ(session("ok\nno\n"), kExitError);
    EXPECT_TRUE(printed("The update ended early (exit status 1).\n")) << output;
    EXPECT_FALSE(printed("The update finished"));
}

}  // namespace
}  // namespace dalvon::testing
