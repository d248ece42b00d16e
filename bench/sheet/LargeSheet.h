#pragma once

// The benchmarks' large sheet: a group of 300 students graded by a rule of twelve
// control points, in the main window on the demo faculty's embedded database.

#include <sqlite3.h>

#include <QLineEdit>
#include <QLocale>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <memory>
#include <random>
#include <stdexcept>

#include "Contract.h"
#include "Demo.h"
#include "data/TDM_ZOL_3.h"
#include "sheet/TForm2.h"
#include "signin/TForm8.h"
#include "ui/Application.h"
#include "ui/DataGrid.h"
#include "ui/LookupComboBox.h"
#include "ui/LookupListBox.h"
#include "ui/LookupListModel.h"
#include "ui/MessageService.h"

namespace benchsheet {

namespace fs = std::filesystem;

inline constexpr int kStudents = 300;

// Group БЕНЧ-300 of speciality 1, taught Нагрузочная дисциплина (an exam of 5 credits) by
// the demo teacher under rule 900: m1..m12 worth 8 points each but m12 worth 12, the
// mid-term sum as an intermediate result, and the total capped at 100. Every control
// point is open and every student has marks in all twelve.
inline const char* const kLargeSheet = R"sql(
BEGIN;
CREATE TEMP TABLE n(i INTEGER PRIMARY KEY);
WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 300)
INSERT INTO n SELECT i FROM c;
CREATE TEMP TABLE y AS SELECT id_a_year AS id FROM rrnk WHERE id_rrnk = 1;

INSERT INTO discipline (id_discipline, p34, sn, id_kafedra) VALUES (900, 'Нагрузочная дисциплина', 'НД', 1);
INSERT INTO [group] (id_group, p20, id_speciality, id_faculty, id_kafedra, id_f_educ, kurs)
VALUES (900, 'БЕНЧ-300', 1, 1, 1, 1, 2);
INSERT INTO g_s (id_group, id_speciality, id_faculty, id_ebe_var) VALUES (900, 1, 1, 900);
INSERT INTO s_fio (id_student, s_fio, id_group, zach_book)
SELECT 10000 + i, 'Студент ' || printf('%03d', i), 900, 'Б' || i FROM n;
INSERT INTO student_payment (id_student, id_a_year, id_semester, dopusk)
SELECT 10000 + i, (SELECT id FROM y), 1, 'д' FROM n;
INSERT INTO educ_sh (id_educ_sh, id_speciality, id_discipline, id_semester, id_examination, kredit, hours)
VALUES (900, 1, 900, 1, 1, 5, 150);
INSERT INTO rrnk (id_rrnk, id_educ_sh, id_group, id_teacher, id_a_year, id_kafedra, id_ebe_var)
VALUES (900, 900, 900, 1, (SELECT id FROM y), 1, 900);

INSERT INTO est_config (id_ebe_var, order_pole, name_pole, info_or_value, pole_mark_mag, formula, [min], [max], id_f_est)
SELECT 900, i, 'КТ ' || i, 1, 'm' || i, NULL, 0, CASE i WHEN 12 THEN 12 ELSE 8 END, 1 FROM n WHERE i <= 12;
INSERT INTO est_config (id_ebe_var, order_pole, name_pole, info_or_value, pole_mark_mag, formula, [min], [max], id_f_est)
VALUES (900, 13, 'Рубежный', 0, '', 'M1+M2+M3+M4+M5+M6', NULL, NULL, 1),
       (900, 14, 'Общий балл', 0, 'ball1', 'MIN(M1+M2+M3+M4+M5+M6+M7+M8+M9+M10+M11+M12,100)', NULL, NULL, 1);
INSERT INTO ebe (id_ebe_var, id_estimation, beg_bal, end_bal)
SELECT 900, id_estimation, beg_bal, end_bal FROM ebe WHERE id_ebe_var = 101;

INSERT INTO IndividualModulPermissPotok (id_teacher, id_year, id_discipline, id_modul, begDate, endDate, vid_rrnk, id_rrnk_all, id_f_e, id_w_s, subgroup, id_ebe_var)
SELECT 1, (SELECT id FROM y), 900, i,
       strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '-30 days'),
       strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '+30 days'), 1, 900, 1, 1, 0, 900
FROM n WHERE i <= 12;

INSERT INTO mark_mag (id_group, id_student, id_examination, id_discipline, id_semester, id_teacher, p35, p36, id_f_est, oper,
                      m1, m2, m3, m4, m5, m6, m7, m8, m9, m10, m11, m12, ball, id_ebe_var, id_poseshal,
                      id_a_year, kredit, vid_rrnk, id_rrnk_all, subgroup, id_kafedra)
