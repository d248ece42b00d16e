#include "QorFixture.h"

#include <cstdio>
#include <fstream>
#include <random>

#include "Contract.h"
#include "Demo.h"
#include "values/DateTimeText.h"

namespace qortest {

std::string getUserCall(const std::string& login, const std::string& digest,
                        const std::string& newArg) {
    std::string len = newArg == "NULL" ? "4" : "34";
    return "EXEC GET_USER '" + login + "'," + "'" + digest + "'," + newArg + ", " + "'QOR 28" +
           "'" + ", '" + "10.10.5.23" + "', " + "'" + "KAF-IS-03" + "'" + ", '" + login + "'," +
           "'0'," + "'" + len + "'";
}

std::vector<std::string> column(const values::ResultSet& rs, const std::string& name) {
    std::size_t at = rs.columns.size();
    for (std::size_t i = 0; i < rs.columns.size(); ++i)
        if (rs.columns[i].name == name) at = i;
    if (at == rs.columns.size()) throw std::runtime_error("no column " + name);
    std::vector<std::string> out;
    for (const auto& row : rs.rows) out.push_back(cellText(row[at]));
    return out;
}

std::string shiftUp(const std::string& s) {
    std::string out = s;
    for (char& c : out) c = static_cast<char>(static_cast<unsigned char>(c) + 1);
    return out;
}

void DemoTest::SetUp() {
    server::qor::install();
    std::random_device rd;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name)
        if (c == '/') c = '_';
    dir_ =
        std::filesystem::temp_directory_path() / ("qor28_qor_" + name + "_" + std::to_string(rd()));
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / "qor.db").string();
    server::qor::createDemo(path_);
    ivanova_ = signIn("a.ivanova");
    year_ = server::qor::currentAcademicYear() - 2000;
}

void DemoTest::TearDown() {
    ivanova_.reset();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

std::unique_ptr<server::Engine> DemoTest::boot() {
    std::ifstream in(dir_ / "Data" / "QOR", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() != 84) throw std::runtime_error("bootstrap file is not 84 bytes");
    auto value = [&](std::size_t at, std::size_t lengthAt) {
        std::size_t n = static_cast<unsigned char>(bytes[lengthAt]);
        return shiftUp(bytes.substr(at, n > 20 ? 20 : n));
    };
    // the data source is the file's name, found beside the program
    std::string source = (dir_ / value(42, 82)).string();
    return server::Engine::open(source, value(0, 40), value(20, 41));
}

std::unique_ptr<server::Engine> DemoTest::signIn(const std::string& login) {
    auto engine = boot();
    auto r = engine->execute(getUserCall(login, demoDigest));
    const auto& row = r.resultSets.at(0).rows.at(0);
    if (!cellText(row[4]).empty()) throw std::runtime_error(cellText(row[4]));
    return server::Engine::open(path_, shiftUp(cellText(row[0])), shiftUp(cellText(row[1])));
}

values::ResultSet DemoTest::rows(const std::string& batch) {
    auto r = ivanova_->execute(batch);
    if (r.resultSets.empty()) throw std::runtime_error("no result set: " + batch);
    return r.resultSets.back();
}

std::string DemoTest::errorOf(server::Engine& engine, const std::string& batch) {
    try {
        engine.execute(batch);
    } catch (const server::Error& e) {
        return e.what();
    }
    return "(no error)";
}

}  // namespace qortest
