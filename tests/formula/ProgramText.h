#pragma once

// Renders a compiled program back to a fully bracketed formula, so a test can state
// how a text was grouped: "A+B*C" compiles to "(A+(B*C))".

#include <charconv>
#include <map>
#include <string>

#include "formula/Program.h"
#include "formula/TCustomParser.h"

namespace formula::testing {

inline std::string programText(const TCustomParser& parser) {
    const Program& program = parser.program();
    if (program.empty()) return "<none>";
    std::map<const double*, std::string> names;
    for (const auto& [name, cell] : parser.variables()) names[cell] = name;
    auto operand = [&](const double* cell) -> std::string {
        if (auto it = names.find(cell); it != names.end()) return it->second;
        char buf[32];
        auto [end, ec] = std::to_chars(buf, buf + sizeof buf, *cell);
        return std::string(buf, end);
    };
    static const char* const ops[] = {"", "", "-", "+", "-", "*", "/", "MOD", "DIV", "^", "^"};
    std::string last;
    for (std::size_t i = 0; i < program.size(); ++i) {
        const OperationRecord& op = program[i];
        const std::string a = operand(op.first);
        std::string text;
        switch (op.kind) {
            case kVariable:
                text = a;
                break;
            case kNegate:
                text = "(-" + a + ")";
                break;
            case kSquare:
                text = "(" + a + "^2)";
                break;
            case kCube:
                text = "(" + a + "^3)";
                break;
            case kFourth:
                text = "(" + a + "^4)";
                break;
            case kFunction1:
                text = "F(" + a + ")";
                break;
            case kFunction2:
                text = "F(" + a + "," + operand(op.second) + ")";
                break;
            default:
                text = "(" + a + ops[op.kind] + operand(op.second) + ")";
                break;
        }
        // Result cells are named by what computed them.
        if (op.kind != kVariable) names[op.result] = text;
        last = text;
    }
    return last;
}

}  // namespace formula::testing
