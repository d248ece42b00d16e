#include "gridevents/TKXDBGridEvents.h"

#include <QAbstractItemView>
#include <QChildEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

#include "gridevents/ControlsSuspended.h"
#include "ui/ControlDialogs.h"
#include "ui/MessageService.h"

namespace gridevents {

namespace {

// The letter a key stands for, as the keyboard's key caps read: a Russian layout sends
// Cyrillic letters, and the shortcuts follow the key's place (Ctrl+С is Ctrl+C), as they
// do in every program on the teachers' computers.
QChar letterOf(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return QChar(key);
    static const QString cyrillic = QStringLiteral("ЙЦУКЕНГШЩЗФЫВАПРОЛДЯЧСМИТЬ");
    static const QString latin = QStringLiteral("QWERTYUIOPASDFGHJKLZXCVBNM");
    if (key <= 0 || key > 0xFFFF) return {};
    qsizetype i = cyrillic.indexOf(QChar(key).toUpper());
    return i >= 0 ? latin[i] : QChar();
}

// A text value inside a filter literal: apostrophes doubled, so a name such as
// O'Brien neither ends the literal early nor breaks the filter.
std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out + "'";
}

}  // namespace

TKXDBGridEvents::TKXDBGridEvents(QObject* owner) : QObject(owner) {}

TKXDBGridEvents::~TKXDBGridEvents() {
    detach();
}

// Attaching and letting go ------------------------------------------------------------------

void TKXDBGridEvents::setDBGridEh(ui::DataGrid* grid) {
    if (!grid) {
        detach();
    } else if (grid != grid_) {
        // The new grid is taken over before the old one is given back.
        Saved fresh = takeOver(*grid);
        detach();
        saved_ = std::move(fresh);
        grid_ = grid;
        // A grid destroyed under the component is forgotten; nothing of it is touched
        // again.
        gridGone_ = connect(grid, &QObject::destroyed, this, [this] {
            grid_ = nullptr;
            saved_ = Saved();
            attributes_.setGrid(nullptr);
        });
    }
    grid_ = grid;
    attributes_.setGrid(grid);
}

TKXDBGridEvents::Saved TKXDBGridEvents::takeOver(ui::DataGrid& grid) {
    Saved saved;
    saved.defaultDrawing = grid.defaultDrawing();
    saved.operations = grid.allowedOperations();
    saved.onKeyDown = std::move(grid.onKeyDown);
    saved.onDrawColumnCell = std::move(grid.onDrawColumnCell);
    grid.onKeyDown = nullptr;  // keys come through the event filter
    grid.onDrawColumnCell = [this](ui::DataGrid& g, ui::DataGrid::CellDraw& cell) {
        GridDrawColumnCell(g, cell);
    };
    grid.setDefaultDrawing(false);
    grid.setAllowedOperations(saved.operations &
                              ~ui::DataGrid::Operations(ui::DataGrid::AllowDelete));
    grid.installEventFilter(this);
    grid.viewport()->installEventFilter(this);
    for (QObject* child : grid.viewport()->children()) watchEditor(child);
    grid.viewport()->update();
    return saved;
}

void TKXDBGridEvents::detach() {
    ui::DataGrid* grid = grid_;
    if (!grid) return;
    disconnect(gridGone_);
    grid->removeEventFilter(this);
    grid->viewport()->removeEventFilter(this);
    for (QObject* child : grid->viewport()->children()) child->removeEventFilter(this);
    grid->setDefaultDrawing(saved_.defaultDrawing);
    grid->setAllowedOperations(saved_.operations);
    grid->onKeyDown = std::move(saved_.onKeyDown);
    grid->onDrawColumnCell = std::move(saved_.onDrawColumnCell);
    saved_ = Saved();
    grid_ = nullptr;
    attributes_.setGrid(nullptr);
    grid->viewport()->update();
}

void TKXDBGridEvents::watchEditor(QObject* child) {
    if (child->isWidgetType()) child->installEventFilter(this);
}

// Keys -----------------------------------------------------------------------------------------

// The grid's own handling of the component's shortcuts is off while it is attached: the
// grid would select, delete or copy text behind the component's back.
bool TKXDBGridEvents::ownsShortcut(int key, Qt::KeyboardModifiers shift) const {
    if (!(shift & Qt::ControlModifier)) return false;
    QChar letter = letterOf(key);
    return key == Qt::Key_Delete || key == Qt::Key_Insert || letter == 'A' || letter == 'C' ||
           letter == 'X' || letter == 'V';
}

