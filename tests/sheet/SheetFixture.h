#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <memory>

#include "data/TDM_ZOL_3.h"
#include "db/Values.h"
#include "sheet/TForm2.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TempFolder.h"

namespace ui {
class DataGridColumn;
class LookupComboBox;
class LookupListBox;
}  // namespace ui

namespace sheettest {

// The main window on a fresh demo faculty, signed in as the demo teacher a.ivanova.
class SignedIn : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the main window again (the old one goes first) and signs in as `signInLogin`.
    void createForm();

    // Runs a statement on the demo database beside the program, as an administrator.
    void execute(const std::string& sql);

    // Chooses an entry the way a person does: opens the list and clicks the entry.
    static void pickKey(ui::LookupComboBox* list, const db::Value& key);
    static void pickText(ui::LookupComboBox* list, const QString& text);
    static void pickText(ui::LookupListBox* list, const QString& text);
    static QStringList entries(const ui::LookupComboBox* list);
    static QStringList entries(const ui::LookupListBox* list);

    // The main grid's column bound to the field (matched as the grid matches field
    // names); throws, failing the test, when the grid has none.
    ui::DataGridColumn* column(const char* field) const;

    // Year, semester (10 for groups, 11 for streams of the first semester) and
    // discipline.
    void chooseUpToDiscipline(std::int64_t semester, const QString& discipline);
    // The window shown at 1280 x 800 with the demo's Базы данных sheet of ИС-24-1 loaded.
    void showDemoSheet();

    testsupport::TempFolder folder;
    QString previousFolder;
    QString database;
    data::TDM_ZOL_3 dm;
    std::unique_ptr<sheet::TForm2> form;
    std::int64_t year = 0;  // the current academic year of the demo
    QString signInLogin = QStringLiteral("a.ivanova");
    testsupport::MessageLog log;
};

}  // namespace sheettest
