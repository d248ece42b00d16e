// The executor of translated programs: variables, procedure calls and their arguments,
// each kind of step, and the entry points execute() and callProcedure().

#include <sqlite3.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Parser.h"
#include "SqliteEngine.h"
#include "SqliteEngineInternal.h"
#include "values/TextFold.h"

namespace server {

namespace {

Type typeOfValue(const Value& v) {
    if (std::holds_alternative<std::int64_t>(v)) return Type::Integer;
    if (std::holds_alternative<double>(v)) return Type::Float;
    if (std::holds_alternative<std::string>(v)) return Type::Text;
    if (std::holds_alternative<DateTime>(v)) return Type::DateTime;
    return Type::Null;
}

}  // namespace

Value SqliteEngine::convertTo(const Value& v, const ast::TypeName& type) {
    if (type.name.empty()) return v;
    Value r = convertValue(
        v, type.name,
        type.length == 0 && static_cast<Type>(Parser::typeCategory(type.name)) == Type::Text
            ? 1
            : type.length,
        -1, false, false, session_);
    return r;
}

void SqliteEngine::assign(Frame& frame, const std::string& name, const std::string& op,
                          Value value) {
    auto it = frame.env.find(name);
    if (it == frame.env.end()) throw Error("Must declare the scalar variable \"" + name + "\".");
    (void)op;  // compound operators were folded into the value by the printer
    it->second.value = convertTo(value, it->second.type);
}

BatchResult SqliteEngine::invoke(const ProcedureDef& def, std::string_view written,
                                 std::vector<Argument>& args) {
    std::vector<Value> values(def.parameters.size());
    std::vector<bool> given(def.parameters.size(), false);
    std::size_t positional = 0;
    std::string name(written);
    for (auto& a : args) {
        if (compareFolded(a.name, "@RETURN_VALUE") == 0) continue;
        std::size_t index;
        if (a.name.empty()) {
            index = positional++;
            if (index >= def.parameters.size())
                throw Error("Procedure or function " + def.name +
                            " has too many arguments specified.");
        } else {
            std::string n = a.name[0] == '@' ? a.name : "@" + a.name;
            index = def.parameters.size();
            for (std::size_t i = 0; i < def.parameters.size(); ++i)
                if (compareFolded(def.parameters[i].name, n) == 0) index = i;
            if (index == def.parameters.size())
                throw Error("'" + n + "' is not a parameter for procedure " + def.name + ".");
        }
        const Parameter& p = def.parameters[index];
        try {
            values[index] = convertTo(a.value, typeNameFor(p.type, p.size > 0 ? p.size : -1));
        } catch (const Error&) {
            throw Error(
                "Error converting data type " +
                std::string(std::holds_alternative<std::string>(a.value) ? "varchar" : "numeric") +
                " to " +
                (p.type == Type::Integer    ? "int"
                 : p.type == Type::Float    ? "float"
                 : p.type == Type::DateTime ? "datetime"
                                            : "varchar") +
                ".");
        }
        given[index] = true;
    }
    for (std::size_t i = 0; i < def.parameters.size(); ++i) {
        if (given[i]) continue;
        if (def.parameters[i].defaultValue)
            values[i] = *def.parameters[i].defaultValue;
        else if (!def.parameters[i].isOutput)
            throw Error("Procedure or function '" + def.name + "' expects parameter '" +
                        def.parameters[i].name + "', which was not supplied.");
    }
    ProcedureContextImpl ctx(*this, def.name, def.parameters, std::move(values));
    beginWrite();
    try {
        def.body(ctx);
    } catch (...) {
        endWrite(false);
        throw;
    }
    endWrite(true);
    // output arguments
    positional = 0;
    for (auto& a : args) {
        if (compareFolded(a.name, "@RETURN_VALUE") == 0) {
            a.value =
                ctx.result.returnValue ? Value{*ctx.result.returnValue} : Value{std::int64_t{0}};
            continue;
        }
        std::size_t index = positional;
        if (a.name.empty()) {
            ++positional;
        } else {
            std::string n = a.name[0] == '@' ? a.name : "@" + a.name;
            for (std::size_t i = 0; i < def.parameters.size(); ++i)
                if (compareFolded(def.parameters[i].name, n) == 0) index = i;
        }
        if (a.isOutput && index < def.parameters.size()) a.value = ctx.values()[index];
    }
    if (!ctx.result.returnValue) ctx.result.returnValue = 0;
    return std::move(ctx.result);
}

void SqliteEngine::runExec(const Op& op, Frame& frame) {
    const ProcedureDef* def = findProcedure(op.procedure, op.procedureNumber);
    if (!def) throw Error("Could not find stored procedure '" + op.procedureWritten + "'.");
    std::vector<Argument> args;
    std::vector<int> argOf(op.args.size(), -1);  // op argument -> args index
    std::size_t position = 0;
    for (std::size_t k = 0; k < op.args.size(); ++k) {
        const auto& a = op.args[k];
        Argument arg;
        arg.name = a.name;
        arg.isOutput = a.output;
        if (a.name.empty()) {
            // positional: named after its parameter, so DEFAULT can keep the position
            if (position < def->parameters.size())
                arg.name = def->parameters[position].name;
            else if (!a.value.empty()) {
                throw Error("Procedure or function " + def->name +
                            " has too many arguments specified.");
            }
            ++position;
        }
        if (a.value.empty()) continue;  // DEFAULT
        arg.value = scalar(a.value, frame);
        argOf[k] = static_cast<int>(args.size());
        args.push_back(std::move(arg));
    }
    BatchResult r = invoke(*def, op.procedureWritten, args);
    for (std::size_t k = 0; k < op.args.size(); ++k) {
        const auto& a = op.args[k];
        if (a.output && !a.outVariable.empty() && argOf[k] >= 0)
            assign(frame, a.outVariable, "=", args[static_cast<std::size_t>(argOf[k])].value);
    }
    if (!op.returnVariable.empty())
        assign(frame, op.returnVariable, "=", r.returnValue.value_or(0));
    for (auto& rs : r.resultSets) frame.result->resultSets.push_back(std::move(rs));
    if (r.rowsAffected >= 0) frame.result->rowsAffected = r.rowsAffected;
    frame.result->returnValue = r.returnValue;
}

void SqliteEngine::runOps(const std::vector<Op>& ops, Frame& frame) {
    for (const auto& op : ops) {
        runOp(op, frame);
        if (frame.returned) return;
    }
}

void SqliteEngine::runOp(const Op& op, Frame& frame) {
    checkDeadline();
    switch (op.kind) {
        case Op::Kind::Query: {
            ResultSet rs = query(op, frame);
            lastRowCount_ = static_cast<std::int64_t>(rs.rows.size());
            frame.result->resultSets.push_back(std::move(rs));
            break;
        }
        case Op::Kind::Change: {
            std::int64_t rows = change(op, frame);
            frame.result->rowsAffected = rows;
            lastRowCount_ = rows;
            break;
        }
        case Op::Kind::Assign: {
            std::vector<std::string> temps;
            try {
                materialize(op, frame, temps);
                bool cached = false;
                sqlite3_stmt* stmt = prepare(op.sql.text, cached);
                std::int64_t count = 0;
                try {
                    bindAll(stmt, op.sql, frame);
                    int rc;
                    const int n = sqlite3_column_count(stmt);
                    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
                        ++count;
                        std::vector<Value> row;
                        for (int i = 0; i < n; ++i) row.push_back(columnValue(stmt, i));
                        if (op.fold) {
                            for (std::size_t i = 0; i < op.assignVars.size(); ++i)
                                assign(frame, op.assignVars[i], "=",
                                       scalar(op.foldExprs[i], frame, &row));
                        } else {
                            for (std::size_t i = 0; i < op.assignVars.size() && i < row.size(); ++i)
                                assign(frame, op.assignVars[i], "=", row[i]);
                        }
                    }
                    if (rc != SQLITE_DONE) raise(rc);
                } catch (...) {
                    release(stmt, cached);
                    throw;
                }
                release(stmt, cached);
                lastRowCount_ = count;
            } catch (...) {
                dropTemps(temps);
                throw;
            }
            dropTemps(temps);
            break;
        }
        case Op::Kind::Exec:
            runExec(op, frame);
            break;
        case Op::Kind::Declare:
            for (const auto& d : op.declarations) {
                frame.env[d.name] = Variable{d.type, Value{}};
                if (!d.init.empty()) assign(frame, d.name, "=", scalar(d.init, frame));
            }
            break;
        case Op::Kind::SetVariable:
            assign(frame, op.variable, op.assignOp, scalar(op.sql, frame));
            break;
        case Op::Kind::SetOption:
            if (op.option == "DATEFORMAT") session_.dateFormat = foldCase(op.optionValue);
            break;
        case Op::Kind::Ddl:
            beginWrite();
            try {
                exec(op.sql.text);
                if (!op.viewName.empty()) saveViewColumns(op);
            } catch (...) {
                endWrite(false);
                schema_.clear();
                throw;
            }
            endWrite(true);
            schema_.clear();
            cache_.clear();
            // prepared statements would re-prepare themselves; dropping the idle ones frees
            // what the old schema needed (a statement still stepping stays)
            for (auto it = statements_.begin(); it != statements_.end();) {
                if (statementBusy_[it->first]) {
                    ++it;
                    continue;
                }
                sqlite3_finalize(it->second);
                statementBusy_.erase(it->first);
                it = statements_.erase(it);
            }
            break;
        case Op::Kind::Begin:
            if (explicitTransactions_ == 0 && writeDepth_ == 0)
                exec("BEGIN IMMEDIATE");
            else if (explicitTransactions_ == 0)
                exec("SAVEPOINT qor_tran");
            ++explicitTransactions_;
            break;
        case Op::Kind::Commit:
            if (explicitTransactions_ == 0)
                throw Error(
                    "The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION.");
            if (--explicitTransactions_ == 0)
                exec(writeDepth_ == 0 ? "COMMIT" : "RELEASE qor_tran");
            break;
        case Op::Kind::Rollback:
            if (explicitTransactions_ == 0)
                throw Error(
                    "The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION.");
            explicitTransactions_ = 0;
            if (writeDepth_ == 0)
                exec("ROLLBACK");
            else
                exec("ROLLBACK TO qor_tran; RELEASE qor_tran");
            break;
        case Op::Kind::Return:
            if (!op.sql.empty()) {
                Value v = scalar(op.sql, frame);
                Value i = convertValue(v, "INT", 0, -1, false, false, session_);
                if (auto* n = std::get_if<std::int64_t>(&i)) frame.result->returnValue = *n;
            }
            frame.returned = true;
            break;
        case Op::Kind::If: {
            Value c = scalar(op.sql, frame);
            bool yes = std::holds_alternative<std::int64_t>(c) && std::get<std::int64_t>(c) != 0;
            if (yes)
                runOp(op.children[0], frame);
            else if (op.hasElse)
                runOp(op.children[1], frame);
            break;
        }
        case Op::Kind::Block:
            runOps(op.children, frame);
            break;
        case Op::Kind::Print:
            scalar(op.sql, frame);
            break;
    }
}

