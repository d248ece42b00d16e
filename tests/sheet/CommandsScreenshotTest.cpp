// Pictures of the sheet-wide commands for a person to look at, under the build folder:
// the grade menu opened from the "Оценка" cell of an FX retake sheet, and the question of
// the date for all over the sheet it applies to. Popups and message boxes are windows of
// their own: each picture lays them over the main window where they appear.
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QDir>
#include <QImage>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSet>

#include "tests/sheet/SheetFixture.h"
#include "tests/support/Screenshot.h"
#include "ui/DataGrid.h"
#include "ui/LookupComboBox.h"

namespace sheettest {
namespace {

class CommandsScreenshot : public SignedIn {
  protected:
    void SetUp() override {
        SignedIn::SetUp();
        if (HasFatalFailure()) return;
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        form->setWindowState(Qt::WindowNoState);
        form->resize(1280, 800);
        form->show();
    }
    void TearDown() override {
        QLocale::setDefault(QLocale::system());
        SignedIn::TearDown();
    }

    // The main window with another window laid over it at its place on the screen.
    QImage withOverlay(QWidget& over) {
        QCoreApplication::processEvents();
        QImage image = form->grab().toImage();
        QPainter p(&image);
        p.drawPixmap(over.mapToGlobal(QPoint(0, 0)) - form->mapToGlobal(QPoint(0, 0)), over.grab());
        return image;
    }
    static void save(const QImage& image, const char* name) {
        testsupport::saveScreenshot(image, QStringLiteral(QOR28_SCREENSHOT_DIR),
                                    QString::fromUtf8(name), QSize(1280, 800), 100);
    }
};

TEST_F(CommandsScreenshot, TheGradeMenuOpenOnAnFxSheet) {
    chooseUpToDiscipline(10, "Базы данных {3}");
    pickText(form->DBLookupComboBox9, "ИС-24-1");
    pickText(form->DBLookupComboBox3, "Ведомость FX");
    db::Dataset& sheet = dm.ADO_SP_Sort;
    ASSERT_TRUE(sheet.locate("id_student", db::Value(std::int64_t{14})));
    ui::DataGrid* grid = form->KXDBGridEh1;
    grid->setCurrentIndex(grid->model()->index(sheet.currentRow(), form->GradeColumnIndex));
    grid->openEditButton(form->GradeColumnIndex);
    ASSERT_TRUE(form->PopupMenu1->isVisible());
    // The offscreen screen is smaller than the window, which pushed the menu inside it:
    // it goes back under its cell, where a person's screen shows it.
    const QRect cell = grid->visualRect(grid->currentIndex());
    form->PopupMenu1->move(grid->viewport()->mapToGlobal(cell.bottomLeft()));
    save(withOverlay(*form->PopupMenu1), "commands-grade-menu.png");
    form->PopupMenu1->hide();
    EXPECT_NO_MESSAGE(log);
}

TEST_F(CommandsScreenshot, TheQuestionOfTheDateForAll) {
    chooseUpToDiscipline(10, "Базы данных {4}");
    pickText(form->DBLookupComboBox9, "ВТ-24-1");
    pickText(form->DBLookupComboBox3, "Ведомость");
    ASSERT_GT(dm.ADO_SP_Sort.recordCount(), 0);
    form->DateTimePicker1->setDate(QDate::currentDate().addDays(-1));

    // the box as the message service builds it, pictured over the window, then answered No
    QImage picture;
    ui::MessageService::setResponder([&](const ui::Message& m) {
        const auto box = ui::MessageService::makeBox(m, form.get());
        box->show();
        box->move(form->mapToGlobal(form->rect().center()) - box->rect().center());
        picture = withOverlay(*box);
        return QMessageBox::No;
    });
    form->SpeedButton1->click();
    // the fixture's log answers again
    ui::MessageService::setResponder([this](const ui::Message& m) {
        log.messages.append(m);
        return QMessageBox::Ok;
    });
    EXPECT_NO_MESSAGE(log);
    ASSERT_FALSE(picture.isNull());
    save(picture, "commands-date-question.png");
}

}  // namespace
}  // namespace sheettest
