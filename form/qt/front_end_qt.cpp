#include <QApplication>
#include <QDir>
#include <QStyleFactory>
#include <cstdio>
#include <cstdlib>

#include "form/frm_dalvon_config_exe.h"
#include "form/pending_end.h"
#include "form/qt/app_icon.h"
#include "form/qt/form_window.h"
#include "form/qt/qt_front_end.h"
#include "form/qt/qt_services.h"

namespace dalvon {
namespace {

// Qt ends the process with abort() after a fatal message (a display that went away, a missing
// plugin); the program ends with its own error status instead.
void endOnFatalMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
    if (type == QtFatalMsg)
        std::_Exit(kExitError);
}

// Runs before the QApplication is built: the platform is read by its constructor.
int& prepareQt(int& argc, const std::string& platform) {
    if (!platform.empty())
        qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(platform));
    qInstallMessageHandler(endOnFatalMessage);
    return argc;
}

class QtFrontEnd : public FrontEnd {
public:
    QtFrontEnd(int& argc, char** argv, const std::string& platform)
        : m_app(prepareQt(argc, platform), argv) {
        QApplication::setApplicationName("Dalvon_Config");
        // Lets the desktop match the window to its launcher and icon.
        QGuiApplication::setDesktopFileName("dalvon-config");
        QApplication::setWindowIcon(applicationIcon());
        // One look on every desktop, and one that honours the controls' background colours.
        if (QStyle* style = QStyleFactory::create("Fusion"))
            QApplication::setStyle(style);
        m_dialogs = makeQtDialogs([this] { return m_form ? m_form->language() : std::string(); });
        m_events = makeQtEventLoop(m_pending);
    }

    Dialogs& dialogs() override { return *m_dialogs; }
    EventLoop& events() override { return *m_events; }

    void run(frm_Dalvon_Config_Exe& form) override {
        m_form = &form;
        form.Form_Load();
        FormWindow window(form, m_pending);
        window.show();
        QApplication::exec();
        m_pending.rethrowIfSet();
        // Qt's loop ended without a decision of the window (the session is closing): leave
        // without changes, as a confirmed close would.
        form.endAsConfirmedCancel();
    }

private:
    QApplication m_app;
    PendingEnd m_pending;
    const frm_Dalvon_Config_Exe* m_form = nullptr;
    std::unique_ptr<Dialogs> m_dialogs;
    std::unique_ptr<EventLoop> m_events;
};

QStringList pluginFolders() {
    QStringList folders;
    QByteArray own = qgetenv("QT_QPA_PLATFORM_PLUGIN_PATH");
    if (!own.isEmpty())
        folders << QString::fromLocal8Bit(own);
    for (const QString& path : QCoreApplication::libraryPaths())
        folders << path + "/platforms";
    return folders;
}

}  // namespace

std::unique_ptr<FrontEnd> makeQtFrontEnd(int& argc, char** argv, const std::string& platform) {
    return std::make_unique<QtFrontEnd>(argc, argv, platform);
}

bool hasQtPlatformPlugin(const std::string& platform) {
    QString name = QString::fromStdString(platform);
    QString pattern = name == "wayland" ? "libqwayland*.so" : "libq" + name + ".so";
    for (const QString& folder : pluginFolders()) {
        if (!QDir(folder).entryList({pattern}, QDir::Files).isEmpty())
            return true;
    }
    return false;
}

}  // namespace dalvon
