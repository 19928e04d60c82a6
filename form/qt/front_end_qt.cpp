#include <QApplication>
#include <QStyleFactory>

#include "form/frm_dalvon_config_exe.h"
#include "form/qt/form_window.h"
#include "form/qt/pending_end.h"
#include "form/qt/qt_front_end.h"
#include "form/qt/qt_services.h"

namespace dalvon {
namespace {

class QtFrontEnd : public FrontEnd {
public:
    QtFrontEnd(int& argc, char** argv) : m_app(argc, argv) {
        // One look on every desktop, and one that honours the controls' background colours.
        if (QStyle* style = QStyleFactory::create("Fusion"))
            QApplication::setStyle(style);
        m_dialogs = makeQtDialogs();
        m_events = makeQtEventLoop(m_pending);
    }

    Dialogs& dialogs() override { return *m_dialogs; }
    EventLoop& events() override { return *m_events; }

    void run(frm_Dalvon_Config_Exe& form) override {
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
    std::unique_ptr<Dialogs> m_dialogs;
    std::unique_ptr<EventLoop> m_events;
};

}  // namespace

std::unique_ptr<FrontEnd> makeQtFrontEnd(int& argc, char** argv) {
    return std::make_unique<QtFrontEnd>(argc, argv);
}

}  // namespace dalvon
