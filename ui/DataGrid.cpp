#include "ui/DataGrid.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

#include "ui/ControlDialogs.h"
#include "ui/DataGridDelegate.h"
#include "ui/DataGridModel.h"
#include "ui/DataGridParts.h"

namespace ui {

namespace {

constexpr int kButtonWidth = 16;
constexpr int kCellPadding = 3;

}  // namespace

DataGrid::DataGrid(QWidget* parent)
    : QTableView(parent),
      model_(new DataGridModel(this)),
      titles_(new DataGridTitles(this)),
      footer_(new DataGridFooter(this)) {
    setHorizontalHeader(titles_);
    setModel(model_);
    setItemDelegate(new DataGridDelegate(this));
    setSelectionMode(QAbstractItemView::NoSelection);  // rows are selected by the grid itself
    setTabKeyNavigation(true);
    setWordWrap(false);
    titleColor_ = palette().color(QPalette::ButtonText);

    QHeaderView* rows = verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 2 * kCellPadding + 2);
    rows->setMinimumWidth(14);
    rows->setDefaultAlignment(Qt::AlignCenter);
    rows->setHighlightSections(false);
    disconnect(rows, &QHeaderView::sectionPressed, this, nullptr);
    disconnect(rows, &QHeaderView::sectionEntered, this, nullptr);
    connect(rows, &QHeaderView::sectionPressed, this, &DataGrid::rowHeaderPressed);

    connect(titles_, &QHeaderView::sectionResized, this, [this](int index, int, int size) {
        footer_->update();
        // Only a title edge dragged by the person sets the column's width; the widths the
        // grid applies (and Qt's own after a reset) do not.
        if (applyingWidths_ || autoFit_ || !titles_->resizedByUser()) return;
        if (DataGridColumn* c = column(index)) c->width_ = size;
    });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, footer_,
            qOverload<>(&QWidget::update));
    footer_->hide();
    applyEditTriggers();
}

DataGrid::~DataGrid() {
    // The model asks the columns while it goes; let it go first.
    setModel(nullptr);
}

void DataGrid::setDataSource(DataSource* source) {
    if (source == source_) return;
    if (source_) disconnect(source_, nullptr, this, nullptr);
    source_ = source;
    if (source_) {
        connect(source_, &DataSource::datasetChanged, this, &DataGrid::datasetReset);
        connect(source_, &DataSource::recordChanged, this, [this] { model_->currentRowChanged(); });
        connect(source_, &DataSource::stateChanged, this, [this] {
            // While updates are suspended the change comes with the one on resume.
            db::Dataset* ds = dataset();
            if (ds && ds->controlsDisabled()) return;
            model_->currentRowChanged();
            followDataset();
        });
        connect(source_, &DataSource::scrolled, this, &DataGrid::datasetScrolled);
        connect(source_, &QObject::destroyed, this, &DataGrid::datasetReset);
    }
    datasetReset();
}

db::Dataset* DataGrid::dataset() const {
    return source_ ? source_->activeDataset() : nullptr;
}

// Columns --------------------------------------------------------------------------------

DataGridColumn* DataGrid::addColumn(const QString& fieldName) {
    beginColumnUpdate();
    columns_.push_back(std::unique_ptr<DataGridColumn>(new DataGridColumn(this)));
    DataGridColumn* c = columns_.back().get();
    c->fieldName_ = fieldName;
    c->title_ = fieldName;
    pendingReset_ = true;
    endColumnUpdate();
    return c;
}

DataGridColumn* DataGrid::column(int index) const {
    if (index < 0 || index >= columnCount()) return nullptr;
    return columns_[static_cast<std::size_t>(index)].get();
}

DataGridColumn* DataGrid::columnByField(const QString& fieldName) const {
    for (const auto& c : columns_)
        if (c->fieldName().compare(fieldName, Qt::CaseInsensitive) == 0) return c.get();
    return nullptr;
}

int DataGrid::indexOfColumn(const DataGridColumn* column) const {
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].get() == column) return static_cast<int>(i);
    return -1;
}

