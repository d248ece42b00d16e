#pragma once

// The demo teacher's sheet of Базы данных, ИС-24-1, open in the main window, with what
// the tests of typing and saving marks read back from the server beside the program.

#include <QStringList>
#include <string>

#include "Demo.h"
#include "server/Engine.h"
#include "tests/sheet/SheetFixture.h"
#include "ui/DataGrid.h"
#include "ui/DataGridColumn.h"
#include "ui/LookupComboBox.h"

namespace sheettest {

class Saving : public SignedIn {
  protected:
    // Базы данных, ИС-24-1: m2, m3 and dop are open, m1 closed.
    void openSheet(const char* sheetForm = "Ведомость") {
        chooseUpToDiscipline(10, "Базы данных {3}");
        pickText(form->DBLookupComboBox9, "ИС-24-1");
        pickText(form->DBLookupComboBox3, QString::fromUtf8(sheetForm));
    }
    db::Dataset& sheet() { return dm.ADO_SP_Sort; }
    int columnOf(const char* field) {
        ui::DataGrid* grid = form->KXDBGridEh1;
        return grid->indexOfColumn(grid->columnByField(QLatin1String(field)));
    }
    // Types a text into the current row's cell of a field, as the grid commits it.
    bool type(const char* field, const QString& text) {
        return form->KXDBGridEh1->commitCell(sheet().currentRow(), columnOf(field), text);
    }
    // What the grid shows in the current row's cell of a field.
    QString shown(const char* field) {
        return form->KXDBGridEh1->cellText(sheet().currentRow(), columnOf(field));
    }
    // The first row of the first result of a statement run beside the program, as texts.
    std::vector<std::string> readBack(const std::string& sql) {
        auto engine = server::Engine::open(database.toStdString(), server::qor::demo::bootLogin,
                                           server::qor::demo::bootPassword);
        auto r = engine->execute(sql);
        std::vector<std::string> out;
        for (const auto& v : r.resultSets.at(0).rows.at(0)) out.push_back(db::toText(v));
        return out;
    }
    std::string readOne(const std::string& sql) { return readBack(sql).at(0); }
    // The history rows of a mark row written since markHistoryStart, oldest first.
    QStringList historyOf(std::int64_t id) {
        auto engine = server::Engine::open(database.toStdString(), server::qor::demo::bootLogin,
                                           server::qor::demo::bootPassword);
        auto r = engine->execute(
            "SELECT descr, QOR_User FROM QOR_LOG WHERE row_id = " + std::to_string(id) +
            " AND id_qor_log > " + std::to_string(lastLog) + " ORDER BY id_qor_log");
        QStringList out;
        for (const auto& row : r.resultSets.at(0).rows)
            out << QString::fromStdString(db::toText(row[0]) + " | " + db::toText(row[1]));
        return out;
    }
    void markHistoryStart() {
        lastLog = std::stoll(readOne("SELECT COALESCE(MAX(id_qor_log), 0) FROM QOR_LOG"));
    }
    std::int64_t lastLog = 0;
};

}  // namespace sheettest