BatchResult SqliteEngine::runProgram(const Program& program, std::span<const Value> params) {
    BatchResult result;
    Frame frame;
    frame.params = params;
    frame.result = &result;
    if (static_cast<int>(params.size()) < program.placeholders)
        throw Error("No value given for one or more required parameters.");
    if (program.singleBareExec && !params.empty()) {
        // EXEC proc with the parameters as its positional arguments
        const Op& op = program.ops[0];
        const ProcedureDef* def = findProcedure(op.procedure, op.procedureNumber);
        if (!def) throw Error("Could not find stored procedure '" + op.procedureWritten + "'.");
        std::vector<Argument> args;
        for (const auto& v : params) args.push_back(Argument{"", v, typeOfValue(v), false});
        return invoke(*def, op.procedureWritten, args);
    }
    runOps(program.ops, frame);
    return result;
}

BatchResult SqliteEngine::runNested(std::string_view batch, std::span<const Value> params) {
    auto prog = program(batch);
    ++nesting_;
    try {
        BatchResult r = runProgram(*prog, params);
        --nesting_;
        return r;
    } catch (...) {
        --nesting_;
        throw;
    }
}

BatchResult SqliteEngine::execute(std::string_view batch, std::span<const Value> params,
                                  int timeoutSeconds) {
    timedOut_ = false;
    hasDeadline_ = timeoutSeconds > 0;
    if (hasDeadline_)
        deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    auto prog = program(batch);
    ++nesting_;
    try {
        BatchResult r = runProgram(*prog, params);
        --nesting_;
        hasDeadline_ = false;
        return r;
    } catch (...) {
        --nesting_;
        hasDeadline_ = false;
        // as in SQL Server without XACT_ABORT, a failed statement is undone alone and an
        // open transaction stays open; only when SQLite itself ended it (an interrupted
        // write) does the count follow
        if (sqlite3_get_autocommit(db_)) {
            explicitTransactions_ = 0;
            writeDepth_ = 0;
        }
        throw;
    }
}

BatchResult SqliteEngine::callProcedure(std::string_view name, std::span<Argument> args,
                                        int timeoutSeconds) {
    timedOut_ = false;
    hasDeadline_ = timeoutSeconds > 0;
    if (hasDeadline_)
        deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    // the name goes through the parser: qualifiers and ;n as in an EXEC
    ast::Batch parsed = Parser::parse("EXEC " + std::string(name));
    if (parsed.statements.size() != 1 || parsed.statements[0]->kind != ast::Statement::Kind::Exec ||
        !parsed.statements[0]->args.empty())
        throw Error("Could not find stored procedure '" + std::string(name) + "'.");
    const auto& st = *parsed.statements[0];
    const ProcedureDef* def = findProcedure(st.procedure, st.procedureNumber);
    if (!def) throw Error("Could not find stored procedure '" + st.procedureWritten + "'.");
    std::vector<Argument> list(args.begin(), args.end());
    ++nesting_;
    try {
        BatchResult r = invoke(*def, st.procedureWritten, list);
        --nesting_;
        hasDeadline_ = false;
        std::copy(list.begin(), list.end(), args.begin());
        return r;
    } catch (...) {
        --nesting_;
        hasDeadline_ = false;
        throw;
    }
}

}  // namespace server
