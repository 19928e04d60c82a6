#include "form/qt/form_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QThread>
#include <algorithm>
#include <exception>

#include "form/frm_dalvon_config_exe.h"
#include "form/pending_end.h"
#include "form/qt/pictures.h"
#include "form/window_language.h"
#include "platform/fault.h"

namespace dalvon {
namespace {

constexpr double kTwipsPerPixel = 15.0;
constexpr double kDesignDpi = 96.0;

QColor qtColor(Rgb rgb) {
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

QString qtText(const std::string& text) {
    return QString::fromStdString(text);
}

QString objectNameOf(const Control& control) {
    std::string name = control.name;
    if (control.index)
        name += std::to_string(*control.index);
    return qtText(name);
}

void setBackground(QWidget* widget, Rgb rgb) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, qtColor(rgb));
    palette.setColor(QPalette::Button, qtColor(rgb));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setDesignFont(QWidget* widget, const Font& design) {
    if (design.family.empty())
        return;
    QFont font = widget->font();
    // The design font is a Windows bitmap font; the nearest sans serif stands in for it.
    font.setFamilies(
        {qtText(design.family), "Microsoft Sans Serif", "Liberation Sans", "DejaVu Sans"});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(design.points);
    font.setBold(design.bold);
    widget->setFont(font);
}

}  // namespace

FormWindow::FormWindow(frm_Dalvon_Config_Exe& form, PendingEnd& pending, QWidget* parent)
    : QWidget(parent), m_form(form), m_pending(pending) {
    setObjectName("frm_Dalvon_Config_Exe");
    m_scale = logicalDpiX() / kDesignDpi;
    setBackground(this, form.window().backColor);
    setWindowTitle(qtText(form.window().caption));
    for (const Control& control : form.controls())
        m_widgets.push_back(makeWidget(control));
    orderTabs();
    // The controls keep their design places, so a larger window would only show empty grey
    // and a smaller one would hide the buttons: the size is fixed, without a maximise box.
    setFixedSize(designSize());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    if (QWidget* option = widgetNamed("CheckJump"))
        option->setFocus(Qt::OtherFocusReason);
    m_form.setView(this);
}

FormWindow::~FormWindow() {
    m_form.setView(nullptr);
}

int FormWindow::pixels(int twips) const {
    return qRound(twips / kTwipsPerPixel * m_scale);
}

QSize FormWindow::designSize() const {
    int width = designClientWidth(m_form.window(), m_form.controls());
    return {pixels(width), pixels(m_form.window().clientHeight)};
}

QWidget* FormWindow::widgetNamed(const std::string& name) const {
    const auto& controls = m_form.controls();
    for (size_t i = 0; i < controls.size() && i < m_widgets.size(); ++i) {
        if (controls[i].name == name)
            return m_widgets[i];
    }
    return nullptr;
}

bool FormWindow::pressIfEnabled(const std::string& name) {
    auto* button = qobject_cast<QPushButton*>(widgetNamed(name));
    if (button == nullptr || !button->isEnabled())
        return false;
    button->click();
    return true;
}

QWidget* FormWindow::containerOf(const Control& control) {
    const auto& controls = m_form.controls();
    for (size_t i = 0; i < m_widgets.size(); ++i) {
        if (controls[i].name == control.container)
            return m_widgets[i];
    }
    return this;
}

QWidget* FormWindow::makeWidget(const Control& control) {
    QWidget* parent = containerOf(control);
    QWidget* widget = nullptr;
    switch (control.kind) {
        case ControlKind::Label:
            widget = new QLabel(parent);
            break;
        case ControlKind::CommandButton: {
            auto* button = new QPushButton(parent);
            QPixmap picture =
                drawPicture(control.picture, control.pictureWidth, control.pictureHeight);
            if (!picture.isNull()) {
                button->setIcon(QIcon(picture));
                button->setIconSize(picture.size());
            }
            // A picture says nothing to a screen reader or a UI test: the button's name does.
            button->setAccessibleName(
                qtText(accessibleButtonName(control.name, m_form.language())));
            widget = button;
            break;
        }
        case ControlKind::CheckBox:
            widget = new QCheckBox(parent);
            break;
        case ControlKind::Frame:
            widget = new QGroupBox(parent);
            break;
    }
    widget->setObjectName(objectNameOf(control));
    const Twips& at = control.geometry;
    widget->setGeometry(pixels(at.left), pixels(at.top), pixels(at.width), pixels(at.height));
    setDesignFont(widget, control.font);
    apply(widget, control);
    connectHandler(widget, control);
    return widget;
}

void FormWindow::connectHandler(QWidget* widget, const Control& control) {
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
        if (control.name == "CommandOK")
            connect(button, &QPushButton::clicked, this,
                    [this] { guarded([this] { m_form.CommandOK_Click(); }); });
        else if (control.name == "CommandCancel")
            connect(button, &QPushButton::clicked, this,
                    [this] { guarded([this] { m_form.CommandCancel_Click(); }); });
        else if (control.name == "CommandQuest")
            connect(button, &QPushButton::clicked, this,
                    [this] { guarded([this] { m_form.CommandQuest_Click(); }); });
    } else if (control.name == "CheckJump") {
        connect(qobject_cast<QCheckBox*>(widget), &QCheckBox::clicked, this,
                [this] { guarded([this] { m_form.operatorClicksCheckJump(); }); });
    } else if (control.name == "FrameRezept") {
        m_recipeFrame = widget;
        widget->installEventFilter(this);
    }
}

