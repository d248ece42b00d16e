#pragma once

#include <QHeaderView>
#include <QLineEdit>
#include <QtTest>

#include "UiFixture.h"
#include "ui/DataGrid.h"

namespace uitest {

// A grid over the marks: student, m1 (whole number), m2 (number), note (10 characters),
// p36 (date).
class GridTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        marks.open();
        marks.field("id_mark").setReadOnly(true);
        const char* fields[][2] = {{"student", "Студент"},
                                   {"m1", "Модуль 1"},
                                   {"m2", "Модуль 2"},
                                   {"note", "Допуск"},
                                   {"p36", "Дата сдачи"}};
        for (auto& f : fields) grid.addColumn(f[0])->setTitle(f[1]);
        grid.column(0)->setWidth(160);
        grid.setDataSource(&markSource);
        grid.resize(640, 240);
        grid.show();
        grid.setFocus();
    }
    QModelIndex at(int row, int column) { return grid.model()->index(row, column); }
    // The open cell editor, if any.
    QLineEdit* editor() {
        for (QLineEdit* e : grid.findChildren<QLineEdit*>())
            if (e->isVisible()) return e;
        return nullptr;
    }
    // Moves to the cell, opens its editor with F2, replaces what it holds with the text
    // and presses Enter. False when no editor opened.
    bool enter(int row, int column, const QString& text) {
        grid.setCurrentIndex(at(row, column));
        QTest::keyClick(&grid, Qt::Key_F2);
        QLineEdit* e = editor();
        if (!e) return false;
        e->selectAll();
        e->insert(text);  // typed as a person would, Cyrillic included
        QTest::keyClick(e, Qt::Key_Return);
        QCoreApplication::processEvents();  // the editor commits on the next turn
        return true;
    }
    void clickCell(int row, int column, Qt::KeyboardModifiers mods = {}) {
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, mods,
                          grid.visualRect(at(row, column)).center());
    }
    void clickIndicator(int row, Qt::KeyboardModifiers mods = {}) {
        QHeaderView* h = grid.verticalHeader();
        QPoint p(h->width() / 2, h->sectionViewportPosition(row) + h->sectionSize(row) / 2);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, mods, p);
    }
    db::Value field(const char* name) { return marks.field(name).value(); }

    ui::DataGrid grid;
};

}  // namespace uitest
