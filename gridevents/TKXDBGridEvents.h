#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

#include "gridevents/FieldRef.h"
#include "gridevents/KeyList.h"
#include "gridevents/TKXDBAttributes.h"
#include "ui/DataGrid.h"

namespace gridevents {

// The keyboard row actions the component may carry out on its grid.
enum GridEditAction {
    geaCutEh = 0x01,
    geaCopyEh = 0x02,
    geaPasteEh = 0x04,
    geaDeleteEh = 0x08,
    geaSelectAllEh = 0x10,
};
Q_DECLARE_FLAGS(GridEditActions, GridEditAction)
Q_DECLARE_OPERATORS_FOR_FLAGS(GridEditActions)

// What an action reports through OnKXDBEGridError. The component never raises for a
// missing piece of its set-up; it says which piece was missing.
enum GridStatus : quint16 {
    StatusDone = 0,
    StatusNoDataSource = 1,
    StatusNoDataset = 2,
    StatusDatasetClosed = 3,
    StatusNoGrid = 4,
    StatusNoUniqueField = 5,
    StatusNothingToPaste = 6,
};

// The grid behaviour component: attached to one data grid (without subclassing it) it
// adds keyboard row actions on the grid's selected rows (select all, delete, copy, cut
// and paste through the rows' own clipboard format), remembers pasted rows and rows that
// share their key values with another row, and paints every data cell itself by its
// attributes. Keys reach it through an event filter on the grid and on the grid's cell
// editors; cells through the grid's cell-draw hook. Whatever it takes over on the grid is
// given back exactly when it lets the grid go (another grid, none, or its own end).
class TKXDBGridEvents : public QObject {
    Q_OBJECT
  public:
    explicit TKXDBGridEvents(QObject* owner = nullptr);
    ~TKXDBGridEvents() override;

    TKXDBAttributes& KXDBAttributes() { return attributes_; }
    const TKXDBAttributes& KXDBAttributes() const { return attributes_; }

    ui::DataGrid* DBGridEh() const { return grid_; }
    void setDBGridEh(ui::DataGrid* grid);

    // The field whose text identifies one row.
    db::Field* UniqueField() const { return uniqueField_.get(); }
    void setUniqueField(db::Field* field) { uniqueField_.set(field); }

    GridEditActions EditActions() const { return editActions_; }
    void setEditActions(GridEditActions actions) { editActions_ = actions; }

    // Activation opens the grid's dataset and scans it for duplicate rows; deactivation
    // closes it.
    bool Active() const { return active_; }
    void setActive(bool on);

    // The status of an action (GridStatus).
    std::function<void(TKXDBGridEvents& sender, quint16 errorId)> OnKXDBEGridError;
    // Asked before rows are deleted or cut; canDelete comes preset to true.
    std::function<void(ui::DataGrid& sender, bool& canDelete)> OnKXDBEOnConfirmDelete;
    // The grid's key-down, passed on first; setting the key to 0 swallows it.
    std::function<void(ui::DataGrid& sender, int& key, Qt::KeyboardModifiers shift)> OnKeyDown;
    // The grid's cell drawing, passed on after the component has painted the cell.
    std::function<void(ui::DataGrid& sender, ui::DataGrid::CellDraw& cell)> OnDrawColumnCell;

    // UniqueField texts of the rows the last paste inserted.
    KeyList PastedList;
    // The fields whose values together tell one student's row (filled by the host).
    std::vector<FieldRef> KeyFieldList;
    void addKeyField(db::Field* field) { KeyFieldList.emplace_back(field); }
    // Row keys found on more than one row.
    KeyList DuplicateList;
    // UniqueField texts of rows to paint as faulty.
    KeyList ErrorList;

    void GridKeyDown(ui::DataGrid& sender, int& key, Qt::KeyboardModifiers shift);
    void GridDrawColumnCell(ui::DataGrid& sender, ui::DataGrid::CellDraw& cell);

    void SelectAllRows();
    void DeleteSelectedRows();
    void CheckDuplicate();
    void ReleaseDuplicate(db::Bookmark row);
    bool ScanDuplicates();
    void CopyRows(bool cut);
    void PasteRows();

    // The row key (the key fields' texts run together) and the filter that finds the rows
    // with the current row's key values.
    struct RowKey {
        QString key;
        std::string filter;
        bool complete = true;  // no key field is empty
    };
    RowKey BuildRowKey() const;
    // The row key of a shown row, read without moving the dataset (for painting).
    QString rowKeyAt(int row) const;

    // The name of the rows' clipboard format, the same in every program that uses it.
    static QString clipboardFormatName() { return QStringLiteral("Data Base Edit Data"); }
    // The clipboard type the rows travel under on this platform.
    static QString clipboardMimeType();
    // The bytes of the current row as the clipboard carries it: each visible column's
    // text followed by the byte 1, then the byte 2. Error when a text cannot travel.
    QByteArray rowBytes() const;
    static void writeClipboard(const QByteArray& content);
    static QByteArray readClipboard();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Saved;
    Saved takeOver(ui::DataGrid& grid);
    void detach();
    void watchEditor(QObject* child);
    void report(quint16 code);
    db::Dataset* checkPreconditions();
    bool confirm(ui::DataGrid& sender, const QString& text);
    bool ownsShortcut(int key, Qt::KeyboardModifiers shift) const;

    TKXDBAttributes attributes_;
    QPointer<ui::DataGrid> grid_;
    QMetaObject::Connection gridGone_;
    // What the grid had before the component took it over.
    struct Saved {
        bool defaultDrawing = true;
        ui::DataGrid::Operations operations;
        std::function<void(ui::DataGrid&, int&, Qt::KeyboardModifiers)> onKeyDown;
        std::function<void(ui::DataGrid&, ui::DataGrid::CellDraw&)> onDrawColumnCell;
    } saved_;
    FieldRef uniqueField_;
    GridEditActions editActions_;
    bool active_ = false;
    bool carried_ = false;     // the last key carried out one of the shortcuts
    bool forwarding_ = false;  // a changed key is being passed on
};

}  // namespace gridevents
