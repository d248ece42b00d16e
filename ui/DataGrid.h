#pragma once

#include <QPointer>
#include <QTableView>
#include <functional>
#include <memory>
#include <unordered_set>
#include <vector>

#include "db/Dataset.h"
#include "ui/DataGridColumn.h"
#include "ui/DataSource.h"

namespace ui {

class DataGridModel;
class DataGridTitles;
class DataGridFooter;

// A grid of the rows of a dataset, bound through a data source. The grid's current row
// is the dataset's current row both ways: moving in the grid moves the dataset (posting
// the row being edited), moving the dataset moves the grid. Cells are read from the
// dataset when painted. Editing a cell puts the dataset in edit state, runs the column's
// update check and writes the text to the field; leaving the row posts it. Esc cancels
// the row's changes.
class DataGrid : public QTableView {
    Q_OBJECT
  public:
    enum Option {
        Editing = 0x01,           // cells may be edited at all
        AlwaysShowEditor = 0x02,  // the current cell's editor opens as soon as it is current
        ConfirmDelete = 0x04,     // Ctrl+Delete asks before deleting the row
        MultiSelect = 0x08,       // rows are selected with the indicator, Ctrl and Shift
        EnterMovesCells = 0x10,   // Enter moves to the next cell, as Tab does
        Indicator = 0x20,         // the column at the left showing the current row's state
        RowHighlight = 0x40,      // the current row's other cells are tinted
    };
    Q_DECLARE_FLAGS(Options, Option)
    enum Operation { AllowInsert = 0x1, AllowUpdate = 0x2, AllowDelete = 0x4, AllowAppend = 0x8 };
    Q_DECLARE_FLAGS(Operations, Operation)

    // What a cell is drawn with. The grid fills it in; a draw hook may change it and call
    // defaultDrawColumnCell() to draw the cell with the changes.
    enum DrawFlag { Selected = 0x1, Focused = 0x2, Fixed = 0x4 };
    Q_DECLARE_FLAGS(DrawState, DrawFlag)
    struct CellDraw {
        QPainter* painter;
        QRect rect;
        int row;         // position among the dataset's rows
        int dataColumn;  // index of the column
        DataGridColumn* column;
        DrawState state;
        QColor background;
        QColor textColor;
        QFont font;
        QString text;
        Qt::Alignment alignment;
    };

    explicit DataGrid(QWidget* parent = nullptr);
    ~DataGrid() override;

    // Attaching binds the grid to the source's dataset; null detaches it (no rows shown).
    DataSource* dataSource() const { return source_; }
    void setDataSource(DataSource* source);
    // The source's dataset when it is open.
    db::Dataset* dataset() const;

    DataGridColumn* addColumn(const QString& fieldName = {});
    int columnCount() const { return static_cast<int>(columns_.size()); }
    DataGridColumn* column(int index) const;
    DataGridColumn* columnByField(const QString& fieldName) const;
    int indexOfColumn(const DataGridColumn* column) const;
    void removeColumn(int index);
    void clearColumns();
    // The column of the current cell, null when there is none.
    DataGridColumn* currentColumn() const;

    // Column changes made between these calls (they nest), and a change of the dataset
    // meanwhile, are applied when the outermost one ends: one model reset and one layout
    // instead of one after every step. The grid shows nothing new in between.
    void beginColumnUpdate();
    void endColumnUpdate();
    bool columnsUpdating() const { return columnUpdates_ > 0; }
    class ColumnUpdate {
      public:
        explicit ColumnUpdate(DataGrid* grid) : grid_(grid) { grid_->beginColumnUpdate(); }
        ~ColumnUpdate() { grid_->endColumnUpdate(); }
        ColumnUpdate(const ColumnUpdate&) = delete;
        ColumnUpdate& operator=(const ColumnUpdate&) = delete;

      private:
        DataGrid* grid_;
    };

    Options options() const { return options_; }
    void setOptions(Options options);
    void setOption(Option option, bool on = true);
    Operations allowedOperations() const { return operations_; }
    void setAllowedOperations(Operations operations) { operations_ = operations; }
    // With default drawing off the grid draws nothing in data cells but what the draw
    // hook draws.
    bool defaultDrawing() const { return defaultDrawing_; }
    void setDefaultDrawing(bool on);
    bool autoFitColumns() const { return autoFit_; }
    void setAutoFitColumns(bool on);
    bool footerVisible() const { return footerVisible_; }
    void setFooterVisible(bool on);
    QColor titleColor() const { return titleColor_; }
    void setTitleColor(const QColor& color);
    QFont titleFont() const;
    QFont footerFont() const;

