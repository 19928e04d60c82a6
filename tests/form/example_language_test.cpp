// The language file the example installation ships: every key of both languages is there, so
// the window shows tool tips and info texts out of the box and the file is not completed.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/form/form_fixture.h"

namespace dalvon::testing {
namespace {

using ExampleLanguageFile = FormTest;

TEST_F(ExampleLanguageFile, EveryControlHasItsTextsInBothLanguages) {
    std::ifstream in(sourceDir() / "example" / "Config" / "Dalvon_Config.ini", std::ios::binary);
    if (!in)
        GTEST_SKIP() << "no example installation";
    std::stringstream shipped;
    shipped << in.rdbuf();
    // German text in the file is in the profile files' 8-bit code page.
    EXPECT_NE(shipped.str().find("\xC4nderungen"), std::string::npos);
    const std::tuple<const char*, const char*, const char*> rows[] = {
        {"1031", "Sprung zu MaterialChange", "OK baut die Tabelle PRESET_DEFS"},
        {"1033", "Jump to MaterialChange", "OK rebuilds the table PRESET_DEFS"},
    };
    for (const auto& [language, checkBox, okInfoStart] : rows) {
        inst.writeFile(kLanguageFile, shipped.str());
        setEntry("Language", "Language", language, kLanguageFile);
        std::string before = inst.readFile(kLanguageFile);
        frm_Dalvon_Config_Exe window(inst.rt());
        ASSERT_EQ(run([&] { window.Form_Load(); }), -1);
        EXPECT_EQ(inst.readFile(kLanguageFile), before) << language;  // nothing was missing
        for (const Control& control : window.controls()) {
            EXPECT_FALSE(control.toolTip.empty() || control.toolTip == "0")
                << language << " " << control.name;
        }
        EXPECT_EQ(window.control("CheckJump").caption, checkBox);
        const auto& info = inst.rt().form.InfoTexts;
        EXPECT_EQ(info[0].rfind(okInfoStart, 0), 0u) << info[0];
        for (size_t slot : {1, 11})
            EXPECT_FALSE(info[slot].empty() || info[slot] == "0") << language << " " << slot;
    }
}

}  // namespace
}  // namespace dalvon::testing
