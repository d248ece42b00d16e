// Fetching a mark-sheet-sized result (300 rows, 60 columns) into a Dataset, next to the
// raw sqlite3 C API reading the same rows into the same values; and one UPDATE
// write-back of an edited row.

#include <benchmark/benchmark.h>

#include <sqlite3.h>
#include <unistd.h>
#include "bench/RawSqliteFetch.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "db/Connection.h"
#include "db/Dataset.h"
#ifdef QOR28_DB_EMBEDDED
#include "server/Engine.h"
#endif

namespace {

constexpr int kRows = 300;
constexpr int kColumns = 60;

std::filesystem::path workDir() {
    static const std::filesystem::path dir = [] {
        auto d = std::filesystem::temp_directory_path() /
                 ("qor28-bench-db-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        // The SQLite ODBC driver, registered privately as the tests do.
        std::ofstream(d / "odbcinst.ini")
            << "[QOR28 SQLite]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n";
        ::setenv("ODBCSYSINI", d.c_str(), 1);
        ::setenv("ODBCINSTINI", "odbcinst.ini", 1);
        return d;
    }();
    return dir;
}

void check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(sqlite3_errmsg(db));
}

// A table like the mark sheet: a key, then float, text and integer columns in turn.
// The embedded engine creates the file (it holds the server login) and the table; the
// rows go in through sqlite3 directly, which is quicker.
std::string makeSheetFile() {
    std::string file = (workDir() / "sheet.db").string();
    if (std::filesystem::exists(file)) return file;
    std::string create = "CREATE TABLE sheet (id int IDENTITY(1,1) PRIMARY KEY";
    for (int c = 1; c < kColumns; ++c)
        create += ", c" + std::to_string(c) +
                  (c % 3 == 0   ? " int"
                   : c % 3 == 1 ? " float"
                                : " varchar(30)");
    create += ")";
#ifdef QOR28_DB_EMBEDDED
    server::Engine::create(file, "bench", "bench");
    server::Engine::open(file, "bench", "bench")->execute(create);
#endif
    sqlite3* db = nullptr;
    check(sqlite3_open(file.c_str(), &db), db);
#ifndef QOR28_DB_EMBEDDED
    check(sqlite3_exec(db, create.c_str(), nullptr, nullptr, nullptr), db);
#endif
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
    std::string insert = "INSERT INTO sheet VALUES (?";
    for (int c = 1; c < kColumns; ++c) insert += ",?";
    insert += ")";
    sqlite3_stmt* st = nullptr;
    check(sqlite3_prepare_v2(db, insert.c_str(), -1, &st, nullptr), db);
    for (int r = 1; r <= kRows; ++r) {
        sqlite3_bind_int(st, 1, r);
        for (int c = 1; c < kColumns; ++c) {
            if (c % 3 == 0)
                sqlite3_bind_int(st, c + 1, r * c);
            else if (c % 3 == 1)
                sqlite3_bind_double(st, c + 1, r * 0.5 + c);
            else
                sqlite3_bind_text(st, c + 1, ("Студент " + std::to_string(r)).c_str(), -1,
                                  SQLITE_TRANSIENT);
        }
        check(sqlite3_step(st), db);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
    sqlite3_close(db);
    return file;
}

std::string odbcConnectionString(const std::string& file) {
    return "Provider=SQLOLEDB.1;User ID=bench;Password=bench;Initial Catalog=QOR;"
           "Data Source=\"odbc:DRIVER=QOR28 SQLite;Database=" +
           file + "\"";
}

void RawSqliteFetch(benchmark::State& state) {
    std::string file = makeSheetFile();
    sqlite3* db = nullptr;
    check(sqlite3_open(file.c_str(), &db), db);
    for (auto _ : state) {
        const auto rows = bench::fetchAllRaw(db, "SELECT * FROM sheet");
        if (rows.size() != kRows) state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(rows);
    }
    sqlite3_close(db);
    state.counters["rows"] = kRows;
}
BENCHMARK(RawSqliteFetch)->Unit(benchmark::kMicrosecond);

void DatasetFetch(benchmark::State& state, const std::string& connectionString) {
    db::Connection conn;
    conn.open(connectionString);
    db::Dataset ds(&conn);
    ds.setSql("SELECT * FROM sheet");
    for (auto _ : state) {
        ds.open();
        if (ds.recordCount() != kRows || ds.fieldCount() != kColumns)
            state.SkipWithError("wrong result shape");
        ds.close();
    }
    state.counters["rows"] = kRows;
}

// The mark sheet's shape: lookup fields from other datasets and calculated fields whose
// handler reads the row's fields by name, all filled for every row on open.
void DatasetFetchCalculated(benchmark::State& state, const std::string& connectionString) {
    db::Connection conn;
    conn.open(connectionString);
    db::Dataset names(&conn);
    names.setSql("SELECT id AS k, c2 AS name FROM sheet WHERE id <= 60");
    db::Dataset ds(&conn);
    ds.setSql("SELECT * FROM sheet");
    std::vector<std::string> read, calc;
    for (int c = 0; c < 12; ++c) read.push_back(std::string("C") += std::to_string(c * 3 + 1));
    for (int i = 1; i <= 15; ++i) calc.push_back(std::string("calc") += std::to_string(i));
    for (int i = 0; i < 8; ++i)
        ds.addLookupField(std::string("look") += std::to_string(i), db::Type::Text,
                          std::string("c") += std::to_string(3 * i + 3), names, "k", "name");
    for (const std::string& name : calc) ds.addCalculatedField(name, db::Type::Float);
    ds.onCalcFields = [&](db::Dataset& d) {
        double sum = 0;
        for (const std::string& name : read) sum += d.field(name).asDouble();
        for (std::size_t i = 0; i < calc.size(); ++i)
            d.field(calc[i]).setValue(db::Value(sum * static_cast<double>(i + 1)));
    };
    for (auto _ : state) {
        ds.open();
        if (ds.recordCount() != kRows) state.SkipWithError("wrong result shape");
        ds.close();
    }
    state.counters["rows"] = kRows;
}

// The backend's part of the fetch alone: the batch result without the dataset around it.
void BackendFetch(benchmark::State& state, const std::string& connectionString) {
    db::Connection conn;
    conn.open(connectionString);
    for (auto _ : state) {
        db::BatchResult r = conn.execute("SELECT * FROM sheet");
        if (r.resultSets.at(0).rows.size() != kRows) state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(r);
    }
}

void DatasetWriteBack(benchmark::State& state, const std::string& connectionString) {
    db::Connection conn;
    conn.open(connectionString);
    db::Dataset ds(&conn);
    ds.setSql("SELECT * FROM sheet WHERE id <= 10");
    ds.setKeyField("id");
    ds.open();
    double v = 0;
    for (auto _ : state) {
        ds.edit();
        ds.field("c1").setValue(db::Value(v += 1));
        ds.post();
    }
}

void registerBackend(const std::string& name, const std::string& connectionString) {
    benchmark::RegisterBenchmark(("BackendFetch/" + name).c_str(), BackendFetch, connectionString)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("DatasetFetch/" + name).c_str(), DatasetFetch, connectionString)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("DatasetFetchCalculated/" + name).c_str(), DatasetFetchCalculated,
                                 connectionString)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("DatasetWriteBack/" + name).c_str(), DatasetWriteBack,
                                 connectionString)
        ->Unit(benchmark::kMicrosecond);
}

}  // namespace

int main(int argc, char** argv) {
    std::string file = makeSheetFile();
#ifdef QOR28_DB_EMBEDDED
    registerBackend("Embedded",
                    "Provider=SQLOLEDB.1;User ID=bench;Password=bench;"
                    "Initial Catalog=QOR;Data Source=file:" +
                        file);
#endif
    registerBackend("Odbc", odbcConnectionString(file));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(workDir(), ec);
    return 0;
}
