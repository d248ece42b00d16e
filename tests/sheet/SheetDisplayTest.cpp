// What the main window shows besides the values: the cell colours (as a table of cases,
// then painted on the demo teacher's sheet), the status bar's record position, the report
// button's address and the quotation on the discipline label.
#include <sqlite3.h>
#include <QDeadlineTimer>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTime>
#include <QTimer>
#include <QUrl>
#include <optional>

#include "data/TDM_ZOL_3.h"
#include "gridevents/TKXDBGridEvents.h"
#include "sheet/SheetDisplay.h"
#include "tests/sheet/SheetFixture.h"
#include "ui/DataGrid.h"
#include "ui/DataGridColumn.h"
#include "ui/LookupComboBox.h"

namespace sheettest {
namespace {

using sheet::cellColour;
using sheet::CellColourInput;
using DS = ui::DataGrid::DrawState;

const QColor kChosen(10, 20, 30);  // whatever the grid component picked
const QColor kSilver(192, 192, 192);
const QColor kLightRed(255, 221, 221);
const QColor kLightBlue(206, 239, 255);
const QColor kClosedForGood(255, 185, 255);  // hint -1
const QColor kClosedNow(255, 240, 255);      // hint 0
const QColor kOpen(193, 255, 193);           // hint 1
const QColor kOpenShort(136, 255, 136);      // hints 2 and 3

const DS kNone;
const DS kSelected(ui::DataGrid::Selected);
const DS kSelectedFocused(ui::DataGrid::Selected | ui::DataGrid::Focused);
const DS kSelectedFixed(ui::DataGrid::Selected | ui::DataGrid::Fixed);

TEST(CellColours, TheThreeRulesInTheirOrderOverTheComponentsChoice) {
    const db::Value null;
    const db::Value one = std::int64_t{1}, two = std::int64_t{2}, zero = std::int64_t{0};
    const db::Value notStudying = std::int64_t{25}, graded = std::int64_t{4};
    const QString yes = QStringLiteral("д"), no;
    struct Case {
        const char* what;
        QString admission;
        db::Value estimation, canEdit;
        int column;
        QString hint;
        DS state;
        QColor expected;
    };
    const Case cases[] = {
        {"an admitted student's cell keeps the component's choice",
         yes,
         graded,
         one,
         2,
         {},
         kNone,
         kChosen},
        {"a student not admitted: the admission column", no, graded, one, 1, {}, kNone, kLightRed},
        {"not admitted, other text than д",
         QStringLiteral("н"),
         graded,
         one,
         1,
         {},
         kNone,
         kLightRed},
        {"not admitted, selected admission cell", no, graded, one, 1, {}, kSelected, kLightRed},
        {"not admitted: other columns are not coloured", no, graded, one, 2, {}, kNone, kChosen},
        {"admitted: the admission column keeps the choice",
         yes,
         graded,
         one,
         1,
         {},
         kNone,
         kChosen},
        {"not studying: any column light blue", yes, notStudying, one, 2, {}, kNone, kLightBlue},
        {"not studying and not admitted: light blue wins",
         no,
         notStudying,
         one,
         1,
         {},
         kNone,
         kLightBlue},
        {"not studying, selected: the component's selection colour",
         no,
         notStudying,
         one,
         1,
         {},
         kSelected,
         kSilver},
        {"not studying, selected and focused: light blue",
         yes,
         notStudying,
         one,
         2,
         {},
         kSelectedFocused,
         kLightBlue},
        {"not studying, selected and fixed: light blue",
         yes,
         notStudying,
         one,
         2,
         {},
         kSelectedFixed,
         kLightBlue},
        {"not studying, NULL row right: light blue", yes, notStudying, null, 9, "1", kNone,
         kLightBlue},
        {"control point over for good (-1)", yes, graded, one, 9, "-1", kNone, kClosedForGood},
        {"control point closed now (0)", yes, graded, one, 9, "0", kNone, kClosedNow},
        {"control point open (1)", yes, graded, one, 9, "1", kNone, kOpen},
        {"control point open, little time left (2)", yes, graded, one, 9, "2", kNone, kOpenShort},
        {"control point extended (3)", yes, graded, one, 9, "3", kNone, kOpenShort},
        {"control point of another value: unchanged", yes, graded, one, 9, "4", kNone, kChosen},
        {"a hint that is no number: unchanged", yes, graded, one, 9, "РК", kNone, kChosen},
        {"no hint: unchanged", yes, graded, one, 9, {}, kNone, kChosen},
        {"the first column after the fixed ones (7)", yes, graded, one, 7, "1", kNone, kOpen},
        {"a fixed column (6) with a hint: unchanged", yes, graded, one, 6, "1", kNone, kChosen},
        {"a row of individual schedule (CanEdit 2): unchanged", yes, graded, two, 9, "1", kNone,
         kChosen},
        {"a closed row (CanEdit 0): unchanged", yes, graded, zero, 9, "1", kNone, kChosen},
        {"a row without CanEdit: unchanged", yes, graded, null, 9, "1", kNone, kChosen},
        {"selected control point cell of an editable row", yes, graded, one, 9, "0", kSelected,
         kClosedNow},
        {"not studying: the control point's colour wins", yes, notStudying, one, 9, "2", kNone,
         kOpenShort},
        {"not studying and selected: the control point's colour wins", yes, notStudying, one, 9,
         "-1", kSelected, kClosedForGood},
        {"not studying, selected, no colour for the point: selection", yes, notStudying, one, 9,
         "5", kSelected, kSilver},
        {"not studying as text 25",
         yes,
         db::Value(std::string("25")),
         one,
         2,
         {},
         kNone,
         kLightBlue},
    };
    for (const Case& c : cases) {
        CellColourInput in;
        in.chosen = kChosen;
        in.selection = kSilver;
        in.admission = c.admission;
        in.estimation = c.estimation;
        in.canEdit = c.canEdit;
        in.column = c.column;
        in.hint = c.hint;
        in.state = c.state;
        EXPECT_EQ(cellColour(in), c.expected) << c.what;
    }
}

// The same address as the text: the escapes of the page's query may come back in capitals
// (%2F for %2f), which a web server reads alike; nothing else may differ.
bool sameAddress(const QUrl& url, const QString& text) {
    return url == QUrl(text, QUrl::StrictMode) &&
           url.toString().compare(text, Qt::CaseInsensitive) == 0;
}

TEST(ReportAddress, TheServersAddressAndThePage) {
    const QString page = QLatin1String(sheet::kReportPage);
    struct Case {
        const char* server;
        const char* expected;  // null: refused
        const char* why;       // part of the reason given
    } cases[] = {
        {"http://reports.example.kz", "http://reports.example.kz", nullptr},
        {"https://reports.example.kz:8443", "https://reports.example.kz:8443", nullptr},
        {"http://10.0.0.5/", "http://10.0.0.5", nullptr},
        {"  http://localhost  ", "http://localhost", nullptr},
        {"", nullptr, "не задан"},
        {"   ", nullptr, "не задан"},
        {"reports.example.kz", nullptr, "не подходит"},
        {"ftp://reports.example.kz", nullptr, "не подходит"},
        {"http://", nullptr, "не подходит"},
        {"http://bad host", nullptr, "не подходит"},
    };
    for (const auto& c : cases) {
        QString why = QStringLiteral("left over");
        const QUrl url = sheet::reportAddress(QString::fromUtf8(c.server), &why);
        if (c.expected) {
            ASSERT_TRUE(url.isValid()) << c.server << ": " << why.toStdString();
            EXPECT_TRUE(sameAddress(url, QString::fromUtf8(c.expected) + page))
                << c.server << ": " << url.toString().toStdString();
            EXPECT_TRUE(why.isEmpty()) << c.server;
        } else {
            EXPECT_FALSE(url.isValid()) << c.server;
            EXPECT_TRUE(why.contains(QString::fromUtf8(c.why)))
                << c.server << ": " << why.toStdString();
            EXPECT_TRUE(why.contains(QStringLiteral("22"))) << why.toStdString();
        }
    }
}

// The demo teacher's sheet of Базы данных for ИС-24-1 (23 students). In the demo student 7
// has not paid, student 12 does not study the discipline, student 3 studies by an
// individual schedule; РК 1 is over, РК 2 open, the exam closes in two days. The test
// takes the terms of the extra point away, so that it has not begun.
class SheetDisplay : public SignedIn {
  protected:
    void SetUp() override {
        SignedIn::SetUp();
        if (HasFatalFailure()) return;
        sql("DELETE FROM IndividualModulPermissPotok WHERE vid_rrnk = 1 AND id_rrnk_all = 1 "
            "AND id_f_e = 1 AND id_modul = 13");
        if (HasFatalFailure()) return;
        showDemoSheet();
        ASSERT_EQ(marks().recordCount(), 23);
        ASSERT_NO_MESSAGE(log);
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        sheet::TForm2::browserOpener() = savedOpener;
        sheet::TForm2::quotationClock() = savedClock;
        SignedIn::TearDown();
    }