void DataGrid::removeColumn(int index) {
    if (index < 0 || index >= columnCount()) return;
    beginColumnUpdate();
    columns_.erase(columns_.begin() + index);
    pendingReset_ = true;
    endColumnUpdate();
}

void DataGrid::clearColumns() {
    beginColumnUpdate();
    columns_.clear();
    pendingReset_ = true;
    endColumnUpdate();
}

DataGridColumn* DataGrid::currentColumn() const {
    return column(currentIndex().column());
}

void DataGrid::beginColumnUpdate() {
    ++columnUpdates_;
}

void DataGrid::endColumnUpdate() {
    if (columnUpdates_ == 0 || --columnUpdates_ > 0) return;
    if (pendingReset_) {
        // the columns (or the rows) are not what the view knows: everything again
        pendingReset_ = pendingLayout_ = pendingRepaint_ = false;
        datasetReset();
        return;
    }
    if (pendingLayout_) applyColumnLayout();
    if (pendingLayout_ || pendingRepaint_) {
        if (model_->rowCount() > 0 && model_->columnCount() > 0)
            emit model_->dataChanged(model_->index(0, 0), model_->index(model_->rowCount() - 1,
                                                                        model_->columnCount() - 1));
        if (model_->columnCount() > 0)
            model_->headerDataChanged(Qt::Horizontal, 0, model_->columnCount() - 1);
        footer_->update();
        titles_->viewport()->update();
    }
    pendingLayout_ = pendingRepaint_ = false;
}

void DataGrid::resolveFields() {
    if (columnsUpdating()) {
        pendingReset_ = true;  // the fields are found once, at the end
        return;
    }
    db::Dataset* ds = dataset();
    for (const auto& c : columns_) {
        const db::Field* f =
            ds && !c->fieldName_.isEmpty() ? ds->findField(c->fieldName_.toStdString()) : nullptr;
        c->fieldIndex_ = f ? f->index() : -1;
    }
}

void DataGrid::columnChanged(DataGridColumn& column, bool layout) {
    if (columnsUpdating()) {
        pendingLayout_ = pendingLayout_ || layout;
        pendingRepaint_ = true;
        return;
    }
    if (layout) {
        applyColumnLayout();
    } else {
        int i = column.index();
        if (model_->rowCount() > 0 && i >= 0 && i < model_->columnCount())
            emit model_->dataChanged(model_->index(0, i), model_->index(model_->rowCount() - 1, i));
    }
    if (model_->columnCount() > 0)
        model_->headerDataChanged(Qt::Horizontal, 0, model_->columnCount() - 1);
    footer_->update();
    titles_->viewport()->update();
}

void DataGrid::applyColumnLayout() {
    if (columnsUpdating()) {
        pendingLayout_ = true;
        return;
    }
    for (int i = 0; i < columnCount(); ++i) setColumnHidden(i, !column(i)->visible());
    applyWidths();
    titles_->updateGeometry();
    updateGeometries();
}

void DataGrid::applyWidths() {
    if (columnsUpdating()) {
        pendingLayout_ = true;
        return;
    }
    applyingWidths_ = true;
    double scale = 1.0;
    if (autoFit_) {
        int total = 0;
        for (const auto& c : columns_)
            if (c->visible()) total += c->width();
        int room = viewport()->width();
        if (total > 0 && room > 0) scale = static_cast<double>(room) / total;
    }
    int used = 0;
    int lastVisible = -1;
    for (int i = 0; i < columnCount(); ++i) {
        const DataGridColumn* c = column(i);
        if (!c->visible()) continue;
        int w = static_cast<int>(std::floor(c->width() * scale));
        if (c->minWidth() > 0) w = std::max(w, c->minWidth());
        if (c->maxWidth() > 0) w = std::min(w, c->maxWidth());
        setColumnWidth(i, w);
        used += w;
        lastVisible = i;
    }
    // Rounding leaves a few pixels; the last column takes them, as far as it may.
    if (autoFit_ && lastVisible >= 0 && used < viewport()->width()) {
        const DataGridColumn* c = column(lastVisible);
        int w = columnWidth(lastVisible) + viewport()->width() - used;
        if (c->maxWidth() > 0) w = std::min(w, c->maxWidth());
        setColumnWidth(lastVisible, w);
    }
    applyingWidths_ = false;
}

