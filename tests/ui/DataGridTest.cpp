// The data grid over a dataset: following the current row, editing through the column's
// update check, bad input, read-only cells, posting when the row is left, selected rows,
// options and hooks.

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QMenu>
#include <QSignalSpy>
#include <functional>
#include <map>
#include <set>

#include "GridFixture.h"
#include "ui/DataGridDelegate.h"

using namespace uitest;

namespace {

using Grid = GridTest;

TEST_F(Grid, CurrentRowFollowsTheDatasetBothWays) {
    EXPECT_EQ(grid.model()->rowCount(), 4);
    EXPECT_EQ(at(2, 0).data().toString(), "Сидоров Олег");
    EXPECT_EQ(at(0, 2).data().toString(), "5.5");
    EXPECT_EQ(at(0, 4).data().toString(), "15.01.2024");
    marks.setRecNo(3);
    EXPECT_EQ(grid.currentIndex().row(), 2);
    EXPECT_EQ(grid.model()->headerData(2, Qt::Vertical).toString(), "▶");
    EXPECT_EQ(grid.model()->headerData(0, Qt::Vertical).toString(), "");
    clickCell(1, 3);
    EXPECT_EQ(marks.recNo(), 2);
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(marks.recNo(), 3);
    marks.edit();
    EXPECT_EQ(grid.model()->headerData(2, Qt::Vertical).toString(), "✎");
    marks.cancel();
}

// The update check runs with the dataset already editing the row; whatever it decides,
// the grid writes exactly that.
TEST_F(Grid, UpdateCheckDecidesWhatIsWritten) {
    struct Case {
        const char* name;
        QString typed;
        std::function<void(QString&, bool&)> check;
        db::Value expected;
        QStringList errors;
    };
    std::vector<Case> cases = {
        {"accepted", "15", [](QString&, bool&) {}, db::Value(15), {}},
        {"refused", "25", [](QString&, bool& handled) { handled = true; }, db::Value(10), {}},
        {"empty text becomes 0",
         "",
         [](QString& t, bool&) {
             if (t.isEmpty()) t = "0";
         },
         db::Value(0),
         {}},
        {"the check fails",
         "abc",
         [](QString& t, bool&) {
             bool ok;
             t.toInt(&ok);
             if (!ok) throw db::Error("'" + t.toStdString() + "' is not a valid integer value");
         },
         db::Value(10),
         {"'abc' is not a valid integer value"}},
    };
    ui::DataGridColumn* m1 = grid.column(1);
    m1->setTag(7);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        marks.cancel();
        marks.first();
        errors.clear();
        int calls = 0;
        m1->onUpdateData = [&](ui::DataGridColumn& column, QString& text, db::Value& value,
                               bool& handled) {
            ++calls;
            EXPECT_EQ(column.tag(), 7);
            EXPECT_EQ(marks.state(), db::DatasetState::Edit);
            EXPECT_EQ(value, db::Value(c.typed.toStdString()));
            EXPECT_FALSE(handled);
            c.check(text, handled);
        };
        ASSERT_TRUE(enter(0, 1, c.typed));
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(field("m1"), c.expected);
        EXPECT_EQ(at(0, 1).data().toString(), QString::fromStdString(db::toText(c.expected)));
        EXPECT_EQ(errors, c.errors);
    }
    // Typing what the cell already holds is no edit at all.
    marks.cancel();
    int calls = 0;
    m1->onUpdateData = [&](ui::DataGridColumn&, QString&, db::Value&, bool&) { ++calls; };
    ASSERT_TRUE(enter(0, 1, "10"));
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(marks.state(), db::DatasetState::Browse);
}

