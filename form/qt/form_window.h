#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "form/form_view.h"

namespace dalvon {

class frm_Dalvon_Config_Exe;
class PendingEnd;
struct ProgramEnd;

// The Qt view of the window model: one widget per control at its design position (twips turned
// into pixels for the screen), forwarding clicks, the close box and activation to the model's
// handlers. An end of the program inside a handler is parked in `pending` and Qt's event loop
// is left; nothing is thrown through Qt.
class FormWindow : public QWidget, public FormView {
public:
    FormWindow(frm_Dalvon_Config_Exe& form, PendingEnd& pending, QWidget* parent = nullptr);
    ~FormWindow() override;

    // A length in twips as pixels on this window's screen (15 twips a pixel at 96 dpi).
    int pixels(int twips) const;
    // The widget of the control at `index` in the model's control order.
    QWidget* widgetAt(size_t index) const { return m_widgets.at(index); }

    void controlChanged(const Control& control) override;
    void windowCaptionChanged(const std::string& caption) override;
    void mousePointerChanged(MousePointer pointer) override;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* makeWidget(const Control& control);
    QWidget* widgetNamed(const std::string& name) const;
    // Presses the button as a click would, when it is enabled; false when it is not.
    bool pressIfEnabled(const std::string& name);
    QWidget* containerOf(const Control& control);
    void connectHandler(QWidget* widget, const Control& control);
    void apply(QWidget* widget, const Control& control);
    void orderTabs();
    QSize designSize() const;
    template <class Handler>
    void guarded(Handler&& handler);
    // Parks the end of the program and leaves Qt's event loop.
    void endWith(const ProgramEnd& end);

    frm_Dalvon_Config_Exe& m_form;
    PendingEnd& m_pending;
    double m_scale = 1.0;
    std::vector<QWidget*> m_widgets;  // parallel to the model's controls
    QWidget* m_recipeFrame = nullptr;
    bool m_shown = false;
};

}  // namespace dalvon
