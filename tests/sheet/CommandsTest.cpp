// The sheet-wide commands of the main window on the demo faculty: the grade menu of the
// "Оценка" column with its "н/п" reset, the date for all admitted students and the check
// of the date picked for it. Every change goes through the save rules and the history.
#include <sqlite3.h>

#include <QAction>
#include <QDateTimeEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

#include "Demo.h"
#include "data/LoginContext.h"
#include "data/MarkFields.h"
#include "data/TDM_ZOL_3.h"
#include "server/Engine.h"
#include "signin/TForm4.h"
#include "tests/sheet/SheetFixture.h"
#include "ui/DataGrid.h"
#include "ui/LookupComboBox.h"

namespace sheettest {
namespace {

class Commands : public SignedIn {
  protected:
    void SetUp() override {
        SignedIn::SetUp();
        // the workstation of these tests writes dates the Russian way
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    }
    void TearDown() override {
        QLocale::setDefault(QLocale::system());
        SignedIn::TearDown();
    }

    void openSheet(const QString& discipline, const QString& group, const QString& sheetForm) {
        chooseUpToDiscipline(10, discipline);
        pickText(form->DBLookupComboBox9, group);
        pickText(form->DBLookupComboBox3, sheetForm);
    }
    db::Dataset& sheet() { return dm.ADO_SP_Sort; }
    bool goToStudent(std::int64_t id) { return sheet().locate("id_student", db::Value(id)); }

    values::ResultSet query(const std::string& sql) {
        auto engine = server::Engine::open(database.toStdString(), server::qor::demo::bootLogin,
                                           server::qor::demo::bootPassword);
        return engine->execute(sql).resultSets.at(0);
    }
    void markHistoryStart() {
        lastLog = db::toInteger(
            query("SELECT COALESCE(MAX(id_qor_log), 0) FROM QOR_LOG").rows.at(0).at(0));
    }
    // The history rows written since markHistoryStart: "row_id | descr | user".
    QStringList newHistory(const std::string& condition = "1 = 1") {
        QStringList out;
        for (const auto& row :
             query("SELECT row_id, descr, QOR_User FROM QOR_LOG WHERE id_qor_log > " +
                   std::to_string(lastLog) + " AND " + condition + " ORDER BY id_qor_log")
                 .rows)
            out << QString::fromStdString(db::toText(row[0]) + " | " + db::toText(row[1]) + " | " +
                                          db::toText(row[2]));
        return out;
    }
    // Changes mark rows as the dean's office does, behind the server's rules (which let no
    // workstation do it), straight in the database file: the rows' triggers are set aside
    // for the change and put back in the same transaction.
    void changeBehindTheServer(const std::string& sql) {
        sqlite3* file = nullptr;
        ASSERT_EQ(sqlite3_open(database.toUtf8().constData(), &file), SQLITE_OK);
        sqlite3_busy_timeout(file, 5000);
        std::vector<std::pair<std::string, std::string>> triggers;
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(file,
                           "SELECT name, sql FROM sqlite_master WHERE type = 'trigger' AND "
                           "tbl_name = 'mark_mag'",
                           -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW)
            triggers.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)),
                                  reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
        sqlite3_finalize(st);
        std::string batch = "BEGIN;";
        for (const auto& t : triggers) batch += "DROP TRIGGER " + t.first + ";";
        batch += sql + ";";
        for (const auto& t : triggers) batch += t.second + ";";
        batch += "COMMIT;";
        char* error = nullptr;
        const int rc = sqlite3_exec(file, batch.c_str(), nullptr, nullptr, &error);
        EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close(file);
        ASSERT_FALSE(triggers.empty());
    }
    // Opens the grade menu as the edit button of the "Оценка" cell does.
    void openGradeMenu() {
        ui::DataGrid* grid = form->KXDBGridEh1;
        grid->setCurrentIndex(grid->model()->index(sheet().currentRow(), form->GradeColumnIndex));
        grid->openEditButton(form->GradeColumnIndex);
        ASSERT_TRUE(form->PopupMenu1->isVisible());
    }
    QAction* item(const QString& caption) {
        for (QAction* a : form->PopupMenu1->actions())
            if (a->text() == caption) return a;
        return nullptr;
    }
    static QStringList captions(const QMenu* menu) {
        QStringList c;
        for (const QAction* a : menu->actions()) c << a->text();
        return c;
    }
    static QList<bool> enabled(const QMenu* menu) {
        QList<bool> e;
        for (const QAction* a : menu->actions()) e << a->isEnabled();
        return e;
    }

