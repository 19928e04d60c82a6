#include <QApplication>
#include <QMessageBox>

#include "form/qt/qt_services.h"

namespace dalvon {
namespace {

QMessageBox::Icon qtIcon(DialogIcon icon) {
    switch (icon) {
        case DialogIcon::Critical:
            return QMessageBox::Critical;
        case DialogIcon::Exclamation:
            return QMessageBox::Warning;
        case DialogIcon::Information:
            return QMessageBox::Information;
        case DialogIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

class QtDialogs : public Dialogs {
public:
    DialogAnswer show(const MessageBox& box) override {
        QMessageBox dialog(QApplication::activeWindow());
        dialog.setIcon(qtIcon(box.icon));
        dialog.setWindowTitle(QString::fromStdString(box.title));
        // Plain text: the program's texts are never markup, whatever characters they hold.
        dialog.setTextFormat(Qt::PlainText);
        dialog.setText(QString::fromStdString(plainLineBreaks(box.text)));
        if (box.buttons == DialogButtons::Ok) {
            dialog.setStandardButtons(QMessageBox::Ok);
            dialog.setDefaultButton(QMessageBox::Ok);
            dialog.exec();
            return DialogAnswer::Ok;
        }
        dialog.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        dialog.setDefaultButton(box.defaultButton == DialogAnswer::Yes ? QMessageBox::Yes
                                                                       : QMessageBox::No);
        // Closing the box counts as No.
        dialog.setEscapeButton(QMessageBox::No);
        return dialog.exec() == QMessageBox::Yes ? DialogAnswer::Yes : DialogAnswer::No;
    }
};

}  // namespace

std::unique_ptr<Dialogs> makeQtDialogs() {
    return std::make_unique<QtDialogs>();
}

}  // namespace dalvon