SELECT 900, 10000 + i, 1, 900, 1, 1, '900-1-900-1', strftime('%Y-%m-%d 10:00:00.000', 'now', 'localtime', '-3 days'), 1, 'U',
       (i * 3) % 9, (i * 5) % 9, (i * 7) % 9, (i * 2) % 9, (i * 4) % 9, (i * 8) % 9,
       (i * 3 + 1) % 9, (i * 5 + 2) % 9, (i * 7 + 3) % 9, (i * 2 + 4) % 9, (i * 4 + 5) % 9, (i * 6) % 13,
       NULL, 900, 2, (SELECT id FROM y), 5, 1, 900, 0, 1
FROM n;
DROP TABLE n;
DROP TABLE y;
COMMIT;
)sql";

inline void addLargeSheet(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) throw std::runtime_error("cannot open");
    char* err = nullptr;
    const int rc = sqlite3_exec(db, kLargeSheet, nullptr, nullptr, &err);
    const std::string message = err ? err : "";
    sqlite3_free(err);
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw std::runtime_error("the large sheet was not created: " + message);
}

template <class List>
void choose(List* list, const QString& text) {
    auto* model = static_cast<ui::LookupListModel*>(list->model());
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, 0).data().toString() == text) {
            list->setKeyValue(model->keyAt(row));
            return;
        }
    }
    throw std::runtime_error("no entry " + text.toStdString());
}

// The main window signed in as the demo teacher with everything but the sheet form
// chosen: by default the large sheet's discipline and group, with the large sheet added
// to the demo database; any other demo discipline and group without it.
struct Window {
    explicit Window(const QString& discipline = QStringLiteral("Нагрузочная дисциплина {5}"),
                    const QString& group = QStringLiteral("БЕНЧ-300"), bool largeSheet = true) {
        dir = fs::temp_directory_path() / ("qor28_bench_sheet_" + std::to_string(rd()));
        fs::create_directories(dir);
        const std::string path = (dir / "QOR.db").string();
        server::qor::install();
        server::qor::createDemo(path);
        if (largeSheet) addLargeSheet(path);
        ui::MessageService::setResponder([this](const ui::Message& m) {
            messages += m.text.toStdString() + "\n";
            return QMessageBox::Ok;
        });
        signin::TForm8::shownHook() = [](signin::TForm8& f) {
            QTimer::singleShot(0, &f, [&f] {
                f.Login_Edit->setText(QStringLiteral("a.ivanova"));
                f.Password_Edit->setText(QString::fromLatin1(server::qor::demo::password));
                f.SpeedButton2->click();
            });
        };
        form = std::make_unique<sheet::TForm2>(dm, QString::fromStdString(dir.string()));
        signin::TForm8::shownHook() = {};
        form->setWindowState(Qt::WindowNoState);
        form->resize(1280, 800);
        form->show();

        sheet::TForm2& f = *form;
        choose(f.DBLookupComboBox1, yearText());
        f.DBLookupComboBox1Click();
        choose(f.DBLookupComboBox10, QStringLiteral("Осенний семестр (группы)"));
        f.DBLookupComboBox10Click();
        choose(f.DBLookupComboBox11, discipline);
        f.DBLookupComboBox11Click();
        choose(f.DBLookupListBox2, QStringLiteral("Экзамен"));
        f.DBLookupListBox2Click();
        choose(f.DBLookupComboBox9, group);
        f.DBLookupComboBox9Click();
        choose(f.DBLookupComboBox3, QStringLiteral("Ведомость"));
        if (!messages.empty()) throw std::runtime_error(messages);
    }
    ~Window() {
        form.reset();
        ui::MessageService::setResponder({});
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    static QString yearText() {
        const int first = server::qor::currentAcademicYear();
        return QStringLiteral("%1-%2").arg(first).arg(first + 1);
    }

    // Chooses the sheet form; the rows and their computed fields are then in the grid.
    void open() {
        form->DBLookupComboBox3Click();
        const db::Dataset* rows = form->KXDBGridEh1->dataset();
        if (!messages.empty() || !rows || rows->recordCount() != kStudents ||
            rows->field("ball_name").isNull())
            throw std::runtime_error("the sheet did not load: " + messages);
    }

    std::random_device rd;
    fs::path dir;
    std::string messages;
    data::TDM_ZOL_3 dm;
    std::unique_ptr<sheet::TForm2> form;
};

}  // namespace benchsheet
