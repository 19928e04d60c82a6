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

TEST_F(TerminalWindow, ShowsCaptionAndOptionAndRunsOk) {
    EXPECT_EQ(session("toggle\nok\n"), kExitOk);
    EXPECT_TRUE(printed("Erweiterte Konfiguration Config - standalone\n"));
    EXPECT_TRUE(printed("[ ] Sprung zu MaterialChange\n"));
    EXPECT_TRUE(printed("[x] Sprung zu MaterialChange\n"));
    EXPECT_EQ(entry("Project", "DalvonJumpToMaterialChange", kProgramIni), "true");
    EXPECT_EQ(entry("Info", "S_Prog", kConfigurationFile), "1.0.2 - Standalone");
}

TEST_F(TerminalWindow, EndOfInputIsAConfirmedCancelAndTheQuestionTakesItsDefault) {
    std::string programIni = inst.readFile(kProgramIni);
    EXPECT_EQ(session(""), kExitCancelled);
    EXPECT_EQ(session("cancel\n"), kExitCancelled);
    EXPECT_TRUE(printed("[exclamation] Cancel?\nCancel edits?\nRemark:\n"));
    EXPECT_TRUE(printed("(yes/no, default no)"));
    // One line for each end of input, none for the answer.
    EXPECT_EQ(inst.readFile(TestInstallation::kErrorLog),
              "Konfigurations-EXE wurde abgebrochen:     Dalvon\r\n"
              "Konfigurations-EXE wurde abgebrochen:     Dalvon\r\n");
    EXPECT_EQ(inst.readFile(kProgramIni), programIni);
}

TEST_F(TerminalWindow, CloseAnsweredYesEndsAndInfoModeShowsTexts) {
    EXPECT_EQ(session("info\nframe\n\nok\n\nbogus\ninfo\nclose\nyes\n"), kExitCancelled);
    EXPECT_TRUE(printed("Info mode on\n"));
    EXPECT_TRUE(printed("[information] Info:\n"));
    EXPECT_TRUE(printed("Info mode off\n"));
    EXPECT_TRUE(printed("Unknown command \"bogus\""));
    EXPECT_EQ(entry("Info", "S_Prog", kConfigurationFile), "");
}

}  // namespace
}  // namespace dalvon::testing
