// Compiling the slowest formula texts known: every text kept in
// tests/formula/fuzz_regressions/, assigned to a parser with a grading rule's variables
// as the fuzz target does. Each must compile or fail within a few milliseconds.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/GradingParser.h"
#include "formula/TParser.h"

#ifndef QOR28_FORMULA_REGRESSIONS
#error "QOR28_FORMULA_REGRESSIONS must name the folder of kept formula texts"
#endif

namespace {

using bench::gradingParser;

void compileText(benchmark::State& state, const std::string& text) {
    formula::TParser& parser = gradingParser();
    bool failed = false;
    for (auto _ : state) {
        try {
            parser.setExpression(text);
            failed = false;
        } catch (const formula::Exception&) {
            failed = true;
        }
    }
    state.counters["chars"] = static_cast<double>(text.size());
    state.SetLabel(failed ? "error" : "compiled");
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(QOR28_FORMULA_REGRESSIONS))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const auto& path : files) {
        std::ifstream in(path, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        benchmark::RegisterBenchmark(("BM_CompileKept/" + path.filename().string()).c_str(),
                                     [text](benchmark::State& s) { compileText(s, text); })
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