    // Runs statements straight on the demo database file, behind the server's rights.
    void sql(const std::string& statements) {
        sqlite3* file = nullptr;
        ASSERT_EQ(sqlite3_open(database.toUtf8().constData(), &file), SQLITE_OK);
        sqlite3_busy_timeout(file, 5000);
        char* error = nullptr;
        const int rc = sqlite3_exec(file, statements.c_str(), nullptr, nullptr, &error);
        EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close(file);
    }

    db::Dataset& marks() { return dm.ADO_SP_Sort; }
    ui::DataGrid* grid() { return form->KXDBGridEh1; }
    QString panel(int i) { return form->StatusPanels[i]->text(); }

    int rowOf(std::int64_t student) {
        const int at = marks().field("id_student").index();
        for (int r = 0; r < marks().recordCount(); ++r)
            if (db::toInteger(marks().valueAt(r, at)) == student) return r;
        ADD_FAILURE() << "no row of student " << student;
        return -1;
    }
    // The colour painted in a cell, away from its text (near its top right corner).
    QColor painted(int row, const char* field) {
        const int c = grid()->indexOfColumn(column(field));
        const QRect r = grid()->cellRect(row, c);
        if (r.isEmpty()) {
            ADD_FAILURE() << "cell not shown: row " << row << ", " << field;
            return {};
        }
        grid()->viewport()->repaint();
        return grid()->viewport()->grab().toImage().pixelColor(r.right() - 4, r.top() + 2);
    }

