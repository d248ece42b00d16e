// The default submission terms of a new rule's control points and their editing.

#include <QCheckBox>
#include <QFrame>
#include <QPushButton>

#include "tests/structure/EditorFixture.h"
#include "ui/DataGrid.h"

namespace structuretest {
namespace {

TEST(DeadlineOffset, AWeekOrUpToTheThursdayAfterAFridayOrSaturday) {
    const struct {
        int day, days;
    } cases[] = {{Qt::Monday, 7}, {Qt::Tuesday, 7},  {Qt::Wednesday, 7}, {Qt::Thursday, 7},
                 {Qt::Friday, 6}, {Qt::Saturday, 5}, {Qt::Sunday, 7}};
    for (const auto& c : cases)
        EXPECT_EQ(structure::TForm_7::deadlineOffsetDays(c.day), c.days) << c.day;
}

class Deadlines : public Editor {
  protected:
    const std::string streamTerms =
        "SELECT id_modul, begDate, endDate FROM IndividualModulPermissPotok WHERE vid_rrnk=2 AND "
        "id_rrnk_all=3 AND id_f_e=1 ORDER BY id_modul";
    void finalise() { QTest::mouseClick(editor->SpeedButton2, Qt::LeftButton); }
    QString shownName(int row) { return editor->DBGridEh1->cellText(row, 0); }
};

TEST_F(Deadlines, FourPointsAndTheExtraPointGetSevenTerms) {
    FixedClock clock(QDateTime(QDate(2026, 12, 9), QTime(16, 45)));  // a Wednesday
    createRule("4");
    fillPoints({{"РК 1", 20}, {"РК 2", 20}, {"КР", 30}, {"ИК", 30}});
    finalise();
    EXPECT_TRUE(log.messages.isEmpty()) << log.texts().join('|').toStdString();
    std::vector<std::string> expected;
    for (const char* module : {"1", "2", "3", "4", "5", "6", "13"})
        expected.push_back(std::string(module) +
                           "|2026-12-09 00:00:00.000|2026-12-16 00:00:00.000");
    EXPECT_EQ(rows(streamTerms), expected);
    EXPECT_EQ(value("SELECT COUNT(*) FROM IndividualModulPermissPotok WHERE id_teacher=1 AND "
                    "id_discipline=7 AND id_w_s=1 AND subgroup=102 AND id_ebe_var=" +
                    rule + " AND id_year=" + std::to_string(year)),
              "7");
    // the list names the points by module; the two retake points have no name
    ASSERT_EQ(dm.ADOQ_individualPermissPotok.recordCount(), 7);
    QStringList names;
    for (int row = 0; row < 7; ++row) names << shownName(row);
    EXPECT_EQ(names, (QStringList{"РК 1", "РК 2", "КР", "ИК", "", "", "Доп. балл"}));
}

TEST_F(Deadlines, TheTermsEndAWeekAheadOrOnTheThursdayAfter) {
    createRule("2");
    fillPoints({{"РК", 40}, {"ИК", 60}});
    const struct {
        QDate today;
        const char *from, *to;
    } days[] = {{QDate(2026, 12, 9), "2026-12-09", "2026-12-16"},    // Wednesday
                {QDate(2026, 12, 11), "2026-12-11", "2026-12-17"},   // Friday
                {QDate(2026, 12, 12), "2026-12-12", "2026-12-17"},   // Saturday
                {QDate(2026, 12, 13), "2026-12-13", "2026-12-20"}};  // Sunday
    for (const auto& d : days) {
        SCOPED_TRACE(d.today.toString().toStdString());
        execute("DELETE FROM IndividualModulPermissPotok WHERE vid_rrnk=2 AND id_rrnk_all=3");
        FixedClock clock(QDateTime(d.today, QTime(23, 59)));
        editor->SpeedButton2Click();
        EXPECT_TRUE(log.messages.isEmpty()) << log.texts().join('|').toStdString();
        const std::string term =
            std::string("|") + d.from + " 00:00:00.000|" + d.to + " 00:00:00.000";
        EXPECT_EQ(rows(streamTerms), (std::vector<std::string>{"1" + term, "2" + term, "3" + term,
                                                               "4" + term, "13" + term}));
    }
}

TEST_F(Deadlines, WithoutTheExtraPointThereIsNoModule13) {
    createRule("3", false);
    EXPECT_FALSE(editor->Panel2->isVisible());
    fillPoints({{"РК 1", 30}, {"РК 2", 30}, {"ИК", 40}});
    finalise();
    EXPECT_TRUE(log.messages.isEmpty()) << log.texts().join('|').toStdString();
    std::vector<std::string> modules;
    for (const std::string& r : rows(streamTerms)) modules.push_back(r.substr(0, r.find('|')));
    EXPECT_EQ(modules, (std::vector<std::string>{"1", "2", "3", "4", "5"}));
    EXPECT_EQ(value("SELECT formula FROM est_config WHERE pole_mark_mag='ball1' AND id_f_est=1 "
                    "AND id_ebe_var=" +
                    rule),
              "m1+m2+m3");
}

TEST_F(Deadlines, TheStreamsExistingTermsAreLeftAlone) {
    execute(
        "INSERT INTO IndividualModulPermissPotok (id_teacher, id_year, id_discipline, "
        "id_modul, begDate, endDate, vid_rrnk, id_rrnk_all, id_f_e, id_w_s, subgroup, "
        "id_ebe_var) VALUES (1, " +
        std::to_string(year) + ", 7, 1, '2026-11-01', '2026-11-30', 2, 3, 1, 1, 102, 99)");
    createRule("2");
    fillPoints({{"РК", 50}, {"ИК", 50}});
    finalise();
    EXPECT_TRUE(log.messages.isEmpty()) << log.texts().join('|').toStdString();
    EXPECT_EQ(rows(streamTerms),
              std::vector<std::string>{"1|2026-11-01 00:00:00.000|2026-11-30 00:00:00.000"});
    EXPECT_EQ(dm.ADOQ_individualPermissPotok.recordCount(), 1);
    EXPECT_EQ(shownName(0), "РК");  // named through the new rule's module 1
    // the rule itself is finalised and linked all the same
    EXPECT_EQ(value("SELECT COUNT(*) FROM RRNKkrdt WHERE id_ebe_var=" + rule), "1");
}

TEST_F(Deadlines, AnEditedTermIsSavedByTheConfirmButton) {
    FixedClock clock(QDateTime(QDate(2026, 12, 9), QTime(9, 0)));
    createRule("1", false);
    fillPoints({{"ИК", 100}});
    finalise();
    ui::DataGrid* grid = editor->DBGridEh1;
    EXPECT_EQ(grid->column(1)->color(), QColor(0xCC, 0xFF, 0xCC));
    grid->setCurrentIndex(grid->model()->index(0, 1));
    ASSERT_TRUE(grid->commitCell(0, 1, "23.12.2026"));
    QTest::mouseClick(editor->Button1, Qt::LeftButton);
    EXPECT_TRUE(log.messages.isEmpty()) << log.texts().join('|').toStdString();
    EXPECT_EQ(rows(streamTerms).front(), "1|2026-12-23 00:00:00.000|2026-12-16 00:00:00.000");
}

}  // namespace
}  // namespace structuretest
