// A server that fails half-way through a save from the main window: whichever request
// of the save it refuses, the mark row and its history are both saved or both not, the
// grid still shows what was typed, and the save button saves it afterwards.
#include <QToolButton>

#include "tests/sheet/SavingFixture.h"
#include "tests/support/RefusingBackend.h"

namespace sheettest {
namespace {

using SaveRefusal = Saving;

TEST_F(SaveRefusal, ARefusalAnywhereInASaveKeepsDatabaseHistoryAndGridAgreeing) {
    openSheet();
    ASSERT_TRUE(sheet().locate("student", db::Value(std::string("Кусаинов Алихан Ерболович"))));
    const std::int64_t id = sheet().field("id_mark_mag").asInteger();
    const std::string marks =
        "SELECT CAST(m2 AS int), CAST(m3 AS int), CAST(dop AS int), "
        "CAST(ball AS int) FROM mark_mag WHERE id_mark_mag = " +
        std::to_string(id);
    const std::string logged = "SELECT COUNT(*) FROM QOR_LOG WHERE row_id = " + std::to_string(id);
    testsupport::RefusingBackend& backend = testsupport::RefusingBackend::install(dm.ADO_ZOL, 0);
    // Two sets of marks in turn, both хор (81 and 84): every save changes the three marks,
    // the day they were given and the total, and nothing else once the first has stamped
    // the row: five history rows.
    auto typeSet = [&](int n) {
        EXPECT_TRUE(type("m2", QString::number(20 + n % 2)));
        EXPECT_TRUE(type("m3", QString::number(30 + n % 2)));
        EXPECT_TRUE(type("dop", QString::number(1 + n % 2)));
    };
    auto expected = [&](int n) {
        return std::vector<std::string>{std::to_string(20 + n % 2), std::to_string(30 + n % 2),
                                        std::to_string(1 + n % 2),
                                        std::to_string(30 + 51 + 3 * (n % 2))};
    };
    typeSet(0);
    form->SpeedButton2->click();
    ASSERT_NO_MESSAGE(log);
    typeSet(1);
    std::int64_t rows = std::stoll(readOne(logged));
    backend.refuse(0);
    form->SpeedButton2->click();
    ASSERT_NO_MESSAGE(log);
    const int requests = backend.requests;  // begin, the update, five inserts, commit
    ASSERT_EQ(std::stoll(readOne(logged)), rows + 5);
    ASSERT_GE(requests, 8);
    const QString title = form->KXDBGridEh1->columnByField(QStringLiteral("dop"))->title();

    for (int refused = 1; refused <= requests; ++refused) {
        SCOPED_TRACE("refused request " + std::to_string(refused));
        const int n = refused + 1;
        rows = std::stoll(readOne(logged));
        // the cell the teacher left last is the current one, as after typing
        form->KXDBGridEh1->setCurrentIndex(
            form->KXDBGridEh1->model()->index(sheet().currentRow(), columnOf("dop")));
        typeSet(n);
        backend.refuse(refused);
        log.messages.clear();
        form->SpeedButton2->click();
        // the server's own text last; the refused field named first unless the refusal
        // came while the history was written (inside the save of the row)
        const bool duringHistory = refused > 2 && refused < requests;
        ASSERT_EQ(log.messages.size(), duringHistory ? 1 : 2)
            << log.texts().join('|').toStdString();
        EXPECT_EQ(log.messages.last().text,
                  QStringLiteral("The server refused request %1.").arg(refused));
        EXPECT_EQ(log.messages.last().icon, QMessageBox::Critical);
        if (!duringHistory) {
            EXPECT_EQ(log.messages[0].text, "Вы пытаетесь изменить запись в поле \"" + title +
                                                "\", но у вас нет на это прав.");
            EXPECT_EQ(log.messages[0].caption, "Warning!");
            EXPECT_EQ(log.messages[0].icon, QMessageBox::Warning);
            EXPECT_EQ(log.messages[0].buttons, QMessageBox::Ok);
        }
        // nothing saved, nothing recorded, everything typed still there
        EXPECT_EQ(readBack(marks), expected(n - 1));
        EXPECT_EQ(std::stoll(readOne(logged)), rows);
        EXPECT_EQ(sheet().state(), db::DatasetState::Edit);
        EXPECT_EQ(shown("m2").toStdString(), expected(n)[0]);
        EXPECT_EQ(shown("m3").toStdString(), expected(n)[1]);
        EXPECT_EQ(shown("dop").toStdString(), expected(n)[2]);
        // and the save button saves it once the server takes it
        EXPECT_TRUE(form->SpeedButton2->isEnabled());
        backend.refuse(0);
        log.messages.clear();
        form->SpeedButton2->click();
        EXPECT_NO_MESSAGE(log);
        EXPECT_EQ(sheet().state(), db::DatasetState::Browse);
        EXPECT_FALSE(form->SpeedButton2->isEnabled());
        EXPECT_EQ(readBack(marks), expected(n));
        EXPECT_EQ(std::stoll(readOne(logged)), rows + 5);
        EXPECT_EQ(shown("m2").toStdString(), expected(n)[0]);
        EXPECT_EQ(shown("dop").toStdString(), expected(n)[2]);
    }
}

}  // namespace
}  // namespace sheettest
