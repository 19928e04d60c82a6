#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "form/frm_dalvon_config_exe.h"
#include "platform/profile_store.h"
#include "tests/support/test_installation.h"

namespace dalvon::testing {

inline constexpr const char* kMissing = "<missing>";

// The window over the example installation in a temp folder.
class FormTest : public ::testing::Test {
protected:
    FormTest() { inst.makeExample(); }

    // The window, made on first use with `controls`.
    frm_Dalvon_Config_Exe& form(std::vector<Control> controls = standardControls()) {
        if (!m_form)
            m_form = std::make_unique<frm_Dalvon_Config_Exe>(inst.rt(), std::move(controls));
        return *m_form;
    }

    // Runs Form_Load with `commandLine`; the exit status when it ended the program, else -1.
    int load(const std::string& commandLine = {}) {
        inst.setCommandLine(commandLine);
        return inst.runUntilEnd([&] { form().Form_Load(); });
    }

    template <class Body>
    int run(Body&& body) {
        return inst.runUntilEnd(std::forward<Body>(body));
    }

    // A profile entry, or kMissing.
    std::string entry(const std::string& section, const std::string& key, const std::string& file) {
        return inst.rt().profiles.getString(section, key, kMissing, 4096, file);
    }

    void setEntry(const std::string& section, const std::string& key, const std::string& value,
                  const std::string& file) {
        ASSERT_TRUE(inst.rt().profiles.writeString(section, key, value, file));
    }

    const std::vector<MessageBox>& shown() { return inst.dialogs().shown(); }

    TestInstallation inst;

private:
    std::unique_ptr<frm_Dalvon_Config_Exe> m_form;
};

// A view that keeps what the operator would have seen.
class RecordingView : public FormView {
public:
    void controlChanged(const Control& control) override { changes.push_back(control); }
    void windowCaptionChanged(const std::string&) override {}
    void mousePointerChanged(MousePointer pointer) override { pointers.push_back(pointer); }

    std::vector<Control> changes;
    std::vector<MousePointer> pointers;
};

}  // namespace dalvon::testing
