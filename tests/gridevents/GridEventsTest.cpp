// The grid component on a small grid: taking over and giving back the grid, the status
// of each missing piece, the shortcuts, the confirmation, duplicates and the attribute
// each cell is painted with.

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <memory>

#include "GridEventsFixture.h"

using namespace gridtest;
using gridevents::TKXDBGridEvents;
using Grid = ui::DataGrid;

namespace {

TEST(GridAttributes, NewComponentStartsWithItsColours) {
    TKXDBGridEvents events;
    const auto& a = events.KXDBAttributes();
    EXPECT_EQ(a.SelAttr.Color(), QColor(0, 0, 0));
    EXPECT_EQ(a.SelAttr.FontColor(), QColor(Qt::white));
    EXPECT_EQ(a.AfterPasteAttr.Color(), QApplication::palette().color(QPalette::ToolTipBase));
    EXPECT_EQ(a.DuplicateAttr.Color(), QColor(0, 128, 0));
    EXPECT_EQ(a.ErrorAttr.Color(), QColor(255, 0, 0));
    EXPECT_EQ(a.FocusedAttr.Color(), QColor(79, 79, 79));
    EXPECT_EQ(a.FocusedAttr.FontColor(), QColor(Qt::white));
    EXPECT_TRUE(a.FocusedAttr.Font().bold());
    EXPECT_EQ(a.FixedAttr.SelColor(), QColor(192, 220, 192));
    EXPECT_TRUE(a.FixedAttr.SelFont().bold());
    EXPECT_TRUE(a.FixedAttr.List().isEmpty());
    EXPECT_EQ(gridevents::TKXDBGridAttr().Color(), QColor(0, 0, 0));
    EXPECT_EQ(events.DBGridEh(), nullptr);
    EXPECT_EQ(events.UniqueField(), nullptr);
    EXPECT_EQ(events.EditActions(), gridevents::GridEditActions());
    EXPECT_FALSE(events.Active());
}

// Whatever the component takes over on a grid comes back exactly: when it moves to
// another grid, lets go, or ends; a grid that ends first is simply forgotten.
TEST_F(GridEventsTest, GridIsGivenBackExactly) {
    Grid other;
    int keysSeen = 0, cellsDrawn = 0;
    other.onKeyDown = [&](Grid&, int&, Qt::KeyboardModifiers) { ++keysSeen; };
    other.onDrawColumnCell = [&](Grid&, Grid::CellDraw&) { ++cellsDrawn; };
    other.setAllowedOperations(Grid::AllowUpdate | Grid::AllowDelete);
    ASSERT_TRUE(other.defaultDrawing());

    events.setDBGridEh(&other);
    EXPECT_EQ(events.DBGridEh(), &other);
    EXPECT_FALSE(other.defaultDrawing());
    EXPECT_EQ(other.allowedOperations(), Grid::Operations(Grid::AllowUpdate));
    EXPECT_FALSE(other.onKeyDown);
    EXPECT_EQ(events.KXDBAttributes().DuplicateAttr.grid(), &other);
    // the first grid is back as it was before the fixture attached the component
    EXPECT_TRUE(grid.defaultDrawing());
    EXPECT_EQ(grid.allowedOperations(),
              Grid::AllowInsert | Grid::AllowUpdate | Grid::AllowDelete | Grid::AllowAppend);
    EXPECT_FALSE(grid.onDrawColumnCell);

    {
        auto temporary = std::make_unique<TKXDBGridEvents>();
        events.setDBGridEh(nullptr);
        temporary->setDBGridEh(&other);
        temporary.reset();  // its end gives the grid back too
    }
    EXPECT_TRUE(other.defaultDrawing());
    EXPECT_EQ(other.allowedOperations(), Grid::AllowUpdate | Grid::AllowDelete);
    ASSERT_TRUE(other.onKeyDown && other.onDrawColumnCell);
    int key = Qt::Key_A;
    other.onKeyDown(other, key, {});
    EXPECT_EQ(keysSeen, 1);
    EXPECT_EQ(cellsDrawn, 0);

    // keys on a grid given back are the grid's own again
    events.setDBGridEh(&grid);
    events.setEditActions(gridevents::geaSelectAllEh);
    events.setDBGridEh(nullptr);
    codes.clear();
    press(&grid, Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(codes.empty());
    EXPECT_EQ(grid.selectedRowCount(), 5);  // by the grid itself

    auto doomed = std::make_unique<Grid>();
    events.setDBGridEh(doomed.get());
    doomed.reset();
    EXPECT_EQ(events.DBGridEh(), nullptr);
    EXPECT_EQ(events.KXDBAttributes().SelAttr.grid(), nullptr);
    events.SelectAllRows();
    EXPECT_EQ(codes.back(), gridevents::StatusNoGrid);
}

// The preconditions in their order: each missing piece stops every action with its code.
TEST_F(GridEventsTest, EachMissingPieceHasItsCode) {
    ui::DataSource empty;
    Grid bare;
    struct Case {
        const char* name;
        std::function<void()> arrange;
        quint16 code;
    };
    std::vector<Case> cases = {
        {"no grid", [&] { events.setDBGridEh(nullptr); }, gridevents::StatusNoGrid},
        {"grid without a data source, no unique field either",
         [&] {
             events.setDBGridEh(&bare);
             events.setUniqueField(nullptr);
         },
         gridevents::StatusNoDataSource},
        {"data source without a dataset",
         [&] {
             bare.setDataSource(&empty);
             events.setDBGridEh(&bare);
         },
         gridevents::StatusNoDataset},
        {"closed dataset and no unique field",
         [&] {
             events.setUniqueField(nullptr);
             marks.close();
         },
         gridevents::StatusNoUniqueField},
        {"closed dataset", [&] { marks.close(); }, gridevents::StatusDatasetClosed},
    };
    QGuiApplication::clipboard()->clear();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // the component as the fixture made it, with the dataset open
        if (!marks.active()) marks.open();
        events.setDBGridEh(&grid);
        events.setUniqueField(&marks.field("id_mark"));
        select({0, 1});
        c.arrange();
        codes.clear();
        events.SelectAllRows();
        events.DeleteSelectedRows();
        events.CopyRows(false);
        events.CopyRows(true);
        events.PasteRows();
        EXPECT_EQ(codes, std::vector<quint16>(5, c.code));
        if (!marks.active()) marks.open();
        EXPECT_EQ(marks.recordCount(), 5);
    }
    EXPECT_TRUE(TKXDBGridEvents::readClipboard().isEmpty());
}

// Each shortcut with and without Ctrl and with its action on or off, pressed on the grid.
TEST_F(GridEventsTest, ShortcutsFollowCtrlAndTheEnabledActions) {
    using gridevents::GridEditActions;
    const GridEditActions all = gridevents::geaCutEh | gridevents::geaCopyEh |
                                gridevents::geaPasteEh | gridevents::geaDeleteEh |
                                gridevents::geaSelectAllEh;
    struct Case {
        const char* name;
        int key;
        Qt::KeyboardModifiers mods;
        GridEditActions actions;
        std::vector<int> selected;
        int selectedAfter;
        int rowsAfter;
        bool clipboardWritten;
        std::vector<quint16> codes;
    };
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    std::vector<Case> cases = {
        {"Ctrl+A selects all", Qt::Key_A, ctrl, gridevents::geaSelectAllEh, {}, 5, 5, false, {0}},
        {"A alone does nothing", Qt::Key_A, {}, all, {}, 0, 5, false, {}},
        {"Ctrl+A with select-all off does nothing, not even the grid's own",
         Qt::Key_A,
         ctrl,
         all & ~GridEditActions(gridevents::geaSelectAllEh),
         {},
         0,
         5,
         false,
         {}},
        {"Ctrl+Ф on a Russian layout is Ctrl+A", 0x0424, ctrl, all, {}, 5, 5, false, {0}},
        {"Ctrl+C copies the selected rows", Qt::Key_C, ctrl, all, {0, 2}, 2, 5, true, {0}},
        {"Ctrl+C without selected rows does nothing", Qt::Key_C, ctrl, all, {}, 0, 5, false, {}},
        {"Ctrl+C with copy off does nothing",
         Qt::Key_C,
         ctrl,
         all & ~GridEditActions(gridevents::geaCopyEh),
         {0},
         1,
         5,
         false,
         {}},
        {"Ctrl+X cuts", Qt::Key_X, ctrl, all, {3}, 0, 4, true, {0}},
        {"Ctrl+X without selected rows does nothing", Qt::Key_X, ctrl, all, {}, 0, 5, false, {}},
        {"X alone does nothing", Qt::Key_X, {}, all, {3}, 1, 5, false, {}},
        {"Ctrl+Delete deletes at once with the confirm option off",
         Qt::Key_Delete,
         ctrl,
         all,
         {1, 4},
         0,
         3,
         false,
         {0}},
        {"Ctrl+Delete with delete off does nothing, not even the grid's own",
         Qt::Key_Delete,
         ctrl,
         gridevents::geaSelectAllEh,
         {1},
         1,
         5,
         false,
         {}},
        {"Delete alone does nothing", Qt::Key_Delete, {}, all, {1}, 1, 5, false, {}},
        {"Ctrl+V with nothing of ours on the clipboard",
         Qt::Key_V,
         ctrl,
         all,
         {},
         0,
         5,
         false,
         {6}},
    };
    grid.setOption(Grid::ConfirmDelete, false);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetRows();
        QGuiApplication::clipboard()->clear();
        events.setEditActions(c.actions);
        grid.clearRowSelection();
        for (int r : c.selected) grid.selectBookmark(marks.bookmarkAt(r));
        codes.clear();
        press(&grid, c.key, c.mods);
        EXPECT_EQ(grid.selectedRowCount(), c.selectedAfter);
        EXPECT_EQ(marks.recordCount(), c.rowsAfter);
        EXPECT_EQ(!TKXDBGridEvents::readClipboard().isEmpty(), c.clipboardWritten);
        EXPECT_EQ(codes, c.codes);
        EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
        // what was deleted is gone on the server too
        EXPECT_EQ(count("SELECT COUNT(*) FROM mark"), c.rowsAfter);
    }
}

