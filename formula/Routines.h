#pragma once

// Evaluation routines: one per operation kind, and the built-in functions. Each
// reads its operand cells and stores the result rounded to double; a fault raises
// the matching floating-point or integer error instead of storing an infinity or
// a NaN.

#include <cstdint>

#include "formula/Program.h"

namespace formula {

// The routine of an operation kind 0 to 13 (kind 0 does nothing).
Routine routineOfKind(std::uint8_t kind);

// Integer power: 1 for n = 0 (0^0 too), repeated squaring otherwise, inverted for
// a negative n.
double integerPower(double base, std::int64_t n);

// Round half to even, as the grade computations bind marks and round totals.
double roundHalfEven(double x);

namespace builtin {
void Tan(const OperationRecord& op);
void Sin(const OperationRecord& op);
void Cos(const OperationRecord& op);
void Sinh(const OperationRecord& op);
void Cosh(const OperationRecord& op);
void ArcTan(const OperationRecord& op);
void Exp(const OperationRecord& op);
void Ln(const OperationRecord& op);
void Sqrt(const OperationRecord& op);
void Abs(const OperationRecord& op);
void Heav(const OperationRecord& op);
void Sign(const OperationRecord& op);
void Zero(const OperationRecord& op);
void Ph(const OperationRecord& op);
void Rnd(const OperationRecord& op);
void Max(const OperationRecord& op);
void Min(const OperationRecord& op);
}  // namespace builtin

// The process-wide generator behind RND: never seeded from the clock, so every run
// draws the same sequence. Exposed so tests can restart it.
double nextRandom();
void resetRandom(std::uint32_t state = 0);

}  // namespace formula
