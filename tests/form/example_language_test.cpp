// The language file the example installation ships: every key of both languages is there, so
// the window shows tool tips and info texts out of the box and the file is not completed.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/form/form_fixture.h"

namespace dalvon::testing {
namespace {

class ExampleLanguageFile : public FormTest {
protected:
    // Installs the example's language file set to `language`; false without the repository.
    bool install(const std::string& language) {
        std::ifstream in(sourceDir() / "example" / "Config" / "Dalvon_Config.ini",
                         std::ios::binary);
        if (!in)
            return false;
        std::stringstream text;
        text << in.rdbuf();
        shipped = text.str();
        inst.writeFile(kLanguageFile, shipped);
        setEntry("Language", "Language", language, kLanguageFile);
        return true;
    }

    std::string shipped;
};

TEST_F(ExampleLanguageFile, EveryControlHasItsTextsInBothLanguages) {
    struct Row {
        const char* language;
        const char* checkBox;
        const char* okInfoStart;
    } rows[] = {
        {"1031", "Sprung zu MaterialChange", "OK baut die Tabelle PRESET_DEFS"},
        {"1033", "Jump to MaterialChange", "OK rebuilds the table PRESET_DEFS"},
    };
    for (const Row& row : rows) {
        if (!install(row.language))
            GTEST_SKIP() << "no example installation";
        std::string before = inst.readFile(kLanguageFile);
        frm_Dalvon_Config_Exe window(inst.rt());
        ASSERT_EQ(run([&] { window.Form_Load(); }), -1);
        // Nothing was missing, so nothing was added.
        EXPECT_EQ(inst.readFile(kLanguageFile), before) << row.language;
        for (const Control& control : window.controls()) {
            EXPECT_FALSE(control.toolTip.empty() || control.toolTip == "0")
                << row.language << " " << control.name;
        }
        EXPECT_EQ(window.control("CheckJump").caption, row.checkBox);
        const auto& info = inst.rt().form.InfoTexts;
        EXPECT_EQ(info[0].rfind(row.okInfoStart, 0), 0u) << info[0];
        for (int helpId : {1, 2, 12}) {
            const std::string& text = info[static_cast<size_t>(helpId - 1)];
            EXPECT_FALSE(text.empty() || text == "0") << row.language << " Help" << helpId;
        }
    }
    // German text in the file is in the profile files' 8-bit code page.
    EXPECT_NE(shipped.find("\xC4nderungen"), std::string::npos);
}

}  // namespace
}  // namespace dalvon::testing
