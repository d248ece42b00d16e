// How the grid looks: titles of several lines, the footer row, auto-fitted widths. The
// picture is written under the build folder for a person to look at.

#include <QDir>
#include <QFont>
#include <set>

#include "GridFixture.h"

using namespace uitest;

namespace {

using GridLook = GridTest;

TEST_F(GridLook, TitlesWrapFooterShowsStaticTextAndWidthsFitTheGrid) {
    grid.clearColumns();
    struct Layout {
        const char* field;
        const char* title;
        int width;
    };
    const Layout layout[] = {{"id_mark", "П/П", 48},
                             {"note", "Допуск по оплате", 60},
                             {"student", "Студент", 172},
                             {"m1", "Модуль 1\n(макс. 40)", 60},
                             {"m2", "Модуль 2\n(макс. 60)", 60},
                             {"p36", "Дата сдачи", 105}};
    for (const Layout& s : layout) {
        ui::DataGridColumn* c = grid.addColumn(s.field);
        c->setTitle(s.title);
        c->setWidth(s.width);
    }
    ui::DataGridColumn* admission = grid.column(1);
    admission->setMinWidth(60);
    admission->setMaxWidth(60);
    admission->setAlignment(Qt::AlignCenter);
    QFont bold = grid.font();
    bold.setBold(true);
    admission->setFont(bold);
    for (int i : {3, 4}) {
        grid.column(i)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid.column(i)->setColor(Qt::white);
    }
    grid.column(2)->setFooterText("Сумма баллов");
    grid.column(3)->setFooterText("65");
    grid.setFooterVisible(true);
    grid.setTitleColor(QColor(0x50, 0x50, 0x50));
    grid.setAutoFitColumns(true);
    grid.setOption(ui::DataGrid::RowHighlight);
    grid.onDrawColumnCell = [](ui::DataGrid& g, ui::DataGrid::CellDraw& cell) {
        if (cell.dataColumn == 1 && g.cellValue(cell.row, "note") != text("д") &&
            !(cell.state & ui::DataGrid::Selected)) {
            cell.background = QColor(255, 221, 221);
            g.defaultDrawColumnCell(cell);
        }
    };
    grid.resize(720, 260);
    marks.setRecNo(2);
    QApplication::processEvents();

    // "Допуск по оплате" does not fit 60 pixels on one line: the title row grows, and
    // the two-line titles fit in it.
    int oneLine = QFontMetrics(grid.titleFont()).height();
    EXPECT_GE(grid.horizontalHeader()->height(), 2 * oneLine);
    EXPECT_EQ(grid.columnWidth(1), 60);
    int used = 0;
    for (int i = 0; i < grid.columnCount(); ++i) used += grid.columnWidth(i);
    EXPECT_EQ(used, grid.viewport()->width());
    EXPECT_GT(grid.columnWidth(2), 172);  // wider than asked: the grid has room
    // The footer sits under the cells, over the full width.
    EXPECT_LT(grid.viewport()->geometry().bottom(), grid.height() - oneLine);

    QDir().mkpath(QOR28_SCREENSHOT_DIR);
    QString file = QOR28_SCREENSHOT_DIR "/data_grid.png";
    QImage shot = grid.grab().toImage();
    ASSERT_TRUE(shot.save(file));
    EXPECT_EQ(QImage(file).size(), grid.size());
    // Titles are painted: the title cell of "Студент" holds dark text pixels.
    QHeaderView* titles = grid.horizontalHeader();
    QRect title(titles->geometry().left() + titles->sectionViewportPosition(2),
                titles->geometry().top(), titles->sectionSize(2), titles->height());
    int dark = 0;
    for (int x = title.left(); x < title.right(); ++x)
        for (int y = title.top(); y < title.bottom(); ++y) dark += qGray(shot.pixel(x, y)) < 128;
    EXPECT_GT(dark, 20);
    // The footer's static text is painted: its row differs from a plain background.
    QRect footer(0, grid.viewport()->geometry().bottom() + 2, grid.width(), 10);
    std::set<QRgb> colours;
    for (int x = footer.left(); x < footer.right(); ++x)
        for (int y = footer.top(); y < footer.bottom(); ++y) colours.insert(shot.pixel(x, y));
    EXPECT_GT(colours.size(), 3u);
}

}  // namespace