void FormWindow::apply(QWidget* widget, const Control& control) {
    setBackground(widget, control.backColor);
    widget->setToolTip(qtText(control.toolTip));
    widget->setEnabled(control.enabled);
    if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(qtText(control.caption));
    else if (auto* box = qobject_cast<QCheckBox*>(widget)) {
        box->setText(qtText(control.caption));
        box->setChecked(control.value != 0);
    } else if (auto* button = qobject_cast<QPushButton*>(widget))
        button->setText(qtText(control.caption));
}

void FormWindow::orderTabs() {
    std::vector<size_t> order(m_widgets.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    const auto& controls = m_form.controls();
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return controls[a].tabIndex < controls[b].tabIndex;
    });
    QWidget* previous = nullptr;
    for (size_t i : order) {
        QWidget* widget = m_widgets[i];
        if (widget->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous != nullptr)
            setTabOrder(previous, widget);
        previous = widget;
    }
}

void FormWindow::controlChanged(const Control& control) {
    const auto& controls = m_form.controls();
    for (size_t i = 0; i < controls.size() && i < m_widgets.size(); ++i) {
        if (&controls[i] == &control)
            apply(m_widgets[i], control);
    }
}

void FormWindow::windowCaptionChanged(const std::string& caption) {
    setWindowTitle(qtText(caption));
}

void FormWindow::mousePointerChanged(MousePointer pointer) {
    if (pointer == MousePointer::Busy)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

template <class Handler>
void FormWindow::guarded(Handler&& handler) {
    runEventHandler(
        m_pending, handler, [this](const ProgramEnd& end) { endWith(end); },
        [](const std::string& text) { qWarning("%s", text.c_str()); });
}

void FormWindow::endWith(const ProgramEnd& end) {
    m_pending.set(end);
    hide();
    // Outside a running loop exit() would make the next modal loop return at once.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(end.exitStatus);
}

bool FormWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        guarded([&] { m_form.Form_Activate(); });
    return QWidget::event(event);
}

void FormWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Not every platform activates a window when it is shown; the first show counts as one.
    if (!m_shown) {
        m_shown = true;
        guarded([&] { m_form.Form_Activate(); });
    }
}

void FormWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    guarded([&] { m_form.Form_Resize(); });
}

void FormWindow::closeEvent(QCloseEvent* event) {
    if (!m_pending.isSet())
        guarded([&] { m_form.operatorClosesWindow(); });
    if (m_pending.isSet())
        event->accept();
    else
        event->ignore();
}

void FormWindow::keyPressEvent(QKeyEvent* event) {
    bool pressed = false;
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            // Enter presses the focused button, as in any dialog; elsewhere it means OK.
            if (auto* focused = qobject_cast<QPushButton*>(focusWidget())) {
                focused->click();
                pressed = true;
            } else {
                pressed = pressIfEnabled("CommandOK");
            }
        } else if (event->key() == Qt::Key_Escape) {
            pressed = pressIfEnabled("CommandCancel");
        }
    }
    if (!pressed)
        QWidget::keyPressEvent(event);
}

bool FormWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_recipeFrame && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        guarded([&] { m_form.FrameRezept_Click(); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace dalvon
