// What the terminal window tells its user around the update: the commands, and how the
// update ended.
#include <gtest/gtest.h>

#include <cstdio>

#include "form/terminal/terminal_front_end.h"
#include "tests/form/form_fixture.h"

namespace dalvon::testing {
namespace {

class TerminalOutcome : public FormTest {
protected:
    // Runs the window with `input`; returns what it printed.
    std::string session(const std::string& input, int expectedStatus) {
        std::FILE* in = std::tmpfile();
        std::FILE* out = std::tmpfile();
        std::fputs(input.c_str(), in);
        std::rewind(in);
        std::unique_ptr<FrontEnd> frontEnd = makeTerminalFrontEnd(in, out);
        Runtime& base = inst.rt();
        Runtime rt(Services{base.files, base.profiles, frontEnd->dialogs(), frontEnd->events(),
                            base.identity, base.databases});
        frm_Dalvon_Config_Exe window(rt);
        EXPECT_EQ(run([&] { frontEnd->run(window); }), expectedStatus);
        std::rewind(out);
        std::string output;
        for (int c = std::fgetc(out); c != EOF; c = std::fgetc(out))
            output += static_cast<char>(c);
        std::fclose(in);
        std::fclose(out);
        return output;
    }
};

TEST_F(TerminalOutcome, HelpDescribesEveryCommand) {
    std::string output = session("help\ncancel\nyes\n", kExitCancelled);
    for (const char* line : {"  ok      press OK", "  cancel  press Cancel", "  close   close",
                             "  toggle  click the check box", "  info    press the help button",
                             "  frame   click the recipe frame", "  help    show these commands"}) {
        EXPECT_NE(output.find(line), std::string::npos) << line << "\n" << output;
        EXPECT_EQ(output.find(line), output.rfind(line)) << line;
    }
    EXPECT_EQ(output.find("Working ..."), std::string::npos);
    EXPECT_NE(session("?\ncancel\nyes\n", kExitCancelled).find("  help    show these commands"),
              std::string::npos);
}

TEST_F(TerminalOutcome, AfterWorkingSaysHowTheUpdateEnded) {
    std::string finished = session("ok\n", kExitOk);
    auto rows = inst.query(kComponentDatabase, "SELECT count(*) FROM PRESET_DEFS");
    EXPECT_NE(finished.find("Working ...\nThe update finished: " + rows.at(0).at(0) +
                            " rows of PRESET_DEFS written, "),
              std::string::npos)
        << finished;

    // A source database that is no database: the fault is reported and No ends the program.
    inst.writeFile(kSourceDatabase, std::string(4096, 'x'));
    std::string early = session("ok\nno\n", kExitError);
    EXPECT_NE(early.find("The update ended early (exit status 1).\n"), std::string::npos) << early;
    EXPECT_EQ(early.find("The update finished"), std::string::npos);
}

}  // namespace
}  // namespace dalvon::testing