    std::int64_t lastLog = 0;
};

// The menu holds the grades of the sheet's kind of assessment and takes them only on a
// row whose grade the teacher may change.
TEST_F(Commands, TheGradeMenuOffersTheKindsGradesOnlyWhereTheRowMayBeChanged) {
    const struct {
        const char* discipline;
        const char* group;
        QStringList items;
    } kinds[] = {
        {"Операционные системы {3}", "ИС-24-2", {"н/п", "н/з", "зачёт"}},      // credit
        {"Базы данных {3}", "ИС-24-1", {"н/п", "н/у", "удов", "хор", "отл"}},  // exam
        {"Учебная практика {2}", "ИС-24-1", {"н/п"}},                          // attestation
    };
    for (const auto& k : kinds) {
        openSheet(k.discipline, k.group, "Ведомость");
        ASSERT_TRUE(sheet().active()) << k.discipline;
        form->PopupMenu1->popup(QPoint());
        EXPECT_EQ(captions(form->PopupMenu1), k.items) << k.discipline;
        EXPECT_EQ(enabled(form->PopupMenu1), QList<bool>(k.items.size(), true)) << k.discipline;
        form->PopupMenu1->hide();
    }

    // Базы данных, ИС-24-1: the dean's office closed the row of student 20 (CanEdit 0),
    // student 3 studies by an individual schedule (2), student 1 is an ordinary row (1)
    openSheet("Базы данных {3}", "ИС-24-1", "Ведомость");
    const struct {
        std::int64_t student;
        std::int64_t canEdit;
    } rows[] = {{20, 0}, {1, 1}, {3, 2}};
    for (const auto& r : rows) {
        ASSERT_TRUE(goToStudent(r.student));
        ASSERT_EQ(sheet().field("CanEdit").asInteger(), r.canEdit);
        form->PopupMenu1->popup(QPoint());
        EXPECT_EQ(enabled(form->PopupMenu1), QList<bool>(5, r.canEdit == 1))
            << "CanEdit " << r.canEdit;
        form->PopupMenu1->hide();
    }
    EXPECT_NO_MESSAGE(log);
}

// On the FX retake sheet the grade chosen in the menu is the grade stored: the save
// rules leave a re-examination's grade alone.
TEST_F(Commands, AGradeChosenInTheMenuIsSavedWithItsHistory) {
    openSheet("Базы данных {3}", "ИС-24-1", "Ведомость FX");
    ASSERT_TRUE(goToStudent(14));  // missed the exam (н/я)
    const std::int64_t id = sheet().field("id_mark_mag").asInteger();
    const std::string was = db::toText(sheet().field("id_estimation").value());
    markHistoryStart();
    openGradeMenu();
    QAction* good = item("хор");
    ASSERT_TRUE(good);
    ASSERT_TRUE(good->isEnabled());
    good->trigger();
    form->PopupMenu1->hide();
    EXPECT_NO_MESSAGE(log);
    EXPECT_EQ(sheet().state(), db::DatasetState::Browse);
    const std::int64_t goodId = data::loginContext().GradeGoodId;
    EXPECT_EQ(sheet().field("id_estimation").asInteger(), goodId);
    EXPECT_EQ(db::toText(query("SELECT id_estimation FROM mark_mag WHERE id_mark_mag = " +
                               std::to_string(id))
                             .rows.at(0)
                             .at(0)),
              std::to_string(goodId));
    EXPECT_TRUE(newHistory("row_id = " + std::to_string(id))
                    .contains(QString::fromStdString(
                        std::to_string(id) + " | Поле \"id_estimation\" изменило значение \"" +
                        (was.empty() ? "NULL" : was) + "\" на \"" + std::to_string(goodId) +
                        "\". | a.ivanova")))
        << newHistory().join('\n').toStdString();
}

