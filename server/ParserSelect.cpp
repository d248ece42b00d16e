// The parser's SELECT: compound selects and ORDER BY, select cores with TOP and the
// select list, and the FROM clause's tables, derived tables, functions and joins.

#include "ParserInternal.h"

namespace server::parser_internal {

SelectPtr ParserImpl::readSelect() {
    DepthGuard guard(*this);
    auto sel = std::make_unique<Select>();
    sel->cores.push_back(parseCore());
    while (true) {
        if (peek().is("UNION")) {
            advance();
            sel->setOps.push_back(accept("ALL") ? "UNION ALL" : "UNION");
        } else if (peek().is("EXCEPT")) {
            advance();
            sel->setOps.push_back("EXCEPT");
        } else if (peek().is("INTERSECT")) {
            advance();
            sel->setOps.push_back("INTERSECT");
        } else {
            break;
        }
        sel->cores.push_back(parseCore());
    }
    if (accept("ORDER")) {
        expect("BY");
        do {
            OrderItem item;
            item.expr = parseExpr();
            if (accept("DESC"))
                item.descending = true;
            else
                accept("ASC");
            sel->orderBy.push_back(std::move(item));
        } while (acceptSymbol(","));
    }
    return sel;
}

SelectCore ParserImpl::parseCore() {
    SelectCore core;
    if (peek().isSymbol("(")) {
        advance();
        core.parenthesized = parseSelect();
        expectSymbol(")");
        return core;
    }
    expect("SELECT");
    if (accept("DISTINCT"))
        core.distinct = true;
    else
        accept("ALL");
    if (accept("TOP")) {
        if (acceptSymbol("(")) {
            core.top = parseExpr();
            expectSymbol(")");
        } else {
            core.top = parsePrimary();
        }
        if (accept("PERCENT")) core.topPercent = true;
        if (accept("WITH")) expect("TIES");
    }
    do {
        core.items.push_back(parseSelectItem());
    } while (acceptSymbol(","));
    if (accept("FROM")) {
        do {
            core.from.push_back(parseTableSource());
        } while (acceptSymbol(","));
    }
    if (accept("WHERE")) core.where = parseExpr();
    if (accept("GROUP")) {
        expect("BY");
        do {
            core.groupBy.push_back(parseExpr());
        } while (acceptSymbol(","));
    }
    if (accept("HAVING")) core.having = parseExpr();
    return core;
}

bool ParserImpl::isAssignOp(const Token& t) {
    return t.kind == TokenKind::Symbol &&
           (t.text == "=" || t.text == "+=" || t.text == "-=" || t.text == "*=" || t.text == "/=");
}

SelectItem ParserImpl::parseSelectItem() {
    SelectItem item;
    const Token& t = peek();
    if (t.kind == TokenKind::Variable && isAssignOp(peek(1))) {
        item.assignTo = lower(advance().text);
        item.assignOp = advance().text;
        item.expr = parseExpr();
        return item;
    }
    if ((isName(t) || t.kind == TokenKind::String) && peek(1).isSymbol("=")) {
        item.alias = advance().text;
        advance();
        item.expr = parseExpr();
        return item;
    }
    if (t.isSymbol("*")) {
        advance();
        item.expr = std::make_unique<Expr>();
        item.expr->kind = ExprKind::Star;
        return item;
    }
    item.expr = parseExpr();
    if (accept("AS")) {
        if (peek().kind == TokenKind::String || isName(peek()))
            item.alias = advance().text;
        else
            fail();
    } else if (isName(peek()) || peek().kind == TokenKind::String) {
        item.alias = advance().text;
    }
    return item;
}

TableRefPtr ParserImpl::parseTableSource() {
    DepthGuard guard(*this);
    TableRefPtr left = parseTablePrimary();
    while (true) {
        std::string type;
        if (peek().is("JOIN")) {
            type = "INNER";
        } else if (peek().is("INNER") && peek(1).is("JOIN")) {
            advance();
            type = "INNER";
        } else if ((peek().is("LEFT") || peek().is("RIGHT") || peek().is("FULL")) &&
                   (peek(1).is("JOIN") || (peek(1).is("OUTER") && peek(2).is("JOIN")))) {
            type = upper(advance().text);
            accept("OUTER");
        } else if (peek().is("CROSS") && peek(1).is("JOIN")) {
            advance();
            type = "CROSS";
        } else {
            break;
        }
        expect("JOIN");
        auto join = std::make_unique<TableRef>();
        join->kind = TableRef::Kind::Join;
        join->joinType = type;
        join->left = std::move(left);
        join->right = parseTablePrimary();
        if (type != "CROSS") {
            expect("ON");
            join->on = parseExpr();
        }
        left = std::move(join);
    }
    return left;
}

TableRefPtr ParserImpl::parseTablePrimary() {
    auto ref = std::make_unique<TableRef>();
    if (peek().isSymbol("(")) {
        advance();
        if (peek().is("SELECT") || peek().isSymbol("(")) {
            // a derived table, possibly a parenthesized compound
            const std::size_t save = pos_;
            const int placeholders = placeholders_;
            if (peek().isSymbol("(")) {
                // could be a nested join in parentheses: try a select first, unless it is
                // known to fail (the selects that fail during a trial are remembered, so
                // reading the join after a failed trial does not read them again)
                bool isSelect = !knownToFail();
                if (isSelect) {
                    ++trials_;
                    try {
                        ref->kind = TableRef::Kind::Subquery;
                        ref->select = parseSelect();
                        --trials_;
                    } catch (const Error&) {
                        --trials_;
                        pos_ = save;
                        placeholders_ = placeholders;  // the trial's ? marks are read again
                        isSelect = false;
                    }
                }
                if (!isSelect) {
                    TableRefPtr inner = parseTableSource();
                    expectSymbol(")");
                    return inner;
                }
            } else {
                ref->kind = TableRef::Kind::Subquery;
                ref->select = parseSelect();
            }
            expectSymbol(")");
        } else {
            TableRefPtr inner = parseTableSource();
            expectSymbol(")");
            return inner;
        }
    } else {
        parseObjectName(ref->name, ref->written);
        if (acceptSymbol("(")) {
            ref->kind = TableRef::Kind::Function;
            if (!peek().isSymbol(")")) {
                do {
                    ref->args.push_back(parseExpr());
                } while (acceptSymbol(","));
            }
            expectSymbol(")");
        }
    }
    if (accept("AS"))
        ref->alias = expectName();
    else if (isName(peek()))
        ref->alias = advance().text;
    if (ref->kind == TableRef::Kind::Subquery && ref->alias.empty()) fail();
    if (peek().is("WITH") && peek(1).isSymbol("(")) {
        // table hints such as WITH (NOLOCK) mean nothing on a single-file server
        advance();
        advance();
        while (!peek().isSymbol(")")) {
            if (peek().kind == TokenKind::End) fail();
            advance();
        }
        advance();
    }
    return ref;
}

}  // namespace server::parser_internal
