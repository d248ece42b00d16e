// The computed fields of a mark sheet of 10,000 rows: every row recalculated through the
// calculate-fields handler, each formula compiled again for each row, with the
// minimum-share test on.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

#include "data/ComputedFields.h"
#include "db/Connection.h"
#include "db/Dataset.h"
#include "formula/TParser.h"
#include "server/Engine.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRows = 10000;

struct Sheet {
    Sheet() {
        dir = fs::temp_directory_path() / ("qor28_bench_data_" + std::to_string(rd()));
        fs::create_directories(dir);
        const std::string file = (dir / "bench.db").string();
        server::Engine::create(file, "bench", "Bench2026");
        conn.open(
            "Provider=SQLOLEDB.1;Password=Bench2026;Persist Security Info=True;User ID=bench;"
            "Initial Catalog=QOR;Data Source=" +
            file);
        conn.execute(
            "CREATE TABLE est_config (id_est_config INT PRIMARY KEY, order_pole INT, "
            "pole_mark_mag VARCHAR(10), formula VARCHAR(200), [max] FLOAT)");
        // A rule as teachers set it up: three controls, the exam, an extra point, two
        // intermediate values and the total.
        conn.execute(
            "INSERT INTO est_config VALUES (1, 1, 'm1', NULL, 20), (2, 2, 'm2', NULL, 20), "
            "(3, 3, 'm3', NULL, 20), (4, 4, 'm4', NULL, 40), (5, 5, 'dop', NULL, 10), "
            "(6, 6, '', 'M1+M2+M3', NULL), (7, 7, '', '(M1+M2+M3)*100/60', NULL), "
            "(8, 8, 'ball1', 'MIN(M1+M2+M3+M4+DOP,100)', NULL)");
        conn.execute("CREATE TABLE f_est (id_f_e INT PRIMARY KEY, sessiya INT)");
        conn.execute("INSERT INTO f_est VALUES (1, 0), (9, 1)");
        std::string cols;
        for (const char* m : {"m5", "m6", "m7", "m8", "m9", "m10", "m11", "m12", "dop2"})
            cols += std::string(", ") + m + " FLOAT";
        conn.execute(
            "CREATE TABLE mark_rows (id INT PRIMARY KEY, id_estimation INT, id_f_est INT, m1 "
            "FLOAT, m2 FLOAT, m3 FLOAT, m4 FLOAT, dop FLOAT" +
            cols + ")");
        std::mt19937 gen(28);
        std::uniform_int_distribution<int> mark(0, 40), grade(2, 12);
        for (int start = 0; start < kRows; start += 500) {
            std::string sql =
                "INSERT INTO mark_rows (id, id_estimation, id_f_est, m1, m2, m3, "
                "m4, dop) VALUES ";
            for (int i = start; i < start + 500; ++i) {
                if (i > start) sql += ", ";
                sql += "(" + std::to_string(i) + ", " + std::to_string(grade(gen)) + ", " +
                       (i % 10 == 0 ? "9" : "1") + ", " + std::to_string(mark(gen) / 2) + ".5, " +
                       std::to_string(mark(gen) / 2) + ", " + std::to_string(mark(gen) / 2) + ", " +
                       std::to_string(mark(gen)) + ", " + (i % 3 ? "NULL" : "2") + ")";
            }
            conn.execute(sql);
        }

        ids.MinShareRule = true;
        ids.GradeCreditId = 2, ids.GradeSatisfactoryId = 3, ids.GradeGoodId = 4;
        ids.GradeExcellentId = 5, ids.GradeAbsentId = 8, ids.GradeNotAdmittedId = 9;
        ids.GradeNoCreditId = 10, ids.GradeFailId = 11, ids.GradeDashId = 12;
        ids.GradeNotAttestedId = 16, ids.GradeAttestedId = 17;
        bands[data::Band::Fail] = {0, 50};
        bands[data::Band::Satisfactory] = {50, 71};
        bands[data::Band::Good] = {71, 86};
        bands[data::Band::Excellent] = {86, 101};
        bands[data::Band::Absent] = {0, 0};

        rules.setConnection(&conn);
        rules.setSql("SELECT * FROM est_config ORDER BY order_pole");
        rules.open();
        fEst.setConnection(&conn);
        fEst.setSql("SELECT * FROM f_est");
        sheet.setConnection(&conn);
        sheet.setSql("SELECT * FROM mark_rows ORDER BY id");
        sheet.addLookupField("sessiya", db::Type::Integer, "id_f_est", fEst, "id_f_e", "sessiya");
        sheet.addCalculatedField("ball1", db::Type::Float);
        sheet.addCalculatedField("ball_name", db::Type::Text, 10);
        for (int i = 1; i <= 10; ++i)
            sheet.addCalculatedField("calc" + std::to_string(i), db::Type::Float);
        sheet.open();
        sheet.onCalcFields = [this](db::Dataset& ds) {
            computed.calculate(ds, {parser, rules, bands, ids, data::AssessmentClass::Graded});
        };
    }
    ~Sheet() {
        sheet.close();
        conn.close();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    std::random_device rd;
    fs::path dir;
    db::Connection conn;
    db::Dataset rules, fEst, sheet;
    formula::TParser parser;
    data::GradingIds ids;
    data::GradeBands bands;
    data::ComputedFields computed;
};

// All 10,000 rows calculated again, as reading them into the sheet does.
void ComputedFields10k(benchmark::State& state) {
    Sheet s;
    for (auto _ : state) {
        for (s.sheet.first(); !s.sheet.eof(); s.sheet.next()) s.sheet.refreshCalculatedFields();
        benchmark::DoNotOptimize(s.sheet.field("ball_name").value());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
    state.counters["us_per_row"] = benchmark::Counter(
        static_cast<double>(kRows) * 1e-6,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(ComputedFields10k)->Unit(benchmark::kMillisecond);

// The walk over the rows alone, to tell the handler's share from the navigation's.
void WalkRows10k(benchmark::State& state) {
    Sheet s;
    for (auto _ : state) {
        int n = 0;
        for (s.sheet.first(); !s.sheet.eof(); s.sheet.next()) ++n;
        benchmark::DoNotOptimize(n);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(WalkRows10k)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
