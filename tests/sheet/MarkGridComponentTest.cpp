// The main window's grid component on the demo teacher's loaded sheet: how it is set up,
// that the mark grid is painted by its attributes, that select all is the only row
// shortcut, and that the window's answer before a deletion lists the selected rows and
// lets a confirmed deletion write its history row.

#include <sqlite3.h>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <memory>

#include "Demo.h"
#include "data/LoginContext.h"
#include "db/Connection.h"
#include "gridevents/TKXDBGridEvents.h"
#include "history/HistoryWriters.h"
#include "history/TADOUpdateHistoryExec.h"
#include "history/TForm1.h"
#include "server/Engine.h"
#include "tests/sheet/SheetFixture.h"
#include "ui/DataGrid.h"

namespace sheettest {
namespace {

using gridevents::TKXDBGridEvents;

class MarkGridComponent : public SignedIn {
  protected:
    void SetUp() override {
        SignedIn::SetUp();
        if (HasFatalFailure()) return;
        sounds = 0;
        TForm1::exclamationSound() = [this] { ++sounds; };
        showDemoSheet();
        ASSERT_GT(marks().recordCount(), 3);
        ASSERT_TRUE(log.messages.isEmpty()) << log.texts().join('|').toStdString();
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        TForm1::exclamationSound() = [] { QApplication::beep(); };
        recorder.reset();
        SignedIn::TearDown();
    }

    db::Dataset& marks() { return dm.ADO_SP_Sort; }
    ui::DataGrid* grid() { return form->KXDBGridEh1; }
    TKXDBGridEvents* events() { return form->F4_KX_DM_ZOL_3; }

    static void press(QWidget* target, int key, Qt::KeyboardModifiers mods = {}) {
        QKeyEvent down(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(target, &down);
        QKeyEvent up(QEvent::KeyRelease, key, mods);
        QApplication::sendEvent(target, &up);
    }
    void select(std::initializer_list<int> rows) {
        grid()->clearRowSelection();
        for (int r : rows) grid()->selectBookmark(marks().bookmarkAt(r));
    }
    // The colour in a cell of the painted grid, away from its text (in its top right corner).
    QColor painted(int row, const QString& field) {
        const int column = grid()->indexOfColumn(grid()->columnByField(field));
        const QRect r = grid()->cellRect(row, column);
        grid()->viewport()->repaint();
        const QImage image = grid()->viewport()->grab().toImage();
        return image.pixelColor(r.right() - 4, r.top() + 2);
    }
    std::int64_t count(const std::string& sql) {
        auto engine = server::Engine::open(database.toStdString(), server::qor::demo::bootLogin,
                                           server::qor::demo::bootPassword);
        return db::toInteger(engine->execute(sql).resultSets.at(0).rows.at(0).at(0));
    }

    std::string idAt(int row) {
        return db::toText(marks().valueAt(row, marks().field("id_mark_mag").index()));
    }
    // How many deletion history rows a mark row has.
    static std::string deletionLog(const std::string& id) {
        return "SELECT COUNT(*) FROM QOR_LOG WHERE [table] = 'mark_mag' AND row_id = " + id +
               " AND descr LIKE 'Запись с уникальным номером - %'";
    }
    // Closes a mark row as the dean's office does, behind the server's rules (which let no
    // workstation close a row), straight in the database file.
    void closeAtDeansOffice(const std::string& id) {
        sqlite3* file = nullptr;
        ASSERT_EQ(sqlite3_open(database.toUtf8().constData(), &file), SQLITE_OK);
        sqlite3_busy_timeout(file, 5000);
        const std::string sql =
            "DROP TRIGGER mark_mag_identity; DROP TRIGGER mark_mag_owner_update;"
            "DROP TRIGGER mark_mag_stamp;"
            "UPDATE mark_mag SET is_closed = 1 WHERE id_mark_mag = " +
            id + ";";
        char* error = nullptr;
        const int rc = sqlite3_exec(file, sql.c_str(), nullptr, nullptr, &error);
        EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close(file);
        EXPECT_EQ(
            count("SELECT COUNT(*) FROM mark_mag WHERE is_closed <> 0 AND id_mark_mag = " + id), 1);
    }
    // Answers the warning window, once it is shown, with "Да" or "Нет".
    static void answer(bool yes) {
        QTimer::singleShot(0, [yes] {
            if (auto* w = qobject_cast<TForm1*>(QApplication::activeModalWidget()))
                (yes ? w->BitBtn1 : w->BitBtn2)->click();
        });
    }
    // The change history is attached to the sheet when the window is created; until the
    // window does it itself, the test attaches it the same way.
    void attachHistory() {
        if (marks().beforeDelete) return;
        recorder = std::make_unique<history::TADOUpdateHistoryExec>();
        const history::HistoryAuthor author{data::loginContext().LoginName,
                                            form->ComputerName.toStdString()};
        recorder->OnRecordDeleted = [author](const std::string& p, db::Dataset& d,
                                             const std::string& t, const std::string& k,
                                             std::vector<std::string>& statements) {
            history::WriteDeletion(p, d, t, k, statements, author);
        };
        recorder->OnFlush = [this](std::vector<std::string>& s) { form->ExecuteStatements(s); };
        recorder->Attach(marks(), "mark_mag", "id_mark_mag", true, true);
    }

    int sounds = 0;
    std::unique_ptr<history::TADOUpdateHistoryExec> recorder;
};

// The component is the window's, on the mark grid, with the window's settings.
TEST_F(MarkGridComponent, IsAttachedWithTheWindowsSettings) {
    TKXDBGridEvents* e = events();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->parent(), form.get());
    EXPECT_EQ(e->DBGridEh(), grid());
    EXPECT_EQ(e->EditActions(), gridevents::GridEditActions(gridevents::geaSelectAllEh));
    EXPECT_FALSE(e->Active());
    ASSERT_NE(e->UniqueField(), nullptr);
    EXPECT_EQ(e->UniqueField(), &marks().field("id_mark_mag"));
    ASSERT_EQ(e->KeyFieldList.size(), 2u);
    EXPECT_EQ(e->KeyFieldList[0].get(), &marks().field("id_student"));
    EXPECT_EQ(e->KeyFieldList[1].get(), &marks().field("id_examination"));
    EXPECT_TRUE(e->OnKXDBEOnConfirmDelete);
    EXPECT_TRUE(e->OnKeyDown);
    EXPECT_FALSE(e->OnKXDBEGridError);
    // the grid offers no deletion of its own, and the component's painting is on it
    EXPECT_FALSE(grid()->allowedOperations() & ui::DataGrid::AllowDelete);
    EXPECT_TRUE(grid()->allowedOperations() & ui::DataGrid::AllowInsert);
    EXPECT_TRUE(grid()->onDrawColumnCell);
    EXPECT_TRUE(grid()->options() & ui::DataGrid::ConfirmDelete);

