#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

#include "form/qt/qt_services.h"
#include "form/window_language.h"

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

// Qt's translation of its own texts (the standard buttons) for one language at a time.
class QtTranslation {
public:
    ~QtTranslation() { QCoreApplication::removeTranslator(&m_translator); }

    void use(const std::string& languageCode) {
        if (languageCode == m_code)
            return;
        m_code = languageCode;
        QCoreApplication::removeTranslator(&m_translator);
        // English is Qt's own language; a language without installed translations stays so.
        if (languageCode.empty() || languageCode == "en")
            return;
        QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        if (m_translator.load("qtbase_" + QString::fromStdString(languageCode), folder))
            QCoreApplication::installTranslator(&m_translator);
    }

private:
    QTranslator m_translator;
    std::string m_code;
};

class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(std::function<std::string()> languageNumber)
        : m_languageNumber(std::move(languageNumber)) {}

    DialogAnswer show(const MessageBox& box) override {
        if (m_languageNumber)
            m_translation.use(isoLanguageOf(m_languageNumber()));
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

private:
    std::function<std::string()> m_languageNumber;
    QtTranslation m_translation;
};

}  // namespace

std::unique_ptr<Dialogs> makeQtDialogs(std::function<std::string()> languageNumber) {
    return std::make_unique<QtDialogs>(std::move(languageNumber));
}

}  // namespace dalvon
