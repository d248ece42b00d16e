// One mark typed into the main window's grid on the demo faculty (Базы данных, ИС-24-1),
// checked by the column's edit check (rights, limits, the rule's formula, admission, the
// cap of 100) and saved by the save button with the save rules and three history rows
// (the mark, the day it was given, the total), next to the bare write-back of the same
// mark by the sheet's dataset with no check, no save rules and no history. Both run in
// turn in one run on one database; the counters give each median in milliseconds and
// their ratio.

#include <benchmark/benchmark.h>

#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <random>
#include <stdexcept>

#include "Contract.h"
#include "Demo.h"
#include "bench/QtBenchMain.h"
#include "bench/sheet/LargeSheet.h"
#include "data/TDM_ZOL_3.h"
#include "history/TADOUpdateHistoryExec.h"
#include "sheet/TForm2.h"
#include "signin/TForm8.h"
#include "ui/DataGrid.h"
#include "ui/DataGridColumn.h"
#include "ui/LookupComboBox.h"
#include "ui/LookupListBox.h"
#include "ui/LookupListModel.h"
#include "ui/MessageService.h"

namespace {

using Clock = std::chrono::steady_clock;

// The main window signed in as the demo teacher with the sheet of Базы данных, ИС-24-1
// open on the row of Кусаинов Алихан Ерболович (РК 1 30, РК 2 25, admitted).
struct DemoWindow : benchsheet::Window {
    DemoWindow() : Window(QStringLiteral("Базы данных {3}"), QStringLiteral("ИС-24-1"), false) {
        form->DBLookupComboBox3Click();
        db::Dataset& sheet = dm.ADO_SP_Sort;
        if (!sheet.locate("student", db::Value(std::string("Кусаинов Алихан Ерболович"))))
            throw std::runtime_error("the demo sheet has no Кусаинов: " + messages);
        ui::DataGrid* grid = form->KXDBGridEh1;
        column = grid->indexOfColumn(grid->columnByField(QStringLiteral("m3")));
        // the first save stamps the row with the sheet, the teacher and the day
        typeAndSave(0);
        if (!messages.empty()) throw std::runtime_error(messages);
    }

    // The exam mark typed, checked and saved: 20 and 21 in turn (a total of 75 or 76,
    // хор both), so each save changes the mark, the day it was given and the total.
    double typeAndSave(int n) {
        db::Dataset& sheet = dm.ADO_SP_Sort;
        const auto start = Clock::now();
        if (!form->KXDBGridEh1->commitCell(sheet.currentRow(), column, QString::number(20 + n % 2)))
            throw std::runtime_error("the mark was refused: " + messages);
        form->SpeedButton2Click();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (!messages.empty() || sheet.state() != db::DatasetState::Browse)
            throw std::runtime_error("the save failed: " + messages);
        return ms;
    }

    // The row written back by the dataset alone: the mark 25 and the day it was given put
    // back to a day before, both of which the next typed mark changes again (saves come
    // faster here than the stamp's millisecond; a person is slower). The stored total
    // is left as it was.
    double bareWriteBack() {
        db::Dataset& sheet = dm.ADO_SP_Sort;
        const auto beforePost = std::move(sheet.beforePost);
        const auto afterPost = std::move(sheet.afterPost);
        const auto beforeCommit = std::move(sheet.beforeCommit);
        sheet.beforePost = nullptr;
        sheet.afterPost = nullptr;
        sheet.beforeCommit = nullptr;
        const auto start = Clock::now();
        sheet.edit();
        sheet.field("m3").setValue(db::Value(25.0));
        sheet.field("p36").setValue(db::Value(dayBefore));
        sheet.post();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        sheet.beforePost = beforePost;
        sheet.afterPost = afterPost;
        sheet.beforeCommit = beforeCommit;
        return ms;
    }

    std::int64_t historyRows() {
        db::Dataset& exec = dm.ADOQ_Exec;
        exec.close();
        exec.setSql("SELECT COUNT(*) FROM QOR_LOG");
        exec.open();
        const std::int64_t n = exec.field(0).asInteger();
        exec.close();
        return n;
    }

    int column = -1;
    db::DateTime dayBefore = db::makeDateTime(2026, 1, 10, 10);
};

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

void MarkTypedCheckedSavedVsBareWriteBack(benchmark::State& state) {
    DemoWindow w;
    std::vector<double> saved, bare;
    const std::int64_t rowsBefore = w.historyRows();
    int n = 0;
    for (auto _ : state) {
        saved.push_back(w.typeAndSave(++n));
        bare.push_back(w.bareWriteBack());
    }
    const double s = median(saved), b = median(bare);
    state.counters["saved_median_ms"] = s;
    state.counters["bare_median_ms"] = b;
    state.counters["ratio"] = b > 0 ? s / b : 0;
    state.counters["history_rows_per_save"] =
        static_cast<double>(w.historyRows() - rowsBefore) / static_cast<double>(saved.size());
}
BENCHMARK(MarkTypedCheckedSavedVsBareWriteBack)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return bench::runQtBenchmarks(argc, argv);
}