bool TKXDBGridEvents::eventFilter(QObject* watched, QEvent* event) {
    if (!grid_) return false;
    if (event->type() == QEvent::ChildAdded && watched == grid_->viewport()) {
        watchEditor(static_cast<QChildEvent*>(event)->child());
        return false;
    }
    if (event->type() != QEvent::KeyPress || forwarding_) return false;
    auto* press = static_cast<QKeyEvent*>(event);
    QPointer<ui::DataGrid> grid = grid_;
    QPointer<QObject> target = watched;
    int key = press->key();
    Qt::KeyboardModifiers shift = press->modifiers();
    carried_ = false;
    ui::ControlDialogs::guard([&] { GridKeyDown(*grid, key, shift); });
    if (key == 0) return true;
    if (!grid || !target) return true;  // the key closed what it was meant for
    if (carried_ || (watched == grid && ownsShortcut(key, shift))) return true;
    if (key != press->key()) {
        // The key-down handler changed the key: the grid (or editor) gets the new one.
        QKeyEvent changed(QEvent::KeyPress, key, shift, QString(), press->isAutoRepeat());
        forwarding_ = true;
        QCoreApplication::sendEvent(target, &changed);
        forwarding_ = false;
        return true;
    }
    return false;
}

void TKXDBGridEvents::GridKeyDown(ui::DataGrid& sender, int& key, Qt::KeyboardModifiers shift) {
    if (OnKeyDown) OnKeyDown(sender, key, shift);
    if (!(shift & Qt::ControlModifier) || key == 0) return;
    QChar letter = letterOf(key);
    bool selected = sender.selectedRowCount() > 0;
    bool confirmOn = sender.options() & ui::DataGrid::ConfirmDelete;
    if (letter == 'C' && (editActions_ & geaCopyEh) && selected) {
        carried_ = true;
        CopyRows(false);
    } else if (letter == 'X' && (editActions_ & geaCutEh) && selected) {
        carried_ = true;
        if (!confirmOn || confirm(sender, QStringLiteral("Cut record(s) - ?"))) CopyRows(true);
    } else if (letter == 'V' && (editActions_ & geaPasteEh)) {
        carried_ = true;
        PasteRows();
    } else if (key == Qt::Key_Delete && (editActions_ & geaDeleteEh)) {
        carried_ = true;
        if (!confirmOn || confirm(sender, QStringLiteral("Delete record(s) - ?")))
            DeleteSelectedRows();
    } else if (letter == 'A' && (editActions_ & geaSelectAllEh)) {
        carried_ = true;
        SelectAllRows();
    }
}