// Text that does not fit the field is refused with a message in Russian; the row keeps
// its value, and a good entry afterwards is written.
TEST_F(Grid, BadInputIsRefusedWithAMessageAndLosesNothing) {
    struct Case {
        int column;
        const char* typed;
        QString message;
    };
    const Case cases[] = {
        {1, "12.5", "«12.5» — не целое число. Введите целое число в столбце «Модуль 1»."},
        {1, "99999999999999999999",
         "«99999999999999999999» — не целое число. Введите целое "
         "число в столбце «Модуль 1»."},
        {2, "пять", "«пять» — не число. Введите число в столбце «Модуль 2»."},
        {4, "31.02.2024",
         "«31.02.2024» — не дата. Введите дату в столбце «Дата сдачи» в виде "
         "ДД.ММ.ГГГГ."},
        {3, "слишком длинно", "Текст в столбце «Допуск» длиннее 10 знаков."},
    };
    marks.setRecNo(2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        errors.clear();
        QString before = at(1, c.column).data().toString();
        ASSERT_TRUE(enter(1, c.column, QString::fromUtf8(c.typed)));
        EXPECT_EQ(errors, QStringList{c.message});
        EXPECT_EQ(at(1, c.column).data().toString(), before);
        EXPECT_FALSE(marks.modified());
    }
    errors.clear();
    ASSERT_TRUE(enter(1, 2, "1,5"));  // the decimal comma a Russian keyboard types
    ASSERT_TRUE(enter(1, 4, "01.03.2024"));
    ASSERT_TRUE(enter(1, 3, "десять букв"));
    EXPECT_EQ(errors, QStringList{"Текст в столбце «Допуск» длиннее 10 знаков."});
    EXPECT_EQ(field("m2"), db::Value(1.5));
    EXPECT_EQ(at(1, 4).data().toString(), "01.03.2024");
    marks.post();
    EXPECT_EQ(scalar("SELECT m2 FROM mark WHERE id_mark = 2"), db::Value(1.5));
}

TEST_F(Grid, ReadOnlyCellsOpenNoEditorAndChangeNothing) {
    marks.close();
    marks.addCalculatedField("total", db::Type::Float);
    marks.onCalcFields = [](db::Dataset& d) {
        d.field("total").setValue(db::Value(d.field("m1").asDouble() + d.field("m2").asDouble()));
    };
    marks.open();
    marks.field("id_mark").setReadOnly(true);
    grid.addColumn("total");
    grid.addColumn("id_mark");
    grid.addColumn("nosuchfield");
    EXPECT_EQ(at(0, 5).data().toString(), "15.5");

    grid.column(1)->setReadOnly(true);
    for (int column : {1, 5, 6, 7}) {
        SCOPED_TRACE(column);
        EXPECT_FALSE(enter(0, column, "5"));
        QTest::keyClicks(&grid, "5");
        EXPECT_EQ(editor(), nullptr);
    }
    grid.column(1)->setReadOnly(false);
    grid.setOption(ui::DataGrid::Editing, false);
    EXPECT_FALSE(enter(0, 1, "5"));
    grid.setOption(ui::DataGrid::Editing, true);
    grid.setAllowedOperations(ui::DataGrid::AllowInsert);
    EXPECT_FALSE(enter(0, 1, "5"));
    grid.setAllowedOperations(ui::DataGrid::AllowUpdate);
    marks.setReadOnly(true);
    EXPECT_FALSE(enter(0, 1, "5"));
    marks.setReadOnly(false);
    EXPECT_EQ(marks.state(), db::DatasetState::Browse);
    EXPECT_EQ(field("m1"), db::Value(10));

    // The editable column is edited as usual, and the calculated field follows.
    ASSERT_TRUE(enter(0, 1, "30"));
    EXPECT_EQ(at(0, 5).data().toString(), "35.5");
}

