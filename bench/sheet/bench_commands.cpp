// The date for all over a large sheet: a group of 300 students, every one admitted, each
// row dated through the save rules with its change history, on the demo faculty's
// embedded database in the main window.

#include <benchmark/benchmark.h>

#include <QDate>
#include <QDateTimeEdit>
#include <QPixmap>
#include <QPushButton>

#include "bench/QtBenchMain.h"
#include "bench/sheet/LargeSheet.h"

namespace {

using benchsheet::kStudents;
using benchsheet::Window;

void DateForAll300(benchmark::State& state) {
    Window w;
    w.open();
    // The question is answered Yes; anything else shown is a failure of the run.
    std::string unexpected;
    ui::MessageService::setResponder([&unexpected](const ui::Message& m) {
        if (m.icon == QMessageBox::Question) return QMessageBox::Yes;
        unexpected += m.text.toStdString() + "\n";
        return QMessageBox::Ok;
    });
    db::Dataset& sheet = w.dm.ADO_SP_Sort;
    sheet.setRecNo(150);
    int n = 0;
    bool backOnStart = true;
    for (auto _ : state) {
        state.PauseTiming();
        // a day other than the last run's, so that every row changes
        w.form->DateTimePicker1->setDate(QDate::currentDate().addDays(-1 - (n++ % 2)));
        state.ResumeTiming();
        w.form->SpeedButton1Click();
        backOnStart = backOnStart && sheet.recNo() == 150;
    }
    if (!backOnStart) state.SkipWithError("the cursor did not return to the starting row");
    // every row carries the last run's day (a date-time read back shows no time at midnight)
    const std::string last =
        w.form->DateTimePicker1->date().toString(QStringLiteral("dd.MM.yyyy")).toStdString();
    int dated = 0;
    for (sheet.first(); !sheet.eof(); sheet.next()) dated += sheet.field("p36").asString() == last;
    // and one history row of its date per run
    db::Dataset& q = w.dm.ADOQ_Temp;
    q.close();
    q.setSql("SELECT COUNT(*) AS n FROM QOR_LOG WHERE descr LIKE 'Поле \"p36\"%'");
    q.open();
    if (q.field("n").asInteger() < static_cast<std::int64_t>(state.iterations()) * kStudents)
        unexpected += "the history misses dated rows\n";
    if (!unexpected.empty() || dated != kStudents)
        state.SkipWithError(("not every row was dated: " + unexpected).c_str());
    state.SetItemsProcessed(state.iterations() * kStudents);
}
BENCHMARK(DateForAll300)->Unit(benchmark::kMillisecond);

// The loaded sheet's grid painted whole, every visible cell through the grid component and
// the window's colour rules.
void PaintSheet300(benchmark::State& state) {
    Window w;
    w.open();
    QWidget* viewport = w.form->KXDBGridEh1->viewport();
    QPixmap target(viewport->size());
    for (auto _ : state) viewport->render(&target);
    state.counters["viewport_px"] = viewport->width() * viewport->height();
}
BENCHMARK(PaintSheet300)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return bench::runQtBenchmarks(argc, argv);
}