    // Selected rows, as bookmarks in the order they were selected.
    std::vector<db::Bookmark> selectedRows() const { return selected_; }
    int selectedRowCount() const { return static_cast<int>(selected_.size()); }
    bool isRowSelected(db::Bookmark row) const;
    void selectBookmark(db::Bookmark row, bool on = true);
    void selectAllRows();
    void clearRowSelection();

    // A value of a shown row by field name without moving the dataset (for draw hooks).
    db::Value cellValue(int row, const QString& fieldName) const;
    QString cellText(int row, int column) const;
    // Whether a text is too wide for a cell of the column and is shown cut short.
    bool cellTextElided(int column, const QString& text) const;
    // The rectangle of a cell in viewport coordinates (empty when not shown).
    QRect cellRect(int row, int column) const;

    // Runs first for every key pressed in the grid or in its cell editor (once per key);
    // setting the key to 0 swallows it. What this hook, the column checks and the signals'
    // handlers throw is reported through ControlDialogs.
    std::function<void(DataGrid& grid, int& key, Qt::KeyboardModifiers modifiers)> onKeyDown;
    // Runs for every data cell painted, after the default drawing (if on). It must not
    // throw: it runs inside painting, where no message can be shown.
    std::function<void(DataGrid& grid, CellDraw& cell)> onDrawColumnCell;
    void defaultDrawColumnCell(CellDraw& cell) const;
    // The tint of the current row's cells other than the current cell (RowHighlight);
    // invalid for any other row, or without the option.
    QColor rowTint(int row) const;

    // Commits the text typed into a cell of the current row through the model's one write
    // path (DataGridModel::writeCell). False when the edit was refused or failed (the
    // failure is shown).
    bool commitCell(int row, int column, const QString& text);
    // Writes what the open cell editor holds to the field now, as Enter would; a command
    // that posts the row (a save button that takes no focus) calls it first so that the
    // text being typed is not lost. True when there was nothing to write or it was
    // written; false when it was refused (the editor then shows the field again).
    bool commitEditor();
    bool cellEditable(int row, int column) const;
    // The values a lookup column offers (its lookup dataset's result field, in that
    // dataset's order); empty for any other column. An empty text clears the cell.
    QStringList lookupChoices(int column) const;
    // The rectangle of the edit button in a cell's rectangle.
    static QRect editButtonRect(const QRect& cell);
    void openEditButton(int column);

    // Called by the columns.
    void columnChanged(DataGridColumn& column, bool layout);
    void resolveFields();
    // Runs the key-down hook for a key pressed in the grid or its cell editor. False when
    // the hook swallowed it; key may have been changed.
    bool keyDown(int& key, Qt::KeyboardModifiers modifiers);

    void selectAll() override;

  signals:
    void editButtonClicked(ui::DataGridColumn* column);

  protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;
    // A grid never jumps to the row whose text begins with what was typed: a key on a
    // cell that cannot be edited changes nothing.
    void keyboardSearch(const QString& search) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void updateGeometries() override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

  private:
    friend class DataGridModel;
    friend class DataGridDelegate;
    void datasetReset();
    void datasetScrolled();
    void followDataset();
    void applyColumnLayout();
    void applyWidths();
    void applyEditTriggers();
    void rowHeaderPressed(int row);
    void moveDataset(int row);
    void tryDataset(const std::function<void()>& step);
    void forgetVanishedRows();

    QPointer<DataSource> source_;
    DataGridModel* model_;
    DataGridTitles* titles_;
    DataGridFooter* footer_;
    std::vector<std::unique_ptr<DataGridColumn>> columns_;
    std::vector<db::Bookmark> selected_;            // in the order they were selected
    std::unordered_set<db::Bookmark> selectedSet_;  // the same, for the painted cells
    db::Bookmark selectionAnchor_ = -1;
    Options options_ = Options(Editing | ConfirmDelete | MultiSelect | Indicator);
    Operations operations_ = Operations(AllowInsert | AllowUpdate | AllowDelete | AllowAppend);
    bool defaultDrawing_ = true;
    bool autoFit_ = false;
    bool footerVisible_ = false;
    QColor titleColor_;
    bool syncing_ = false;
    bool applyingWidths_ = false;
    bool inGeometries_ = false;
    int columnUpdates_ = 0;
    bool pendingReset_ = false;   // columns came or went, or the dataset changed
    bool pendingLayout_ = false;  // widths, titles or visibility changed
    bool pendingRepaint_ = false;
    // The editor key being handled: the grid sees it again when the editor passes it on.
    bool editorKeyHooked_ = false;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(DataGrid::Options)
Q_DECLARE_OPERATORS_FOR_FLAGS(DataGrid::Operations)
Q_DECLARE_OPERATORS_FOR_FLAGS(DataGrid::DrawState)

}  // namespace ui
