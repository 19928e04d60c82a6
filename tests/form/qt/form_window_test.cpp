// The Qt window over the model: layout, texts, colours, and the operator's clicks.
#include "form/qt/form_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "form/pending_end.h"
#include "tests/form/form_fixture.h"
#include "tests/form/parked_end.h"

namespace dalvon::testing {
namespace {

// Pumps Qt like the real loop (without throttling) and notes whether OK or Cancel could be
// used at any yield; activates the window at each yield, as a window manager may.
class WatchingLoop : public EventLoop {
public:
    explicit WatchingLoop(PendingEnd& pending) : m_pending(pending) {}

    void yield() override {
        QCoreApplication::processEvents();
        if (window != nullptr) {
            QEvent activate(QEvent::WindowActivate);
            QCoreApplication::sendEvent(window, &activate);
            ++yields;
            for (const char* name : {"CommandOK", "CommandCancel"})
                usable = usable || window->findChild<QWidget*>(name)->isEnabled();
            busy = busy || window->cursor().shape() == Qt::WaitCursor;
        }
        m_pending.rethrowIfSet();
    }

    QWidget* window = nullptr;
    int yields = 0;
    bool usable = false;
    bool busy = false;

private:
    PendingEnd& m_pending;
};

class QtWindow : public FormTest {
protected:
    void open(const std::string& commandLine = {}) {
        Runtime& base = inst.rt();
        m_runtime = std::make_unique<Runtime>(
            Services{base.files, base.profiles, base.dialogs, loop, base.identity, base.databases});
        m_model = std::make_unique<frm_Dalvon_Config_Exe>(*m_runtime);
        inst.setCommandLine(commandLine);
        ASSERT_EQ(run([&] { m_model->Form_Load(); }), -1);
        window = std::make_unique<FormWindow>(*m_model, pending);
        window->show();
        QCoreApplication::processEvents();
    }

