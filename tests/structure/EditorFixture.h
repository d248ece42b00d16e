#pragma once

// The structure editor on the demo faculty: a.ivanova has chosen stream 102 Философия,
// which has no grading rule, and the editor is open over the main window.

#include <QDateTime>
#include <memory>
#include <string>
#include <vector>

#include <QTest>

#include "structure/TForm_7.h"
#include "tests/sheet/SheetFixture.h"

namespace structuretest {

class Editor : public sheettest::SignedIn {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Chooses stream 102 in the main window (the editor that opens is closed at once) and
    // opens the editor again as the cascade does.
    void openEditor();
    // Types the count of points and presses the creating button.
    void createRule(const QString& count, bool extraPoint = true);
    // Types a text into a cell of the points grid, as the teacher does (the row left
    // before is saved); false when the entry was refused.
    bool enter(int row, const char* field, const QString& text);
    // Names the points and gives them maxima adding up to 100.
    void fillPoints(const std::vector<std::pair<QString, int>>& points);

    // Rows of a query on the demo database, each as "a|b|c".
    std::vector<std::string> rows(const std::string& sql);
    std::string value(const std::string& sql);
    // What the database holds of a rule: its rows, terms, copy rows and stream links.
    std::string footprint(const std::string& rule);

    std::unique_ptr<structure::TForm_7> editor;
    // The rule the demo's next new rule gets.
    std::string rule;
};

// Fixes the editor's clock for the scope.
struct FixedClock {
    explicit FixedClock(const QDateTime& now) {
        structure::TForm_7::clock() = [now] { return now; };
    }
    ~FixedClock() { structure::TForm_7::clock() = {}; }
};

}  // namespace structuretest
