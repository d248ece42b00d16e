// The grid's seams for the components that drive it: keys typed into a cell editor reach
// the key-down hook as keys typed in the grid do, columns rebuilt as one change, and the
// column widths only a person's drag sets.

#include <QSignalSpy>

#include "GridFixture.h"
#include "ui/DataGridModel.h"

using namespace uitest;

namespace {

using GridSeams = GridTest;

TEST_F(GridSeams, KeysTypedInACellEditorGoThroughTheKeyDownHookOnce) {
    QList<int> seen;
    grid.onKeyDown = [&](ui::DataGrid&, int& key, Qt::KeyboardModifiers) {
        seen << key;
        if (key == Qt::Key_8) key = 0;              // swallowed
        if (key == Qt::Key_Comma) key = Qt::Key_9;  // changed
    };
    grid.setCurrentIndex(at(0, 1));
    QTest::keyClick(&grid, Qt::Key_F2);
    QLineEdit* e = editor();
    ASSERT_NE(e, nullptr);
    seen.clear();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_1, Qt::NoModifier);
    QTest::keyClick(e, Qt::Key_8, Qt::NoModifier);
    QTest::keyClick(e, Qt::Key_Comma, Qt::NoModifier);
    EXPECT_EQ(seen, (QList<int>{Qt::Key_1, Qt::Key_8, Qt::Key_Comma}));
    EXPECT_EQ(e->text(), "19");
    // Enter commits through the model, the hook seeing it once
    QTest::keyClick(e, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(seen.count(Qt::Key_Return), 1);
    EXPECT_EQ(field("m1"), db::Value(19));
    // a key the editor leaves to the grid moves the row, and is still seen once
    QTest::keyClick(&grid, Qt::Key_F2);
    ASSERT_NE(editor(), nullptr);
    seen.clear();
    QTest::keyClick(editor(), Qt::Key_Down);
    EXPECT_EQ(seen, QList<int>{Qt::Key_Down});
    EXPECT_EQ(grid.currentIndex().row(), 1);
    EXPECT_EQ(marks.recNo(), 2);
}

TEST_F(GridSeams, ColumnsRebuiltInOneUpdateResetAndLayTheGridOutOnce) {
    grid.setAutoFitColumns(false);
    QSignalSpy resets(grid.model(), &QAbstractItemModel::modelReset);
    {
        ui::DataGrid::ColumnUpdate update(&grid);
        for (int i = grid.columnCount() - 1; i >= 1; --i) grid.removeColumn(i);
        for (const char* name : {"m2", "note", "m1"}) {
            ui::DataGridColumn* c = grid.addColumn(name);
            c->setTitle(QStringLiteral("Столбец %1").arg(name));
            c->setWidth(70);
        }
        grid.column(2)->setVisible(false);
        grid.setDataSource(nullptr);
        grid.setDataSource(&markSource);
        // nothing shown yet
        EXPECT_EQ(resets.count(), 0);
        EXPECT_EQ(grid.model()->columnCount(), 5);
    }
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(grid.model()->columnCount(), 4);
    EXPECT_EQ(grid.model()->rowCount(), 4);
    EXPECT_EQ(at(0, 1).data().toString(), "5.5");
    EXPECT_EQ(grid.model()->headerData(3, Qt::Horizontal).toString(), "Столбец m1");
    EXPECT_EQ(grid.columnWidth(1), 70);
    EXPECT_TRUE(grid.isColumnHidden(2));
    EXPECT_EQ(grid.currentIndex().row(), 0);
    // without an update each step shows at once
    grid.column(1)->setWidth(90);
    EXPECT_EQ(grid.columnWidth(1), 90);
    EXPECT_EQ(resets.count(), 1);
}

TEST_F(GridSeams, OnlyAPersonDraggingATitleEdgeSetsAColumnsWidth) {
    grid.setAutoFitColumns(false);
    ui::DataGridColumn* c = grid.column(1);
    c->setWidth(60);
    grid.setColumnWidth(1, 120);  // the program (or Qt) sizing the section
    EXPECT_EQ(c->width(), 60);
    QHeaderView* titles = grid.horizontalHeader();
    const int edge = titles->sectionViewportPosition(1) + titles->sectionSize(1) - 1;
    const int y = titles->height() / 2;
    QTest::mousePress(titles->viewport(), Qt::LeftButton, {}, QPoint(edge, y));
    QTest::mouseMove(titles->viewport(), QPoint(edge - 30, y));
    QTest::mouseRelease(titles->viewport(), Qt::LeftButton, {}, QPoint(edge - 30, y));
    EXPECT_EQ(c->width(), 90);
    EXPECT_EQ(grid.columnWidth(1), 90);
}

}  // namespace