// A lookup column is edited by choosing one of its list's values: the row's key field
// takes the chosen value's key, an empty choice clears it, and a text the list does not
// hold is refused with the column's title.
TEST_F(Grid, LookupCellsAreChosenFromTheirListAndWriteTheKey) {
    marks.close();
    marks.addLookupField("grp", db::Type::Text, "id_gr", groups, "id_gr", "name", 40);
    marks.open();
    marks.field("id_mark").setReadOnly(true);
    ui::DataGridColumn* group = grid.addColumn("grp");
    group->setTitle("Группа");
    group->setDropDownWidth(300);
    const int column = grid.indexOfColumn(group);
    EXPECT_EQ(at(0, column).data().toString(), "ИВТ-101");
    EXPECT_TRUE(grid.cellEditable(0, column));
    EXPECT_EQ(grid.lookupChoices(column),
              (QStringList{"ИВТ-101", "ИВТ-102", "ПМ-201", "ПМ-202", "ФИ-301"}));

    grid.setCurrentIndex(at(0, column));
    QTest::keyClick(&grid, Qt::Key_F2);
    QComboBox* list = nullptr;
    for (QComboBox* c : grid.viewport()->findChildren<QComboBox*>())
        if (c->isVisible()) list = c;
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->currentText(), "ИВТ-101");
    EXPECT_EQ(list->count(), 6);  // an empty entry first, to clear the cell
    EXPECT_GE(list->view()->minimumWidth(), 300);
    list->setCurrentIndex(list->findText("ПМ-201"));
    emit list->activated(list->currentIndex());
    QCoreApplication::processEvents();
    EXPECT_EQ(field("id_gr"), db::Value(30));
    EXPECT_EQ(at(0, column).data().toString(), "ПМ-201");

    EXPECT_FALSE(grid.commitCell(0, column, "ЮР-999"));
    EXPECT_EQ(errors, QStringList{"«ЮР-999» нет в списке значений столбца «Группа». Выберите "
                                  "значение из списка."});
    EXPECT_EQ(field("id_gr"), db::Value(30));
    marks.post();
    EXPECT_EQ(scalar("SELECT id_gr FROM mark WHERE id_mark = 1"), db::Value(30));

    EXPECT_TRUE(grid.commitCell(0, column, ""));
    EXPECT_TRUE(db::isNull(field("id_gr")));
    marks.cancel();

    // a lookup whose key the program must not change is not offered for editing
    marks.field("id_gr").setReadOnly(true);
    EXPECT_FALSE(grid.cellEditable(0, column));
}

// A save command that takes no focus leaves the editor open: committing it first writes
// the text being typed, or refuses it as Enter would.
TEST_F(Grid, OpenEditorIsCommittedBeforeASaveCommandPosts) {
    EXPECT_TRUE(grid.commitEditor());  // nothing open
    grid.setCurrentIndex(at(0, 1));
    QTest::keyClick(&grid, Qt::Key_F2);
    ASSERT_NE(editor(), nullptr);
    editor()->selectAll();
    editor()->insert("33");
    EXPECT_TRUE(grid.commitEditor());
    EXPECT_EQ(field("m1"), db::Value(33));
    marks.post();
    EXPECT_EQ(scalar("SELECT m1 FROM mark WHERE id_mark = 1"), db::Value(33));

    ASSERT_NE(editor(), nullptr);  // still open, showing the field
    EXPECT_EQ(editor()->text(), "33");
    editor()->selectAll();
    editor()->insert("3.5");
    EXPECT_FALSE(grid.commitEditor());
    EXPECT_EQ(errors.size(), 1);
    EXPECT_EQ(field("m1"), db::Value(33));
}

TEST_F(Grid, LeavingTheRowPostsItAndAFailedPostKeepsTheEdit) {
    ASSERT_TRUE(enter(0, 1, "44"));
    EXPECT_EQ(marks.state(), db::DatasetState::Edit);
    EXPECT_EQ(scalar("SELECT m1 FROM mark WHERE id_mark = 1"), db::Value(10));
    clickCell(1, 1);
    EXPECT_EQ(marks.state(), db::DatasetState::Browse);
    EXPECT_EQ(marks.recNo(), 2);
    EXPECT_EQ(scalar("SELECT m1 FROM mark WHERE id_mark = 1"), db::Value(44));

    // Someone else changed the row meanwhile: the post is refused with the server's
    // text, the grid stays on the row and the teacher's entry is still there.
    ASSERT_TRUE(enter(1, 1, "55"));
    behindTheBack("UPDATE mark SET m1 = 99 WHERE id_mark = 2");
    clickCell(2, 1);
    EXPECT_EQ(errors, QStringList{QString::fromUtf8(db::kRowNotLocated)});
    EXPECT_EQ(grid.currentIndex().row(), 1);
    EXPECT_EQ(marks.recNo(), 2);
    EXPECT_EQ(marks.state(), db::DatasetState::Edit);
    EXPECT_EQ(field("m1"), db::Value(55));
    EXPECT_EQ(at(1, 1).data().toString(), "55");
    errors.clear();
    clickIndicator(3);  // the row indicator cannot leave it either, nor select
    EXPECT_EQ(errors, QStringList{QString::fromUtf8(db::kRowNotLocated)});
    EXPECT_EQ(marks.recNo(), 2);
    EXPECT_EQ(grid.selectedRowCount(), 0);

    // Esc drops the edit; now the row can be left.
    QTest::keyClick(&grid, Qt::Key_Escape);
    EXPECT_EQ(marks.state(), db::DatasetState::Browse);
    EXPECT_EQ(at(1, 1).data().toString(), "20");
    clickCell(2, 1);
    EXPECT_EQ(marks.recNo(), 3);
    EXPECT_EQ(scalar("SELECT m1 FROM mark WHERE id_mark = 2"), db::Value(99));
}