bool TKXDBGridEvents::confirm(ui::DataGrid& sender, const QString& text) {
    bool canDelete = true;
    if (OnKXDBEOnConfirmDelete) {
        OnKXDBEOnConfirmDelete(sender, canDelete);
        return canDelete;
    }
    return ui::MessageService::show(QStringLiteral("Confirm"), text, QMessageBox::Question,
                                    QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

// Actions ------------------------------------------------------------------------------------

void TKXDBGridEvents::report(quint16 code) {
    if (OnKXDBEGridError) OnKXDBEGridError(*this, code);
}

db::Dataset* TKXDBGridEvents::checkPreconditions() {
    quint16 code = StatusDone;
    db::Dataset* ds = nullptr;
    if (!grid_)
        code = StatusNoGrid;
    else if (!grid_->dataSource())
        code = StatusNoDataSource;
    else if (!(ds = grid_->dataSource()->dataset()))
        code = StatusNoDataset;
    else if (!uniqueField_.isSet())
        code = StatusNoUniqueField;
    else if (!ds->active())
        code = StatusDatasetClosed;
    if (code == StatusDone) return ds;
    report(code);
    return nullptr;
}

void TKXDBGridEvents::SelectAllRows() {
    if (!checkPreconditions()) return;
    grid_->selectAllRows();
    report(StatusDone);
}

void TKXDBGridEvents::DeleteSelectedRows() {
    db::Dataset* ds = checkPreconditions();
    if (!ds) return;
    {
        ControlsSuspended suspended(*ds);
        for (db::Bookmark row : grid_->selectedRows()) {
            if (!ds->bookmarkValid(row)) continue;  // gone since it was selected
            try {
                ds->gotoBookmark(row);
                db::Field* unique = uniqueField_.get();
                if (unique) PastedList.remove(QString::fromStdString(unique->asString()));
                ReleaseDuplicate(row);
                ds->deleteRecord();
            } catch (...) {
                // The row stays; the next one is tried. A refusal the dataset's own
                // error handler has shown comes as a silent abort; any other is shown
                // here, so no failed delete passes unnoticed.
                ui::ControlDialogs::reportError(std::current_exception());
                try {
                    ds->cancel();
                } catch (...) {
                }
            }
        }
        if (grid_) grid_->clearRowSelection();
    }
    report(StatusDone);
}

// Duplicates -----------------------------------------------------------------------------------

TKXDBGridEvents::RowKey TKXDBGridEvents::BuildRowKey() const {
    RowKey out;
    for (const FieldRef& ref : KeyFieldList) {
        const db::Field* f = ref.get();
        if (!f) continue;
        std::string text = f->asString();
        out.key += QString::fromStdString(text);
        if (!out.filter.empty()) out.filter += " and ";
        out.filter += f->name() + "=";
        if (f->isNull()) {
            out.filter += "NULL";  // an empty number would not read as a filter at all
            out.complete = false;
        } else if (f->type() == db::Type::Text)
            out.filter += quoted(text);
        else
            out.filter += text;
    }
    return out;
}

QString TKXDBGridEvents::rowKeyAt(int row) const {
    QString key;
    for (const FieldRef& ref : KeyFieldList) {
        const db::Field* f = ref.get();
        if (f) key += QString::fromStdString(db::toText(f->dataset().valueAt(row, f->index())));
    }
    return key;
}

void TKXDBGridEvents::CheckDuplicate() {
    // Without key fields no two rows are alike (an empty key would mark every row).
    if (KeyFieldList.empty() || !grid_ || !grid_->dataset()) return;
    db::Dataset* ds = grid_->dataset();
    // Back to the row by its bookmark: switching the filter off shows the rows in the
    // order they were read, so a row just pasted is no longer at its old number.
    db::Bookmark keep = ds->bookmark();
    RowKey key = BuildRowKey();
    // A row without its student or examination is nobody's second row.
    if (key.filter.empty() || !key.complete) return;
    ds->setFilter(key.filter);
    ds->setFiltered(true);
    if (ds->recordCount() > 1) DuplicateList.add(key.key);
    ds->setFiltered(false);
    if (ds->bookmarkValid(keep)) ds->gotoBookmark(keep);
    ds->setFilter(std::string());
    ds->setFiltered(false);
}

void TKXDBGridEvents::ReleaseDuplicate(db::Bookmark row) {
    if (KeyFieldList.empty() || !grid_ || !grid_->dataset()) return;
    db::Dataset* ds = grid_->dataset();
    RowKey key = BuildRowKey();
    if (key.filter.empty()) return;
    ds->setFilter(key.filter);
    ds->setFiltered(true);
    if (ds->recordCount() <= 2) DuplicateList.remove(key.key);
    ds->setFilter(std::string());
    ds->setFiltered(false);
    ds->gotoBookmark(row);
}

bool TKXDBGridEvents::ScanDuplicates() {
    if (!grid_) {
        report(StatusNoGrid);
        return false;
    }
    if (!grid_->dataSource()) {
        report(StatusNoDataSource);
        return false;
    }
    db::Dataset* ds = grid_->dataSource()->dataset();
    if (!ds) {
        report(StatusNoDataset);
        return false;
    }
    DuplicateList.clear();
    ControlsSuspended suspended(*ds);
    try {
        ds->open();
    } catch (...) {
        return false;
    }
    if (!KeyFieldList.empty()) {
        for (ds->first(); !ds->eof(); ds->next()) CheckDuplicate();
        if (ds->recordCount() > 0) ds->setRecNo(1);
    }
    return true;
}

void TKXDBGridEvents::setActive(bool on) {
    if (on == active_) return;
    if (on) {
        active_ = ScanDuplicates();
        return;
    }
    if (!grid_) return;
    if (!grid_->dataSource()) {
        report(StatusNoDataSource);
        return;
    }
    db::Dataset* ds = grid_->dataSource()->dataset();
    if (!ds) {
        report(StatusNoDataset);
        return;
    }
    ds->close();
    DuplicateList.clear();
    ErrorList.clear();
    active_ = false;
}

}  // namespace gridevents
