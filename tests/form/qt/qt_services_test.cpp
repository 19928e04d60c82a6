// Qt message boxes, the Qt message loop and the drawn button pictures.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "form/pending_end.h"
#include "form/qt/pictures.h"
#include "form/qt/qt_services.h"

namespace dalvon {
namespace {

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString defaultButton;
    int buttons = 0;
};

// Shows `box` and, once it is open, notes what it shows and closes it with `close`.
DialogAnswer showAndClose(const MessageBox& box, SeenBox& seen, void (*close)(QMessageBox&)) {
    QTimer::singleShot(0, [&seen, close] {
        auto* dialog = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        seen.title = dialog->windowTitle();
        seen.text = dialog->text();
        seen.icon = dialog->icon();
        seen.defaultButton = dialog->defaultButton() ? dialog->defaultButton()->text() : "";
        seen.buttons = static_cast<int>(dialog->buttons().size());
        close(*dialog);
    });
    return makeQtDialogs()->show(box);
}

TEST(QtDialogs, CancelQuestionWithItsButtonsIconAndLineBreaks) {
    SeenBox seen;
    MessageBox box{"Cancel edits?\n\rRemark:", "Cancel?", DialogButtons::YesNo,
                   DialogIcon::Exclamation, DialogAnswer::No};
    DialogAnswer answer = showAndClose(
        box, seen, [](QMessageBox& dialog) { dialog.button(QMessageBox::Yes)->click(); });
    EXPECT_EQ(answer, DialogAnswer::Yes);
    EXPECT_EQ(seen.title, "Cancel?");
    EXPECT_EQ(seen.text, "Cancel edits?\nRemark:");
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.defaultButton, "&No");
    EXPECT_EQ(seen.buttons, 2);
}

TEST(QtDialogs, ClosingAQuestionAnswersNoAndAnInfoBoxAnswersOk) {
    SeenBox seen;
    MessageBox question{"Resume?", "Unexpected error", DialogButtons::YesNo, DialogIcon::Critical,
                        DialogAnswer::Yes};
    EXPECT_EQ(showAndClose(question, seen, [](QMessageBox& dialog) { dialog.reject(); }),
              DialogAnswer::No);
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.defaultButton, "&Yes");

    MessageBox info{"<b>0</b>", "Info:", DialogButtons::Ok, DialogIcon::Information,
                    DialogAnswer::Ok};
    EXPECT_EQ(showAndClose(info, seen, [](QMessageBox& dialog) { dialog.reject(); }),
              DialogAnswer::Ok);
    EXPECT_EQ(seen.text, "<b>0</b>");
    EXPECT_EQ(seen.buttons, 1);
}

TEST(QtEventLoop, DeliversPendingEventsAndRethrowsADecidedEnd) {
    PendingEnd pending;
    auto loop = makeQtEventLoop(pending);
    bool delivered = false;
    QTimer::singleShot(0, [&] { delivered = true; });
    loop->yield();
    EXPECT_TRUE(delivered);
    pending.set(ProgramEnd{kExitCancelled});
    pending.set(ProgramEnd{kExitOk});
    try {
        loop->yield();
        ADD_FAILURE() << "no end";
    } catch (const ProgramEnd& end) {
        EXPECT_EQ(end.exitStatus, kExitCancelled);
    }
}

TEST(ButtonPictures, DrawnToSizeOnATransparentBackground) {
    struct Row {
        Picture picture;
        int width;
        int height;
        bool (*ink)(const QColor&);
    } rows[] = {
        {Picture::QuestionMark, 41, 45,
         [](const QColor& c) { return c.alpha() == 255 && c.lightness() < 40; }},
        {Picture::CheckMark, 44, 36,
         [](const QColor& c) { return c.alpha() == 255 && c.green() > 120 && c.red() < 60; }},
        {Picture::Cross, 37, 39,
         [](const QColor& c) { return c.alpha() == 255 && c.red() > 180 && c.green() < 60; }},
    };
    for (const Row& row : rows) {
        QImage image = drawPicture(row.picture, row.width, row.height).toImage();
        EXPECT_EQ(image.size(), QSize(row.width, row.height));
        EXPECT_EQ(image.pixelColor(row.width - 1, 0).alpha(), 0);
        int inked = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                inked += row.ink(image.pixelColor(x, y)) ? 1 : 0;
        }
        EXPECT_GT(inked, 40) << static_cast<int>(row.picture);
    }
    // The question mark's arrow reaches the lower left corner.
    QImage question = drawPicture(Picture::QuestionMark, 41, 45).toImage();
    EXPECT_EQ(question.pixelColor(3, 42).alpha(), 255);
    EXPECT_TRUE(drawPicture(Picture::None, 10, 10).isNull());
}

}  // namespace
}  // namespace dalvon