TEST_F(Grid, NewRowAppendedBelowTheLastIsPostedWhenLeftAndABeforeInsertAbortIsSilent) {
    marks.setRecNo(4);
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(marks.state(), db::DatasetState::Insert);
    EXPECT_EQ(grid.model()->rowCount(), 5);
    EXPECT_EQ(grid.currentIndex().row(), 4);
    EXPECT_EQ(grid.model()->headerData(4, Qt::Vertical).toString(), "✱");
    ASSERT_TRUE(enter(4, 0, "Новиков Пётр"));
    ASSERT_TRUE(enter(4, 1, "7"));
    clickCell(0, 0);
    EXPECT_EQ(marks.state(), db::DatasetState::Browse);
    EXPECT_EQ(scalar("SELECT m1 FROM mark WHERE student = 'Новиков Пётр'"), db::Value(7));
    EXPECT_EQ(grid.model()->rowCount(), 5);
    EXPECT_EQ(errors, QStringList{});

    marks.beforeInsert = [](db::Dataset&) { throw db::Abort(); };
    marks.last();
    QTest::keyClick(&grid, Qt::Key_Down);
    QTest::keyClick(&grid, Qt::Key_Insert);
    EXPECT_EQ(marks.state(), db::DatasetState::Browse);
    EXPECT_EQ(grid.model()->rowCount(), 5);
    EXPECT_EQ(errors, QStringList{});
}

TEST_F(Grid, SelectedRowsAreBookmarksThatSurviveSortingAndDeletion) {
    std::vector<db::Bookmark> b;
    for (int r = 0; r < 4; ++r) b.push_back(marks.bookmarkAt(r));
    clickIndicator(0);
    clickIndicator(2, Qt::ControlModifier);
    EXPECT_EQ(grid.selectedRows(), (std::vector<db::Bookmark>{b[0], b[2]}));
    EXPECT_EQ(marks.recNo(), 3);
    clickIndicator(3, Qt::ShiftModifier);
    EXPECT_EQ(grid.selectedRows(), (std::vector<db::Bookmark>{b[0], b[2], b[3]}));
    clickIndicator(0, Qt::ControlModifier);  // again: off
    EXPECT_EQ(grid.selectedRows(), (std::vector<db::Bookmark>{b[2], b[3]}));
    clickCell(1, 1);  // a plain click on a cell drops the selection
    EXPECT_EQ(grid.selectedRowCount(), 0);

    QTest::keyClick(&grid, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(grid.selectedRowCount(), 4);
    marks.setSort("m1 DESC");
    EXPECT_EQ(grid.selectedRowCount(), 4);
    EXPECT_TRUE(grid.isRowSelected(b[3]));
    marks.gotoBookmark(b[3]);
    EXPECT_EQ(grid.currentIndex().row(), 0);  // 35 is the largest m1
    marks.deleteRecord();
    EXPECT_EQ(grid.selectedRowCount(), 3);
    EXPECT_FALSE(grid.isRowSelected(b[3]));

    grid.setOption(ui::DataGrid::MultiSelect, false);
    EXPECT_EQ(grid.selectedRowCount(), 0);
    QTest::keyClick(&grid, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(grid.selectedRowCount(), 0);
}

TEST_F(Grid, CtrlDeleteAsksWhenConfirmDeleteIsOnAndTheKeyHookComesFirst) {
    grid.setCurrentIndex(at(1, 0));
    answer = false;
    QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(questions, QStringList{"Удалить запись?"});
    EXPECT_EQ(grid.model()->rowCount(), 4);
    answer = true;
    QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(grid.model()->rowCount(), 3);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM mark"), db::Value(3));

    grid.setOption(ui::DataGrid::ConfirmDelete, false);
    questions.clear();
    int keys = 0;
    grid.onKeyDown = [&](ui::DataGrid& g, int& key, Qt::KeyboardModifiers mods) {
        EXPECT_EQ(&g, &grid);
        if (key != Qt::Key_Delete) return;  // Ctrl itself is a key press, too
        ++keys;
        if (mods & Qt::ControlModifier) key = 0;
    };
    QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);  // swallowed by the hook
    EXPECT_EQ(grid.model()->rowCount(), 3);
    grid.onKeyDown = nullptr;
    grid.setAllowedOperations(ui::DataGrid::AllowUpdate);
    QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);  // deleting not allowed
    EXPECT_EQ(grid.model()->rowCount(), 3);
    grid.setAllowedOperations(ui::DataGrid::AllowUpdate | ui::DataGrid::AllowDelete);
    QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);  // at once, no question
    EXPECT_EQ(grid.model()->rowCount(), 2);
    EXPECT_EQ(questions, QStringList{});
    EXPECT_EQ(keys, 1);
}