// Options ---------------------------------------------------------------------------------

void DataGrid::setOptions(Options options) {
    options_ = options;
    verticalHeader()->setVisible(options_ & Indicator);
    if (!(options_ & MultiSelect)) clearRowSelection();
    applyEditTriggers();
}

void DataGrid::setOption(Option option, bool on) {
    setOptions(on ? options_ | option : options_ & ~Options(option));
}

void DataGrid::applyEditTriggers() {
    if (!(options_ & Editing)) {
        setEditTriggers(NoEditTriggers);
        return;
    }
    EditTriggers t = DoubleClicked | EditKeyPressed | AnyKeyPressed | SelectedClicked;
    if (options_ & AlwaysShowEditor) t |= CurrentChanged;
    setEditTriggers(t);
}

void DataGrid::setDefaultDrawing(bool on) {
    defaultDrawing_ = on;
    viewport()->update();
}

void DataGrid::setAutoFitColumns(bool on) {
    autoFit_ = on;
    setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    applyWidths();
}

void DataGrid::setFooterVisible(bool on) {
    footerVisible_ = on;
    footer_->setVisible(on);
    updateGeometries();
}

void DataGrid::setTitleColor(const QColor& color) {
    titleColor_ = color;
    titles_->viewport()->update();
}

QFont DataGrid::titleFont() const {
    QFont f = font();
    f.setBold(true);
    return f;
}

QFont DataGrid::footerFont() const {
    QFont f = font();
    f.setBold(true);
    return f;
}

void DataGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    if (autoFit_) applyWidths();
}

void DataGrid::updateGeometries() {
    if (inGeometries_) return;
    inGeometries_ = true;
    QTableView::updateGeometries();
    int bottom = footerVisible_ ? footer_->rowHeight() : 0;
    QMargins m = viewportMargins();
    if (m.bottom() != bottom) setViewportMargins(m.left(), m.top(), m.right(), bottom);
    if (footerVisible_) {
        QRect v = viewport()->geometry();
        footer_->setGeometry(v.left() - m.left(), v.bottom() + 1, v.width() + m.left(), bottom);
        footer_->raise();
        footer_->update();
    }
    inGeometries_ = false;
}

// Selected rows ---------------------------------------------------------------------------

bool DataGrid::isRowSelected(db::Bookmark row) const {
    return row >= 0 && selectedSet_.count(row) > 0;
}

void DataGrid::selectBookmark(db::Bookmark row, bool on) {
    const bool selected = isRowSelected(row);
    if (on && !selected) {
        db::Dataset* ds = dataset();
        if (!ds || !ds->bookmarkValid(row)) return;
        selected_.push_back(row);
        selectedSet_.insert(row);
    } else if (!on && selected) {
        selected_.erase(std::find(selected_.begin(), selected_.end(), row));
        selectedSet_.erase(row);
    } else {
        return;
    }
    viewport()->update();
}

void DataGrid::selectAllRows() {
    db::Dataset* ds = dataset();
    if (!ds) return;
    for (int row = 0; row < ds->rowCount(); ++row) {
        db::Bookmark b = ds->bookmarkAt(row);
        if (b >= 0 && selectedSet_.insert(b).second) selected_.push_back(b);
    }
    viewport()->update();
}

void DataGrid::selectAll() {
    if (options_ & MultiSelect) selectAllRows();
}

void DataGrid::clearRowSelection() {
    if (selected_.empty()) return;
    selected_.clear();
    selectedSet_.clear();
    viewport()->update();
}

