#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "db/SqlTrace.h"
#include "db/Values.h"

namespace db {

using ResultSet = values::ResultSet;
using BatchResult = values::BatchResult;
using Column = values::Column;
using Argument = values::Argument;

// What a connection needs from the database behind it: the embedded engine or an SQL
// Server reached by ODBC. Every failure is thrown as db::Error with the server's text.
class Backend {
  public:
    virtual ~Backend() = default;

    // Runs a batch; `?` placeholders bind `params` in order. 0 seconds: no time-out.
    virtual BatchResult execute(std::string_view batch, std::span<const Value> params,
                                int timeoutSeconds) = 0;
    // Calls a stored procedure; output arguments get their new values, the procedure's
    // RETURN value comes back in BatchResult::returnValue.
    virtual BatchResult callProcedure(std::string_view name, std::span<Argument> args,
                                      int timeoutSeconds) = 0;

    // One transaction at a time, for the dataset's write-back.
    virtual void beginTransaction() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;

    // Runs one INSERT and returns the key the server generated for the new row.
    virtual std::int64_t executeInsert(std::string_view insert, std::span<const Value> params,
                                       int timeoutSeconds) = 0;

    // Where the backend writes each batch just before sending it (none by default).
    void setTrace(std::shared_ptr<const SqlTrace> trace) { trace_ = std::move(trace); }
    const SqlTrace* trace() const { return trace_.get(); }

  protected:
    void traceBatch(std::string_view text, std::span<const Value> params) const {
        if (trace_) trace_->batch(text, params);
    }
    void traceNote(std::string_view text) const {
        if (trace_) trace_->note(text);
    }

  private:
    std::shared_ptr<const SqlTrace> trace_;
};

// Opens the embedded engine on a database file (db/embedded); throws Error when the
// program was built without it.
std::unique_ptr<Backend> openEmbeddedBackend(const std::string& path, const std::string& login,
                                             const std::string& password);

}  // namespace db
