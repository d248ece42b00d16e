// Pictures for a person to look at, under the build folder: the editor with four named
// points and their terms, and the stream's sheet opened afterwards in the main window.
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPushButton>
#include <QSet>

#include "Demo.h"
#include "server/Engine.h"
#include "tests/structure/EditorFixture.h"
#include "tests/support/Screenshot.h"
#include "ui/LookupComboBox.h"

namespace structuretest {
namespace {

using Screenshot = Editor;

void save(QWidget& window, const char* name, QSize size) {
    QCoreApplication::processEvents();
    testsupport::saveScreenshot(window.grab().toImage(), QStringLiteral(QOR28_SCREENSHOT_DIR),
                                QString::fromUtf8(name), size, 50);
}

TEST_F(Screenshot, TheEditorWithFourPointsAndTheStreamsSheetAfterwards) {
    FixedClock clock(QDateTime(QDate(2026, 12, 9), QTime(10, 0)));
    createRule("4");
    fillPoints({{"РК 1", 20}, {"РК 2", 20}, {"КР", 30}, {"ИК", 30}});
    QTest::mouseClick(editor->SpeedButton2, Qt::LeftButton);
    ASSERT_TRUE(log.messages.isEmpty()) << log.texts().join('|').toStdString();
    save(*editor, "structure-editor.png", QSize(832, 518));

    editor->close();
    form->setWindowState(Qt::WindowNoState);
    form->resize(1280, 800);
    form->show();
    pickText(form->DBLookupComboBox9, "Поток 102");
    pickText(form->DBLookupComboBox3, "Ведомость");
    ASSERT_GT(dm.ADO_SP_Sort.recordCount(), 2);
    // a few students' marks, entered on another workstation, then the sheet read again
    const auto& teacher = server::qor::demo::serverLogins[0];
    auto engine =
        server::Engine::open(database.toStdString(), teacher.serverLogin, teacher.serverPassword);
    const char* marks[] = {"m1=18, m2=17, m3=25, m4=20, dop=3", "m1=12, m2=15, m3=20",
                           "m1=20, m2=19, m3=28, m4=27"};
    for (int row = 0; row < 3; ++row) {
        dm.ADO_SP_Sort.setRecNo(row + 1);
        engine->execute(std::string("UPDATE mark_mag SET ") + marks[row] +
                        " WHERE id_mark_mag=" + dm.ADO_SP_Sort.field("id_mark_mag").asString());
    }
    pickText(form->DBLookupComboBox3, "Ведомость");
    EXPECT_TRUE(log.messages.isEmpty()) << log.texts().join('|').toStdString();
    save(*form, "stream-102-sheet.png", QSize(1280, 800));
}

}  // namespace
}  // namespace structuretest