TEST_F(Grid, EnterActsAsTabWhenAskedButNotAfterARefusal) {
    grid.setOption(ui::DataGrid::EnterMovesCells);
    ASSERT_TRUE(enter(0, 1, "15"));
    EXPECT_EQ(grid.currentIndex(), at(0, 2));
    grid.column(2)->onUpdateData = [](ui::DataGridColumn&, QString&, db::Value&, bool& handled) {
        handled = true;
    };
    ASSERT_TRUE(enter(0, 2, "7"));
    EXPECT_EQ(grid.currentIndex(), at(0, 2));
    QTest::keyClick(&grid, Qt::Key_Return);  // no editor open: a move as well
    EXPECT_EQ(grid.currentIndex(), at(0, 3));
    EXPECT_EQ(field("m1"), db::Value(15));
    marks.cancel();
}

TEST_F(Grid, AlwaysShowEditorOpensTheEditorOnEveryCurrentCell) {
    grid.setOption(ui::DataGrid::AlwaysShowEditor);
    grid.setCurrentIndex(at(2, 1));
    QLineEdit* e = editor();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->text(), "0");
    EXPECT_EQ(marks.state(), db::DatasetState::Browse);  // open is not yet editing
    e->selectAll();
    QTest::keyClicks(e, "9");
    QTest::keyClick(e, Qt::Key_Tab);
    QCoreApplication::processEvents();
    EXPECT_EQ(field("m1"), db::Value(9));
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->text(), "12");  // m2 of the same row
    EXPECT_EQ(grid.currentIndex().column(), 2);
}

TEST_F(Grid, DrawHookSeesEachRowAndItsColoursArePainted) {
    const QColor noAdmission(255, 221, 221);
    std::set<int> rowsSeen;
    grid.onDrawColumnCell = [&](ui::DataGrid& g, ui::DataGrid::CellDraw& cell) {
        rowsSeen.insert(cell.row);
        if (cell.dataColumn == 0 && g.cellValue(cell.row, "note") != text("д")) {
            cell.background = noAdmission;
            g.defaultDrawColumnCell(cell);
        }
    };
    marks.setRecNo(3);
    QImage shot = grid.grab().toImage();
    EXPECT_EQ(rowsSeen, (std::set<int>{0, 1, 2, 3}));
    QPoint origin = grid.viewport()->geometry().topLeft();
    auto colourAt = [&](int row, int column) {
        QRect r = grid.visualRect(at(row, column));
        return QColor(shot.pixel(origin + QPoint(r.right() - 3, r.center().y())));
    };
    EXPECT_EQ(colourAt(1, 0), noAdmission);  // Петрова: no "д"
    EXPECT_EQ(colourAt(3, 0), noAdmission);
    EXPECT_NE(colourAt(0, 0), noAdmission);
    EXPECT_NE(colourAt(1, 1), noAdmission);
}

