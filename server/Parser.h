#pragma once

// The T-SQL parser: a recursive-descent parser from tokens to the syntax tree of Ast.h.
// It accepts the dialect the client speaks (see DESIGN.md, "The embedded server") and
// reports anything else as SQL Server does: "Incorrect syntax near 'x'.".

#include <string_view>

#include "Ast.h"
#include "Lexer.h"

namespace server {

class Parser {
  public:
    // Parses a whole batch. Throws Error on the first syntax error.
    static ast::Batch parse(std::string_view text);

    // Maps a T-SQL type name (upper case) to the client's column type; Null when unknown.
    static int typeCategory(const std::string& upperName);
};

}  // namespace server
