// The parser's entry points, reserved words and object names, and its statements: control
// flow, INSERT, UPDATE, DELETE, EXEC, DECLARE, SET, CREATE and DROP.

#include "Parser.h"

#include <algorithm>
#include <array>

#include "Engine.h"
#include "ParserInternal.h"

namespace server {

using namespace ast;

namespace parser_internal {

// Words that end an expression or a name list: they can never be an implicit alias.
constexpr std::array reservedWords = {
    "ADD",      "ALL",         "ALTER",    "AND",       "ANY",        "AS",        "ASC",
    "BEGIN",    "BETWEEN",     "BREAK",    "BY",        "CASE",       "CHECK",     "COLLATE",
    "COMMIT",   "CONSTRAINT",  "CONTINUE", "CONVERT",   "CREATE",     "CROSS",     "CURRENT",
    "DECLARE",  "DEFAULT",     "DELETE",   "DESC",      "DISTINCT",   "DROP",      "ELSE",
    "END",      "EXCEPT",      "EXEC",     "EXECUTE",   "EXISTS",     "FOR",       "FOREIGN",
    "FROM",     "FULL",        "GO",       "GOTO",      "GROUP",      "HAVING",    "IDENTITY",
    "IF",       "IN",          "INDEX",    "INNER",     "INSERT",     "INTERSECT", "INTO",
    "IS",       "JOIN",        "KEY",      "LEFT",      "LIKE",       "NOT",       "NULL",
    "OF",       "OFF",         "ON",       "OPTION",    "OR",         "ORDER",     "OUTER",
    "PERCENT",  "PRIMARY",     "PRINT",    "PROCEDURE", "REFERENCES", "RETURN",    "RIGHT",
    "ROLLBACK", "SELECT",      "SET",      "SOME",      "TABLE",      "THEN",      "TOP",
    "TRAN",     "TRANSACTION", "TRUNCATE", "UNION",     "UNIQUE",     "UPDATE",    "USE",
    "VALUES",   "VIEW",        "WHEN",     "WHERE",     "WHILE",      "WITH",
};

bool isReserved(const Token& t) {
    if (t.kind != TokenKind::Word) return false;
    return std::any_of(reservedWords.begin(), reservedWords.end(),
                       [&](const char* w) { return t.is(w); });
}

Batch ParserImpl::parseBatch() {
    Batch batch;
    while (true) {
        while (peek().isSymbol(";")) advance();
        if (peek().kind == TokenKind::End) break;
        batch.statements.push_back(parseStatement());
    }
    batch.placeholders = placeholders_;
    return batch;
}

bool ParserImpl::startsStatement(const Token& t) const {
    static constexpr std::array words = {"SELECT",  "INSERT",  "UPDATE",   "DELETE", "EXEC",
                                         "EXECUTE", "DECLARE", "SET",      "CREATE", "DROP",
                                         "BEGIN",   "COMMIT",  "ROLLBACK", "RETURN", "IF",
                                         "PRINT",   "END",     "ELSE",     "WITH"};
    return std::any_of(words.begin(), words.end(), [&](const char* w) { return t.is(w); });
}

// Object names: [catalog.][schema.]name; the catalog must be QOR, the schema dbo.
void ParserImpl::parseObjectName(std::string& name, std::string& written) {
    std::vector<std::string> parts;
    parts.push_back(expectName());
    while (peek().isSymbol(".")) {
        advance();
        if (peek().isSymbol(".")) {
            parts.push_back("");  // qor..x
            continue;
        }
        parts.push_back(expectName());
    }
    written.clear();
    for (std::size_t i = 0; i < parts.size(); ++i) written += (i ? "." : "") + parts[i];
    if (parts.size() > 3) throw Error("Invalid object name '" + written + "'.");
    bool ok = true;
    if (parts.size() >= 2) {
        const std::string& schema = parts[parts.size() - 2];
        if (!schema.empty() && lower(schema) != "dbo") ok = false;
    }
    if (parts.size() == 3 && lower(parts[0]) != "qor") ok = false;
    if (!ok) throw Error("Invalid object name '" + written + "'.");
    name = parts.back();
}

StatementPtr ParserImpl::parseStatement() {
    DepthGuard guard(*this);
    auto st = std::make_unique<Statement>();
    st->offset = peek().offset;
    const Token& t = peek();
    if (t.is("SELECT") || t.isSymbol("(")) {
        st->kind = Statement::Kind::Select;
        st->select = parseSelect();
    } else if (t.is("INSERT")) {
        parseInsert(*st);
    } else if (t.is("UPDATE")) {
        parseUpdate(*st);
    } else if (t.is("DELETE")) {
        parseDelete(*st);
    } else if (t.is("EXEC") || t.is("EXECUTE")) {
        parseExec(*st);
    } else if (t.is("DECLARE")) {
        parseDeclare(*st);
    } else if (t.is("SET")) {
        parseSet(*st);
    } else if (t.is("CREATE")) {
        parseCreate(*st);
    } else if (t.is("DROP")) {
        parseDrop(*st);
    } else if (t.is("BEGIN")) {
        advance();
        if (accept("TRAN") || accept("TRANSACTION")) {
            st->kind = Statement::Kind::Begin;
            if (isName(peek())) advance();
        } else {
            st->kind = Statement::Kind::Block;
            while (!peek().is("END")) {
                if (peek().kind == TokenKind::End) fail();
                if (acceptSymbol(";")) continue;
                st->body.push_back(parseStatement());
            }
            advance();
        }
    } else if (t.is("COMMIT") || t.is("ROLLBACK")) {
        st->kind = t.is("COMMIT") ? Statement::Kind::Commit : Statement::Kind::Rollback;
        advance();
        if (accept("TRAN") || accept("TRANSACTION") || accept("WORK")) {
            if (isName(peek()) && !startsStatement(peek())) advance();
        }
    } else if (t.is("RETURN")) {
        advance();
        st->kind = Statement::Kind::Return;
        if (peek().kind != TokenKind::End && !peek().isSymbol(";") && !startsStatement(peek()))
            st->value = parseExpr();
    } else if (t.is("PRINT")) {
        advance();
        st->kind = Statement::Kind::Print;
        st->value = parseExpr();
    } else if (t.is("IF")) {
        advance();
        st->kind = Statement::Kind::If;
        st->condition = parseExpr();
        st->body.push_back(parseStatement());
        while (peek().isSymbol(";")) advance();
        if (accept("ELSE")) st->body.push_back(parseStatement());
    } else {
        fail();
    }
    return st;
}

void ParserImpl::parseInsert(Statement& st) {
    st.kind = Statement::Kind::Insert;
    advance();
    accept("INTO");
    parseObjectName(st.table, st.tableWritten);
    if (peek().isSymbol("(") && !peek(1).is("SELECT")) {
        advance();
        do {
            st.columns.push_back(expectName());
        } while (acceptSymbol(","));
        expectSymbol(")");
    }
    if (accept("VALUES")) {
        do {
            expectSymbol("(");
            std::vector<ExprPtr> row;
            do {
                if (peek().is("DEFAULT")) {
                    advance();
                    row.push_back(nullptr);
                } else {
                    row.push_back(parseExpr());
                }
            } while (acceptSymbol(","));
            expectSymbol(")");
            st.rows.push_back(std::move(row));
        } while (acceptSymbol(","));
    } else if (peek().is("SELECT") || peek().isSymbol("(")) {
        st.select = parseSelect();
    } else if (accept("DEFAULT")) {
        expect("VALUES");
        st.defaultValues = true;
    } else {
        fail();
    }
}

void ParserImpl::parseTop(Statement& st) {
    if (accept("TOP")) {
        expectSymbol("(");
        st.top = parseExpr();
        expectSymbol(")");
    }
}

void ParserImpl::parseUpdate(Statement& st) {
    st.kind = Statement::Kind::Update;
    advance();
    parseTop(st);
    parseObjectName(st.table, st.tableWritten);
    expect("SET");
    do {
        std::string column;
        if (peek().kind == TokenKind::Variable) {
            column = lower(advance().text);
        } else {
            column = expectName();
            while (acceptSymbol(".")) column = expectName();  // t.col, dbo.t.col
        }
        const Token& op = peek();
        if (!isAssignOp(op)) fail();
        std::string opText = advance().text;
        ExprPtr value;
        if (opText != "=") {
            auto col = make(ExprKind::Column);
            col->names.push_back(column);
            value = binary(opText.substr(0, 1), std::move(col), parseExpr());
        } else if (peek().is("DEFAULT")) {
            advance();
            value = nullptr;
        } else {
            value = parseExpr();
        }
        st.assignments.emplace_back(column, std::move(value));
    } while (acceptSymbol(","));
    if (accept("FROM")) {
        do {
            st.from.push_back(parseTableSource());
        } while (acceptSymbol(","));
    }
    if (accept("WHERE")) st.where = parseExpr();
}

void ParserImpl::parseDelete(Statement& st) {
    st.kind = Statement::Kind::Delete;
    advance();
    parseTop(st);
    accept("FROM");
    parseObjectName(st.table, st.tableWritten);
    if (accept("FROM")) {
        do {
            st.from.push_back(parseTableSource());
        } while (acceptSymbol(","));
    }
    if (accept("WHERE")) st.where = parseExpr();
}

void ParserImpl::parseExec(Statement& st) {
    st.kind = Statement::Kind::Exec;
    advance();
    if (peek().kind == TokenKind::Variable && peek(1).isSymbol("=")) {
        st.returnVariable = lower(advance().text);
        advance();
    }
    parseObjectName(st.procedure, st.procedureWritten);
    if (peek().isSymbol(";") && peek(1).kind == TokenKind::Integer) {
        advance();
        st.procedureNumber = std::stoi(advance().text.substr(0, 9));
        st.procedureWritten += ";" + std::to_string(st.procedureNumber);
    }
    auto atArgEnd = [&] {
        const Token& t = peek();
        return t.kind == TokenKind::End || t.isSymbol(";") ||
               (t.kind == TokenKind::Word && startsStatement(t));
    };
    if (atArgEnd()) return;
    do {
        ProcArg arg;
        if (peek().kind == TokenKind::Variable && peek(1).isSymbol("=")) {
            arg.name = lower(advance().text);
            advance();
        }
        if (peek().is("DEFAULT")) {
            advance();
        } else if (peek().kind == TokenKind::Word && !isReserved(peek()) &&
                   !peek(1).isSymbol("(") && !peek(1).isSymbol(".")) {
            // EXEC p abc: a bare word is a character string, as in SQL Server
            arg.value = make(ExprKind::String, advance().text);
        } else {
            arg.value = parseExpr();
        }
        if (accept("OUTPUT") || accept("OUT")) arg.output = true;
        st.args.push_back(std::move(arg));
    } while (acceptSymbol(","));
}

void ParserImpl::parseDeclare(Statement& st) {
    st.kind = Statement::Kind::Declare;
    advance();
    do {
        if (peek().kind != TokenKind::Variable) fail();
        Declaration d;
        d.name = lower(advance().text);
        accept("AS");
        d.type = parseType();
        if (acceptSymbol("=")) d.init = parseExpr();
        st.declarations.push_back(std::move(d));
    } while (acceptSymbol(","));
}

void ParserImpl::parseSet(Statement& st) {
    advance();
    if (peek().kind == TokenKind::Variable) {
        st.kind = Statement::Kind::SetVariable;
        st.variable = lower(advance().text);
        if (!isAssignOp(peek())) fail();
        st.assignOp = advance().text;
        st.value = parseExpr();
        return;
    }
    st.kind = Statement::Kind::SetOption;
    if (peek().kind != TokenKind::Word) fail();
    st.option = upper(advance().text);
    if (st.option == "TRANSACTION") {
        // SET TRANSACTION ISOLATION LEVEL ...: one writer at a time anyway
        expect("ISOLATION");
        expect("LEVEL");
        while (peek().kind == TokenKind::Word && !startsStatement(peek())) advance();
        return;
    }
    const Token& v = peek();
    if (v.kind == TokenKind::Word || v.kind == TokenKind::Integer || v.kind == TokenKind::String ||
        v.kind == TokenKind::QuotedName) {
        st.optionValue = upper(advance().text);
    } else {
        fail();
    }
}

void ParserImpl::parseCreate(Statement& st) {
    advance();
    if (accept("TABLE")) {
        st.kind = Statement::Kind::CreateTable;
        parseObjectName(st.table, st.tableWritten);
        expectSymbol("(");
        do {
            if (peek().is("CONSTRAINT")) {
                advance();
                expectName();
            }
            if (accept("PRIMARY")) {
                expect("KEY");
                accept("CLUSTERED") || accept("NONCLUSTERED");
                st.primaryKey = parseNameList();
                continue;
            }
            if (accept("UNIQUE")) {
                accept("CLUSTERED") || accept("NONCLUSTERED");
                TableConstraint c;
                c.kind = TableConstraint::Kind::Unique;
                c.columns = parseNameList();
                st.constraints.push_back(std::move(c));
                continue;
            }
            if (accept("FOREIGN")) {
                expect("KEY");
                TableConstraint c;
                c.kind = TableConstraint::Kind::ForeignKey;
                c.columns = parseNameList();
                expect("REFERENCES");
                std::string written;
                parseObjectName(c.references, written);
                if (peek().isSymbol("(")) c.referencesColumns = parseNameList();
                st.constraints.push_back(std::move(c));
                continue;
            }
            if (accept("CHECK")) {
                TableConstraint c;
                c.kind = TableConstraint::Kind::Check;
                expectSymbol("(");
                c.check = parseExpr();
                expectSymbol(")");
                st.constraints.push_back(std::move(c));
                continue;
            }
            ColumnDef col;
            col.name = expectName();
            col.type = parseType();
            while (true) {
                if (accept("IDENTITY")) {
                    col.identity = true;
                    if (acceptSymbol("(")) {
                        while (!peek().isSymbol(")")) {
                            if (peek().kind == TokenKind::End) fail();
                            advance();
                        }
                        advance();
                    }
                } else if (accept("NOT")) {
                    expect("NULL");
                    col.notNull = true;
                } else if (accept("NULL")) {
                } else if (accept("PRIMARY")) {
                    expect("KEY");
                    accept("CLUSTERED") || accept("NONCLUSTERED");
                    col.primaryKey = true;
                } else if (accept("UNIQUE")) {
                    col.unique = true;
                } else if (accept("DEFAULT")) {
                    col.defaultValue = parseUnary();
                } else if (accept("CONSTRAINT")) {
                    expectName();
                } else if (accept("REFERENCES")) {
                    std::string written;
                    parseObjectName(col.references, written);
                    if (acceptSymbol("(")) {
                        col.referencesColumn = expectName();
                        expectSymbol(")");
                    }
                } else if (accept("CHECK")) {
                    expectSymbol("(");
                    col.check = parseExpr();
                    expectSymbol(")");
                } else if (accept("COLLATE")) {
                    expectName();
                } else {
                    break;
                }
            }
            st.columnDefs.push_back(std::move(col));
        } while (acceptSymbol(","));
        expectSymbol(")");
        return;
    }
    if (accept("VIEW")) {
        st.kind = Statement::Kind::CreateView;
        parseObjectName(st.table, st.tableWritten);
        expect("AS");
        st.select = parseSelect();
        return;
    }
    bool unique = accept("UNIQUE");
    accept("CLUSTERED") || accept("NONCLUSTERED");
    if (accept("INDEX")) {
        st.kind = Statement::Kind::CreateIndex;
        st.unique = unique;
        st.indexName = expectName();
        expect("ON");
        parseObjectName(st.table, st.tableWritten);
        expectSymbol("(");
        do {
            st.columns.push_back(expectName());
            accept("ASC") || accept("DESC");
        } while (acceptSymbol(","));
        expectSymbol(")");
        return;
    }
    fail();
}

// ( name [ASC|DESC], ... )
std::vector<std::string> ParserImpl::parseNameList() {
    std::vector<std::string> names;
    expectSymbol("(");
    do {
        names.push_back(expectName());
        accept("ASC") || accept("DESC");
    } while (acceptSymbol(","));
    expectSymbol(")");
    return names;
}

void ParserImpl::parseDrop(Statement& st) {
    advance();
    st.kind = Statement::Kind::Drop;
    if (accept("TABLE"))
        st.dropKind = "TABLE";
    else if (accept("VIEW"))
        st.dropKind = "VIEW";
    else if (accept("INDEX"))
        st.dropKind = "INDEX";
    else
        fail();
    if (peek().is("IF") && peek(1).is("EXISTS")) {
        advance();
        advance();
        st.ifExists = true;
    }
    parseObjectName(st.table, st.tableWritten);
    if (st.dropKind == "INDEX" && accept("ON")) {
        std::string table, written;
        parseObjectName(table, written);
    }
}

}  // namespace parser_internal

Batch Parser::parse(std::string_view text) {
    return parser_internal::ParserImpl(text).parseBatch();
}

int Parser::typeCategory(const std::string& n) {
    static constexpr std::array ints = {"INT", "INTEGER", "BIGINT", "SMALLINT", "TINYINT", "BIT"};
    static constexpr std::array floats = {"FLOAT", "REAL",       "DECIMAL", "NUMERIC",
                                          "MONEY", "SMALLMONEY", "DOUBLE",  "DEC"};
    static constexpr std::array texts = {"CHAR", "VARCHAR", "NCHAR",   "NVARCHAR",
                                         "TEXT", "NTEXT",   "SYSNAME", "UNIQUEIDENTIFIER"};
    static constexpr std::array dates = {"DATETIME", "DATE", "SMALLDATETIME", "DATETIME2", "TIME"};
    auto in = [&](const auto& list) {
        return std::any_of(list.begin(), list.end(), [&](const char* w) { return n == w; });
    };
    if (in(ints)) return static_cast<int>(Type::Integer);
    if (in(floats)) return static_cast<int>(Type::Float);
    if (in(texts)) return static_cast<int>(Type::Text);
    if (in(dates)) return static_cast<int>(Type::DateTime);
    return 0;
}

}  // namespace server
