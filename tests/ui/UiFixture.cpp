#include "UiFixture.h"

#include <cstdlib>
#include <stdexcept>

#include "server/Engine.h"
#include "ui/ControlDialogs.h"

namespace uitest {

db::Value text(const char* s) {
    return db::Value(std::string(s));
}

void UiTest::SetUp() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qor28-ui-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    dir = pattern;
    std::filesystem::path file = dir / "test.db";
    server::Engine::create(file.string(), "tester", "secret");
    connectionString =
        "Provider=SQLOLEDB.1;Password=secret;Persist Security Info=True;User ID=tester;"
        "Initial Catalog=QOR;Data Source=" +
        file.string();
    conn.open(connectionString);
    for (const char* sql : {
             "CREATE TABLE grp (id_gr int PRIMARY KEY, name varchar(40), kind int)",
             "INSERT INTO grp VALUES (10, 'ИВТ-101', 0)",
             "INSERT INTO grp VALUES (20, 'ИВТ-102', 0)",
             "INSERT INTO grp VALUES (30, 'ПМ-201', 1)",
             "INSERT INTO grp VALUES (40, 'ПМ-202', 1)",
             "INSERT INTO grp VALUES (50, 'ФИ-301', 1)",
             "CREATE TABLE mark (id_mark int IDENTITY(1,1) PRIMARY KEY, id_gr int,"
             " student varchar(70), m1 int, m2 float, note varchar(10), p36 datetime)",
             "INSERT INTO mark (id_gr, student, m1, m2, note, p36) VALUES"
             " (10, 'Иванов Иван', 10, 5.5, 'д', '2024-01-15 00:00:00')",
             "INSERT INTO mark (id_gr, student, m1, m2, note, p36) VALUES"
             " (10, 'Петрова Анна', 20, NULL, NULL, NULL)",
             "INSERT INTO mark (id_gr, student, m1, m2, note, p36) VALUES"
             " (10, 'Сидоров Олег', 0, 12, 'д', NULL)",
             "INSERT INTO mark (id_gr, student, m1, m2, note, p36) VALUES"
             " (10, 'Ёлкина Мария', 35, 1, NULL, NULL)",
         })
        conn.execute(sql);
    groups.setSql("SELECT id_gr, name, kind FROM grp ORDER BY id_gr");
    marks.setSql("SELECT id_mark, id_gr, student, m1, m2, note, p36 FROM mark ORDER BY id_mark");
    marks.setKeyField("id_mark");
    ui::ControlDialogs::setErrorHandler(
        [this](std::exception_ptr e) { errors << ui::ControlDialogs::messageOf(e); });
    ui::ControlDialogs::setQuestionHandler([this](const QString& q) {
        questions << q;
        return answer;
    });
}

void UiTest::TearDown() {
    ui::ControlDialogs::setErrorHandler({});
    ui::ControlDialogs::setQuestionHandler({});
    groupSource.setDataset(nullptr);
    markSource.setDataset(nullptr);
    marks.close();
    groups.close();
    conn.close();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

db::Value UiTest::scalar(const std::string& sql) {
    db::Connection other;
    other.open(connectionString);
    return other.execute(sql).resultSets.at(0).rows.at(0).at(0);
}

void UiTest::behindTheBack(const std::string& sql) {
    db::Connection other;
    other.open(connectionString);
    other.execute(sql);
}

}  // namespace uitest
