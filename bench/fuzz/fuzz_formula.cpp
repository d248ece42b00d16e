// libFuzzer target for the formula compiler: the input is assigned as the formula of a
// parser that has a grading rule's variables (M1..M12, DOP, DOP2) and the built-in
// functions, then evaluated. Texts are up to the compiler's bound of 1,024 characters
// (and a little over, to hit the bound's own error). Any outcome but a formula error or
// an arithmetic fault of the evaluation is a finding; so is a slow input (scripts/bench
// runs it with a one-second time-out). Inputs ever found crashing or slow go to
// tests/formula/fuzz_regressions/, which formula_tests replays.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "bench/GradingParser.h"
#include "formula/TParser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1100) return 0;
    formula::TParser* parser = &bench::gradingParser();
    try {
        parser->setExpression(std::string_view(reinterpret_cast<const char*>(data), size));
        (void)parser->Value();
    } catch (const formula::Exception&) {
        // a formula error, or an arithmetic fault of the evaluation (division by zero,
        // overflow): the formula's own outcome
    }
    return 0;
}
