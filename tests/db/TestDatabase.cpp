#include "TestDatabase.h"

#include <cstdlib>
#include <fstream>

#ifdef QOR28_DB_EMBEDDED
#include "server/Engine.h"
#endif

namespace dbtest {

namespace {

constexpr const char* kSqliteOdbcDriver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";
constexpr const char* kFreeTdsDriver = "/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so";

// unixODBC reads its driver list from $ODBCSYSINI/$ODBCINSTINI: point it at a private
// file naming the SQLite driver, before any test touches the driver manager.
class OdbcEnvironment : public testing::Environment {
  public:
    void SetUp() override {
        dir_ =
            std::filesystem::temp_directory_path() / ("qor28-odbc-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        std::ofstream(dir_ / "odbcinst.ini") << "[QOR28 SQLite]\nDescription=SQLite for tests\n"
                                             << "Driver=" << kSqliteOdbcDriver << "\n"
                                             << "[FreeTDS]\nDriver=" << kFreeTdsDriver << "\n";
        std::ofstream(dir_ / "odbc.ini") << "[QOR28 Test DSN]\nDriver=QOR28 SQLite\n";
        ::setenv("ODBCSYSINI", dir_.c_str(), 1);
        ::setenv("ODBCINSTINI", "odbcinst.ini", 1);
        ::setenv("ODBCINI", (dir_ / "odbc.ini").c_str(), 1);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

  private:
    std::filesystem::path dir_;
};

const auto* const kOdbcEnvironment = testing::AddGlobalTestEnvironment(new OdbcEnvironment);

std::vector<std::string> schema(BackendKind kind) {
    std::string key = kind == BackendKind::Odbc ? "id_mark INTEGER PRIMARY KEY AUTOINCREMENT"
                                                : "id_mark int IDENTITY(1,1) PRIMARY KEY";
    return {
        "CREATE TABLE student (id_student int PRIMARY KEY, s_fio varchar(70))",
        "CREATE TABLE mark (" + key +
            ", id_student int, m1 float, m2 float, p35 varchar(50) NOT NULL, p36 datetime,"
            " note varchar(20))",
        "INSERT INTO student (id_student, s_fio) VALUES (1, 'Иванов Иван')",
        "INSERT INTO student (id_student, s_fio) VALUES (2, 'Petrov Petr')",
        "INSERT INTO student (id_student, s_fio) VALUES (3, 'Ёлкина Анна')",
        "INSERT INTO student (id_student, s_fio) VALUES (4, 'O''Brien')",
        "INSERT INTO mark (id_student, m1, m2, p35, p36, note) VALUES "
        "(1, 10.5, 20, 'A-1', '2024-01-15 00:00:00', NULL)",
        "INSERT INTO mark (id_student, m1, m2, p35, p36, note) VALUES "
        "(2, 30, NULL, 'A-2', '2024-02-01 10:30:00', 'late')",
        "INSERT INTO mark (id_student, m1, m2, p35, p36, note) VALUES "
        "(3, NULL, 5, 'B-1', NULL, 'x')",
        "INSERT INTO mark (id_student, m1, m2, p35, p36, note) VALUES "
        "(9, 7, 7, 'B-2', NULL, NULL)",
    };
}

}  // namespace

std::vector<BackendKind> backends() {
#ifdef QOR28_DB_EMBEDDED
    return {BackendKind::Odbc, BackendKind::Embedded};
#else
    return {BackendKind::Odbc};
#endif
}

std::string backendName(const testing::TestParamInfo<BackendKind>& info) {
    return info.param == BackendKind::Odbc ? "Odbc" : "Embedded";
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qor28-db-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string makeDatabase(BackendKind kind, const std::filesystem::path& dir) {
    std::filesystem::path file = dir / "test.db";
    if (kind == BackendKind::Odbc)
        return "Provider=SQLOLEDB.1;Password=secret;Persist Security Info=True;User ID=tester;"
               "Initial Catalog=QOR;Data Source=\"odbc:DRIVER=QOR28 SQLite;Database=" +
               file.string() + "\"";
#ifdef QOR28_DB_EMBEDDED
    server::Engine::create(file.string(), "tester", "secret");
#endif
    return "Provider=SQLOLEDB.1;Password=secret;Persist Security Info=True;User ID=tester;"
           "Initial Catalog=QOR;Data Source=" +
           file.string();
}

void DbTest::SetUp() {
    connectionString = makeDatabase(GetParam(), dir.path());
    conn.open(connectionString);
    for (const std::string& sql : schema(GetParam())) conn.execute(sql);
}

void DbTest::behindTheBack(const std::string& sql) {
    db::Connection other;
    other.open(connectionString);
    other.execute(sql);
}

db::Value DbTest::scalar(const std::string& sql) {
    db::Connection other;
    other.open(connectionString);
    db::BatchResult r = other.execute(sql);
    return r.resultSets.at(0).rows.at(0).at(0);
}

}  // namespace dbtest
