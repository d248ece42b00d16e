// Opening a large sheet in the main window: a group of 300 students graded by a rule of
// twelve control points, from choosing the sheet form to the grid filled with every
// row's total and grade name, on the demo faculty's embedded database.

#include <benchmark/benchmark.h>

#include "bench/QtBenchMain.h"
#include "bench/sheet/LargeSheet.h"

namespace {

using benchsheet::kStudents;
using benchsheet::Window;

void OpenSheet300x12(benchmark::State& state) {
    Window w;
    w.open();  // the rows are prepared once, as on a teacher's first opening
    for (auto _ : state) w.open();
    state.SetItemsProcessed(state.iterations() * kStudents);
}
BENCHMARK(OpenSheet300x12)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return bench::runQtBenchmarks(argc, argv);
}