// Selected rows that are no longer among the dataset's rows are forgotten.
void DataGrid::forgetVanishedRows() {
    db::Dataset* ds = dataset();
    if (!ds) {
        selected_.clear();
        selectedSet_.clear();
        return;
    }
    std::unordered_set<db::Bookmark> shown;
    shown.reserve(static_cast<std::size_t>(ds->rowCount()));
    for (int row = 0; row < ds->rowCount(); ++row) shown.insert(ds->bookmarkAt(row));
    auto gone = [&shown](db::Bookmark b) { return shown.count(b) == 0; };
    for (db::Bookmark b : selected_)
        if (gone(b)) selectedSet_.erase(b);
    selected_.erase(std::remove_if(selected_.begin(), selected_.end(), gone), selected_.end());
}

void DataGrid::rowHeaderPressed(int row) {
    db::Dataset* ds = dataset();
    if (!ds) return;
    db::Bookmark b = ds->bookmarkAt(row);
    setCurrentIndex(model_->index(row, std::max(0, currentIndex().column())));
    // A row that could not be left (its post failed) keeps the grid, and the selection.
    if (ds->currentRow() != ds->rowOf(b)) return;
    if (!(options_ & MultiSelect) || b < 0) return;
    Qt::KeyboardModifiers mods = QApplication::keyboardModifiers();
    if (mods & Qt::ShiftModifier && selectionAnchor_ >= 0 && ds->rowOf(selectionAnchor_) >= 0) {
        int from = ds->rowOf(selectionAnchor_);
        for (int r = std::min(from, row); r <= std::max(from, row); ++r)
            selectBookmark(ds->bookmarkAt(r));
        return;
    }
    if (mods & Qt::ControlModifier) {
        selectBookmark(b, !isRowSelected(b));
    } else {
        selected_.clear();
        selectedSet_.clear();
        selectBookmark(b);
    }
    selectionAnchor_ = b;
    viewport()->update();
}

// Cells -------------------------------------------------------------------------------------

db::Value DataGrid::cellValue(int row, const QString& fieldName) const {
    db::Dataset* ds = dataset();
    if (!ds) return {};
    const db::Field* f = ds->findField(fieldName.toStdString());
    return f ? ds->valueAt(row, f->index()) : db::Value();
}

QString DataGrid::cellText(int row, int columnIndex) const {
    db::Dataset* ds = dataset();
    const DataGridColumn* c = column(columnIndex);
    if (!ds || !c || c->fieldIndex_ < 0 || c->fieldIndex_ >= ds->fieldCount()) return {};
    return QString::fromStdString(db::toText(ds->valueAt(row, c->fieldIndex_)));
}

bool DataGrid::cellTextElided(int columnIndex, const QString& text) const {
    const DataGridColumn* c = column(columnIndex);
    if (!c || text.isEmpty()) return false;
    return QFontMetrics(c->font()).horizontalAdvance(text) >
           columnWidth(columnIndex) - 2 * kCellPadding;
}

QRect DataGrid::cellRect(int row, int columnIndex) const {
    return visualRect(model_->index(row, columnIndex));
}

QRect DataGrid::editButtonRect(const QRect& cell) {
    int w = std::min(kButtonWidth, cell.width());
    return QRect(cell.right() - w + 1, cell.top(), w, cell.height() - 1);
}

void DataGrid::defaultDrawColumnCell(CellDraw& cell) const {
    QPainter* p = cell.painter;
    p->save();
    p->fillRect(cell.rect, cell.background);
    p->setPen(cell.textColor);
    p->setFont(cell.font);
    QRect text = cell.rect.adjusted(kCellPadding, 0, -kCellPadding, 0);
    Qt::Alignment h = cell.alignment & Qt::AlignHorizontal_Mask;
    p->setClipRect(cell.rect);
    p->drawText(text, static_cast<int>(h | Qt::AlignVCenter),
                p->fontMetrics().elidedText(cell.text, Qt::ElideRight, text.width()));
    p->restore();
}

QColor DataGrid::rowTint(int row) const {
    db::Dataset* ds = dataset();
    if (!(options_ & RowHighlight) || !ds || row != ds->currentRow()) return {};
    return palette().color(QPalette::Highlight).lighter(185);
}

