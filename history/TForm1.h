#pragma once

#include <QDialog>
#include <functional>

class QFrame;
class QLabel;
class QPushButton;
class QTableWidget;

namespace ui {
class DataGrid;
}

// The warning window that lists the rows about to be deleted and asks "Да" or "Нет".
class TForm1 : public QDialog {
    Q_OBJECT
  public:
    explicit TForm1(QWidget* parent = nullptr);

    QFrame* Panel1;
    QLabel* Warning_Image;
    QLabel* Count_Lbl;
    QLabel* Qst_Lbl;
    // Row 0 holds the titles and column 0 is an empty leading column; both are fixed
    // (silver, not selectable).
    QTableWidget* StringGrid;
    QFrame* Panel2;
    QWidget* Btns_Pnl;
    QPushButton* BitBtn1;  // "Да"
    QPushButton* BitBtn2;  // "Нет"

    // The sound the window makes when it is created (the system's warning sound); a test
    // may listen instead.
    static std::function<void()>& exclamationSound();

    // Paints row 0 and column 0 as fixed cells.
    void markFixedCells();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void centreButtons();
};

namespace history {

// The main window's answer to the grid component's question before rows are deleted or
// cut: with rows selected in the grid it lists them (the visible columns' titles and
// values) in a TForm1 as wide as the main window plus 5 pixels, and allows the deletion
// only when the teacher presses "Да". With no row selected it shows nothing and leaves
// the answer as it is. The grid's dataset stays on the last listed row.
void ConfirmDeleteRows(ui::DataGrid& grid, int mainWindowWidth, bool& canDelete);

}  // namespace history
