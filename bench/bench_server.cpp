// Speed of the embedded server: translating a statement (cached and not), fetching a
// 300-row, 60-column result next to the raw sqlite3 C API doing the same, and the
// UPDATE that a dataset write-back sends.

#include <benchmark/benchmark.h>

#include <sqlite3.h>
#include "bench/RawSqliteFetch.h"

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Engine.h"
#include "SqliteEngine.h"
#include "Translator.h"

namespace {

constexpr int wideRows = 300;
constexpr int wideColumns = 60;

const char* markSheetQuery =
    " SELECT distinct id_gr_potok,gr_potok,isSelect,id_teacher FROM [QOR].[dbo].[f_QOR28_gr_potok] "
    "f  "
    "WHERE f.id_login =7 AND f.id_a_year =3 AND f.id_sem =21 AND f.id_discipline =101 AND "
    "f.id_examination = 1 AND f.isSelect=0 AND f.kredit =4";

struct Database {
    std::filesystem::path dir;
    std::string path;
    std::unique_ptr<server::Engine> engine;

    Database() {
        std::random_device rd;
        dir = std::filesystem::temp_directory_path() / ("qor28_bench_" + std::to_string(rd()));
        std::filesystem::create_directories(dir);
        path = (dir / "bench.db").string();
        server::Engine::create(path, "sa", "pw");
        engine = server::Engine::open(path, "sa", "pw");
        std::string ddl = "CREATE TABLE wide (id int IDENTITY(1,1) PRIMARY KEY";
        for (int c = 1; c < wideColumns; ++c) {
            const char* type = c % 4 == 0   ? "int"
                               : c % 4 == 1 ? "float"
                               : c % 4 == 2 ? "varchar(40)"
                                            : "datetime";
            ddl += ", c" + std::to_string(c) + " " + type;
        }
        engine->execute(ddl + ")");
        engine->execute(
            "CREATE TABLE f_QOR28_gr_potok (id_gr_potok int, gr_potok varchar(30), isSelect int, "
            "id_teacher int, id_login int, id_a_year int, id_sem int, id_discipline int, "
            "id_examination int, kredit int)");
        engine->execute(
            "CREATE TABLE mark_mag (id_mark_mag int IDENTITY(1,1) PRIMARY KEY, m1 float, m2 float, "
            "p35 varchar(50), p36 datetime)");
        engine->execute("BEGIN TRAN");
        std::string insert = "INSERT INTO wide (";
        std::string values = "VALUES (";
        for (int c = 1; c < wideColumns; ++c) {
            insert += (c > 1 ? ", c" : "c") + std::to_string(c);
            values += c > 1 ? ", ?" : "?";
        }
        std::string sql = insert + ") " + values + ")";
        for (int r = 0; r < wideRows; ++r) {
            std::vector<values::Value> row;
            for (int c = 1; c < wideColumns; ++c) {
                switch (c % 4) {
                    case 0:
                        row.emplace_back(std::int64_t{r * c});
                        break;
                    case 1:
                        row.emplace_back(r * 0.5 + c);
                        break;
                    case 2:
                        row.emplace_back("Текст строки " + std::to_string(r));
                        break;
                    default:
                        row.emplace_back(values::DateTime{3'900'000'000'000LL + r * 86'400'000LL});
                        break;
                }
            }
            engine->execute(sql, row);
        }
        for (int r = 0; r < 2000; ++r)
            engine->execute("INSERT INTO mark_mag (m1, m2, p35) VALUES (?, ?, 'x')",
                            std::vector<values::Value>{static_cast<double>(r % 30), 1.0});
        engine->execute("COMMIT");
    }
    ~Database() {
        engine.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

Database& database() {
    static Database db;
    return db;
}

void CachedTranslation(benchmark::State& state) {
    auto* engine = dynamic_cast<server::SqliteEngine*>(database().engine.get());
    std::string text = markSheetQuery;
    engine->translation(text);
    for (auto _ : state) benchmark::DoNotOptimize(engine->translation(text));
}
BENCHMARK(CachedTranslation);

void UncachedTranslation(benchmark::State& state) {
    server::NoSchema schema;
    for (auto _ : state)
        benchmark::DoNotOptimize(server::Translator::translate(markSheetQuery, schema));
}
BENCHMARK(UncachedTranslation);

void FetchWideEngine(benchmark::State& state) {
    auto& engine = *database().engine;
    for (auto _ : state) {
        auto r = engine.execute("SELECT * FROM wide");
        benchmark::DoNotOptimize(r.resultSets[0].rows.size());
    }
    state.SetItemsProcessed(state.iterations() * wideRows);
}
BENCHMARK(FetchWideEngine)->Unit(benchmark::kMicrosecond);

// The floor: the C API reading the same rows into the same value type.
void FetchWideRawSqlite(benchmark::State& state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(database().path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    for (auto _ : state) {
        const auto rows = bench::fetchAllRaw(db, "SELECT * FROM wide");
        benchmark::DoNotOptimize(rows.size());
    }
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations() * wideRows);
}
BENCHMARK(FetchWideRawSqlite)->Unit(benchmark::kMicrosecond);

// One write-back UPDATE as the dataset layer sends it: changed column, key, old value.
void UpdateWriteBack(benchmark::State& state) {
    auto& engine = *database().engine;
    // the value the row holds now: the benchmark runs this function several times
    auto now = engine.execute("SELECT m2 FROM mark_mag WHERE id_mark_mag = 1000");
    double current = std::get<double>(now.resultSets[0].rows[0][0]);
    for (auto _ : state) {
        double next = 1.0 - current;
        auto r = engine.execute("UPDATE mark_mag SET m2 = ? WHERE id_mark_mag = ? AND m2 = ?",
                                std::vector<values::Value>{next, std::int64_t{1000}, current});
        if (r.rowsAffected != 1) state.SkipWithError("row not located");
        current = next;
    }
}
BENCHMARK(UpdateWriteBack)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
