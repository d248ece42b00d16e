// The QOR database on the embedded server: building the demo, loading a sheet as the
// client does, and saving a mark through the rights triggers.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "Contract.h"
#include "Demo.h"
#include "Engine.h"

namespace {

namespace fs = std::filesystem;

fs::path tempFolder() {
    std::string name = "qor28_bench_qor_";
    name += std::to_string(std::random_device{}());
    auto dir = fs::temp_directory_path() / name;
    fs::create_directories(dir);
    return dir;
}

struct Demo {
    Demo() : dir(tempFolder()), path((dir / "qor.db").string()) {
        server::qor::install();
        server::qor::createDemo(path);
        engine = server::Engine::open(path, "qor28_ivanova", "Iv26kafIS");
    }
    ~Demo() {
        engine.reset();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    fs::path dir;
    std::string path;
    std::unique_ptr<server::Engine> engine;
};

void CreateDemo(benchmark::State& state) {
    auto dir = tempFolder();
    int n = 0;
    for (auto _ : state) {
        std::string name = std::to_string(n++);
        name += ".db";
        server::qor::createDemo((dir / name).string());
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
}
BENCHMARK(CreateDemo)->Unit(benchmark::kMillisecond);

// What opening one sheet sends: prepare the rows, read them, read the control points.
void LoadSheet(benchmark::State& state) {
    Demo demo;
    const std::string y = std::to_string(server::qor::currentAcademicYear() - 2000);
    for (auto _ : state) {
        demo.engine->execute("EXEC InsertInto_SORT_MARK_MAG 1,1,1,1,1,1,0,0,0,1,101,3");
        auto rows =
            demo.engine->execute("EXEC SORT_MARK_MAG 1, 1, 1, 1, 1, '1=1', 0, 0, '0', -1, 0, 1, 3");
        auto moduls = demo.engine->execute(
            "EXEC LoadModulsInfo  @id_a_year = " + y +
            ",@id_semester = 1,@id_group = 1,@id_teacher = 1,@id_discipline = 1,@id_faculty = "
            "1,@id_f_educ = 1,@id_ebe_var = 101,@id_f_e = 1,@id_speciality = 1");
        benchmark::DoNotOptimize(rows);
        benchmark::DoNotOptimize(moduls);
    }
}
BENCHMARK(LoadSheet)->Unit(benchmark::kMicrosecond);

// A saved mark: the client's write-back of the changed fields, checked by the triggers.
void SaveMark(benchmark::State& state) {
    Demo demo;
    std::int64_t mark = 0;
    for (auto _ : state) {
        std::vector<values::Value> params{std::int64_t{mark++ % 30}, std::int64_t{1}};
        benchmark::DoNotOptimize(
            demo.engine->execute("UPDATE mark_mag SET m2 = ? WHERE id_mark_mag = ?", params));
    }
}
BENCHMARK(SaveMark)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
