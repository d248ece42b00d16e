// One row of a teacher's sheet on the demo faculty saved with three changed fields: with
// the change-history recorder attached (the write-back and three QOR_LOG inserts in one
// transaction) and bare (the write-back alone). Each save is timed on its own; the
// counters give the median in milliseconds, and SaveWithHistoryVsBare alternates the
// two in one run and reports their ratio.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "Contract.h"
#include "Demo.h"
#include "db/Connection.h"
#include "db/Dataset.h"
#include "history/HistoryWriters.h"
#include "history/TADOUpdateHistoryExec.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct DemoSheet {
    DemoSheet() {
        dir = fs::temp_directory_path() / ("qor28_bench_history_" + std::to_string(rd()));
        fs::create_directories(dir);
        const std::string file = (dir / "QOR.db").string();
        server::qor::install();
        server::qor::createDemo(file);
        conn.open(
            "Provider=SQLOLEDB.1;Password=Iv26kafIS;Persist Security Info=True;"
            "User ID=qor28_ivanova;Initial Catalog=QOR;Data Source=" +
            file);
        marks.setSql(
            "SELECT id_mark_mag, id_student, ball, p35, QOR_User FROM mark_mag WHERE "
            "id_group = 1 AND id_semester = 1 AND id_discipline = 1 AND id_examination = 1 "
            "AND is_closed = 0 ORDER BY id_mark_mag");
        marks.setUpdateTable("mark_mag");
        marks.setKeyField("id_mark_mag");
        marks.open();
        author = {"a.ivanova", history::WorkstationComputerName()};
        recorder.OnFieldChanged = [this](const std::string& s, db::Dataset& d, const std::string& t,
                                         const std::string& k,
                                         std::vector<std::string>& statements) {
            history::WriteChange(s, d, t, k, statements, author);
        };
        recorder.OnFlush = [this](std::vector<std::string>& s) {
            history::ExecuteStatements(exec, s);
        };
        recorder.Template = "Поле \"<?>\" изменило значение \"<old>\" на \"<new>\".";
    }
    ~DemoSheet() {
        recorder.Detach();
        marks.close();
        conn.close();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    // Types three values that differ from the row's and saves it; the time of the save.
    double save(int n) {
        marks.edit();
        marks.field("ball").setValue(db::Value(60.0 + n % 2));
        marks.field("p35").setValue(db::Value(std::string(n % 2 ? "1-1-1-1" : "1-1-1-2")));
        marks.field("QOR_User").setValue(db::Value(std::string(n % 2 ? "a.ivanova" : "ivanova")));
        auto start = Clock::now();
        marks.post();
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }

    std::random_device rd;
    fs::path dir;
    db::Connection conn;
    db::Dataset marks{&conn};
    db::Dataset exec{&conn};
    history::TADOUpdateHistoryExec recorder;
    history::HistoryAuthor author;
};

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

void SaveWithHistory(benchmark::State& state) {
    DemoSheet sheet;
    sheet.recorder.Attach(sheet.marks, "mark_mag", "id_mark_mag", true, false);
    std::vector<double> times;
    int n = 0;
    for (auto _ : state) times.push_back(sheet.save(++n));
    state.counters["median_ms"] = median(times);
}
BENCHMARK(SaveWithHistory)->Unit(benchmark::kMicrosecond);

void SaveBare(benchmark::State& state) {
    DemoSheet sheet;
    std::vector<double> times;
    int n = 0;
    for (auto _ : state) times.push_back(sheet.save(++n));
    state.counters["median_ms"] = median(times);
}
BENCHMARK(SaveBare)->Unit(benchmark::kMicrosecond);

// Both on the same database, one after the other, so the ratio is not skewed by one of
// them running while the machine is busier.
void SaveWithHistoryVsBare(benchmark::State& state) {
    DemoSheet sheet;
    std::vector<double> withHistory, bare;
    int n = 0;
    for (auto _ : state) {
        sheet.recorder.Attach(sheet.marks, "mark_mag", "id_mark_mag", true, false);
        withHistory.push_back(sheet.save(++n));
        sheet.recorder.Detach();
        bare.push_back(sheet.save(++n));
    }
    const double h = median(withHistory), b = median(bare);
    state.counters["history_median_ms"] = h;
    state.counters["bare_median_ms"] = b;
    state.counters["ratio"] = b > 0 ? h / b : 0;
}
BENCHMARK(SaveWithHistoryVsBare)->Unit(benchmark::kMicrosecond);

// The workstation's address is looked up for each history row; this is its share.
void LocalIpAddress(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(history::LocalIpAddress());
}
BENCHMARK(LocalIpAddress)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
