#pragma once

// A fresh database per test on each backend the build has: the embedded engine on a
// file, and the SQLite ODBC driver registered in a private odbcinst.ini, so the ODBC
// code path runs for real without a server.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "db/Connection.h"

namespace dbtest {

enum class BackendKind { Odbc, Embedded };

// The ODBC data source the tests' private odbc.ini configures.
inline constexpr const char* kTestDsn = "QOR28 Test DSN";

// The backends this build can test.
std::vector<BackendKind> backends();
std::string backendName(const testing::TestParamInfo<BackendKind>& info);

// A temporary folder removed when the test ends.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// The OLE DB connection string of an empty database in `dir` on the given backend.
std::string makeDatabase(BackendKind kind, const std::filesystem::path& dir);

// A test whose database holds two small tables:
//   student (id_student, s_fio), four students with Cyrillic and Latin names;
//   mark (id_mark auto-increment key, id_student, m1, m2 float, p35 text 50 not null,
//         p36 date-time, note text 20).
class DbTest : public testing::TestWithParam<BackendKind> {
  protected:
    void SetUp() override;

    // Runs a statement on a second connection, as another workstation would.
    void behindTheBack(const std::string& sql);
    // One value read on a second connection.
    db::Value scalar(const std::string& sql);

    TempDir dir;
    std::string connectionString;
    db::Connection conn;
};

}  // namespace dbtest
