#include "tests/structure/EditorFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "Demo.h"
#include "server/Engine.h"
#include "tests/support/ResultText.h"
#include "ui/DataGrid.h"
#include "ui/LookupComboBox.h"

namespace structuretest {

void Editor::SetUp() {
    SignedIn::SetUp();
    if (HasFatalFailure()) return;
    rule = std::to_string(std::stoi(value("SELECT MAX(id_ebe_var) FROM ebe")) + 1);
    openEditor();
}

void Editor::TearDown() {
    editor.reset();
    structure::TForm_7::shownHook() = {};
    SignedIn::TearDown();
}

void Editor::openEditor() {
    editor.reset();
    structure::TForm_7::shownHook() = [](structure::TForm_7& f) {
        QTimer::singleShot(0, &f, [&f] { f.close(); });
    };
    chooseUpToDiscipline(11, "Философия {3}");
    pickText(form->DBLookupComboBox9, "Поток 102");
    structure::TForm_7::shownHook() = {};
    ASSERT_TRUE(form->Choice.EditorOpenedForMissingRule);
    editor = std::make_unique<structure::TForm_7>(dm, *form, form.get());
    editor->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(editor.get()));
}

void Editor::createRule(const QString& count, bool extraPoint) {
    if (editor->RzCheckBox1->isChecked() != extraPoint)
        QTest::mouseClick(editor->RzCheckBox1, Qt::LeftButton);
    editor->ComboBox1->setFocus();
    editor->ComboBox1->lineEdit()->selectAll();
    QTest::keyClick(editor->ComboBox1->lineEdit(), Qt::Key_Backspace);
    QTest::keyClicks(editor->ComboBox1->lineEdit(), count);
    QTest::mouseClick(editor->SpeedButton1, Qt::LeftButton);
}

bool Editor::enter(int row, const char* field, const QString& text) {
    ui::DataGrid* grid = editor->DBGridEh2;
    const int column = grid->indexOfColumn(grid->columnByField(QLatin1String(field)));
    grid->setCurrentIndex(grid->model()->index(row, column));
    return grid->commitCell(row, column, text);
}

void Editor::fillPoints(const std::vector<std::pair<QString, int>>& points) {
    for (std::size_t i = 0; i < points.size(); ++i) {
        enter(static_cast<int>(i), "name_pole", points[i].first);
        enter(static_cast<int>(i), "max", QString::number(points[i].second));
    }
}

std::vector<std::string> Editor::rows(const std::string& sql) {
    auto engine = server::Engine::open(database.toStdString(), server::qor::demo::bootLogin,
                                       server::qor::demo::bootPassword);
    return testsupport::rowTexts(engine->execute(sql).resultSets.at(0));
}

std::string Editor::value(const std::string& sql) {
    auto r = rows(sql);
    return r.empty() ? std::string() : r.front();
}

std::string Editor::footprint(const std::string& r) {
    std::string s;
    for (const char* table : {"ebe", "est_config", "T_MarkMagModulCopyAccess",
                              "IndividualModulPermissPotok", "RRNKkrdt"})
        s += std::string(table) + ":" +
             value(std::string("SELECT COUNT(*) FROM ") + table + " WHERE id_ebe_var=" + r) + " ";
    return s + "formulas:" +
           value("SELECT COUNT(*) FROM est_config WHERE formula IS NOT NULL AND id_ebe_var=" + r);
}

}  // namespace structuretest
