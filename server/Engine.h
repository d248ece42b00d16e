#pragma once

// The embedded database server: serves the QOR database from a local SQLite file and
// accepts the client's T-SQL statements. This header is the contract the dataset layer
// (db/embedded) is written against.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "values/Value.h"

namespace server {

// The server's code names the shared value vocabulary (Value, Type, DateTime, result
// sets, case folding, date texts) unqualified; code outside the server names it values::.
using namespace values;

class Registry;

// Every failure the server reports: the text is the server's own message
// ("Invalid column name 'x'.", "Login failed for user 'X'.").
class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class Engine {
  public:
    // Opens an existing database file and checks the login against the server logins
    // stored in it. Throws Error ("Login failed for user 'X'.") on refusal.
    static std::unique_ptr<Engine> open(const std::string& path, const std::string& login,
                                        const std::string& password);
    // Creates an empty database file whose one server login is the given one.
    static void create(const std::string& path, const std::string& login,
                       const std::string& password);

    virtual ~Engine() = default;

    // Runs a T-SQL batch. `?` placeholders (outside literals) bind `params` in order.
    // A time-out of 0 means none; an exceeded time-out raises Error.
    // A batch that is one EXEC without arguments and no `?` takes `params` as its
    // positional arguments (the dataset layer's "EXEC SP_GetActiveFEst" with parameters).
    virtual BatchResult execute(std::string_view batch, std::span<const Value> params = {},
                                int timeoutSeconds = 0) = 0;

    // Calls a stored procedure by name (`;1` numbers and qualifiers allowed), output
    // arguments updated in place. An argument named "@RETURN_VALUE" is not passed; it
    // receives the procedure's return value instead.
    virtual BatchResult callProcedure(std::string_view name, std::span<Argument> args,
                                      int timeoutSeconds = 0) = 0;

    // The login this engine was opened with.
    virtual const std::string& login() const = 0;

    // Procedures, table functions and views of this engine implemented in C++; the
    // objects of globalRegistry() (Registry.h) are seen as well.
    virtual Registry& registry() = 0;

    // Number of batch texts whose translation is cached (for tests and benchmarks).
    virtual std::size_t cachedTranslations() const = 0;
};

}  // namespace server