// The forwarded key-down runs first and may change or swallow the key.
TEST_F(GridEventsTest, KeyDownHandlerRunsFirstAndMayChangeTheKey) {
    events.setEditActions(gridevents::geaSelectAllEh | gridevents::geaDeleteEh);
    grid.setOption(Grid::ConfirmDelete, false);
    std::vector<int> seen;
    int replacement = 0;
    events.OnKeyDown = [&](Grid& sender, int& key, Qt::KeyboardModifiers) {
        EXPECT_EQ(&sender, &grid);
        seen.push_back(key);
        key = replacement;
    };
    // swallowed: no shortcut at all
    select({1});
    press(&grid, Qt::Key_A, Qt::ControlModifier);
    press(&grid, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(seen, (std::vector<int>{Qt::Key_A, Qt::Key_Delete}));
    EXPECT_EQ(grid.selectedRowCount(), 1);
    EXPECT_EQ(marks.recordCount(), 5);
    EXPECT_TRUE(codes.empty());
    // changed: the shortcuts read the new key
    replacement = Qt::Key_A;
    press(&grid, Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(grid.selectedRowCount(), 5);
    EXPECT_EQ(codes, std::vector<quint16>{0});
    // a plain key changed by the handler reaches the grid as the new key
    replacement = Qt::Key_Down;
    marks.first();
    press(&grid, Qt::Key_F9);
    EXPECT_EQ(marks.recNo(), 2);
}

// The shortcuts work while a cell editor has the focus; other keys go on to the editor.
TEST_F(GridEventsTest, ShortcutsReachThroughTheCellEditor) {
    events.setEditActions(gridevents::geaSelectAllEh);
    grid.setCurrentIndex(grid.model()->index(0, 3));
    QTest::keyClick(&grid, Qt::Key_F2);
    QLineEdit* editor = nullptr;
    for (QLineEdit* e : grid.findChildren<QLineEdit*>())
        if (e->isVisible()) editor = e;
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(grid.selectedRowCount(), 5);
    QTest::keyClick(editor, Qt::Key_7);
    EXPECT_TRUE(editor->text().endsWith('7'));
}

// Deleting and cutting ask first when the grid's confirm-delete option is on: the host's
// handler answers, or else the "Confirm" question does.
TEST_F(GridEventsTest, DeleteAndCutAskFirst) {
    events.setEditActions(gridevents::geaDeleteEh | gridevents::geaCutEh);
    ASSERT_TRUE(grid.options() & Grid::ConfirmDelete);
    struct Case {
        const char* name;
        int key;
        bool handler;
        bool answer;
        QString question;
        int rowsAfter;
    };
    std::vector<Case> cases = {
        {"delete, question answered no", Qt::Key_Delete, false, false, "Delete record(s) - ?", 5},
        {"delete, question answered yes", Qt::Key_Delete, false, true, "Delete record(s) - ?", 4},
        {"cut, question answered no", Qt::Key_X, false, false, "Cut record(s) - ?", 5},
        {"delete, handler says no", Qt::Key_Delete, true, false, {}, 5},
        {"cut, handler says yes", Qt::Key_X, true, true, {}, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetRows();
        select({3});
        testsupport::MessageLog log(c.answer ? QMessageBox::Yes : QMessageBox::No);
        std::vector<bool> presets;
        if (c.handler)
            events.OnKXDBEOnConfirmDelete = [&](Grid& sender, bool& canDelete) {
                EXPECT_EQ(&sender, &grid);
                presets.push_back(canDelete);
                canDelete = c.answer;
            };
        else
            events.OnKXDBEOnConfirmDelete = nullptr;
        press(&grid, c.key, Qt::ControlModifier);
        EXPECT_EQ(marks.recordCount(), c.rowsAfter);
        if (c.handler) {
            EXPECT_EQ(presets, std::vector<bool>{true});
            EXPECT_TRUE(log.messages.isEmpty());
        } else {
            ASSERT_EQ(log.messages.size(), 1);
            EXPECT_EQ(log.messages[0].caption, "Confirm");
            EXPECT_EQ(log.messages[0].text, c.question);
            EXPECT_EQ(log.messages[0].icon, QMessageBox::Question);
        }
    }
}

// Duplicates are found field by field but kept as the key fields' texts run together:
// 12 and 3 make "123", as 1 and 23 do.
TEST_F(GridEventsTest, ScanFindsDuplicatesByTheJoinedKey) {
    marks.close();
    events.setActive(true);
    EXPECT_TRUE(events.Active());
    EXPECT_TRUE(marks.active());
    EXPECT_EQ(events.DuplicateList.items(), QStringList{"123"});
    EXPECT_EQ(marks.recNo(), 1);
    const QColor green(0, 128, 0);
    for (int row : {0, 1, 2}) EXPECT_EQ(background(row, 0, {}), green) << row;
    for (int row : {3, 4}) EXPECT_NE(background(row, 0, {}), green) << row;
    EXPECT_EQ(events.BuildRowKey().filter, "id_student=12 and id_examination=3");

    events.ErrorList.add("1");
    events.setActive(false);
    EXPECT_FALSE(events.Active());
    EXPECT_FALSE(marks.active());
    EXPECT_TRUE(events.DuplicateList.isEmpty());
    EXPECT_TRUE(events.ErrorList.isEmpty());
}

// The fields follow the dataset through a close and open; a field that is gone from the
// open dataset is forgotten, and the actions say that the row id is missing.
TEST_F(GridEventsTest, FieldGoneFromTheDatasetIsForgotten) {
    marks.close();
    marks.open();
    EXPECT_EQ(events.UniqueField(), &marks.field("id_mark"));
    EXPECT_EQ(events.BuildRowKey().filter, "id_student=12 and id_examination=3");
    marks.close();
    marks.setSql("SELECT id_student, id_gr, name, m1 FROM mark ORDER BY id_student");
    marks.open();
    EXPECT_EQ(events.UniqueField(), nullptr);
    EXPECT_EQ(events.BuildRowKey().filter, "id_student=1");
    codes.clear();
    events.SelectAllRows();
    EXPECT_EQ(codes, std::vector<quint16>{gridevents::StatusNoUniqueField});
}

TEST_F(GridEventsTest, DatasetThatCannotOpenLeavesItInactive) {
    marks.close();
    marks.setSql("SELECT nothing FROM nowhere");
    events.setActive(true);
    EXPECT_FALSE(events.Active());
    EXPECT_TRUE(codes.empty());
}

// A text key with an apostrophe in it finds its duplicates like any other.
TEST_F(GridEventsTest, ApostropheInATextKeyFindsDuplicates) {
    conn.execute("UPDATE mark SET name = 'O''Brien' WHERE id_mark IN (4, 5)");
    events.KeyFieldList.clear();
    events.addKeyField(&marks.field("name"));
    marks.close();
    events.setActive(true);
    ASSERT_TRUE(events.Active());
    EXPECT_EQ(events.DuplicateList.items(), QStringList{"O'Brien"});
    marks.setRecNo(4);
    EXPECT_EQ(events.BuildRowKey().filter, "name='O''Brien'");
    EXPECT_EQ(background(4, 0, {}), QColor(0, 128, 0));
}

// Deleting or cutting one of two duplicate rows leaves the other painted normally.
TEST_F(GridEventsTest, DeleteOrCutReleasesTheDuplicate) {
    events.setEditActions(gridevents::geaDeleteEh | gridevents::geaCutEh);
    grid.setOption(Grid::ConfirmDelete, false);
    const QColor green(0, 128, 0);
    for (int key : {int(Qt::Key_Delete), int(Qt::Key_X)}) {
        SCOPED_TRACE(key);
        resetRows();
        conn.execute("UPDATE mark SET id_examination = 4 WHERE name = 'Петрова Анна'");
        resetRows();
        marks.close();
        events.setActive(false);
        events.setActive(true);
        ASSERT_EQ(events.DuplicateList.items(), QStringList{"123"});
        EXPECT_EQ(background(0, 0, {}), green);
        select({1});
        press(&grid, key, Qt::ControlModifier);
        EXPECT_EQ(marks.recordCount(), 4);
        EXPECT_TRUE(events.DuplicateList.isEmpty());
        EXPECT_NE(background(0, 0, {}), green);
        EXPECT_EQ(grid.selectedRowCount(), 0);
    }
}

// A row the dataset refuses to delete stays and is shown; the other selected rows go.
// A refusal the dataset's own handler has already shown (a silent abort) is not shown
// again.
TEST_F(GridEventsTest, RefusedDeleteIsShownAndTheRestGo) {
    marks.beforeDelete = [](db::Dataset& ds) {
        if (ds.field("name").asString() == "Петрова Анна") throw db::Error("Удалять нельзя.");
        if (ds.field("name").asString() == "Ёлкина Мария") throw db::Abort();
    };
    select({0, 2, 3, 4});
    events.DeleteSelectedRows();
    EXPECT_EQ(errors, QStringList{"Удалять нельзя."});
    EXPECT_EQ(codes, std::vector<quint16>{0});
    EXPECT_EQ(count("SELECT COUNT(*) FROM mark"), 3);
    EXPECT_EQ(marks.recordCount(), 3);
    EXPECT_EQ(marks.state(), db::DatasetState::Browse);
    EXPECT_EQ(grid.selectedRowCount(), 0);
}

// The attribute each draw state gets, from the cell's state, the grid's options and the
// row's place in the component's lists.
TEST_F(GridEventsTest, DrawStateChoosesTheAttribute) {
    auto& a = events.KXDBAttributes();
    a.SelAttr.setColor(QColor(192, 192, 192));
    a.FixedAttr.setList({"модуль 1"});
    const QColor base = grid.palette().color(QPalette::Base);
    const QColor columnColour(250, 240, 200);
    grid.column(0)->setColor(columnColour);
    const Grid::DrawState none, sel(Grid::Selected), focus(Grid::Selected | Grid::Focused);
    marks.setRecNo(4);
    const QString row4Id = QString::fromStdString(text(3, "id_mark"));
    struct Case {
        const char* name;
        std::function<void()> arrange;
        int row, column;
        Grid::DrawState state;
        QColor expected;
    };
    std::vector<Case> cases = {
        {"selected", [] {}, 3, 1, sel, QColor(192, 192, 192)},
        {"selected in a column of the fixed list", [] {}, 3, 3, sel, QColor(192, 220, 192)},
        {"focused with a row selected", [&] { select({0}); }, 3, 0, focus, QColor(79, 79, 79)},
        {"focused, always-show-editor, no row selected",
         [&] { grid.setOption(Grid::AlwaysShowEditor); }, 3, 0, focus, columnColour},
        {"focused, always-show-editor, a row selected",
         [&] {
             grid.setOption(Grid::AlwaysShowEditor);
             select({2});
         },
         3, 0, focus, QColor(79, 79, 79)},
        {"focused while a row is inserted",
         [&] {
             select({0});
             marks.insert();
         },
         3, 0, focus, columnColour},
        {"selected while a row is inserted, none selected", [&] { marks.insert(); }, 3, 1, sel,
         base},
        {"selected while a row is inserted, one selected",
         [&] {
             select({0});
             marks.insert();
         },
         3, 1, sel, QColor(192, 192, 192)},
        {"plain row", [] {}, 3, 1, none, base},
        {"plain row in a coloured column", [] {}, 3, 0, none, columnColour},
        {"pasted row", [&] { events.PastedList.add(row4Id); }, 3, 1, none,
         a.AfterPasteAttr.Color()},
        {"faulty row before pasted",
         [&] {
             events.PastedList.add(row4Id);
             events.ErrorList.add(row4Id);
         },
         3, 1, none, QColor(255, 0, 0)},
        {"duplicate before faulty",
         [&] {
             events.ErrorList.add(row4Id);
             events.DuplicateList.add("53");
         },
         3, 1, none, QColor(0, 128, 0)},
        {"another row's key", [&] { events.DuplicateList.add("73"); }, 3, 1, none, base},
        {"the current row of a grid that tints it", [&] { grid.setOption(Grid::RowHighlight); }, 3,
         1, none, grid.palette().color(QPalette::Highlight).lighter(185)},
        {"another row of a grid that tints the current one",
         [&] { grid.setOption(Grid::RowHighlight); }, 2, 1, none, base},
        {"a selected cell of the tinted row", [&] { grid.setOption(Grid::RowHighlight); }, 3, 1,
         sel, QColor(192, 192, 192)},
        {"a duplicate on the tinted row",
         [&] {
             grid.setOption(Grid::RowHighlight);
             events.DuplicateList.add("53");
         },
         3, 1, none, QColor(0, 128, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        marks.cancel();
        grid.clearRowSelection();
        grid.setOption(Grid::AlwaysShowEditor, false);
        grid.setOption(Grid::RowHighlight, false);
        events.PastedList.clear();
        events.ErrorList.clear();
        events.DuplicateList.clear();
        c.arrange();
        int row = c.row;
        if (marks.state() == db::DatasetState::Insert && row >= marks.currentRow()) ++row;
        EXPECT_EQ(background(row, c.column, c.state), c.expected);
    }
    marks.cancel();
}

// The text's place in the cell by the column's alignment, and the forwarded drawing
// event after it, with the cell as the component left it.
TEST_F(GridEventsTest, CellTextIsPlacedByAlignment) {
    QFont font;
    font.setPixelSize(12);
    QFontMetrics fm(font);
    const QString text = QStringLiteral("ШШШ");
    const int width = fm.horizontalAdvance(text);
    const QRect rect(10, 4, 120, 30);
    struct Case {
        Qt::Alignment alignment;
        int x;
    };
    std::vector<Case> cases = {
        {Qt::AlignLeft, rect.left() + 2},
        {Qt::AlignRight, rect.left() + rect.width() - width - 3},
        {Qt::AlignHCenter, rect.left() + rect.width() / 2 - width / 2},
    };
    int forwarded = 0;
    events.OnDrawColumnCell = [&](Grid& sender, Grid::CellDraw& cell) {
        EXPECT_EQ(&sender, &grid);
        EXPECT_EQ(cell.background, QColor(0, 0, 0));
        ++forwarded;
    };
    events.KXDBAttributes().SelAttr.setFont(font, Qt::white);
    for (const Case& c : cases) {
        QImage image(160, 40, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QPainter painter(&image);
        Grid::CellDraw cell{&painter, rect,    0,    0,    grid.column(0), Grid::Selected,
                            Qt::red,  Qt::red, font, text, c.alignment};
        events.GridDrawColumnCell(grid, cell);
        painter.end();
        // the whole cell is filled, nothing outside it
        EXPECT_EQ(image.pixelColor(rect.left(), rect.top()), QColor(0, 0, 0));
        EXPECT_EQ(image.pixelColor(rect.left() - 1, rect.top()), QColor(Qt::blue));
        // the first white column of the text lies at the computed place (the glyph's
        // own side bearing aside)
        int first = -1;
        for (int x = rect.left(); x <= rect.right() && first < 0; ++x)
            for (int y = rect.top(); y <= rect.bottom(); ++y)
                if (image.pixelColor(x, y).lightness() > 128) {
                    first = x;
                    break;
                }
        EXPECT_NEAR(first, c.x, 2) << int(c.alignment);
        int top = -1;
        for (int y = rect.top(); y <= rect.bottom() && top < 0; ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                if (image.pixelColor(x, y).lightness() > 128) {
                    top = y;
                    break;
                }
        int lineTop = rect.top() + rect.height() / 2 - fm.height() / 2;
        EXPECT_GE(top, lineTop);
        EXPECT_LE(top, lineTop + fm.ascent());
    }
    EXPECT_EQ(forwarded, 3);
}

}  // namespace
