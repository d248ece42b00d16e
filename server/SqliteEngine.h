#pragma once

// The embedded server's engine on one SQLite connection: login check, the translation
// cache, the executor of translated programs, procedures and the schema knowledge the
// printer asks for.

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "Engine.h"
#include "Program.h"
#include "Registry.h"
#include "SqlFunctions.h"
#include "Translator.h"

struct sqlite3;
struct sqlite3_stmt;

namespace server {

class SqliteEngine final : public Engine, private SchemaSource {
  public:
    SqliteEngine(sqlite3* db, std::string login);
    ~SqliteEngine() override;
    SqliteEngine(const SqliteEngine&) = delete;
    SqliteEngine& operator=(const SqliteEngine&) = delete;

    BatchResult execute(std::string_view batch, std::span<const Value> params = {},
                        int timeoutSeconds = 0) override;
    BatchResult callProcedure(std::string_view name, std::span<Argument> args,
                              int timeoutSeconds = 0) override;
    const std::string& login() const override { return session_.login; }
    Registry& registry() override { return registry_; }
    std::size_t cachedTranslations() const override { return cache_.size(); }

    // Opens the file with the server's settings (WAL, foreign keys, busy time-out).
    static sqlite3* openFile(const std::string& path, bool create);

    // Adds a server login to an open database, or sets the password of an existing one;
    // the database's own schema scripts use it for the logins they hand out.
    static void addLogin(sqlite3* db, const std::string& login, const std::string& password);

    // The cached translation of a batch (translated on first use); for the benchmarks.
    std::shared_ptr<const Program> translation(std::string_view batch) { return program(batch); }

    // Used by the procedure context.
    BatchResult runNested(std::string_view batch, std::span<const Value> params);

    struct Variable {
        ast::TypeName type;
        Value value;
    };
    using Env = std::map<std::string, Variable>;

  private:
    struct StringHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            return std::hash<std::string_view>{}(s);
        }
    };
    using Cache = std::unordered_map<std::string, std::shared_ptr<const Program>, StringHash,
                                     std::equal_to<>>;

    struct Frame {
        std::span<const Value> params;
        Env env;
        BatchResult* result = nullptr;
        bool returned = false;
    };

    // SchemaSource
    const TableInfo& table(std::string_view name) override;
    bool isView(std::string_view name) override;
    bool isTableFunction(std::string_view name) override;

    std::shared_ptr<const Program> program(std::string_view batch);
    BatchResult runProgram(const Program& program, std::span<const Value> params);
    void runOp(const Op& op, Frame& frame);
    void runOps(const std::vector<Op>& ops, Frame& frame);

    sqlite3_stmt* prepare(const std::string& sql, bool& cached);
    void release(sqlite3_stmt* stmt, bool cached);
    void bindAll(sqlite3_stmt* stmt, const Sql& sql, Frame& frame,
                 const std::vector<Value>* row = nullptr);
    Value scalar(const Sql& sql, Frame& frame, const std::vector<Value>* row = nullptr);
    ResultSet query(const Op& op, Frame& frame);
    std::int64_t change(const Op& op, Frame& frame);
    void exec(const std::string& sql);

    void materialize(const Op& op, Frame& frame, std::vector<std::string>& created);
    void dropTemps(const std::vector<std::string>& created);

    void beginWrite();
    void endWrite(bool ok);
    void runExec(const Op& op, Frame& frame);
    BatchResult invoke(const ProcedureDef& def, std::string_view written,
                       std::vector<Argument>& args);

    void assign(Frame& frame, const std::string& name, const std::string& op, Value value);
    Value convertTo(const Value& v, const ast::TypeName& type);

    void saveViewColumns(const Op& op);
    void checkDeadline();
    [[noreturn]] void raise(int code);

    // Whether the objects of the process-wide registry belong to this database.
    bool globalObjectsApply() const;
    const ProcedureDef* findProcedure(std::string_view name, int number) const;
    const TableFunctionDef* findTable(std::string_view name, bool function) const;

    sqlite3* db_;
    Session session_;
    Registry registry_;
    Cache cache_;
    std::uint64_t cacheRegistryVersion_ = 0;
    mutable std::uint64_t globalCheckedVersion_ = ~std::uint64_t{0};
    mutable bool globalApply_ = false;
    std::unordered_map<std::string, sqlite3_stmt*> statements_;
    std::unordered_map<std::string, bool> statementBusy_;
    std::map<std::string, TableInfo> schema_;
    int explicitTransactions_ = 0;
    int writeDepth_ = 0;
    int savepointCounter_ = 0;
    int nesting_ = 0;
    int tempCounter_ = 0;
    std::int64_t lastRowCount_ = 0;
    std::chrono::steady_clock::time_point deadline_{};
    bool hasDeadline_ = false;
    bool timedOut_ = false;

    friend class ProcedureContextImpl;
};

}  // namespace server
