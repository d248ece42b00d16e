// A picture, for a person to look at, of the limits message as the teacher meets it: the
// real message box over the main window with the demo sheet loaded, after 21 was typed
// as the extra point of a student (0 to 20 by the rule). The box is a window of its own;
// the picture is the main window with the box drawn where it stands, centred over the
// window, under a title bar drawn with its caption (the window system draws the real
// one).
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QTimer>

#include "tests/sheet/SavingFixture.h"
#include "tests/support/Screenshot.h"

namespace sheettest {
namespace {

using MessageScreenshot = Saving;

QImage overWindow(QWidget& window, QWidget& box) {
    QImage image = window.grab().toImage();
    const QPixmap boxImage = box.grab();
    const int titleHeight = 26;
    const QSize framed(boxImage.width() + 2, boxImage.height() + titleHeight + 1);
    const QPoint at((image.width() - framed.width()) / 2, (image.height() - framed.height()) / 2);
    QPainter p(&image);
    p.fillRect(QRect(at, framed), QColor(0x4a, 0x6e, 0xa9));
    p.setPen(Qt::white);
    QFont title = box.font();
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(at + QPoint(10, 0), QSize(framed.width() - 20, titleHeight)),
               Qt::AlignVCenter | Qt::AlignLeft, box.windowTitle());
    p.drawPixmap(at + QPoint(1, titleHeight), boxImage);
    return image;
}

TEST_F(MessageScreenshot, TheLimitsMessageOverTheSheet) {
    form->setWindowState(Qt::WindowNoState);
    form->resize(1280, 800);
    form->show();
    openSheet();
    ASSERT_NO_MESSAGE(log);
    ASSERT_TRUE(sheet().locate("student", db::Value(std::string("Кусаинов Алихан Ерболович"))));
    ui::DataGrid* grid = form->KXDBGridEh1;
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(sheet().currentRow(), columnOf("dop")));
    QApplication::setActiveWindow(form.get());

    // the real message box this time: grabbed while it waits for the teacher, then OK
    ui::MessageService::setResponder({});
    QImage picture;
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        poll.stop();
        QCoreApplication::processEvents();
        caption = box->windowTitle();
        text = box->text();
        icon = box->icon();
        picture = overWindow(*form, *box);
        box->done(QMessageBox::Ok);
    });
    poll.start();
    EXPECT_FALSE(type("dop", "21"));
    poll.stop();

    EXPECT_EQ(caption, "Уведомление");
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(text,
              "Оценка в \"" + column("dop")->title() + "\" должна быть в пределах от 0 до 20");
    EXPECT_TRUE(sheet().field("dop").isNull());
    ASSERT_FALSE(picture.isNull());
    // the grid's lines and texts around the box: many colours
    testsupport::saveScreenshot(picture, QStringLiteral(QOR28_SCREENSHOT_DIR),
                                QStringLiteral("limits-message.png"), QSize(1280, 800), 100);
    sheet().cancel();
}

}  // namespace
}  // namespace sheettest