bool DataGrid::cellEditable(int row, int columnIndex) const {
    db::Dataset* ds = dataset();
    const DataGridColumn* c = column(columnIndex);
    if (!ds || !c || !(options_ & Editing) || !isEnabled() || c->readOnly() || ds->readOnly())
        return false;
    bool inserting = ds->state() == db::DatasetState::Insert && row == ds->currentRow();
    if (!(operations_ & (inserting ? (AllowInsert | AllowAppend) : AllowUpdate))) return false;
    const db::Field* f = c->field();
    if (f && f->kind() == db::FieldKind::Lookup) {
        // chosen from the list, written to the row's own key field
        const db::Field* key = ds->findField(f->keyField());
        return key && key->kind() == db::FieldKind::Data && !key->readOnly();
    }
    return f && f->kind() == db::FieldKind::Data && !f->readOnly();
}

QStringList DataGrid::lookupChoices(int columnIndex) const {
    return model_->lookupChoices(columnIndex);
}

bool DataGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    // Only the dataset's current row is edited; a click elsewhere first moves there.
    db::Dataset* ds = dataset();
    if (index.isValid() && trigger != NoEditTriggers && ds && index.row() != ds->currentRow())
        return false;
    return QTableView::edit(index, trigger, event);
}

void DataGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    // Enter in an editor commits; with Enter acting as Tab it then moves on, unless the
    // text was refused.
    if (hint == QAbstractItemDelegate::SubmitModelCache && (options_ & EnterMovesCells) &&
        model_->lastWriteOk())
        hint = QAbstractItemDelegate::EditNextItem;
    QTableView::closeEditor(editor, hint);
}

bool DataGrid::commitEditor() {
    if (state() != EditingState) return true;
    for (QWidget* editor : viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!editor->isVisible() ||
            !(qobject_cast<QLineEdit*>(editor) || qobject_cast<QComboBox*>(editor)))
            continue;
        model_->clearWriteOutcome();
        commitData(editor);
        return model_->lastWriteOk();
    }
    return true;
}

bool DataGrid::commitCell(int row, int columnIndex, const QString& text) {
    return model_->writeCell(row, columnIndex, text);
}

void DataGrid::openEditButton(int columnIndex) {
    DataGridColumn* c = column(columnIndex);
    if (!c || !c->editButtonVisible()) return;
    ControlDialogs::guard([this, c] { emit editButtonClicked(c); });
    if (QMenu* menu = c->editButtonMenu()) {
        QRect r = visualRect(currentIndex());
        menu->popup(viewport()->mapToGlobal(r.bottomLeft()));
    }
}

// Following the dataset ----------------------------------------------------------------------

void DataGrid::datasetReset() {
    if (columnsUpdating()) {
        pendingReset_ = true;
        return;
    }
    syncing_ = true;
    resolveFields();
    model_->reset();
    forgetVanishedRows();
    applyColumnLayout();
    syncing_ = false;
    followDataset();
}

void DataGrid::datasetScrolled() {
    model_->currentRowChanged();
    followDataset();
    viewport()->update();
    verticalHeader()->viewport()->update();
}

// Puts the grid's current cell on the dataset's current row.
void DataGrid::followDataset() {
    if (columnsUpdating()) {
        pendingReset_ = true;
        return;
    }
    db::Dataset* ds = dataset();
    if (!ds || ds->rowCount() == 0) return;
    int row = ds->currentRow();
    if (currentIndex().row() == row) return;
    int col = currentIndex().column();
    if (col < 0 || isColumnHidden(col)) {
        col = 0;
        while (col < columnCount() - 1 && isColumnHidden(col)) ++col;
    }
    if (columnCount() == 0) return;
    bool was = syncing_;
    syncing_ = true;
    setCurrentIndex(model_->index(row, col));
    syncing_ = was;
    verticalHeader()->viewport()->update();
}

