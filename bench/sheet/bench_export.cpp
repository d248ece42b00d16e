// The large sheet (300 students, twelve control points) in the main window, taken from
// its grid as the exported table and written as XLSX and as PDF: each benchmark takes the
// grid's table and writes the file, as an export command does.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>

#include "bench/QtBenchMain.h"
#include "bench/sheet/LargeSheet.h"
#include "export/CsvWriter.h"
#include "export/SheetPrinter.h"
#include "export/XlsxWriter.h"
#include "sheet/GridTable.h"

namespace {

using benchsheet::kStudents;
using benchsheet::Window;

sheetexport::SheetTable table(const Window& w) {
    sheetexport::SheetTable t = sheet::gridTable(*w.form->KXDBGridEh1);
    if (t.rows.size() != static_cast<std::size_t>(kStudents))
        throw std::runtime_error("the grid's table has not every student");
    t.heading.discipline = QStringLiteral("Нагрузочная дисциплина");
    t.heading.group = QStringLiteral("БЕНЧ-300");
    t.heading.sheetForm = QStringLiteral("Ведомость");
    t.heading.teacher = QStringLiteral("Иванова Анна Сергеевна");
    t.heading.date = QStringLiteral("10.12.2026");
    return t;
}

template <void (*Write)(const sheetexport::SheetTable&, const QString&)>
void Export(benchmark::State& state, const char* name) {
    Window w;
    w.open();
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QString::fromLatin1(name));
    for (auto _ : state) Write(table(w), path);
    state.SetItemsProcessed(state.iterations() * kStudents);
    state.counters["bytes"] = static_cast<double>(QFileInfo(path).size());
}

void GridTable300(benchmark::State& state) {
    Window w;
    w.open();
    for (auto _ : state) benchmark::DoNotOptimize(table(w));
    state.SetItemsProcessed(state.iterations() * kStudents);
}
BENCHMARK(GridTable300)->Unit(benchmark::kMillisecond);

void ExportXlsx300(benchmark::State& state) {
    Export<sheetexport::writeXlsx>(state, "sheet.xlsx");
}
BENCHMARK(ExportXlsx300)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void ExportPdf300(benchmark::State& state) {
    Export<sheetexport::writePdf>(state, "sheet.pdf");
}
BENCHMARK(ExportPdf300)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void ExportCsv300(benchmark::State& state) {
    Export<sheetexport::writeCsv>(state, "sheet.csv");
}
BENCHMARK(ExportCsv300)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return bench::runQtBenchmarks(argc, argv);
}
