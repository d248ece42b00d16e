// The mark sheet: its rows and fields, the server's rights on them, preparing rows, the
// control points' deadlines, a new rule, and the history table.

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>

#include "QorFixture.h"

namespace qortest {
namespace {

// The mark-sheet record in its field order, with the kind of each field: the procedure
// returns the data fields ('d'); the client adds the lookup ('l') and computed ('c') ones.
const std::pair<const char*, char> recordFields[61] = {{"k_count", 'd'},
                                                       {"id_mark_mag", 'd'},
                                                       {"id_group", 'd'},
                                                       {"id_student", 'd'},
                                                       {"id_examination", 'd'},
                                                       {"id_estimation", 'd'},
                                                       {"id_discipline", 'd'},
                                                       {"id_semester", 'd'},
                                                       {"id_teacher", 'd'},
                                                       {"p35", 'd'},
                                                       {"p36", 'd'},
                                                       {"id_f_est", 'd'},
                                                       {"oper", 'd'},
                                                       {"u_date", 'd'},
                                                       {"estimation", 'l'},
                                                       {"semestr", 'l'},
                                                       {"teacher", 'l'},
                                                       {"f_est", 'l'},
                                                       {"exam", 'l'},
                                                       {"discipline", 'l'},
                                                       {"student", 'l'},
                                                       {"m1", 'd'},
                                                       {"m2", 'd'},
                                                       {"m3", 'd'},
                                                       {"m4", 'd'},
                                                       {"dop", 'd'},
                                                       {"dop2", 'd'},
                                                       {"ball", 'd'},
                                                       {"ball1", 'c'},
                                                       {"ball_name", 'c'},
                                                       {"QOR_User", 'd'},
                                                       {"QOR_Update", 'd'},
                                                       {"sessiya", 'l'},
                                                       {"CanEdit", 'd'},
                                                       {"primech", 'd'},
                                                       {"m5", 'd'},
                                                       {"m6", 'd'},
                                                       {"m7", 'd'},
                                                       {"m8", 'd'},
                                                       {"m9", 'd'},
                                                       {"m10", 'd'},
                                                       {"m11", 'd'},
                                                       {"EstimationOther", 'l'},
                                                       {"id_estimation_other", 'd'},
                                                       {"m12", 'd'},
                                                       {"dopusk_izm", 'd'},
                                                       {"calc1", 'c'},
                                                       {"calc2", 'c'},
                                                       {"calc3", 'c'},
                                                       {"calc4", 'c'},
                                                       {"calc5", 'c'},
                                                       {"p20", 'd'},
                                                       {"id_ebe_var", 'd'},
                                                       {"calc6", 'c'},
                                                       {"calc7", 'c'},
                                                       {"calc8", 'c'},
                                                       {"calc9", 'c'},
                                                       {"calc10", 'c'},
                                                       {"rec_no", 'd'},
                                                       {"id_poseshal", 'd'},
                                                       {"poseshal", 'l'}};

// The sheet of Базы данных, group ИС-24-1, with a filter text.
std::string groupSheet(const std::string& filter, int form = 1, int teacher = 1, int group = 1) {
    return "EXEC SORT_MARK_MAG " + std::to_string(group) + ", 1, 1, 1, " + std::to_string(teacher) +
           ", '" + filter + "', 0, 0, '0', -1, 0, " + std::to_string(form) + ", 3";
}

std::string value(server::Engine& e, const std::string& sql) {
    auto r = e.execute(sql);
    return cellText(r.resultSets.at(0).rows.at(0).at(0));
}

TEST_F(DemoTest, SheetReturnsTheRecordsDataFieldsInOrder) {
    auto rs = rows(groupSheet("1=1"));
    std::vector<std::string> expected;
    for (const auto& [name, kind] : recordFields)
        if (kind == 'd') expected.push_back(name);
    EXPECT_EQ(columnNames(rs), expected);
    EXPECT_EQ(rs.rows.size(), 23u);
    EXPECT_EQ(column(rs, "k_count").front(), "23");
    auto recNo = column(rs, "rec_no");
    EXPECT_EQ(recNo.front(), "1");
    EXPECT_EQ(recNo.back(), "23");
    EXPECT_EQ(column(rs, "p20").front(), "ИС-24-1");

    // the mark-sheet dataset calls the procedure by its numbered name with its parameters
    using values::Value;
    std::vector<values::Argument> args = {
        {"@RETURN_VALUE", Value{std::int64_t{0}}, values::Type::Integer, true},
        {"@group", Value{std::string("1")}, values::Type::Integer},
        {"@semester", Value{std::string("1")}, values::Type::Integer},
        {"@discipline", Value{std::int64_t{1}}, values::Type::Integer},
        {"@examination", Value{std::string("1")}, values::Type::Integer},
        {"@id_teacher", Value{std::int64_t{1}}, values::Type::Integer},
        {"@DoNotShowEst", Value{std::string("(id_estimation <> 25)")}, values::Type::Text},
        {"@subGroup", Value{std::string("0")}, values::Type::Integer},
        {"@isGetFromSubGroup", Value{std::int64_t{0}}, values::Type::Integer},
        {"@id_a_year", Value{std::string("0")}, values::Type::Text},
        {"@id_ebe_var", Value{std::int64_t{-1}}, values::Type::Integer},
        {"@id_kafedra", Value{std::int64_t{0}}, values::Type::Integer},
        {"@id_f_est", Value{std::int64_t{1}}, values::Type::Integer},
        {"@kredits", Value{std::int64_t{3}}, values::Type::Integer}};
    auto called = ivanova_->callProcedure("SORT_MARK_MAG;1", args);
    ASSERT_EQ(called.resultSets.size(), 1u);
    EXPECT_EQ(called.resultSets[0].rows.size(), 22u);
    EXPECT_EQ(columnNames(called.resultSets[0]), expected);
}

TEST_F(DemoTest, FilterTextChoosesTheRowsAndNothingElseIsAccepted) {
    const std::pair<const char*, std::size_t> filters[] = {
        {"1=1", 23}, {"(id_estimation <> 25)", 22}, {"(id_estimation in(8, 9, 10, 11, 16))", 2}};
    for (auto [filter, count] : filters)
        EXPECT_EQ(rows(groupSheet(filter)).rows.size(), count) << filter;
    const std::string count = value(*ivanova_, "SELECT COUNT(*) FROM mark_mag");
    EXPECT_EQ(errorOf(*ivanova_, groupSheet("1=1) OR (1=1")),
              "Недопустимый фильтр ведомости: 1=1) OR (1=1.");
    EXPECT_EQ(errorOf(*ivanova_, groupSheet("1=1; DELETE FROM mark_mag")),
              "Недопустимый фильтр ведомости: 1=1; DELETE FROM mark_mag.");
    EXPECT_EQ(value(*ivanova_, "SELECT COUNT(*) FROM mark_mag"), count);
}

TEST_F(DemoTest, CanEditSaysWhoMayChangeTheRowNow) {
    auto rs = rows(groupSheet("1=1"));
    auto students = column(rs, "id_student");
    auto canEdit = column(rs, "CanEdit");
    auto primech = column(rs, "primech");
    for (std::size_t i = 0; i < students.size(); ++i) {
        const std::string& s = students[i];
        EXPECT_EQ(canEdit[i], s == "20" ? "0" : s == "3" ? "2" : "1") << s;
        EXPECT_EQ(primech[i], s == "7" ? "NULL" : "д") << s;
    }
    // another teacher's sheet can be read but not changed
    auto other = rows(groupSheet("1=1", 1, 2, 2));
    ASSERT_EQ(other.rows.size(), 22u);
    for (const auto& c : column(other, "CanEdit")) EXPECT_EQ(c, "0");
}

TEST_F(DemoTest, RefusedWritesRaiseAndChangeNothing) {
    const std::string otherTeachersRow = value(
        *ivanova_, "SELECT MIN(id_mark_mag) FROM mark_mag WHERE id_rrnk_all = 12 AND vid_rrnk = 1");
    const std::string closedRow = value(
        *ivanova_, "SELECT id_mark_mag FROM mark_mag WHERE id_student = 20 AND id_rrnk_all = 1");
    const std::string ownRow = value(*ivanova_,
                                     "SELECT id_mark_mag FROM mark_mag WHERE id_student = 1 AND "
                                     "id_rrnk_all = 1 AND vid_rrnk = 1");
    struct Case {
        std::string sql, error;
    };
    const Case cases[] = {
        {"UPDATE mark_mag SET m2 = 20 WHERE id_mark_mag = " + otherTeachersRow,
         "Строка ведомости принадлежит другому преподавателю: изменить её нельзя."},
        {"DELETE FROM mark_mag WHERE id_mark_mag = " + otherTeachersRow,
         "Строка ведомости принадлежит другому преподавателю: удалить её нельзя."},
        {"UPDATE mark_mag SET m2 = 20 WHERE id_mark_mag = " + closedRow,
         "Строка ведомости закрыта деканатом: изменить её нельзя."},
        {"DELETE FROM mark_mag WHERE id_mark_mag = " + closedRow,
         "Строка ведомости закрыта деканатом: удалить её нельзя."},
        // РК 1 of this sheet is over, the FX mark has not begun
        {"UPDATE mark_mag SET m1 = 25 WHERE id_mark_mag = " + ownRow,
         "Контрольная точка m1 закрыта: срок сдачи истёк или ещё не наступил."},
        {"UPDATE mark_mag SET m12 = 25 WHERE id_mark_mag = " + ownRow,
         "Контрольная точка m12 закрыта: срок сдачи истёк или ещё не наступил."},
        {"UPDATE mark_mag SET id_student = 2 WHERE id_mark_mag = " + ownRow,
         "Студента и ведомость строки, её закрытие и индивидуальный график меняет только деканат."},
    };
    const std::string before =
        rowTexts(rows("SELECT * FROM mark_mag")).front() +
        value(*ivanova_, "SELECT SUM(m1) + SUM(m2) + COUNT(*) FROM mark_mag");
    for (const auto& c : cases) EXPECT_EQ(errorOf(*ivanova_, c.sql), c.error) << c.sql;
    EXPECT_EQ(rowTexts(rows("SELECT * FROM mark_mag")).front() +
                  value(*ivanova_, "SELECT SUM(m1) + SUM(m2) + COUNT(*) FROM mark_mag"),
              before);
    // the technical login may change no mark at all
    EXPECT_EQ(errorOf(*boot(), "UPDATE mark_mag SET m2 = 20 WHERE id_mark_mag = " + ownRow),
              "Строка ведомости принадлежит другому преподавателю: изменить её нельзя.");
}

TEST_F(DemoTest, AllowedWritesGoThroughAndAreStamped) {
    const std::string ownRow = value(*ivanova_,
                                     "SELECT id_mark_mag FROM mark_mag WHERE id_student = 1 AND "
                                     "id_rrnk_all = 1 AND vid_rrnk = 1");
    // the client's write-back: changed fields only, old values compared
    auto r =
        ivanova_->execute("UPDATE mark_mag SET m2 = ?, m3 = ? WHERE id_mark_mag = ? AND m2 = ?",
                          std::vector<values::Value>{std::int64_t{20}, std::int64_t{35},
                                                     std::stoll(ownRow), std::int64_t{13}});
    EXPECT_EQ(r.rowsAffected, 1);
    EXPECT_EQ(value(*ivanova_,
                    "SELECT CAST(m2 AS varchar) + '/' + CAST(m3 AS varchar) + '/' + oper "
                    "FROM mark_mag WHERE id_mark_mag = " +
                        ownRow),
              "20/35/U");
    // a reset writes 0 into every mark field: empty fields of closed points are no change
    r = ivanova_->execute(
        "UPDATE mark_mag SET m4 = 0, m5 = 0, m6 = 0, m7 = 0, m8 = 0, m9 = 0, "
        "m10 = 0, m11 = 0, m12 = 0, dop2 = 0, id_estimation = 9 WHERE id_mark_mag = " +
        ownRow);
    EXPECT_EQ(r.rowsAffected, 1);
    // the history table keeps its five columns and the time of writing
    ivanova_->execute(
        "INSERT INTO QOR_LOG([table], [row_id], [descr], [QOR_User], [comp]) VALUES('mark_mag', " +
        ownRow +
        ", 'Поле \"m2\" изменило значение \"13\" на \"20\".', 'a.ivanova', "
        "'KAF-IS-03\\10.10.5.23')");
    EXPECT_EQ(value(*ivanova_, "SELECT COUNT(*) FROM QOR_LOG WHERE row_id = " + ownRow +
                                   " AND descr LIKE '%на \"20\".' AND u_date IS NOT NULL AND "
                                   "DATEDIFF(minute, u_date, GETDATE()) < 5"),
              "1");
}

TEST_F(DemoTest, PreparingASheetCreatesOnlyTheMissingRows) {
    // Операционные системы of group ИС-24-2 has no rows yet
    const std::string call = "EXEC InsertInto_SORT_MARK_MAG 2,1,5,2,1,1,0,0,0,1,106,3";
    auto r = ivanova_->execute(call);
    EXPECT_EQ(r.rowsAffected, 22);
    EXPECT_EQ(ivanova_->execute(call).rowsAffected, 0);
    auto sheet = rows("EXEC SORT_MARK_MAG 2, 1, 5, 2, 1, '1=1', 0, 0, '0', -1, 0, 1, 3");
    EXPECT_EQ(sheet.rows.size(), 22u);
    EXPECT_EQ(column(sheet, "QOR_User").front(), "a.ivanova");
    // the FX sheet takes the students who owe the exam, with the copied midterm marks
    ivanova_->execute("EXEC InsertInto_SORT_MARK_MAG 1,1,1,1,1,1,0,0,0,9,101,3");
    auto fx = rows(groupSheet("1=1", 9));
    EXPECT_EQ(column(fx, "id_student"), (std::vector<std::string>{"5", "14"}));
    EXPECT_EQ(column(fx, "m1"), (std::vector<std::string>{"0", "15"}));
    EXPECT_EQ(column(fx, "m3"), (std::vector<std::string>{"NULL", "NULL"}));
    // the stream's rows exist already; each department's students under their plan row
    EXPECT_EQ(ivanova_
                  ->execute("EXEC InsertInto_SORT_MARK_MAG 0,1,6,1,1,1,101,1," +
                            std::to_string(year_) + ",1,107,5")
                  .rowsAffected,
              0);
    auto stream = [&](int kafedra) {
        return rows("EXEC SORT_MARK_MAG 0, 1, 6, 1, 1, '1=1', 101, 1, '" + std::to_string(year_) +
                    "', -1, " + std::to_string(kafedra) + ", 1, 5")
            .rows.size();
    };
    EXPECT_EQ(stream(-1), 47u);
    EXPECT_EQ(stream(1), 23u);
    EXPECT_EQ(stream(2), 24u);
    // stream 102 has one plan row: the other department's students are listed under it
    EXPECT_EQ(ivanova_
                  ->execute("EXEC InsertInto_SORT_MARK_MAG 0,1,7,6,1,1,102,1," +
                            std::to_string(year_) + ",1,-1,3")
                  .rowsAffected,
              46);
    EXPECT_EQ(
        value(*ivanova_, "SELECT COUNT(DISTINCT id_rrnk_all) FROM mark_mag WHERE subgroup = 102"),
        "1");
    // only the sheet's own teacher prepares it
    EXPECT_EQ(errorOf(*signIn("b.sultanov"), call),
              "Ведомость готовит только преподаватель, за которым закреплена нагрузка.");
    EXPECT_EQ(errorOf(*ivanova_, "EXEC InsertInto_SORT_MARK_MAG 3,1,5,2,1,1,0,0,0,1,106,3"),
              "Нагрузка по этой дисциплине за преподавателем не найдена в учебном плане.");
}

TEST_F(DemoTest, ControlPointsOpenByTheirTerms) {
    auto states = [&](const std::string& call) {
        auto rs = rows(call);
        std::vector<std::string> out;
        for (const auto& row : rs.rows) out.push_back(cellText(row[0]) + ":" + cellText(row[1]));
        return out;
    };
    const std::string y = std::to_string(year_);
    auto group = states("EXEC LoadModulsInfo  @id_a_year = " + y +
                        ",@id_semester = 1,@id_group = 1"
                        ",@id_teacher = 1,@id_discipline = 1,@id_faculty = 1,@id_f_educ = 1"
                        ",@id_ebe_var = 101,@id_f_e = 1,@id_speciality = 1");
    EXPECT_EQ(group,
              (std::vector<std::string>{"1:0", "2:1", "3:2", "4:-1", "5:-1", "6:-1", "7:-1", "8:-1",
                                        "9:-1", "10:-1", "11:-1", "12:-1", "13:1", "14:-1"}));
    // the "view only" entry (-1) reads the ordinary sheet's terms
    EXPECT_EQ(states("EXEC LoadModulsInfo  @id_a_year = " + y +
                     ",@id_semester = 1,@id_group = 1"
                     ",@id_teacher = 1,@id_discipline = 1,@id_faculty = 1,@id_f_educ = 1"
                     ",@id_ebe_var = 101,@id_f_e = -1,@id_speciality = 1"),
              group);
    auto stream = states("EXEC LoadModulsInfoP  @id_a_year = " + y + " ,@id_semester = 1" +
                         " ,@id_ebe_var = 107" + " ,@forPotok = 1 " + " ,@id_teacher = 1" +
                         " ,@id_discipline  = 6" + " ,@subgroup  = 101" + " ,@id_f_e = 1" +
                         " ,@kredits =5" + " ,@id_examination=1" + " ,@id_group=3");
    EXPECT_EQ(std::vector<std::string>(stream.begin(), stream.begin() + 4),
              (std::vector<std::string>{"1:3", "2:1", "3:-1", "4:-1"}));
    EXPECT_EQ(stream[12], "13:1");
    // another teacher's sheet: nothing is open for this login
    auto other = states("EXEC LoadModulsInfo  @id_a_year = " + y +
                        ",@id_semester = 1,@id_group = 2"
                        ",@id_teacher = 2,@id_discipline = 1,@id_faculty = 1,@id_f_educ = 1"
                        ",@id_ebe_var = 101,@id_f_e = 1,@id_speciality = 1");
    EXPECT_EQ(other[1], "2:0");
}

TEST_F(DemoTest, NewRuleForTheStreamWithoutOne) {
    const std::string next =
        std::to_string(std::stoi(value(*ivanova_, "SELECT MAX(id_ebe_var) FROM ebe")) + 1);
    EXPECT_EQ(next, "113");
    ivanova_->execute("EXEC CreateNewMarkRule @RulNum=" + next);
    EXPECT_EQ(errorOf(*ivanova_, "EXEC CreateNewMarkRule @RulNum=" + next),
              "Правило оценивания с номером 113 уже существует: выберите ведомость заново.");
    EXPECT_EQ(errorOf(*ivanova_, "EXEC CreateNewMarkRule @RulNum=0"),
              "Номер нового правила оценивания должен быть положительным числом.");
    EXPECT_EQ(value(*ivanova_, "SELECT MAX(id_ebe_var) FROM ebe"), next);
    // rows written without a sheet form get the ordinary one
    ivanova_->execute(
        " Insert into [dbo].[est_config] ([id_ebe_var],[order_pole],[name_pole] "
        ",[info_or_value],[pole_mark_mag]) Values (" +
        next + ",3,'Общий балл' ,0,'ball1')");
    ivanova_->execute(
        " Insert into [dbo].[est_config] ([id_ebe_var],[order_pole],[name_pole] "
        ",[info_or_value],[pole_mark_mag],[max]) Values (" +
        next + ",1,'-' ,1,'m1',50)");
    ivanova_->execute(
        " Insert into [dbo].[est_config] ([id_ebe_var],[order_pole],[name_pole] "
        ",[info_or_value],[pole_mark_mag],[max]) Values (" +
        next + ",2,'-' ,1,'m2',50)");
    EXPECT_EQ(value(*ivanova_,
                    "SELECT COUNT(*) FROM est_config WHERE id_f_est = 1 AND id_ebe_var = " + next),
              "3");
    ivanova_->execute(
        " DECLARE @formula VARCHAR(100) SET @formula ='' SELECT @formula = @formula + "
        "CASE WHEN @formula = '' THEN '' ELSE '+' END + pole_mark_mag  FROM "
        "[dbo].[est_config] WHERE id_ebe_var=" +
        next +
        " AND info_or_value=1 AND "
        "pole_mark_mag<>'m12' UPDATE [dbo].[est_config] SET formula = @formula,[max]=Null,"
        "[name_pole]='Общий балл' WHERE id_ebe_var=" +
        next + " AND pole_mark_mag='ball1' AND id_f_est=1");
    EXPECT_EQ(
        value(*ivanova_,
              "SELECT formula FROM est_config WHERE pole_mark_mag = 'ball1' AND id_ebe_var = " +
                  next),
        "m1+m2");
    ivanova_->execute(" UPDATE qor.dbo.RRNKkrdt SET id_ebe_var=" + next +
                      " WHERE RRNKkrdt.id_rrnkKrdt=3");
    const std::string y = std::to_string(year_);
    ivanova_->execute("SET DATEFORMAT dmy");
    ivanova_->execute(
        "Insert Into [IndividualModulPermissPotok]  "
        "([id_teacher],[id_year],[id_discipline],[id_modul] "
        ",[begDate],[endDate],[vid_rrnk],[id_rrnk_all],[id_f_e],[id_w_s],[subgroup],id_ebe_var)  "
        "Values (1," +
        y +
        ",7,1,CONVERT(datetime,'01.12.2026', 104),CONVERT(datetime,'31.12.2099', "
        "104),2,3,1,1,102," +
        next + ")");
    auto info = rows(
        "EXEC LoadModulsInfoP  @id_a_year = " + y + " ,@id_semester = 1 ,@id_ebe_var = " + next +
        " ,@forPotok = 1  ,@id_teacher = 1 ,@id_discipline  = 7 ,@subgroup  = 102 ,@id_f_e = 1"
        " ,@kredits =3 ,@id_examination=6 ,@id_group=2");
    EXPECT_EQ(cellText(info.rows.at(0).at(1)), "1");
    EXPECT_EQ(cellText(info.rows.at(1).at(1)), "-1");
}

TEST(Shell, CreateDemoWritesTheDatabaseAndItsBootstrapFile) {
    auto dir = std::filesystem::temp_directory_path() /
               ("qor28_shell_demo_" + std::to_string(std::random_device{}()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string tool = QOR28_SQL;
    auto run = [&](const std::string& args) {
        return std::system((tool + " " + args + " > " + (dir / "out.txt").string()).c_str());
    };
    auto out = [&] {
        std::ifstream in(dir / "out.txt");
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    EXPECT_EQ(run("--create-demo " + (dir / "qor.db").string()), 0);
    EXPECT_TRUE(std::filesystem::exists(dir / "qor.db"));
    EXPECT_EQ(std::filesystem::file_size(dir / "Data" / "QOR"), 84u);
    // an existing file is left alone
    EXPECT_NE(run("--create-demo " + (dir / "qor.db").string()), 0);
    EXPECT_NE(out().find("already exists"), std::string::npos);
    // a name the bootstrap file cannot hold is refused before anything is written
    EXPECT_NE(run("--create-demo " + (dir / "a-name-of-more-than-20-bytes.db").string()), 0);
    EXPECT_NE(out().find("от 1 до 20 байт"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "a-name-of-more-than-20-bytes.db"));
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace qortest
