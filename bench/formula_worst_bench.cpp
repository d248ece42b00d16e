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

#include "formula/TParser.h"

#ifndef QOR28_FORMULA_REGRESSIONS
#error "QOR28_FORMULA_REGRESSIONS must name the folder of kept formula texts"
#endif

namespace {

formula::TParser& gradingParser() {
    static formula::TParser* parser = [] {
        auto* p = new formula::TParser;
        for (const char* name : {"m1", "m2", "m3", "m4", "m5", "m6", "m7", "m8", "m9", "m10", "m11",
                                 "m12", "dop", "dop2"})
            p->SetVariable(name, 3);
        return p;
    }();
    return *parser;
}

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
