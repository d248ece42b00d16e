#pragma once

// The formula parser component: callers register named variables with their
// current values, assign a formula text to Expression (which compiles it) and read
// Value (which evaluates it with the variables' current values).

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "formula/Errors.h"
#include "formula/NameTable.h"
#include "formula/Program.h"

namespace formula {

class TCustomParser;

// Handler of compilation errors: given the parser and the error raised.
using TParserExceptionEvent = std::function<void(TCustomParser& sender, EMathParserError& e)>;

class TCustomParser {
  public:
    TCustomParser();
    virtual ~TCustomParser();
    TCustomParser(const TCustomParser&) = delete;
    TCustomParser& operator=(const TCustomParser&) = delete;

    // Registers or updates a variable and returns its cell. The name is stored
    // upper case; a new name must be an identifier (ASCII letter or '_' first,
    // then letters, digits, '_'), else EBadName is raised with the upper-cased
    // name and nothing changes. A, B, C, D, E, T, X and Y use the parser's own cells.
    double* SetVariable(std::string_view name, long double value);

    // Assigning recompiles, even an unchanged text. An empty text leaves no program.
    // A compilation error goes to OnParserError when one is assigned (the assignment
    // then returns normally), else to the caller; either way no program remains and
    // Expression reads back the new text.
    void setExpression(std::string_view text);
    const std::string& Expression() const { return expression_; }

    // Evaluates the compiled program; 0 without one. Arithmetic faults propagate.
    long double Value() const { return Evaluate(program_); }

    bool PascalNumberformat() const { return pascalNumberformat_; }
    void setPascalNumberformat(bool v) { pascalNumberformat_ = v; }

    TParserExceptionEvent OnParserError;

    // The compiled program, for inspection.
    const Program& program() const { return program_; }
    const VariableTable& variables() const { return variables_; }

  protected:
    // The cells of the single-letter variables, in this order.
    double A = 0, B = 0, C = 0, D = 0, E = 0, X = 0, Y = 0, T = 0;

    // Registers a function; false when the name is taken already.
    bool addFunctionOneParameter(std::string_view name, Routine routine) {
        return functions1_.add(name, routine);
    }
    bool addFunctionTwoParameters(std::string_view name, Routine routine) {
        return functions2_.add(name, routine);
    }
    // Binds a name to one of the parser's own cells.
    void addOwnVariable(std::string_view name, double* cell) { variables_.add(name, cell); }

    double* ownCell(char letter);

  private:
    std::string expression_;
    bool pascalNumberformat_ = true;
    VariableTable variables_;
    Program program_;
    FunctionTable functions1_;
    FunctionTable functions2_;
    // Cells of variables registered by name; each lives until the parser is destroyed.
    std::vector<std::unique_ptr<double>> allocated_;
    // The callers set the same fourteen marks for every row of a sheet, so short
    // names are remembered by their upper-cased bytes: a hit skips the table.
    struct RecentName {
        std::uint64_t key = 0;
        std::size_t length = 0;
        double* cell = nullptr;
    };
    std::array<RecentName, 64> recent_{};
};

}  // namespace formula
