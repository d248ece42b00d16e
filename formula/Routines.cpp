#include "formula/Routines.h"

#include <atomic>
#include <cmath>
#include <limits>

#include "formula/Errors.h"

namespace formula {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 2.0 * kPi;
constexpr double kTwoOverPi = 0.6366197723675814;
constexpr double kTwo63 = 9223372036854775808.0;

// Stores a result: never an infinity or a NaN.
inline void store(const OperationRecord& op, double v) {
    if (!std::isfinite(v)) [[unlikely]] {
        if (std::isnan(v)) raiseInvalidOp();
        raiseOverflow();
    }
    *op.result = v;
}

inline void storeWide(const OperationRecord& op, long double v) {
    if (std::isnan(v)) [[unlikely]]
        raiseInvalidOp();
    if (std::fabs(v) > static_cast<long double>(std::numeric_limits<double>::max())) [[unlikely]]
        raiseOverflow();
    store(op, static_cast<double>(v));
}

// Truncates an operand of DIV or MOD to a 64-bit integer.
inline std::int64_t truncToInt64(double v) {
    const double t = std::trunc(v);
    if (!(t >= -kTwo63 && t < kTwo63)) [[unlikely]]
        raiseInvalidOp();
    return static_cast<std::int64_t>(t);
}

long double integerPowerWide(long double base, std::int64_t n) {
    if (n == 0) return 1.0L;
    // |n| as unsigned so that the most negative exponent has a magnitude too.
    std::uint64_t e = n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
    long double result = 1.0L;
    long double b = base;
    while (true) {
        if (e & 1u) result *= b;
        e >>= 1;
        if (!e) break;
        b *= b;
    }
    if (n < 0) {
        if (result == 0.0L) raiseZeroDivide();
        result = 1.0L / result;
    }
    return result;
}

void nop(const OperationRecord&) {}
void negate(const OperationRecord& op) {
    *op.result = -*op.first;
}
void add(const OperationRecord& op) {
    store(op, *op.first + *op.second);
}
void subtract(const OperationRecord& op) {
    store(op, *op.first - *op.second);
}
void multiply(const OperationRecord& op) {
    store(op, *op.first * *op.second);
}

void divide(const OperationRecord& op) {
    const double a = *op.first, b = *op.second;
    if (b == 0.0) [[unlikely]] {
        if (a == 0.0) raiseInvalidOp();
        raiseZeroDivide();
    }
    store(op, a / b);
}

void intDiv(const OperationRecord& op) {
    const std::int64_t a = truncToInt64(*op.first);
    const std::int64_t b = truncToInt64(*op.second);
    if (b == 0) raiseDivByZero();
    // The one quotient that leaves the 64-bit range is exact as a double.
    if (b == -1) {
        *op.result = -static_cast<double>(a);
        return;
    }
    *op.result = static_cast<double>(a / b);
}

void intMod(const OperationRecord& op) {
    const std::int64_t a = truncToInt64(*op.first);
    const std::int64_t b = truncToInt64(*op.second);
    if (b == 0) raiseDivByZero();
    *op.result = b == -1 ? 0.0 : static_cast<double>(a % b);
}

void intPower(const OperationRecord& op) {
    const double b = *op.second;
    const double t = std::trunc(b);
    if (!(t >= -kTwo63 && t < kTwo63)) raiseInvalidOp();
    storeWide(op, integerPowerWide(*op.first, static_cast<std::int64_t>(t)));
}

void realPower(const OperationRecord& op) {
    const double a = *op.first, b = *op.second;
    if (b == 0.0) {
        *op.result = 1.0;
        return;
    }
    if (a == 0.0 && b > 0.0) {
        *op.result = 0.0;
        return;
    }
    if (std::trunc(b) == b && std::fabs(b) <= 2147483647.0) {
        storeWide(op, integerPowerWide(a, static_cast<std::int64_t>(b)));
        return;
    }
    // e^(b ln a): a negative base is an invalid operation, a zero base with a
    // negative exponent a division by zero, as the logarithm makes them.
    if (a < 0.0) raiseInvalidOp();
    if (a == 0.0) raiseZeroDivide();
    storeWide(op, std::exp(static_cast<long double>(b) * std::log(static_cast<long double>(a))));
}

void square(const OperationRecord& op) {
    store(op, *op.first * *op.first);
}
void cube(const OperationRecord& op) {
    store(op, *op.first * *op.first * *op.first);
}
void fourth(const OperationRecord& op) {
    const double a = *op.first;
    const double sq = a * a;
    store(op, sq * sq);
}

std::atomic<std::uint32_t> randomState{0};

}  // namespace

