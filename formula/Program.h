#pragma once

// A compiled formula: a flat chain of operations over cells. Variables live in
// cells owned by the parser's variable table; constants and intermediate results
// live in cells owned by the program. Operations refer to cells by address, so a
// program sees later changes of a variable without being recompiled.

#include <cstdint>
#include <vector>

namespace formula {

struct OperationRecord;

// An evaluation step: reads the operand cells, writes the result cell.
using Routine = void (*)(const OperationRecord& op);

// Operation kinds.
enum Kind : std::uint8_t {
    kVariable = 0,  // also the pass-through step of a lone variable or constant
    kConstant = 1,  // a classification only, never a step
    kNegate = 2,
    kAdd = 3,
    kSubtract = 4,
    kMultiply = 5,
    kDivide = 6,
    kMod = 7,
    kDiv = 8,
    kIntPower = 9,
    kRealPower = 10,
    kSquare = 11,
    kCube = 12,
    kFourth = 13,
    kFunction1 = 14,
    kFunction2 = 15,
};

struct OperationRecord {
    double* first = nullptr;   // first (or only) operand
    double* second = nullptr;  // second operand; unset for one-operand kinds
    double* result = nullptr;  // written by the routine
    OperationRecord* next = nullptr;
    Routine routine = nullptr;
    std::uint8_t kind = kVariable;
};

// Storage of one compiled program. The operations are kept in chain order, and
// constant and result cells in one block whose capacity is reserved before a
// compilation starts, so cell addresses never move. A released program keeps its
// capacity: the parser recompiles on every assignment, and reusing the storage
// keeps that path free of allocations.
class Program {
  public:
    Program() = default;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    const OperationRecord* first() const { return ops_.empty() ? nullptr : ops_.data(); }
    bool empty() const { return ops_.empty(); }
    std::size_t size() const { return ops_.size(); }
    const OperationRecord& operator[](std::size_t i) const { return ops_[i]; }

    // Cells owned by the program (constants and results).
    std::size_t ownedCellCount() const { return cells_.size(); }
    bool ownsCell(const double* cell) const {
        return !cells_.empty() && cell >= cells_.data() && cell < cells_.data() + cells_.size();
    }

  private:
    friend class Compiler;
    friend void Release(Program& program);
    std::vector<OperationRecord> ops_;
    std::vector<double> cells_;
};

// Runs every step in chain order and returns the last step's result; 0 for an
// empty program.
inline double Evaluate(const Program& program) {
    const OperationRecord* op = program.first();
    if (!op) return 0.0;
    const OperationRecord* last = op;
    for (; op; op = op->next) {
        if (op->routine) op->routine(*op);
        last = op;
    }
    return *last->result;
}

// Frees the program's operations, constant and result cells (each once: they are
// held in one block), never a variable cell. The program is empty afterwards.
void Release(Program& program);

}  // namespace formula