    template <class Widget = QWidget>
    Widget* widget(const char* name) {
        auto* found = window->findChild<Widget*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    void click(const char* name) { QTest::mouseClick(widget(name), Qt::LeftButton); }

    QColor buttonColour(const char* name) {
        return widget(name)->palette().color(QPalette::Button);
    }

    int endStatus() { return parkedExitStatus(pending); }

    PendingEnd pending;
    WatchingLoop loop{pending};

private:
    std::unique_ptr<Runtime> m_runtime;
    std::unique_ptr<frm_Dalvon_Config_Exe> m_model;

protected:
    std::unique_ptr<FormWindow> window;
};

TEST_F(QtWindow, ControlsSitAtTheirDesignPlaces) {
    open();
    EXPECT_EQ(window->windowTitle(), "Erweiterte Konfiguration Config - standalone");
    for (const Control& control : standardControls()) {
        QWidget* w = widget(control.name.c_str());
        ASSERT_NE(w, nullptr);
        const Twips& at = control.geometry;
        EXPECT_EQ(w->geometry(), QRect(window->pixels(at.left), window->pixels(at.top),
                                       window->pixels(at.width), window->pixels(at.height)))
            << control.name;
        QString container =
            control.container.empty() ? "frm_Dalvon_Config_Exe" : control.container.c_str();
        EXPECT_EQ(w->parentWidget()->objectName(), container) << control.name;
        // The model's colour, font and picture size, whatever they are.
        EXPECT_EQ(w->palette().color(QPalette::Window), QColor(QRgb(control.backColor)))
            << control.name;
        if (!control.font.family.empty()) {
            EXPECT_EQ(w->font().pointSizeF(), control.font.points) << control.name;
            EXPECT_EQ(w->font().bold(), control.font.bold) << control.name;
        }
        if (control.picture != Picture::None) {
            EXPECT_EQ(qobject_cast<QPushButton*>(w)->iconSize(),
                      QSize(control.pictureWidth, control.pictureHeight))
                << control.name;
        }
    }
    EXPECT_EQ(window->pixels(1500), qRound(100 * window->logicalDpiX() / 96.0));
    EXPECT_EQ(widget<QCheckBox>("CheckJump")->text(), "Sprung zu MaterialChange");
    EXPECT_EQ(widget<QLabel>("Header")->text(), "Dalvon - Konfiguration Voreinstellungen");
    EXPECT_TRUE(widget<QPushButton>("CommandOK")->text().isEmpty());

    QRect before = widget("CheckJump")->geometry();
    window->resize(300, 200);
    QCoreApplication::processEvents();
    EXPECT_EQ(widget("CheckJump")->geometry(), before);
}

TEST_F(QtWindow, ToolTipsFromTheLanguageFile) {
    inst.writeFile(kLanguageFile,
                   "[Language]\r\nLanguage=1031\r\n[1031]\r\nTTT_CommandOK_=Store and update\r\n"
                   "TTT_FrameRezept_=Recipe options\r\nCaption_Header_=Voreinstellungen\r\n");
    open();
    EXPECT_EQ(widget("CommandOK")->toolTip(), "Store and update");
    EXPECT_EQ(widget("FrameRezept")->toolTip(), "Recipe options");
    EXPECT_EQ(widget("CommandCancel")->toolTip(), "");
    EXPECT_EQ(widget<QLabel>("Header")->text(), "Voreinstellungen");
}

TEST_F(QtWindow, HelpButtonTurnsGreenInInfoModeAndBack) {
    open();
    const QColor normal = buttonColour("CommandQuest");
    click("CommandQuest");
    EXPECT_EQ(buttonColour("CommandQuest"), QColor(QRgb(kGreen)));
    QImage shot = widget("CommandQuest")->grab().toImage();
    QColor corner = shot.pixelColor(6, shot.height() / 2);
    EXPECT_GT(corner.green(), corner.red() + 60);
    click("CommandQuest");
    EXPECT_EQ(buttonColour("CommandQuest"), normal);
}

TEST_F(QtWindow, InfoModeClicksShowTextsAndKeepTheCheckBox) {
    inst.writeFile(kLanguageFile,
                   "[Language]\r\nLanguage=1031\r\n[1031]\r\nHelp1=Updates<crlf>everything\r\n"
                   "Help12=Jumps\r\n");
    open();
    click("CommandQuest");
    click("CommandOK");
    click("CheckJump");
    QTest::mouseClick(widget("FrameRezept"), Qt::LeftButton, {}, QPoint(200, 100));
    ASSERT_EQ(shown().size(), 3u);
    EXPECT_EQ(shown()[0].text, "Updates\r\neverything");
    EXPECT_EQ(shown()[1].text, "Jumps");
    EXPECT_EQ(shown()[2].text, "");
    EXPECT_FALSE(widget<QCheckBox>("CheckJump")->isChecked());
    EXPECT_TRUE(widget("CommandOK")->isEnabled());
    EXPECT_FALSE(pending.isSet());
}

TEST_F(QtWindow, OkDisablesBothButtonsUntilTheEndAndStoresTheOption) {
    open();
    loop.window = window.get();
    click("CheckJump");
    EXPECT_TRUE(widget<QCheckBox>("CheckJump")->isChecked());
    click("CommandOK");
    EXPECT_EQ(endStatus(), kExitOk);
    EXPECT_GT(loop.yields, 1);
    EXPECT_FALSE(loop.usable);
    EXPECT_TRUE(loop.busy);
    EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
    EXPECT_FALSE(widget("CommandOK")->isEnabled());
    EXPECT_FALSE(widget("CommandCancel")->isEnabled());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(entry("Project", "DalvonJumpToMaterialChange", kProgramIni), "true");
    EXPECT_EQ(entry("Info", "S_Prog", kConfigurationFile), "1.0.2 - Standalone");
    EXPECT_TRUE(shown().empty());
}

TEST_F(QtWindow, CloseBoxAsksAndStaysOpenOnNo) {
    open();
    inst.dialogs().queue(DialogAnswer::No);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(pending.isSet());
    inst.dialogs().queue(DialogAnswer::Yes);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(endStatus(), kExitCancelled);
    ASSERT_EQ(shown().size(), 2u);
    EXPECT_EQ(shown()[1].title, "Cancel?");
    EXPECT_EQ(inst.readFile(TestInstallation::kErrorLog),
              "Konfigurations-EXE wurde abgebrochen:     Dalvon\r\n");
}

TEST_F(QtWindow, CancelAnsweredYesEndsAndNoFurtherClickActs) {
    open();
    inst.dialogs().queue(DialogAnswer::Yes);
    click("CommandCancel");
    EXPECT_EQ(endStatus(), kExitCancelled);
    QTest::mouseClick(widget("CommandOK"), Qt::LeftButton);
    EXPECT_EQ(entry("Info", "S_Prog", kConfigurationFile), "");
}

}  // namespace
}  // namespace dalvon::testing