// "н/п" asks first; only Yes zeroes the row, every one of its fourteen marks.
TEST_F(Commands, NotAdmittedAsksAndOnYesZeroesAllFourteenMarks) {
    // The FX retake has begun (only its own mark may change: the copied midterm marks are
    // closed), and student 5, not admitted with 0 in both midterms, got 25 in it.
    execute("UPDATE IndividualModulPermissPotok SET begDate = '" +
            QDate::currentDate().addDays(-1).toString("yyyy-MM-dd").toStdString() +
            " 00:00:00.000' WHERE vid_rrnk = 1 AND id_rrnk_all = 1 AND id_f_e = 9");
    openSheet("Базы данных {3}", "ИС-24-1", "Ведомость FX");
    ASSERT_TRUE(goToStudent(5));
    const std::int64_t id = sheet().field("id_mark_mag").asInteger();
    changeBehindTheServer("UPDATE mark_mag SET m12 = 25 WHERE id_mark_mag = " + std::to_string(id));
    pickText(form->DBLookupComboBox3, "Ведомость");
    pickText(form->DBLookupComboBox3, "Ведомость FX");
    ASSERT_TRUE(goToStudent(5));
    ASSERT_EQ(sheet().field("m12").asDouble(), 25.0);
    // the marks of the control points the rule shows no column for are empty
    for (const char* f : {"m4", "m5", "m11", "dop2"}) ASSERT_TRUE(sheet().field(f).isNull()) << f;
    auto marks = [&] {
        std::string sql = "SELECT id_estimation";
        for (const char* f : data::kMarkFields) sql += std::string(", ") + f;
        const auto row =
            query(sql + " FROM mark_mag WHERE id_mark_mag = " + std::to_string(id)).rows.at(0);
        QStringList t;
        for (const auto& v : row) t << QString::fromStdString(db::toText(v));
        return t;
    };
    const QStringList before = marks();

    struct Answer {
        QMessageBox::StandardButton button;
        bool zeroed;
    };
    for (const Answer a : {Answer{QMessageBox::No, false}, Answer{QMessageBox::Yes, true}}) {
        testsupport::MessageLog answers(a.button);
        markHistoryStart();
        openGradeMenu();
        ASSERT_TRUE(form->N2->isEnabled());
        form->N2->trigger();
        form->PopupMenu1->hide();
        ASSERT_EQ(answers.messages.size(), 1) << answers.texts().join('|').toStdString();
        EXPECT_EQ(answers.messages[0].text, "Вы действительно хотите обнулить баллы?");
        EXPECT_EQ(answers.messages[0].caption, "Уведомление");
        EXPECT_EQ(answers.messages[0].icon, QMessageBox::Question);
        EXPECT_EQ(answers.messages[0].buttons, QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(sheet().state(), db::DatasetState::Browse);
        if (!a.zeroed) {
            EXPECT_EQ(marks(), before);
            EXPECT_TRUE(newHistory().isEmpty());
            continue;
        }
        QStringList zeroed{QString::number(data::loginContext().GradeNotAdmittedId)};
        for (int i = 0; i < data::kControlPointCount; ++i) zeroed << "0";
        EXPECT_EQ(marks(), zeroed);
        const QStringList h = newHistory("row_id = " + std::to_string(id));
        for (const char* f : {"m12", "m5", "m11", "dop2"})
            EXPECT_EQ(h.filter(QStringLiteral("Поле \"%1\" ").arg(f)).size(), 1) << f;
    }
}

// Before the retake begins the server keeps the copied midterm marks: "н/п" is refused
// with the server's word, and the row shows again what the server holds.
TEST_F(Commands, NotAdmittedRefusedByTheServerLeavesTheRowAsTheServerHoldsIt) {
    openSheet("Базы данных {3}", "ИС-24-1", "Ведомость FX");
    ASSERT_TRUE(goToStudent(14));
    const double m1 = sheet().field("m1").asDouble();
    ASSERT_GT(m1, 0.0);
    markHistoryStart();
    testsupport::MessageLog answers(QMessageBox::Yes);
    openGradeMenu();
    form->N2->trigger();
    form->PopupMenu1->hide();
    ASSERT_EQ(answers.messages.size(), 3) << answers.texts().join('|').toStdString();
    EXPECT_EQ(answers.messages[1].text,
              "Вы пытаетесь изменить запись в поле \"Оценка\", но у вас нет на это прав.");
    EXPECT_TRUE(answers.messages[2].text.startsWith("Контрольная точка"))
        << answers.messages[2].text.toStdString();
    EXPECT_EQ(sheet().state(), db::DatasetState::Browse);
    EXPECT_EQ(sheet().field("m1").asDouble(), m1);
    EXPECT_TRUE(newHistory().isEmpty());
    EXPECT_FALSE(form->SpeedButton2->isEnabled());
}

// Date for all: the rows of admitted students get the picked day at midnight, one
// history row each; the others keep their date; the cursor returns where it was.
TEST_F(Commands, DateForAllDatesOnlyTheAdmittedRowsAndReturnsToTheStartingRow) {
    // ВТ-24-1: everybody but student 52 has paid this semester
    openSheet("Базы данных {4}", "ВТ-24-1", "Ведомость");
    ASSERT_GT(sheet().recordCount(), 5);
    QList<std::int64_t> admitted, others;
    for (sheet().first(); !sheet().eof(); sheet().next())
        (sheet().field("primech").asString() == "д" ? admitted : others)
            << sheet().field("id_mark_mag").asInteger();
    ASSERT_EQ(others.size(), 1);
    const db::Value otherDate = sheet().lookup("id_mark_mag", others[0], "p36");
    sheet().setRecNo(4);
    const std::int64_t startRow = sheet().field("id_mark_mag").asInteger();

    const QDate day = QDate::currentDate().addDays(-1);
    form->DateTimePicker1->setDate(day);
    ASSERT_NO_MESSAGE(log);
    testsupport::MessageLog answers(QMessageBox::Yes);
    markHistoryStart();
    form->SpeedButton1->click();
    ASSERT_EQ(answers.messages.size(), 1) << answers.texts().join('|').toStdString();
    EXPECT_EQ(answers.messages[0].text,
              "Вы действительно хотите применить дату \"" + day.toString("dd.MM.yyyy") +
                  "\" ко всем студентам, у которых форма ведомости - \"Ведомость\"?");
    EXPECT_EQ(answers.messages[0].caption, "Уведомление");
    EXPECT_EQ(answers.messages[0].icon, QMessageBox::Question);
    EXPECT_EQ(answers.messages[0].buttons, QMessageBox::Yes | QMessageBox::No);

    EXPECT_EQ(sheet().field("id_mark_mag").asInteger(), startRow);
    EXPECT_EQ(sheet().recNo(), 4);
    EXPECT_EQ(form->KXDBGridEh1->currentIndex().row(), 3);
    EXPECT_FALSE(sheet().controlsDisabled());
    EXPECT_EQ(sheet().state(), db::DatasetState::Browse);

    // a date-time read back shows its time unless it is midnight
    const std::string dayText = day.toString("dd.MM.yyyy").toStdString();
    for (const auto& row : query("SELECT id_mark_mag, p36 FROM mark_mag WHERE id_group = 3 AND "
                                 "id_discipline = 1 AND id_f_est = 1")
                               .rows) {
        const std::int64_t id = db::toInteger(row[0]);
        if (admitted.contains(id))
            EXPECT_EQ(db::toText(row[1]), dayText) << id;
        else
            EXPECT_TRUE(row[1] == otherDate) << id << " " << db::toText(row[1]);
    }
    const QStringList dated = newHistory("descr LIKE 'Поле \"p36\"%'");
    QList<std::int64_t> datedRows;
    for (const QString& h : dated) datedRows << h.section(" | ", 0, 0).toLongLong();
    std::sort(admitted.begin(), admitted.end());
    std::sort(datedRows.begin(), datedRows.end());
    EXPECT_EQ(datedRows, admitted);

    // No leaves every row as it is.
    testsupport::MessageLog no(QMessageBox::No);
    markHistoryStart();
    form->DateTimePicker1->setDate(QDate::currentDate());
    form->SpeedButton1->click();
    EXPECT_EQ(no.messages.size(), 1);
    EXPECT_TRUE(newHistory().isEmpty());

    // the view-only entry dates nothing and asks nothing
    pickText(form->DBLookupComboBox3, "Только Просмотр");
    ASSERT_TRUE(sheet().active());
    no.messages.clear();
    form->SpeedButton1->click();
    EXPECT_NO_MESSAGE(no);
    EXPECT_TRUE(newHistory().isEmpty());
}

// A row the server refuses in the middle of the run ends it there with the server's
// word; the rows before it stay dated, the notice goes and the grid follows again.
TEST_F(Commands, DateForAllStopsAtARefusedRowKeepingTheRowsBeforeIt) {
    openSheet("Базы данных {4}", "ВТ-24-1", "Ведомость");
    QList<std::int64_t> order;
    for (sheet().first(); !sheet().eof(); sheet().next())
        if (sheet().field("primech").asString() == "д")
            order << sheet().field("id_mark_mag").asInteger();
    ASSERT_GT(order.size(), 6);
    // meanwhile the dean's office closes the sixth admitted row
    const std::int64_t refused = order[5];
    changeBehindTheServer("UPDATE mark_mag SET is_closed = 1 WHERE id_mark_mag = " +
                          std::to_string(refused));
    sheet().first();

    const QDate day = QDate::currentDate();
    form->DateTimePicker1->setDate(day);
    testsupport::MessageLog answers(QMessageBox::Yes);
    form->SpeedButton1->click();
    ASSERT_GE(answers.messages.size(), 2) << answers.texts().join('|').toStdString();
    EXPECT_TRUE(answers.texts().last().startsWith("Строка ведомости закрыта деканатом"))
        << answers.texts().join('|').toStdString();
    // the run ended on the refused row, which keeps what the server holds
    EXPECT_EQ(sheet().field("id_mark_mag").asInteger(), refused);
    EXPECT_EQ(sheet().state(), db::DatasetState::Browse);
    EXPECT_FALSE(sheet().controlsDisabled());
    for (const signin::TForm4* notice : form->findChildren<signin::TForm4*>())
        EXPECT_FALSE(notice->isVisible());

    // a date-time read back shows its time unless it is midnight
    const std::string dayText = day.toString("dd.MM.yyyy").toStdString();
    for (int i = 0; i < order.size(); ++i) {
        const std::string p36 = db::toText(
            query("SELECT p36 FROM mark_mag WHERE id_mark_mag = " + std::to_string(order[i]))
                .rows.at(0)
                .at(0));
        if (i < 5)
            EXPECT_EQ(p36, dayText) << i;
        else
            EXPECT_NE(p36, dayText) << i;
    }
}

// Defaults row 37 says how many days back a date may be picked (3 in the demo).
TEST_F(Commands, ThePickedDateMayLieAsManyDaysBackAsTheInstitutionAllows) {
    const QDateTime now(QDate(2026, 12, 10), QTime(14, 30));
    form->Clock = [now] { return now; };
    const struct {
        int daysBack;
        bool refused;
    } cases[] = {{4, true}, {2, false}, {0, false}};
    for (const auto& c : cases) {
        log.messages.clear();
        form->DateTimePicker1->setDateTime(now.addDays(-c.daysBack));
        if (c.refused) {
            ASSERT_EQ(log.messages.size(), 1) << c.daysBack;
            EXPECT_EQ(log.messages[0].text, "Введите актуальную дату!");
            EXPECT_EQ(log.messages[0].icon, QMessageBox::NoIcon);
            EXPECT_EQ(form->DateTimePicker1->dateTime(), now);
        } else {
            EXPECT_NO_MESSAGE(log) << c.daysBack;
            EXPECT_EQ(form->DateTimePicker1->dateTime(), now.addDays(-c.daysBack));
        }
    }
    // the row is read at every change: with 5 days allowed, four days back is accepted
    execute("UPDATE VuzDefaults SET id_field = 5 WHERE id_vuz_defaults = 37");
    log.messages.clear();
    form->DateTimePicker1->setDateTime(now.addDays(-4));
    EXPECT_NO_MESSAGE(log);
    EXPECT_EQ(form->DateTimePicker1->dateTime(), now.addDays(-4));
}

}  // namespace
}  // namespace sheettest
