// Reads formula texts, one hex-encoded text a line, compiles each with the locale's and
// with the Pascal number format, and prints one line per compilation: the program
// step by step (kind, operand and result cells, routine, chain link) or the error's
// class and message. Two builds of the compiler that print the same lines for the
// same texts compile those texts alike. Uses only the parser's public interface, so
// it builds against earlier revisions of formula/ too (tools/formula_equivalence/check).

#include <cmath>
#include <cstdio>
#include <iostream>
#include <map>
#include <string>

#include "formula/Program.h"
#include "formula/Routines.h"
#include "formula/TParser.h"

namespace {

std::string unhex(const std::string& h) {
    std::string s;
    for (std::size_t i = 0; i + 1 < h.size(); i += 2)
        s += static_cast<char>(std::stoi(h.substr(i, 2), nullptr, 16));
    return s;
}

// A function step's routine, named by what it gives for two pairs of arguments (the
// addresses differ from one build to the next).
std::string routineName(formula::Routine routine) {
    std::string name;
    for (const double a : {0.3, -0.7}) {
        double first = a, second = 0.45, result = 0;
        formula::OperationRecord op;
        op.first = &first;
        op.second = &second;
        op.result = &result;
        routine(op);
        char buffer[48];
        std::snprintf(buffer, sizeof buffer, "%s%a", name.empty() ? "" : "/", result);
        name += buffer;
    }
    return name;
}

}  // namespace

int main() {
    formula::TParser parser;
    for (const char* name :
         {"m1", "m2", "m3", "m4", "m5", "m6", "m7", "m8", "m9", "m10", "m11", "m12", "dop", "dop2"})
        parser.SetVariable(name, 3);
    std::string line;
    while (std::getline(std::cin, line)) {
        const std::string text = unhex(line);
        for (const bool pascal : {false, true}) {
            parser.setPascalNumberformat(pascal);
            std::string out = pascal ? "P " : "N ";
            try {
                parser.setExpression(text);
                const formula::Program& p = parser.program();
                std::map<const double*, std::string> names;
                for (const auto& [name, cell] : parser.variables()) names[cell] = name;
                std::map<const double*, int> owned;
                auto cell = [&](const double* c) -> std::string {
                    if (!c) return "null";
                    if (auto it = names.find(c); it != names.end()) return "v" + it->second;
                    if (!p.ownsCell(c)) return "FOREIGN";
                    auto it = owned.find(c);
                    const int id = it == owned.end() ? (owned[c] = static_cast<int>(owned.size()))
                                                     : it->second;
                    char buffer[64];
                    std::snprintf(buffer, sizeof buffer, "c%d=%a", id, *c);
                    return buffer;
                };
                out += "ops=" + std::to_string(p.size()) +
                       " cells=" + std::to_string(p.ownedCellCount());
                for (std::size_t i = 0; i < p.size(); ++i) {
                    const formula::OperationRecord& op = p[i];
                    const bool two = op.kind == formula::kFunction2 ||
                                     (op.kind >= formula::kAdd && op.kind <= formula::kRealPower);
                    out += " [" + std::to_string(op.kind) + " " + cell(op.first) + " " +
                           (two ? cell(op.second) : "-") + " " + cell(op.result) + " ";
                    if (op.kind == formula::kFunction1 || op.kind == formula::kFunction2)
                        out += routineName(op.routine);
                    else
                        out += op.routine == formula::routineOfKind(op.kind) ? "R" : "R?";
                    const formula::OperationRecord* next = i + 1 < p.size() ? &p[i + 1] : nullptr;
                    out += op.next == next ? "]" : " BADLINK]";
                }
            } catch (const formula::Exception& e) {
                out += std::string("ERR ") + e.className() + " " + e.what();
            }
            for (char& c : out)
                if (c == '\r')
                    c = '|';
                else if (c == '\n')
                    c = '~';
            std::cout << out << '\n';
        }
    }
}