void DataGrid::tryDataset(const std::function<void()>& step) {
    try {
        step();
    } catch (...) {
        ControlDialogs::reportError(std::current_exception());
    }
}

void DataGrid::moveDataset(int row) {
    db::Dataset* ds = dataset();
    if (!ds || row == ds->currentRow()) return;
    db::Bookmark target = ds->bookmarkAt(row);
    if (target < 0) return;
    // Leaving the row posts it; when that fails the grid stays on it with the edit kept.
    tryDataset([&] { ds->gotoBookmark(target); });
}

void DataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);  // commits an open editor first
    viewport()->update();
    if (syncing_) return;
    db::Dataset* ds = dataset();
    if (ds && current.isValid() && current.row() != ds->currentRow()) {
        moveDataset(current.row());
        followDataset();
        // The view tried to open the editor before the dataset was on the row.
        if ((options_ & AlwaysShowEditor) && currentIndex() == current)
            edit(current, CurrentChanged, nullptr);
    }
}

void DataGrid::mousePressEvent(QMouseEvent* event) {
    QModelIndex at = indexAt(event->position().toPoint());
    if (at.isValid() && (options_ & MultiSelect)) {
        db::Dataset* ds = dataset();
        if (event->modifiers() & Qt::ControlModifier) {
            if (ds) {
                db::Bookmark b = ds->bookmarkAt(at.row());
                if (b >= 0) selectBookmark(b, !isRowSelected(b));
                selectionAnchor_ = b;
            }
        } else {
            clearRowSelection();
        }
    }
    QTableView::mousePressEvent(event);
}

bool DataGrid::keyDown(int& key, Qt::KeyboardModifiers modifiers) {
    if (onKeyDown) ControlDialogs::guard([&] { onKeyDown(*this, key, modifiers); });
    return key != 0;
}

void DataGrid::keyboardSearch(const QString&) {}

void DataGrid::keyPressEvent(QKeyEvent* event) {
    int key = event->key();
    // A key the cell editor passed on has been through the hook already.
    if (!editorKeyHooked_ && !keyDown(key, event->modifiers())) {
        event->accept();
        return;
    }
    db::Dataset* ds = dataset();
    Qt::KeyboardModifiers mods = event->modifiers();
    bool ctrl = mods & Qt::ControlModifier;
    if (key == Qt::Key_Escape && ds && state() != EditingState &&
        (ds->state() == db::DatasetState::Edit || ds->state() == db::DatasetState::Insert)) {
        tryDataset([ds] { ds->cancel(); });
        return;
    }
    if (key == Qt::Key_Delete && ctrl && ds && !ds->isEmpty() && (operations_ & AllowDelete) &&
        (options_ & Editing)) {
        if (!(options_ & ConfirmDelete) || ControlDialogs::ask(QStringLiteral("Удалить запись?")))
            tryDataset([ds] { ds->deleteRecord(); });
        return;
    }
    if (key == Qt::Key_Insert && !ctrl && ds && (operations_ & AllowInsert) &&
        (options_ & Editing)) {
        tryDataset([ds] { ds->insert(); });
        return;
    }
    if (key == Qt::Key_Down && !ctrl && ds && (operations_ & AllowAppend) && (options_ & Editing) &&
        ds->state() != db::DatasetState::Insert && currentIndex().row() == ds->rowCount() - 1) {
        tryDataset([ds] { ds->append(); });
        return;
    }
    if (key == Qt::Key_Down && (mods & Qt::AltModifier)) {
        DataGridColumn* c = currentColumn();
        if (c && c->editButtonVisible()) {
            openEditButton(c->index());
            return;
        }
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && (options_ & EnterMovesCells) &&
        state() != EditingState) {
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QTableView::keyPressEvent(&tab);
        return;
    }
    if (key == Qt::Key_A && ctrl) {
        selectAll();
        return;
    }
    if (key != event->key()) {
        QKeyEvent changed(event->type(), key, mods, event->text());
        QTableView::keyPressEvent(&changed);
        return;
    }
    QTableView::keyPressEvent(event);
}

}  // namespace ui
