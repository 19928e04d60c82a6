// Renders the window, as an operator sees it after a standalone start, into a PNG file.
// Usage: form_screenshot OUTPUT.png   (run with QT_QPA_PLATFORM=offscreen on a headless machine)
#include <QApplication>
#include <QPixmap>
#include <QStyleFactory>
#include <cstdio>

#include "form/frm_dalvon_config_exe.h"
#include "form/pending_end.h"
#include "form/qt/form_window.h"
#include "platform/event_loop.h"
#include "platform/fakes/memory_file_system.h"
#include "platform/fakes/scripted_dialogs.h"
#include "platform/profile_store.h"
#include "platform/program_identity.h"
#include "standard/runtime.h"
#include "store/database.h"

namespace dalvon {
namespace {

void makeInstallation(MemoryFileSystem& files) {
    files.makeFolder("D:\\Plant\\Config");
    files.setFile("D:\\Plant\\Dalvon\\Dalvon.cfg", "[Project]\r\nValidMachines=Press1\r\n");
    files.setFile("D:\\Plant\\parameter\\Program.ini",
                  "[Project]\r\nNumberOfMachines=1\r\nDalvonJumpToMaterialChange=true\r\n"
                  "[Machine1]\r\nMachineName=Press1\r\n");
}

int render(const char* output) {
    MemoryFileSystem files;
    makeInstallation(files);
    auto profiles = makeProfileStore(files);
    auto databases = makeDatabaseEngine(files);
    ScriptedDialogs dialogs;
    CountingEventLoop events;
    FixedIdentity identity("D:\\Plant\\Config", "Dalvon_Config");
    Runtime rt(Services{files, *profiles, dialogs, events, identity, *databases});
    frm_Dalvon_Config_Exe form(rt);
    try {
        form.Form_Load();
    } catch (const ProgramEnd& end) {
        std::fprintf(stderr, "form_screenshot: the window ended while loading\n");
        return end.exitStatus;
    }
    PendingEnd pending;
    FormWindow window(form, pending);
    window.show();
    QApplication::processEvents();
    if (!window.grab().save(output)) {
        std::fprintf(stderr, "form_screenshot: cannot write %s\n", output);
        return 1;
    }
    return 0;
}

}  // namespace
}  // namespace dalvon

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: form_screenshot OUTPUT.png\n");
        return 2;
    }
    QApplication app(argc, argv);
    if (QStyle* style = QStyleFactory::create("Fusion"))
        QApplication::setStyle(style);
    return dalvon::render(argv[1]);
}