    std::function<bool(const QUrl&)> savedOpener = sheet::TForm2::browserOpener();
    std::function<QTime()> savedClock = sheet::TForm2::quotationClock();
};

TEST_F(SheetDisplay, EachColourRuleIsPaintedOnTheSheet) {
    // the control points' states as the load hands them to the columns
    EXPECT_EQ(column("m1")->titleHint(), "0");
    EXPECT_EQ(column("m2")->titleHint(), "1");
    EXPECT_EQ(column("m3")->titleHint(), "2");
    EXPECT_EQ(column("dop")->titleHint(), "-1");

    const int unpaid = rowOf(7), notStudying = rowOf(12), individual = rowOf(3), plain = rowOf(2);
    for (int r : {unpaid, notStudying, individual, plain}) ASSERT_NE(r, marks().currentRow());

    const struct {
        int row;
        const char* field;
        QColor expected;
        const char* what;
    } cells[] = {
        {unpaid, "primech", kLightRed, "unpaid: admission"},
        {unpaid, "student", Qt::white, "unpaid: name"},
        {plain, "primech", Qt::white, "paid: admission"},
        {notStudying, "student", kLightBlue, "not studying: name"},
        {notStudying, "primech", kLightBlue, "not studying: admission"},
        {notStudying, "m1", kClosedNow, "not studying: РК 1"},
        {plain, "m1", kClosedNow, "РК 1 over"},
        {plain, "m2", kOpen, "РК 2 open"},
        {plain, "m3", kOpenShort, "exam closing"},
        {plain, "dop", kClosedForGood, "extra point not begun"},
        {individual, "m2", Qt::white, "individual schedule: no control point colours"},
    };
    for (const auto& c : cells) EXPECT_EQ(painted(c.row, c.field), c.expected) << c.what;

    // Selected rows: the not-studying row shows the selection, except where a control
    // point colours the cell.
    grid()->selectBookmark(marks().bookmarkAt(notStudying));
    EXPECT_EQ(painted(notStudying, "student"), kSilver);
    EXPECT_EQ(painted(notStudying, "m2"), kOpen);
    EXPECT_NO_MESSAGE(log);
}

// The grid tints the current row; the component painting the cells keeps that tint on the
// row's plain cells, and the colour rules still win where they apply.
TEST_F(SheetDisplay, TheCurrentRowKeepsItsTint) {
    const int plain = rowOf(2), unpaid = rowOf(7);
    ASSERT_TRUE(grid()->rowTint(marks().currentRow()).isValid());
    marks().setRecNo(plain + 1);
    QCoreApplication::processEvents();
    // the tint, as painted (the palette's group follows the window's activation)
    const QColor tint = painted(plain, "student");
    EXPECT_NE(tint, QColor(Qt::white));
    EXPECT_EQ(painted(plain, "teacher"), tint);
    EXPECT_EQ(painted(plain, "m2"), kOpen);
    EXPECT_EQ(painted(unpaid, "student"), Qt::white);

    marks().setRecNo(unpaid + 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(painted(plain, "student"), Qt::white);
    EXPECT_EQ(painted(unpaid, "student"), tint);
    EXPECT_EQ(painted(unpaid, "primech"), kLightRed);
}

TEST_F(SheetDisplay, TheStatusBarFollowsTheSheet) {
    EXPECT_EQ(panel(0), "Количество записей: 23");
    EXPECT_EQ(panel(1), "Текущая запись: 1");
    EXPECT_EQ(panel(2), "Выполнение: Удачно");
    EXPECT_EQ(panel(3), "");
    // each panel has at least its width and shows its whole text
    const auto fits = [&](int i) {
        QLabel* label = form->StatusPanels[i];
        return label->contentsRect().width() >=
               label->fontMetrics().horizontalAdvance(label->text());
    };
    const int widths[] = {150, 150, 150, 50};
    for (int i = 0; i < 3; ++i) {
        EXPECT_GE(form->StatusPanels[i]->width(), widths[i]) << i;
        EXPECT_TRUE(fits(i)) << i;
    }
    EXPECT_EQ(form->StatusPanels[3]->width(), 50);

    // moving in the grid, then moving the sheet itself
    grid()->setFocus();
    QTest::keyClick(grid(), Qt::Key_Down);
    EXPECT_EQ(marks().recNo(), 2);
    EXPECT_EQ(panel(1), "Текущая запись: 2");
    QTest::keyClick(grid(), Qt::Key_Down);
    EXPECT_EQ(panel(1), "Текущая запись: 3");
    marks().last();
    EXPECT_EQ(panel(1), "Текущая запись: 23");
    EXPECT_EQ(panel(0), "Количество записей: 23");

    // another discipline closes the sheet
    pickText(form->DBLookupComboBox11, "Базы данных {4}");
    EXPECT_FALSE(marks().active());
    EXPECT_EQ(panel(0), "Количество записей: 0");
    EXPECT_EQ(panel(1), "Текущая запись: 0");
    EXPECT_EQ(panel(2), "Выполнение: Удачно");
    EXPECT_NO_MESSAGE(log);

    // a count of a large stream still shows whole
    form->StatusPanels[0]->setText(QStringLiteral("Количество записей: 1234"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(fits(0));
}

TEST_F(SheetDisplay, TheReportOpensTheAddressOfTheDefaultsInTheBrowser) {
    std::vector<QUrl> opened;
    bool browserStarts = true;
    sheet::TForm2::browserOpener() = [&](const QUrl& url) {
        opened.push_back(url);
        return browserStarts;
    };
    const QString page = QLatin1String(sheet::kReportPage);

    // the demo's own address: this computer
    form->SpeedButton4->click();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(sameAddress(opened[0], "http://localhost" + page))
        << opened[0].toString().toStdString();
    EXPECT_EQ(opened[0].host(), "localhost");
    EXPECT_NO_MESSAGE(log);

    // an institution's address
    sql("UPDATE VuzDefaults SET n_field = 'http://reports.uni.example' WHERE id_vuz_defaults = 22");
    form->SpeedButton4->click();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_TRUE(sameAddress(opened[1], "http://reports.uni.example" + page))
        << opened[1].toString().toStdString();
    EXPECT_NO_MESSAGE(log);

    // no browser could be started
    browserStarts = false;
    form->SpeedButton4->click();
    ASSERT_EQ(log.messages.size(), 1);
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(log.messages[0].text,
              "Не удалось открыть веб-браузер с адресом отчёта:\n" + opened[2].toString());
    EXPECT_TRUE(sameAddress(opened[2], "http://reports.uni.example" + page));
    log.messages.clear();
    browserStarts = true;

    // no address, an address that is not one, no row 22 at all: a message, no browser
    const std::pair<const char*, const char*> bad[] = {
        {"UPDATE VuzDefaults SET n_field = NULL WHERE id_vuz_defaults = 22", "не задан"},
        {"UPDATE VuzDefaults SET n_field = '' WHERE id_vuz_defaults = 22", "не задан"},
        {"UPDATE VuzDefaults SET n_field = 'reports' WHERE id_vuz_defaults = 22", "не подходит"},
        {"DELETE FROM VuzDefaults WHERE id_vuz_defaults = 22", "не задан"},
    };
    for (const auto& [statement, why] : bad) {
        sql(statement);
        form->SpeedButton4->click();
        EXPECT_EQ(opened.size(), 3u) << statement;
        ASSERT_EQ(log.messages.size(), 1) << statement;
        EXPECT_EQ(log.messages[0].caption, "Уведомление");
        EXPECT_TRUE(log.messages[0].text.contains(QString::fromUtf8(why)))
            << log.messages[0].text.toStdString();
        log.messages.clear();
    }
}

TEST_F(SheetDisplay, TheQuotationShowsOnEvenMinutesAndGoesAfterFiveSeconds) {
    QTime now(10, 3);
    sheet::TForm2::quotationClock() = [&] { return now; };
    EXPECT_EQ(form->Timer1->interval(), 5000);
    EXPECT_FALSE(form->Timer1->isActive());

    QTest::mouseDClick(form->Label11, Qt::LeftButton);
    EXPECT_TRUE(form->InfoPanel->text().isEmpty());
    EXPECT_FALSE(form->Timer1->isActive());

    now = QTime(10, 4);
    QTest::mouseDClick(form->Label11, Qt::LeftButton);
    EXPECT_EQ(form->InfoPanel->text(), sheet::TForm2::quotation());
    EXPECT_TRUE(form->InfoPanel->text().contains(QStringLiteral("Толстой")));
    EXPECT_TRUE(form->Timer1->isActive());

    // the timer's end empties the panel and stops it (shortened here from its 5 seconds)
    form->Timer1->setInterval(20);
    form->Timer1->start();
    QDeadlineTimer deadline(5000);
    while (!form->InfoPanel->text().isEmpty() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(form->InfoPanel->text().isEmpty());
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_NO_MESSAGE(log);
}

}  // namespace
}  // namespace sheettest
