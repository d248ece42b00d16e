// The window that lists the rows about to be deleted: its content for the selected rows
// of a grid with hidden columns, its answers, its layout, and the grid component asking
// through it.

#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include "GridEventsFixture.h"
#include "history/TForm1.h"

using namespace gridtest;

namespace {

struct Shown {
    int columns = -1, rows = -1;
    QStringList cells;  // row by row, "|" between cells
    QString count, question;
    int width = 0;
};

class TForm1Test : public GridEventsTest {
  protected:
    void SetUp() override {
        GridEventsTest::SetUp();
        // ten columns, two of them hidden
        for (const char* f : {"id_mark", "id_examination", "id_gr", "note", "name", "m1"})
            grid.addColumn(f)->setTitle(QString(f).toUpper());
        grid.columnByField("id_examination")->setVisible(false);
        sounds = 0;
        TForm1::exclamationSound() = [this] { ++sounds; };
    }
    void TearDown() override {
        TForm1::exclamationSound() = [] { QApplication::beep(); };
        GridEventsTest::TearDown();
    }
    // Answers the window once it is shown, by a key or a button, after reading it.
    void answerWith(std::function<void(TForm1&)> answer) {
        QTimer::singleShot(0, [this, answer] {
            auto* form = qobject_cast<TForm1*>(QApplication::activeModalWidget());
            if (!form) return;
            shown = Shown();
            shown.columns = form->StringGrid->columnCount();
            shown.rows = form->StringGrid->rowCount();
            for (int r = 0; r < shown.rows; ++r) {
                QStringList row;
                for (int c = 0; c < shown.columns; ++c) {
                    QTableWidgetItem* item = form->StringGrid->item(r, c);
                    row << (item ? item->text() : QString());
                }
                shown.cells << row.join('|');
            }
            shown.count = form->Count_Lbl->text();
            shown.question = form->Qst_Lbl->text();
            shown.width = form->width();
            answer(*form);
        });
    }

    int sounds = 0;
    Shown shown;
};

TEST_F(TForm1Test, ListsTheSelectedRowsAndAnswers) {
    struct Case {
        const char* name;
        std::function<void(TForm1&)> answer;
        bool expected;
    };
    std::vector<Case> cases = {
        {"Esc", [](TForm1& f) { QTest::keyClick(&f, Qt::Key_Escape); }, false},
        {"Нет", [](TForm1& f) { f.BitBtn2->click(); }, false},
        {"Да", [](TForm1& f) { f.BitBtn1->click(); }, true},
        {"Enter", [](TForm1& f) { QTest::keyClick(f.StringGrid, Qt::Key_Return); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        select({4, 0, 2});
        marks.setRecNo(2);
        shown = Shown();
        answerWith(c.answer);
        bool canDelete = !c.expected;
        history::ConfirmDeleteRows(grid, 600, canDelete);
        EXPECT_EQ(canDelete, c.expected);
        EXPECT_EQ(shown.columns, 11);
        EXPECT_EQ(shown.rows, 4);
        EXPECT_EQ(shown.width, 605);
        ASSERT_EQ(shown.cells.size(), 4);
        EXPECT_EQ(shown.cells[0], "|Студент||Группа|Модуль 1|ID_MARK||ID_GR|NOTE|NAME|M1");
        EXPECT_EQ(shown.cells[1], "|Ёлкина Мария||ФИ-301||5||30||Ёлкина Мария|");
        EXPECT_EQ(shown.cells[2], "|Иванов Иван||ИВТ-101|10|1||10|д|Иванов Иван|10");
        EXPECT_EQ(shown.cells[3], "|Петрова Анна||ПМ-201|30|3||20||Петрова Анна|30");
        EXPECT_EQ(shown.count, "Количество удаляемых записей:[3].");
        EXPECT_EQ(shown.question, "Вы действительно хотите удалить эти записи?");
        EXPECT_EQ(marks.recNo(), 3);  // the last selected row
        EXPECT_EQ(marks.recordCount(), 5);
    }
    EXPECT_EQ(sounds, 4);
}

TEST_F(TForm1Test, NothingSelectedShowsNothing) {
    grid.clearRowSelection();
    bool canDelete = true;
    history::ConfirmDeleteRows(grid, 600, canDelete);
    EXPECT_TRUE(canDelete);
    EXPECT_EQ(sounds, 0);

    select({1});
    answerWith([](TForm1& f) { f.BitBtn2->click(); });
    history::ConfirmDeleteRows(grid, 600, canDelete);
    EXPECT_EQ(shown.count, "Количество удаляемых записей:[1].");
    EXPECT_FALSE(canDelete);
}

TEST_F(TForm1Test, WindowKeepsItsShape) {
    TForm1 form;
    EXPECT_EQ(sounds, 1);
    EXPECT_EQ(form.windowTitle(), "Предупреждение...");
    EXPECT_EQ(form.minimumSize(), QSize(550, 250));
    EXPECT_EQ(form.size(), QSize(696, 250));
    EXPECT_TRUE(form.windowFlags() & Qt::Tool);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(form.BitBtn1->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(form.BitBtn1->isDefault());
    form.show();
    for (int width : {696, 820, 551, 1001}) {
        form.resize(width, 300);
        QCoreApplication::processEvents();
        EXPECT_EQ(form.Panel1->height(), 54);
        EXPECT_EQ(form.Panel2->height(), 39);
        EXPECT_EQ(form.Btns_Pnl->x(), form.Panel2->width() / 2 - form.Btns_Pnl->width() / 2)
            << width;
    }
    form.resize(400, 100);
    EXPECT_GE(form.width(), 550);
    EXPECT_GE(form.height(), 250);
}

// The component asks through the window before it deletes; the picture of the window
// with three rows is kept with the screenshots.
TEST_F(TForm1Test, ComponentDeletesOnlyAfterДа) {
    events.setEditActions(gridevents::geaDeleteEh);
    events.OnKXDBEOnConfirmDelete = [this](ui::DataGrid& sender, bool& canDelete) {
        history::ConfirmDeleteRows(sender, 600, canDelete);
    };
    select({0, 2, 3});
    answerWith([](TForm1& f) { f.BitBtn2->click(); });
    press(&grid, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(shown.rows, 4);
    EXPECT_EQ(marks.recordCount(), 5);

    QDir().mkpath(QOR28_SCREENSHOT_DIR);
    answerWith([](TForm1& f) {
        f.grab().save(QDir(QOR28_SCREENSHOT_DIR).filePath("confirm-delete.png"));
        f.BitBtn1->click();
    });
    press(&grid, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(marks.recordCount(), 2);
    EXPECT_EQ(count("SELECT COUNT(*) FROM mark"), 2);
}

}  // namespace
