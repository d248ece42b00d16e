// The formula engine as the program uses it for every row of a sheet: 14
// SetVariable calls, one Expression assignment (which recompiles), one Value read;
// and evaluation alone. Each side by side with muParser doing the same, and a
// native C++ baseline for evaluation.

#include <benchmark/benchmark.h>

#include <array>
#include <string>

#include "formula/TParser.h"

#ifdef QOR28_HAVE_MUPARSER
#include <muParser.h>
#endif

namespace {

const char* const kNames[14] = {"m1", "m2", "m3",  "m4",  "m5",  "m6",  "m7",
                                "m8", "m9", "m10", "m11", "m12", "dop", "dop2"};

struct Formula {
    const char* ours;
    const char* muparser;
};

// The chain uses 21 variables: the 14 marks and seven of the single letters.
const Formula kFormulas[] = {
    {"M1+M2+M3+M4+DOP", "M1+M2+M3+M4+DOP"},
    {"M1+M2+M3+M4+M5+M6+M7+M8+M9+M10+M11+DOP", "M1+M2+M3+M4+M5+M6+M7+M8+M9+M10+M11+DOP"},
    {"MAX(M1,M2)*0.4+M3/2-(M4-M5)*3", "max(M1,M2)*0.4+M3/2-(M4-M5)*3"},
    {"M1+M2+M3+M4+M5+M6+M7+M8+M9+M10+M11+M12+DOP+DOP2+A+B+C+D+E+X+Y",
     "M1+M2+M3+M4+M5+M6+M7+M8+M9+M10+M11+M12+DOP+DOP2+A+B+C+D+E+X+Y"},
};
const char* const kLabels[] = {"sum5", "sum12", "mixed", "chain21"};

double markOf(std::size_t row, int i) {
    return static_cast<double>((row * 7 + i * 3) % 26);
}

void BM_Row_QOR28(benchmark::State& state) {
    const Formula& f = kFormulas[state.range(0)];
    formula::TParser parser;
    std::size_t row = 0;
    for (auto _ : state) {
        for (int i = 0; i < 14; ++i) parser.SetVariable(kNames[i], markOf(row, i));
        parser.setExpression(f.ours);
        benchmark::DoNotOptimize(parser.Value());
        ++row;
    }
    state.SetLabel(kLabels[state.range(0)]);
}

void BM_Eval_QOR28(benchmark::State& state) {
    const Formula& f = kFormulas[state.range(0)];
    formula::TParser parser;
    for (int i = 0; i < 14; ++i) parser.SetVariable(kNames[i], markOf(1, i));
    parser.setExpression(f.ours);
    for (auto _ : state) benchmark::DoNotOptimize(parser.Value());
    state.SetLabel(kLabels[state.range(0)]);
}

#ifdef QOR28_HAVE_MUPARSER
struct MuVars {
    std::array<double, 21> v{};
    mu::Parser p;
    MuVars() {
        static const char* const names[21] = {"M1", "M2", "M3",  "M4",  "M5",  "M6",  "M7",
                                              "M8", "M9", "M10", "M11", "M12", "DOP", "DOP2",
                                              "A",  "B",  "C",   "D",   "E",   "X",   "Y"};
        for (int i = 0; i < 21; ++i) p.DefineVar(names[i], &v[i]);
    }
};

void BM_Row_muParser(benchmark::State& state) {
    const Formula& f = kFormulas[state.range(0)];
    MuVars mu;
    std::size_t row = 0;
    const std::string text = f.muparser;
    for (auto _ : state) {
        for (int i = 0; i < 14; ++i) mu.v[static_cast<std::size_t>(i)] = markOf(row, i);
        mu.p.SetExpr(text);
        benchmark::DoNotOptimize(mu.p.Eval());
        ++row;
    }
    state.SetLabel(kLabels[state.range(0)]);
}

void BM_Eval_muParser(benchmark::State& state) {
    const Formula& f = kFormulas[state.range(0)];
    MuVars mu;
    for (int i = 0; i < 14; ++i) mu.v[static_cast<std::size_t>(i)] = markOf(1, i);
    mu.p.SetExpr(f.muparser);
    benchmark::DoNotOptimize(mu.p.Eval());
    for (auto _ : state) benchmark::DoNotOptimize(mu.p.Eval());
    state.SetLabel(kLabels[state.range(0)]);
}
#endif

// What the formulas cost written in C++.
void BM_Eval_Native(benchmark::State& state) {
    std::array<double, 21> m{};
    for (int i = 0; i < 14; ++i) m[static_cast<std::size_t>(i)] = markOf(1, i);
    benchmark::DoNotOptimize(m.data());
    const int which = static_cast<int>(state.range(0));
    for (auto _ : state) {
        benchmark::ClobberMemory();
        double r = 0;
        switch (which) {
            case 0:
                r = m[0] + m[1] + m[2] + m[3] + m[12];
                break;
            case 1:
                r = m[0] + m[1] + m[2] + m[3] + m[4] + m[5] + m[6] + m[7] + m[8] + m[9] + m[10] +
                    m[12];
                break;
            case 2:
                r = (m[0] >= m[1] ? m[0] : m[1]) * 0.4 + m[2] / 2 - (m[3] - m[4]) * 3;
                break;
            default:
                for (double x : m) r += x;
        }
        benchmark::DoNotOptimize(r);
    }
    state.SetLabel(kLabels[which]);
}

BENCHMARK(BM_Row_QOR28)->DenseRange(0, 3);
BENCHMARK(BM_Eval_QOR28)->DenseRange(0, 3);
#ifdef QOR28_HAVE_MUPARSER
BENCHMARK(BM_Row_muParser)->DenseRange(0, 3);
BENCHMARK(BM_Eval_muParser)->DenseRange(0, 3);
#endif
BENCHMARK(BM_Eval_Native)->DenseRange(0, 3);

}  // namespace

BENCHMARK_MAIN();