double integerPower(double base, std::int64_t n) {
    const long double v = integerPowerWide(base, n);
    if (std::fabs(v) > static_cast<long double>(std::numeric_limits<double>::max()))
        raiseOverflow();
    return static_cast<double>(v);
}

double roundHalfEven(double x) {
    // Done in integers rather than through the library's rounding (nearbyint follows
    // the current rounding mode, which no caller should depend on): the marks of every
    // row of a sheet pass through here. From 2^52 on every double is a whole number,
    // and infinities and NaN stay as they are.
    if (!(std::fabs(x) < 4503599627370496.0)) return x;
    const auto whole = static_cast<std::int64_t>(x);  // toward zero
    const double t = static_cast<double>(whole);
    const double fraction = x - t;  // exact below 2^52
    if (fraction == 0.5 || fraction == -0.5) {
        const std::int64_t below = fraction < 0 ? whole - 1 : whole;
        return static_cast<double>(below % 2 == 0 ? below : below + 1);
    }
    if (fraction > 0.5) return t + 1.0;
    if (fraction < -0.5) return t - 1.0;
    return std::copysign(t, x);  // -0.3 rounds to -0
}

Routine routineOfKind(std::uint8_t kind) {
    switch (kind) {
        case kVariable:
            return nop;
        case kNegate:
            return negate;
        case kAdd:
            return add;
        case kSubtract:
            return subtract;
        case kMultiply:
            return multiply;
        case kDivide:
            return divide;
        case kMod:
            return intMod;
        case kDiv:
            return intDiv;
        case kIntPower:
            return intPower;
        case kRealPower:
            return realPower;
        case kSquare:
            return square;
        case kCube:
            return cube;
        case kFourth:
            return fourth;
        default:
            return nullptr;
    }
}

double nextRandom() {
    std::uint32_t s = randomState.load(std::memory_order_relaxed);
    std::uint32_t n;
    do {
        n = s * 134775813u + 1u;
    } while (!randomState.compare_exchange_weak(s, n, std::memory_order_relaxed));
    return static_cast<double>(n) / 4294967296.0;
}

void resetRandom(std::uint32_t state) {
    randomState.store(state, std::memory_order_relaxed);
}

namespace builtin {

void Tan(const OperationRecord& op) {
    store(op, std::tan(*op.first));
}

void Sin(const OperationRecord& op) {
    const double x = *op.first;
    store(op, std::fabs(x) >= kTwo63 ? 0.0 : std::sin(x));
}

void Cos(const OperationRecord& op) {
    const double x = *op.first;
    store(op, std::fabs(x) >= kTwo63 ? 0.0 : std::cos(x));
}

void Sinh(const OperationRecord& op) {
    const long double x = *op.first;
    storeWide(op, (std::exp(x) - std::exp(-x)) * 0.5L);
}

void Cosh(const OperationRecord& op) {
    const long double x = *op.first;
    storeWide(op, (std::exp(x) + std::exp(-x)) * 0.5L);
}

void ArcTan(const OperationRecord& op) {
    store(op, std::atan(*op.first));
}

void Exp(const OperationRecord& op) {
    storeWide(op, std::exp(static_cast<long double>(*op.first)));
}

void Ln(const OperationRecord& op) {
    const double x = *op.first;
    if (x == 0.0) raiseZeroDivide();
    if (x < 0.0) raiseInvalidOp();
    store(op, std::log(x));
}

void Sqrt(const OperationRecord& op) {
    const double x = *op.first;
    if (x < 0.0) raiseInvalidOp();
    store(op, std::sqrt(x));
}

void Abs(const OperationRecord& op) {
    *op.result = std::fabs(*op.first);
}
void Heav(const OperationRecord& op) {
    *op.result = *op.first >= 0.0 ? 1.0 : 0.0;
}

void Sign(const OperationRecord& op) {
    const double x = *op.first;
    *op.result = x < 0.0 ? -1.0 : (x > 0.0 ? 1.0 : 0.0);
}

void Zero(const OperationRecord& op) {
    *op.result = *op.first == 0.0 ? 0.0 : 1.0;
}

void Ph(const OperationRecord& op) {
    const double t = *op.first / kTwoOverPi;
    store(op, (t - roundHalfEven(t)) * kTwoPi);
}

void Rnd(const OperationRecord& op) {
    store(op, std::trunc(*op.first) * nextRandom());
}

void Max(const OperationRecord& op) {
    const double a = *op.first, b = *op.second;
    *op.result = a >= b ? a : b;
}

void Min(const OperationRecord& op) {
    const double a = *op.first, b = *op.second;
    *op.result = a < b ? a : b;
}

}  // namespace builtin

}  // namespace formula
