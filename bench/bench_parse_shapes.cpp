// Parse time of deeply bracketed FROM clauses, one 4 KB batch per shape: the shapes of
// the server's nesting tests, with 40 and with 200 brackets per level. A shape that
// parses is repeated to fill the batch; a shape that fails comes last, after as many
// bracketed table sources as fill the rest. Every shape should take well under 50 ms.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "Engine.h"
#include "Parser.h"

namespace {

constexpr std::size_t kBatchBytes = 4096;

std::string open(int n) {
    return std::string(static_cast<std::size_t>(n), '(');
}
std::string close(int n) {
    return std::string(static_cast<std::size_t>(n), ')');
}

std::string beforeSelect(int n) {
    return "SELECT x FROM " + open(n) + "SELECT 7 x" + close(n) + " d";
}
std::string beforeTable(int n) {
    return "SELECT COUNT(*) FROM " + open(n) + "a_year" + close(n);
}
std::string aroundJoins(int n) {
    std::string s = "SELECT COUNT(*) FROM " + open(n) + "a_year a";
    for (int k = 1; k <= n; ++k) s += " JOIN b ON 1=1)";
    return s;
}
std::string derivedInJoin(int n) {
    return "SELECT COUNT(*) FROM " + open(n) + "a_year a JOIN (SELECT 7 x) d ON 1 = 1" + close(n);
}
std::string closingTooFew(int n) {
    return "SELECT x FROM " + open(n) + "SELECT 7 x" + close(n - 1) + " d";
}
std::string closingTooMany(int n) {
    return "SELECT x FROM " + open(n) + "SELECT 7 x" + close(n + 1) + " d";
}
std::string unclosed(int n) {
    return "SELECT x FROM " + open(n) + "SELECT 7 x";
}
std::string levels(int n) {
    return "SELECT x FROM " + open(n) + "SELECT 7 x FROM " + open(n) + "SELECT 8 x FROM " +
           open(n) + "SELECT 9 y WHERE 1 IN (1)";
}

struct Shape {
    const char* name;
    std::string (*make)(int);
    bool parses;  // at 40 brackets
};

const Shape kShapes[] = {
    {"before_select", beforeSelect, true},
    {"before_table", beforeTable, true},
    {"around_joins", aroundJoins, true},
    {"derived_in_join", derivedInJoin, true},
    {"closing_too_few", closingTooFew, false},
    {"closing_too_many", closingTooMany, false},
    {"unclosed", unclosed, false},
    {"three_levels", levels, false},
};

std::string batchOf(const Shape& shape, int n) {
    const std::string statement = shape.make(n);
    std::string batch;
    if (shape.parses && n < 200) {
        while (batch.size() + statement.size() + 1 <= kBatchBytes) batch += statement + "\n";
        if (batch.empty()) batch = statement;
        return batch;
    }
    // it fails: bracketed table sources first, the failing statement last
    const std::string filler = beforeTable(n < 200 ? n : 150);
    while (batch.size() + filler.size() + statement.size() + 2 <= kBatchBytes)
        batch += filler + "\n";
    return batch + statement;
}

void BM_ParseShape(benchmark::State& state) {
    const Shape& shape = kShapes[state.range(0)];
    const int n = static_cast<int>(state.range(1));
    const std::string batch = batchOf(shape, n);
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(server::Parser::parse(batch));
        } catch (const server::Error&) {
        }
    }
    state.SetLabel(std::string(shape.name) + " " + std::to_string(batch.size()) + " B");
}

void shapes(benchmark::internal::Benchmark* b) {
    for (int n : {40, 200})
        for (int i = 0; i < static_cast<int>(std::size(kShapes)); ++i) b->Args({i, n});
}

BENCHMARK(BM_ParseShape)->Apply(shapes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
