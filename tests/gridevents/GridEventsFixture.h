#pragma once

// A small grid over a fresh embedded database per test, with the grid component attached.
//   grp  (id_gr, name): three groups, the list of the lookup column;
//   mark (id_mark key, id_student, id_examination, id_gr, name, m1 int, note varchar(10)):
//        five rows; rows 1 and 2 share their student and examination (12, 3), row 3 has
//        1 and 23 (the same key text "123"), rows 4 and 5 are alone.
// The grid shows name ("Студент"), id_student (hidden), grp (the group's name, a lookup
// column through id_gr), m1 ("Модуль 1"); the component's row id is id_mark and its key
// fields id_student and id_examination.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QStringList>
#include <QtTest>
#include <filesystem>
#include <string>
#include <vector>

#include "db/Connection.h"
#include "db/Dataset.h"
#include "gridevents/TKXDBGridEvents.h"
#include "server/Engine.h"
#include "tests/support/MessageLog.h"
#include "tests/support/QStringPrinter.h"
#include "ui/ControlDialogs.h"
#include "ui/DataGrid.h"
#include "ui/DataSource.h"

namespace gridtest {

class GridEventsTest : public testing::Test {
  protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "qor28-grid-XXXXXX").string();
        ASSERT_TRUE(::mkdtemp(pattern.data()));
        dir = pattern;
        std::filesystem::path file = dir / "test.db";
        server::Engine::create(file.string(), "tester", "secret");
        conn.open(
            "Provider=SQLOLEDB.1;Password=secret;Persist Security Info=True;User ID=tester;"
            "Initial Catalog=QOR;Data Source=" +
            file.string());
        for (const char* sql : {
                 "CREATE TABLE grp (id_gr int PRIMARY KEY, name varchar(40))",
                 "INSERT INTO grp VALUES (10, 'ИВТ-101')",
                 "INSERT INTO grp VALUES (20, 'ПМ-201')",
                 "INSERT INTO grp VALUES (30, 'ФИ-301')",
                 "CREATE TABLE mark (id_mark int IDENTITY(1,1) PRIMARY KEY, id_student int,"
                 " id_examination int, id_gr int, name varchar(40), m1 int, note varchar(10))",
             })
            conn.execute(sql);
        fillRows();
        groups.setSql("SELECT id_gr, name FROM grp ORDER BY id_gr");
        marks.setSql(
            "SELECT id_mark, id_student, id_examination, id_gr, name, m1, note FROM mark"
            " ORDER BY id_mark");
        marks.setKeyField("id_mark");
        marks.addLookupField("grp", db::Type::Text, "id_gr", groups, "id_gr", "name", 40);
        marks.open();
        grid.addColumn("name")->setTitle("Студент");
        grid.addColumn("id_student")->setVisible(false);
        grid.addColumn("grp")->setTitle("Группа");
        grid.addColumn("m1")->setTitle("Модуль 1");
        grid.setDataSource(&source);
        grid.resize(520, 200);
        grid.show();
        grid.setFocus();

        events.setDBGridEh(&grid);
        events.setUniqueField(&marks.field("id_mark"));
        events.addKeyField(&marks.field("id_student"));
        events.addKeyField(&marks.field("id_examination"));
        events.OnKXDBEGridError = [this](gridevents::TKXDBGridEvents&, quint16 code) {
            codes.push_back(code);
        };
        ui::ControlDialogs::setErrorHandler(
            [this](std::exception_ptr e) { errors << ui::ControlDialogs::messageOf(e); });
    }

    void TearDown() override {
        ui::ControlDialogs::setErrorHandler({});
        events.setDBGridEh(nullptr);
        source.setDataset(nullptr);
        marks.close();
        groups.close();
        conn.close();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    void fillRows() {
        for (const char* sql : {
                 "INSERT INTO mark (id_student, id_examination, id_gr, name, m1, note) VALUES"
                 " (12, 3, 10, 'Иванов Иван', 10, 'д')",
                 "INSERT INTO mark (id_student, id_examination, id_gr, name, m1, note) VALUES"
                 " (12, 3, 10, 'Иванов И.', 20, NULL)",
                 "INSERT INTO mark (id_student, id_examination, id_gr, name, m1, note) VALUES"
                 " (1, 23, 20, 'Петрова Анна', 30, NULL)",
                 "INSERT INTO mark (id_student, id_examination, id_gr, name, m1, note) VALUES"
                 " (5, 3, 20, 'Сидоров Олег', 40, 'д')",
                 "INSERT INTO mark (id_student, id_examination, id_gr, name, m1, note) VALUES"
                 " (7, 3, 30, 'Ёлкина Мария', NULL, NULL)",
             })
            conn.execute(sql);
    }
    // The fixture's five rows again, the dataset read anew.
    void resetRows() {
        conn.execute("DELETE FROM mark");
        fillRows();
        marks.close();
        marks.open();
    }
    // A key pressed and let go on a widget, as the keyboard delivers it (any key code,
    // Cyrillic letters too).
    static void press(QWidget* target, int key, Qt::KeyboardModifiers mods = {}) {
        QKeyEvent down(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(target, &down);
        QKeyEvent up(QEvent::KeyRelease, key, mods);
        QApplication::sendEvent(target, &up);
    }
    // Selects the rows at these positions, in this order.
    void select(std::initializer_list<int> rows) {
        grid.clearRowSelection();
        for (int r : rows) grid.selectBookmark(marks.bookmarkAt(r));
    }
    db::Value at(int row, const char* field) const {
        return marks.valueAt(row, marks.field(field).index());
    }
    std::string text(int row, const char* field) const { return db::toText(at(row, field)); }
    int count(const std::string& sql) {
        return static_cast<int>(db::toInteger(conn.execute(sql).resultSets.at(0).rows.at(0).at(0)));
    }
    // The background the component gives a cell of a row in a draw state.
    QColor background(int row, int column, ui::DataGrid::DrawState state) {
        ui::DataGrid::CellDraw cell{nullptr,
                                    QRect(0, 0, 80, 20),
                                    row,
                                    column,
                                    grid.column(column),
                                    state,
                                    Qt::magenta,
                                    Qt::magenta,
                                    QFont(),
                                    grid.cellText(row, column),
                                    grid.column(column)->alignment()};
        events.GridDrawColumnCell(grid, cell);
        return cell.background;
    }

    std::filesystem::path dir;
    db::Connection conn;
    db::Dataset groups{&conn};
    db::Dataset marks{&conn};
    ui::DataSource source{&marks};
    ui::DataGrid grid;
    gridevents::TKXDBGridEvents events;
    std::vector<quint16> codes;
    QStringList errors;
};

}  // namespace gridtest
