#pragma once

// Error classes of the formula engine. Compilation errors derive from
// EMathParserError; arithmetic faults during evaluation are the floating-point
// and integer errors a numeric runtime raises, with their familiar messages.

#include <exception>
#include <string>

namespace formula {

// Base of every error the engine raises: a class name (for diagnostics such as the
// formula checker's "error CLASS: MESSAGE") and a message.
class Exception : public std::exception {
  public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& message() const noexcept { return message_; }
    virtual const char* className() const noexcept { return "Exception"; }

  private:
    std::string message_;
};

#define QOR28_FORMULA_ERROR(Name, Base)                                   \
    class Name : public Base {                                            \
      public:                                                             \
        using Base::Base;                                                 \
        const char* className() const noexcept override { return #Name; } \
    };

QOR28_FORMULA_ERROR(EMathParserError, Exception)
QOR28_FORMULA_ERROR(ESyntaxError, EMathParserError)
QOR28_FORMULA_ERROR(EExpressionHasBlanks, EMathParserError)
QOR28_FORMULA_ERROR(EExpressionTooComplex, EMathParserError)
QOR28_FORMULA_ERROR(ETooManyNestings, EMathParserError)
QOR28_FORMULA_ERROR(EMissMatchingBracket, EMathParserError)
QOR28_FORMULA_ERROR(EBadName, EMathParserError)
QOR28_FORMULA_ERROR(EParserInternalError, EMathParserError)

// Floating-point faults.
QOR28_FORMULA_ERROR(EMathError, Exception)
QOR28_FORMULA_ERROR(EZeroDivide, EMathError)
QOR28_FORMULA_ERROR(EInvalidOp, EMathError)
QOR28_FORMULA_ERROR(EOverflow, EMathError)
// Integer faults (DIV and MOD work on truncated integers).
QOR28_FORMULA_ERROR(EIntError, Exception)
QOR28_FORMULA_ERROR(EDivByZero, EIntError)

#undef QOR28_FORMULA_ERROR

// The fixed messages.
inline constexpr const char* kMsgHasBlanks = "Expression has blanks";
inline constexpr const char* kMsgTooComplex = "Expression is too complex";
inline constexpr const char* kMsgTooManyNestings = "Expression contains too many nestings";
inline constexpr const char* kMsgMissingBrackets = "Missing brackets in expression";
inline constexpr const char* kMsgInternal = "TParser internal error";
inline constexpr const char* kMsgSyntaxHead = "Error parsing expression:";
inline constexpr const char* kMsgZeroDivide = "Floating point division by zero";
inline constexpr const char* kMsgInvalidOp = "Invalid floating point operation";
inline constexpr const char* kMsgOverflow = "Floating point overflow";
inline constexpr const char* kMsgDivByZero = "Division by zero";

// Raisers kept out of line so the evaluation routines stay small.
[[noreturn]] void raiseZeroDivide();
[[noreturn]] void raiseInvalidOp();
[[noreturn]] void raiseOverflow();
[[noreturn]] void raiseDivByZero();

}  // namespace formula
