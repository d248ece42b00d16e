// One side of a paste between two running programs: "copy FILE" makes a small sheet in
// the database file, copies two of its rows through the grid component, says "copied"
// and keeps serving the clipboard until it is ended (at most 30 s); "paste FILE" makes
// an empty sheet, pastes what the clipboard holds and prints the status code and the
// sheet's rows, one "name|m1|note" line each. cross_process_paste.sh runs both on a
// virtual display of its own.

#include <QKeyEvent>
#include <QTimer>
#include <cstdio>
#include <string>

#include "db/Connection.h"
#include "db/Dataset.h"
#include "gridevents/TKXDBGridEvents.h"
#include "server/Engine.h"
#include "ui/Application.h"
#include "ui/DataGrid.h"
#include "ui/DataSource.h"

int main(int argc, char** argv) {
    ui::Application app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s copy|paste FILE\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[1], file = argv[2];
    server::Engine::create(file, "peer", "peer");
    db::Connection conn;
    conn.open("Provider=SQLOLEDB.1;Password=peer;User ID=peer;Initial Catalog=QOR;Data Source=" +
              file);
    conn.execute(
        "CREATE TABLE mark (id_mark int IDENTITY(1,1) PRIMARY KEY, name varchar(40), m1 int,"
        " note varchar(10))");
    if (mode == "copy") {
        conn.execute("INSERT INTO mark (name, m1, note) VALUES ('Сидоров Олег', 40, 'д')");
        conn.execute("INSERT INTO mark (name, m1, note) VALUES ('O''Brien', 7, 'x')");
        conn.execute("INSERT INTO mark (name, m1, note) VALUES ('Ёлкина Мария', NULL, NULL)");
    }
    db::Dataset marks(&conn);
    marks.setSql("SELECT id_mark, name, m1, note FROM mark ORDER BY id_mark");
    marks.setKeyField("id_mark");
    marks.open();
    ui::DataSource source(&marks);
    ui::DataGrid grid;
    for (const char* f : {"name", "m1", "note"}) grid.addColumn(f);
    grid.setDataSource(&source);
    grid.show();
    gridevents::TKXDBGridEvents events;
    events.setDBGridEh(&grid);
    events.setUniqueField(&marks.field("id_mark"));
    events.setEditActions(gridevents::geaCopyEh | gridevents::geaPasteEh);
    int code = -1;
    events.OnKXDBEGridError = [&](gridevents::TKXDBGridEvents&, quint16 c) { code = c; };

    if (mode == "copy") {
        grid.selectBookmark(marks.bookmarkAt(2));
        grid.selectBookmark(marks.bookmarkAt(0));
        QKeyEvent press(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
        QApplication::sendEvent(&grid, &press);
        std::printf("copied %d\n", code);
        std::fflush(stdout);
        QTimer::singleShot(30000, &app, &QCoreApplication::quit);
        return app.exec();
    }
    events.PasteRows();
    std::printf("code %d\n", code);
    for (int row = 0; row < marks.recordCount(); ++row) {
        std::string line;
        for (int f = 1; f <= 3; ++f) line += (f > 1 ? "|" : "") + db::toText(marks.valueAt(row, f));
        std::printf("%s\n", line.c_str());
    }
    return 0;
}
