#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "db/Values.h"

namespace db {

// A file that every batch a connection sends is appended to, for support staff asking
// what a workstation sent. Each entry is the batch exactly as it went to the server,
// then a line holding only "GO". When the batch binds parameters, one comment line per
// parameter comes first ("-- ?1 = N'O''Brien'"), as a T-SQL literal in the order of
// the markers (line breaks inside a text shown as \n), so the batch itself stays as
// sent. The file is opened for each entry and never kept open, so several connections
// and programs may share one; a trace that cannot be written is skipped silently,
// since the program never depends on it.
class SqlTrace {
  public:
    explicit SqlTrace(std::string path) : path_(std::move(path)) {}

    // The trace the environment asks for: QOR28_SQL_TRACE naming a file, else none.
    static std::shared_ptr<SqlTrace> fromEnvironment();

    const std::string& path() const { return path_; }
    void batch(std::string_view text, std::span<const Value> params = {}) const;
    // A comment line for what goes to the server outside any batch (an ODBC driver's
    // transaction calls).
    void note(std::string_view text) const;

    // A value as a T-SQL literal: NULL, numbers bare, N'text', '2024-01-15T10:30:00.000'.
    static std::string literal(const Value& v);

  private:
    void append(const std::string& entry) const;
    std::string path_;
};

}  // namespace db