    const gridevents::TKXDBAttributes& a = e->KXDBAttributes();
    const QPalette pal = grid()->palette();
    const struct {
        const char* name;
        QColor colour, text;
        int pixels;
        bool bold;
        const gridevents::TKXDBGridAttr& attr;
    } cases[] = {
        {"SelAttr", QColor(192, 192, 192), Qt::black, 13, false, a.SelAttr},
        {"AfterPasteAttr", pal.color(QPalette::ToolTipBase), pal.color(QPalette::WindowText), 11,
         false, a.AfterPasteAttr},
        {"DuplicateAttr", QColor(0, 128, 0), pal.color(QPalette::WindowText), 13, false,
         a.DuplicateAttr},
        {"ErrorAttr", QColor(255, 0, 0), pal.color(QPalette::WindowText), 13, false, a.ErrorAttr},
        {"FocusedAttr", pal.color(QPalette::Active, QPalette::Highlight), Qt::white, 13, true,
         a.FocusedAttr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.attr.Color(), c.colour);
        EXPECT_EQ(c.attr.FontColor(), c.text);
        EXPECT_EQ(c.attr.Font().pixelSize(), c.pixels);
        EXPECT_EQ(c.attr.Font().bold(), c.bold);
        EXPECT_EQ(c.attr.grid(), grid());
    }
    EXPECT_EQ(a.FixedAttr.SelColor(), QColor(192, 220, 192));
    EXPECT_EQ(a.FixedAttr.SelFont().pixelSize(), 13);
    EXPECT_TRUE(a.FixedAttr.SelFont().bold());
    EXPECT_TRUE(a.FixedAttr.List().isEmpty());
}

// Selected rows are painted with the component's selection attribute, and follow it when
// it changes; rows not selected keep their column's white.
TEST_F(MarkGridComponent, PaintsTheGridByItsAttributes) {
    select({1, 3});
    const QString name = QStringLiteral("student");
    EXPECT_EQ(painted(1, name), QColor(192, 192, 192));
    EXPECT_EQ(painted(3, name), QColor(192, 192, 192));
    EXPECT_EQ(painted(2, name), QColor(Qt::white));

    events()->KXDBAttributes().SelAttr.setColor(QColor(30, 160, 90));
    EXPECT_EQ(painted(1, name), QColor(30, 160, 90));
    EXPECT_EQ(painted(3, name), QColor(30, 160, 90));
    EXPECT_EQ(painted(2, name), QColor(Qt::white));

    // let go of the grid, and the grid paints its own selection again
    events()->setDBGridEh(nullptr);
    EXPECT_NE(painted(1, name), QColor(30, 160, 90));
    EXPECT_TRUE(grid()->allowedOperations() & ui::DataGrid::AllowInsert);
    EXPECT_FALSE(grid()->allowedOperations() & ui::DataGrid::AllowDelete);
}

// Ctrl+A selects every row; Ctrl+Delete, Ctrl+C, Ctrl+X and Ctrl+V are off on the main
// window: nothing is asked, deleted, copied or pasted, and the grid does none of it either.
TEST_F(MarkGridComponent, SelectAllIsTheOnlyRowShortcut) {
    const int rows = marks().recordCount();
    const std::int64_t stored = count("SELECT COUNT(*) FROM mark_mag");
    grid()->clearRowSelection();
    press(grid(), Qt::Key_A);
    EXPECT_EQ(grid()->selectedRowCount(), 0) << "A without Ctrl";
    press(grid(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(grid()->selectedRowCount(), rows);

    // rows of the sheet on the clipboard in the rows' own format, ready to be pasted
    marks().first();
    auto* data = new QMimeData;
    data->setData(TKXDBGridEvents::clipboardMimeType(), events()->rowBytes());
    data->setText(QStringLiteral("прежний текст"));
    QApplication::clipboard()->setMimeData(data);

    for (int key : {int(Qt::Key_Delete), int(Qt::Key_C), int(Qt::Key_X), int(Qt::Key_V)}) {
        SCOPED_TRACE(key);
        press(grid(), key, Qt::ControlModifier);
        EXPECT_EQ(marks().recordCount(), rows);
        EXPECT_EQ(grid()->selectedRowCount(), rows);
    }
    EXPECT_EQ(sounds, 0) << "the warning window opened";
    EXPECT_TRUE(log.messages.isEmpty()) << log.texts().join('|').toStdString();
    EXPECT_TRUE(events()->PastedList.isEmpty());
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("прежний текст"));
    EXPECT_TRUE(
        QApplication::clipboard()->mimeData()->hasFormat(TKXDBGridEvents::clipboardMimeType()));
    EXPECT_EQ(count("SELECT COUNT(*) FROM mark_mag"), stored);
}

// The window's answer lists the selected rows of the mark grid: one column more than the
// grid has, titles and values of the visible columns only, one row per selected row.
TEST_F(MarkGridComponent, ConfirmDeleteListsTheSelectedRows) {
    bool canDelete = true;
    grid()->clearRowSelection();
    form->F4_KX_DM_ZOL_3KXDBEOnConfirmDelete(*grid(), canDelete);
    EXPECT_TRUE(canDelete);
    EXPECT_EQ(sounds, 0);

    select({2, 0});
    const int studentColumn = grid()->indexOfColumn(grid()->columnByField("student"));
    const int examColumn = grid()->indexOfColumn(grid()->columnByField("exam"));
    ASSERT_FALSE(grid()->column(examColumn)->visible());
    struct Shown {
        int columns = 0, rows = 0, width = 0;
        QString count, studentTitle, examTitle, firstStudent, secondStudent;
    } shown;
    for (bool yes : {false, true}) {
        SCOPED_TRACE(yes);
        QTimer::singleShot(0, [&, yes] {
            auto* w = qobject_cast<TForm1*>(QApplication::activeModalWidget());
            if (!w) return;
            auto text = [w](int r, int c) {
                QTableWidgetItem* item = w->StringGrid->item(r, c);
                return item ? item->text() : QString();
            };
            shown = {
                w->StringGrid->columnCount(), w->StringGrid->rowCount(),  w->width(),
                w->Count_Lbl->text(),         text(0, studentColumn + 1), text(0, examColumn + 1),
                text(1, studentColumn + 1),   text(2, studentColumn + 1)};
            (yes ? w->BitBtn1 : w->BitBtn2)->click();
        });
        canDelete = !yes;
        form->F4_KX_DM_ZOL_3KXDBEOnConfirmDelete(*grid(), canDelete);
        EXPECT_EQ(canDelete, yes);
        EXPECT_EQ(shown.columns, grid()->columnCount() + 1);
        EXPECT_EQ(shown.rows, 3);
        EXPECT_EQ(shown.width, form->width() + 5);
        EXPECT_EQ(shown.count, "Количество удаляемых записей:[2].");
        EXPECT_EQ(shown.studentTitle, "Студент");
        EXPECT_EQ(shown.examTitle, "");
        EXPECT_EQ(shown.firstStudent, grid()->cellText(2, studentColumn));
        EXPECT_EQ(shown.secondStudent, grid()->cellText(0, studentColumn));
        EXPECT_FALSE(shown.firstStudent.isEmpty());
        EXPECT_EQ(marks().recNo(), 1);  // on the last selected row
    }
    EXPECT_EQ(sounds, 2);
}

// Deleting is not offered with the window's settings; once the delete action is on, the
// component asks through the window, and a row the teacher confirmed goes from the sheet
// and the server with its history row.
TEST_F(MarkGridComponent, AConfirmedDeleteLeavesItsHistoryRow) {
    attachHistory();
    events()->setEditActions(gridevents::geaSelectAllEh | gridevents::geaDeleteEh);
    const int rows = marks().recordCount();
    const std::string id = idAt(1);
    const std::int64_t logBefore = count(deletionLog(id));

    for (bool yes : {false, true}) {
        SCOPED_TRACE(yes);
        select({1});
        answer(yes);
        press(grid(), Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(marks().recordCount(), yes ? rows - 1 : rows);
        EXPECT_EQ(count("SELECT COUNT(*) FROM mark_mag WHERE id_mark_mag = " + id), yes ? 0 : 1);
        EXPECT_EQ(count(deletionLog(id)), logBefore + (yes ? 1 : 0));
    }
    EXPECT_EQ(sounds, 2);
    EXPECT_TRUE(log.messages.isEmpty()) << log.texts().join('|').toStdString();
}

// A row the server refuses to delete (closed by the dean's office) is reported by the data
// module's delete refusal, stays on the sheet and gets no history row; the other selected
// row goes.
TEST_F(MarkGridComponent, ARefusedDeleteIsReportedAndLeavesNoHistoryRow) {
    attachHistory();
    events()->setEditActions(gridevents::geaDeleteEh);
    const int rows = marks().recordCount();
    const std::string closed = idAt(2), open = idAt(4);
    closeAtDeansOffice(closed);
    const std::int64_t closedLog = count(deletionLog(closed));
    const std::int64_t openLog = count(deletionLog(open));

    select({2, 4});
    answer(true);
    press(grid(), Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(log.messages.size(), 1) << log.texts().join('|').toStdString();
    EXPECT_TRUE(log.texts()[0].startsWith("Вы пытаетесь удалить строку, но у вас нет на это прав."))
        << log.texts()[0].toStdString();
    EXPECT_EQ(marks().recordCount(), rows - 1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM mark_mag WHERE id_mark_mag = " + closed), 1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM mark_mag WHERE id_mark_mag = " + open), 0);
    EXPECT_EQ(count(deletionLog(closed)), closedLog);
    EXPECT_EQ(count(deletionLog(open)), openLog + 1);
    EXPECT_NE(marks().state(), db::DatasetState::Edit);
}

}  // namespace
}  // namespace sheettest

namespace sheettest {
namespace {

// A picture of the warning window as the teacher meets it before deleting three rows of
// the demo sheet (the delete shortcut turned on for it), kept with the screenshots; the
// answer "Нет" leaves the sheet as it was.
TEST_F(MarkGridComponent, PictureOfTheWarningWindowOverThreeDemoRows) {
    events()->setEditActions(gridevents::geaSelectAllEh | gridevents::geaDeleteEh);
    const int rows = marks().recordCount();
    select({1, 3, 4});
    QImage picture;
    int listed = 0;
    QString countLine;
    QTimer::singleShot(0, [&] {
        auto* w = qobject_cast<TForm1*>(QApplication::activeModalWidget());
        if (!w) return;
        QCoreApplication::processEvents();
        picture = w->grab().toImage();
        listed = w->StringGrid->rowCount();
        countLine = w->Count_Lbl->text();
        w->BitBtn2->click();
    });
    press(grid(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(sounds, 1);
    EXPECT_EQ(listed, 4);
    EXPECT_EQ(countLine, "Количество удаляемых записей:[3].");
    EXPECT_EQ(marks().recordCount(), rows);
    ASSERT_FALSE(picture.isNull());
    QDir().mkpath(QStringLiteral(QOR28_SCREENSHOT_DIR));
    ASSERT_TRUE(picture.save(
        QDir(QStringLiteral(QOR28_SCREENSHOT_DIR)).filePath("confirm-delete-demo-sheet.png"),
        "PNG"));
    EXPECT_NO_MESSAGE(log);
}

}  // namespace
}  // namespace sheettest
