// The grid component on a 300-row sheet over the embedded engine: painting the grid's
// visible cells and every cell through the component with a non-empty duplicate list
// (each cell a hashed look-up), and the duplicate scan of activation.

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "bench/QtBenchMain.h"
#include "db/Connection.h"
#include "db/Dataset.h"
#include "gridevents/TKXDBGridEvents.h"
#include "server/Engine.h"
#include "ui/DataGrid.h"
#include "ui/DataSource.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRows = 300;

// 300 mark rows with twelve marks each; every tenth student has a second row for the
// same examination, so thirty keys are duplicates.
struct Sheet {
    fs::path dir;
    db::Connection conn;
    db::Dataset marks{&conn};
    ui::DataSource source{&marks};
    ui::DataGrid grid;
    gridevents::TKXDBGridEvents events;

    Sheet() {
        std::string pattern = (fs::temp_directory_path() / "qor28-bench-grid-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder");
        dir = pattern;
        fs::path file = dir / "bench.db";
        server::Engine::create(file.string(), "bench", "bench");
        conn.open(
            "Provider=SQLOLEDB.1;Password=bench;User ID=bench;Initial Catalog=QOR;"
            "Data Source=" +
            file.string());
        std::string create =
            "CREATE TABLE mark (id_mark int IDENTITY(1,1) PRIMARY KEY, id_student int, "
            "id_examination int, name varchar(70)";
        for (int m = 1; m <= 12; ++m) create += ", m" + std::to_string(m) + " int";
        conn.execute(create + ")");
        std::string insert = "BEGIN TRANSACTION\n";
        for (int i = 0; i < kRows; ++i) {
            int student = i % 10 == 9 ? i - 1 : i;
            insert += "INSERT INTO mark (id_student, id_examination, name";
            for (int m = 1; m <= 12; ++m) insert += ", m" + std::to_string(m);
            insert += ") VALUES (" + std::to_string(1000 + student) + ", 77, 'Студент " +
                      std::to_string(i) + "'";
            for (int m = 1; m <= 12; ++m) insert += ", " + std::to_string((i + m) % 9);
            insert += ")\n";
        }
        conn.execute(insert + "COMMIT");
        marks.setSql("SELECT * FROM mark ORDER BY id_mark");
        marks.setKeyField("id_mark");
        marks.open();
        grid.addColumn("name")->setWidth(160);
        for (int m = 1; m <= 12; ++m) grid.addColumn("m" + QString::number(m))->setWidth(48);
        grid.setDataSource(&source);
        grid.resize(1000, 700);
        grid.show();
        events.setDBGridEh(&grid);
        events.setUniqueField(&marks.field("id_mark"));
        events.addKeyField(&marks.field("id_student"));
        events.addKeyField(&marks.field("id_examination"));
        events.setActive(true);
        if (events.DuplicateList.size() != kRows / 10) throw std::runtime_error("scan failed");
        // a few rows as a paste leaves them
        for (int id : {5, 50, 150}) events.PastedList.add(QString::number(id));
    }
    ~Sheet() {
        events.setDBGridEh(nullptr);
        source.setDataset(nullptr);
        marks.close();
        conn.close();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

// Made on first use and dropped before the application object goes.
std::unique_ptr<Sheet> theSheet;
Sheet& sheet() {
    if (!theSheet) theSheet = std::make_unique<Sheet>();
    return *theSheet;
}

// The grid's viewport painted once, as a repaint of the sheet on screen does.
void BM_PaintVisibleCells(benchmark::State& state) {
    Sheet& s = sheet();
    QImage image(s.grid.viewport()->size(), QImage::Format_RGB32);
    int cells = 0;
    s.events.OnDrawColumnCell = [&](ui::DataGrid&, ui::DataGrid::CellDraw&) { ++cells; };
    for (auto _ : state) s.grid.viewport()->render(&image);
    s.events.OnDrawColumnCell = nullptr;
    state.counters["cells_per_paint"] =
        benchmark::Counter(static_cast<double>(cells) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_PaintVisibleCells)->Unit(benchmark::kMillisecond);

// Every cell of the 300 rows through the component's cell drawing.
void BM_DrawEveryCell(benchmark::State& state) {
    Sheet& s = sheet();
    QImage image(200, 30, QImage::Format_RGB32);
    QPainter painter(&image);
    const int columns = s.grid.columnCount();
    for (auto _ : state) {
        for (int row = 0; row < kRows; ++row) {
            for (int c = 0; c < columns; ++c) {
                ui::DataGrid::CellDraw cell{&painter,
                                            QRect(0, 0, 48, 22),
                                            row,
                                            c,
                                            s.grid.column(c),
                                            {},
                                            Qt::white,
                                            Qt::black,
                                            s.grid.font(),
                                            s.grid.cellText(row, c),
                                            Qt::AlignLeft};
                s.events.GridDrawColumnCell(s.grid, cell);
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kRows * columns);
}
BENCHMARK(BM_DrawEveryCell)->Unit(benchmark::kMillisecond);

// The duplicate scan over the 300 rows (the dataset already open, as on activation).
void BM_ScanDuplicates(benchmark::State& state) {
    Sheet& s = sheet();
    for (auto _ : state) {
        bool ok = s.events.ScanDuplicates();
        benchmark::DoNotOptimize(ok);
    }
    if (s.events.DuplicateList.size() != kRows / 10) state.SkipWithError("wrong duplicates");
    state.counters["duplicate_keys"] = static_cast<double>(s.events.DuplicateList.size());
}
BENCHMARK(BM_ScanDuplicates)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return bench::runQtBenchmarks(argc, argv, [] { theSheet.reset(); });
}
