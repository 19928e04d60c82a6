// The window as a desktop dialog: fixed size, Enter and Esc, tab order, names for screen
// readers, and message box buttons in the language file's language.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "form/pending_end.h"
#include "form/qt/form_window.h"
#include "form/qt/qt_services.h"
#include "tests/form/form_fixture.h"
#include "tests/form/parked_end.h"

namespace dalvon::testing {
namespace {

class WindowKeys : public FormTest {
protected:
    void open() {
        ASSERT_EQ(run([&] { form().Form_Load(); }), -1);
        window = std::make_unique<FormWindow>(form(), pending);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    QPushButton* button(const char* name) { return window->findChild<QPushButton*>(name); }

    int endStatus() { return parkedExitStatus(pending); }

    PendingEnd pending;
    std::unique_ptr<FormWindow> window;
};

TEST_F(WindowKeys, FixedSizeWithoutMaximiseBox) {
    open();
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowCloseButtonHint);
    QSize size = window->size();
    window->resize(size * 2);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->size(), size);
}

TEST_F(WindowKeys, TabOrderAndAccessibleNames) {
    open();
    EXPECT_EQ(QApplication::focusWidget(), window->findChild<QCheckBox*>("CheckJump"));
    std::vector<QString> order;
    for (int i = 0; i < 4; ++i) {
        order.push_back(QApplication::focusWidget()->objectName());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order,
              (std::vector<QString>{"CheckJump", "CommandOK", "CommandCancel", "CommandQuest"}));
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "CheckJump");
    EXPECT_EQ(button("CommandOK")->accessibleName(), "OK");
    EXPECT_EQ(button("CommandCancel")->accessibleName(), "Abbrechen");
    EXPECT_EQ(button("CommandQuest")->accessibleName(), "Hilfe");
}

TEST_F(WindowKeys, EnglishAccessibleNamesForAnEnglishLanguageFile) {
    inst.writeFile(kLanguageFile, "[Language]\r\nLanguage=1033\r\n[1033]\r\n");
    open();
    EXPECT_EQ(button("CommandCancel")->accessibleName(), "Cancel");
    EXPECT_EQ(button("CommandQuest")->accessibleName(), "Help");
}

TEST_F(WindowKeys, EscapePressesCancelAndEnterPressesOk) {
    open();
    inst.dialogs().queue(DialogAnswer::No);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].title, "Cancel?");
    EXPECT_EQ(endStatus(), -1);

    QTest::keyClick(window.get(), Qt::Key_Return);
    EXPECT_EQ(endStatus(), kExitOk);
    EXPECT_EQ(entry("Info", "S_Prog", kConfigurationFile), "1.0.2 - Standalone");
}

TEST_F(WindowKeys, DisabledButtonsIgnoreTheirKeys) {
    std::string configuration = inst.readFile(kConfigurationFile);
    open();
    // In info mode the keys act like clicks: OK shows its info text and nothing is stored.
    QTest::mouseClick(button("CommandQuest"), Qt::LeftButton);
    window->findChild<QCheckBox*>("CheckJump")->setFocus();
    QTest::keyClick(window.get(), Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].title, "Info:");
    QTest::mouseClick(button("CommandQuest"), Qt::LeftButton);

    button("CommandOK")->setEnabled(false);
    button("CommandCancel")->setEnabled(false);
    QTest::keyClick(window.get(), Qt::Key_Return);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_EQ(shown().size(), 1u);
    EXPECT_EQ(endStatus(), -1);
    EXPECT_EQ(inst.readFile(kConfigurationFile), configuration);
}

// The labels of the buttons of a Yes/No box shown for `languageNumber`.
QStringList yesNoLabels(const std::string& languageNumber) {
    QStringList labels;
    QTimer::singleShot(0, [&labels] {
        auto* dialog = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        labels << dialog->button(QMessageBox::Yes)->text()
               << dialog->button(QMessageBox::No)->text();
        dialog->done(QMessageBox::No);
    });
    makeQtDialogs([&] { return languageNumber; })
        ->show({"Cancel edits?", "Cancel?", DialogButtons::YesNo, DialogIcon::Exclamation,
                DialogAnswer::No});
    return labels;
}

TEST(QtDialogLanguage, StandardButtonsFollowTheLanguageFile) {
    EXPECT_EQ(yesNoLabels("1033"), (QStringList{"&Yes", "&No"}));
    QString translations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!QFile::exists(translations + "/qtbase_de.qm"))
        GTEST_SKIP() << "Qt's German translations are not installed (qt6-translations-l10n)";
    EXPECT_EQ(yesNoLabels("1031"), (QStringList{"&Ja", "&Nein"}));
    // Back to Qt's own English once the language is one without translations.
    EXPECT_EQ(yesNoLabels("9999"), (QStringList{"&Yes", "&No"}));
}

}  // namespace
}  // namespace dalvon::testing
