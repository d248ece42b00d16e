#include "formula/TParser.h"

#include "formula/Routines.h"

namespace formula {

TParser::TParser() {
    for (char letter : {'A', 'B', 'C', 'D', 'E', 'X', 'Y', 'T'})
        addOwnVariable(std::string_view(&letter, 1), ownCell(letter));

    using namespace builtin;
    const struct {
        const char* name;
        Routine routine;
    } one[] = {{"TAN", Tan},       {"SIN", Sin},   {"COS", Cos},   {"SINH", Sinh}, {"COSH", Cosh},
               {"ARCTAN", ArcTan}, {"EXP", Exp},   {"LN", Ln},     {"SQRT", Sqrt}, {"ABS", Abs},
               {"HEAV", Heav},     {"SIGN", Sign}, {"ZERO", Zero}, {"PH", Ph},     {"RND", Rnd}};
    for (const auto& f : one) addFunctionOneParameter(f.name, f.routine);
    addFunctionTwoParameters("MAX", Max);
    addFunctionTwoParameters("MIN", Min);
}

}  // namespace formula