// A behaviour component attaches from outside: an event filter that sees keys first and
// a delegate of its own derived from the grid's. Editing goes on through it, and its
// drawing knows which cells are selected and which one has the focus.
TEST_F(Grid, ComponentAttachesAsEventFilterAndDelegate) {
    struct Filter : QObject {
        int ctrlA = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() != QEvent::KeyPress) return false;
            auto* k = static_cast<QKeyEvent*>(e);
            if (k->key() != Qt::Key_A || !(k->modifiers() & Qt::ControlModifier)) return false;
            ++ctrlA;
            return true;  // taken over: the grid does not select
        }
    } filter;
    struct Painter : ui::DataGridDelegate {
        using DataGridDelegate::DataGridDelegate;
        mutable std::map<std::pair<int, int>, ui::DataGrid::DrawState> states;
        void paint(QPainter* p, const QStyleOptionViewItem& o,
                   const QModelIndex& i) const override {
            states[{i.row(), i.column()}] = prepareCell(p, o, i).state;
            DataGridDelegate::paint(p, o, i);
        }
    };
    auto* painter = new Painter(&grid);
    grid.installEventFilter(&filter);
    grid.setItemDelegate(painter);
    grid.setDefaultDrawing(false);

    QTest::keyClick(&grid, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(filter.ctrlA, 1);
    EXPECT_EQ(grid.selectedRowCount(), 0);
    ASSERT_TRUE(enter(1, 1, "21"));
    EXPECT_EQ(field("m1"), db::Value(21));

    grid.selectBookmark(marks.bookmarkAt(3));
    grid.activateWindow();
    grid.setFocus();
    QApplication::setActiveWindow(&grid);
    grid.grab();
    auto stateOf = [&](int row, int column) {
        return painter->states[std::make_pair(row, column)];
    };
    EXPECT_EQ(stateOf(3, 0), ui::DataGrid::DrawState(ui::DataGrid::Selected));
    EXPECT_EQ(stateOf(0, 0), ui::DataGrid::DrawState());
    ui::DataGrid::DrawState current = stateOf(1, 1);
    EXPECT_TRUE(current & ui::DataGrid::Selected);
    ASSERT_TRUE(grid.hasFocus());
    EXPECT_TRUE(current & ui::DataGrid::Focused);
    marks.cancel();
}

TEST_F(Grid, EditButtonOpensTheColumnMenu) {
    QMenu menu;
    menu.addAction("н/п");
    ui::DataGridColumn* c = grid.column(3);
    c->setEditButtonMenu(&menu);
    c->setEditButtonVisible(true);
    c->setReadOnly(true);
    QSignalSpy clicked(&grid, &ui::DataGrid::editButtonClicked);
    grid.setCurrentIndex(at(1, 3));
    QTest::keyClick(&grid, Qt::Key_Down, Qt::AltModifier);
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.at(0).at(0).value<ui::DataGridColumn*>(), c);
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
    QRect button = ui::DataGrid::editButtonRect(grid.visualRect(at(2, 3)));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, button.center());  // not current yet
    EXPECT_EQ(clicked.count(), 1);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, button.center());
    EXPECT_EQ(clicked.count(), 2);
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
    c->setEditButtonVisible(false);
    QTest::keyClick(&grid, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(clicked.count(), 2);
}

TEST_F(Grid, ColumnsRebuiltFromAnIndexKeepTheOnesBefore) {
    for (int i = grid.columnCount() - 1; i >= 2; --i) grid.removeColumn(i);
    grid.addColumn("note")->setTitle("Допуск");
    grid.addColumn("");  // a column whose field is named later
    grid.column(1)->setVisible(false);
    EXPECT_EQ(grid.model()->columnCount(), 4);
    EXPECT_TRUE(grid.isColumnHidden(1));
    EXPECT_EQ(at(0, 2).data().toString(), "д");
    EXPECT_EQ(at(0, 3).data().toString(), "");
    grid.column(3)->setFieldName("m2");
    EXPECT_EQ(at(0, 3).data().toString(), "5.5");
    EXPECT_EQ(grid.model()->headerData(2, Qt::Horizontal).toString(), "Допуск");
    grid.column(2)->setTitleHint("1");
    // the hint shows in the title's tool tip, under the whole title
    EXPECT_EQ(grid.model()->headerData(2, Qt::Horizontal, Qt::ToolTipRole).toString(), "Допуск\n1");
}

}  // namespace
