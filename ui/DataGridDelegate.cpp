#include "ui/DataGridDelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <algorithm>

namespace ui {

DataGridDelegate::DataGridDelegate(DataGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

bool DataGridDelegate::hasButton(const QModelIndex& index) const {
    DataGridColumn* c = grid_->column(index.column());
    return c && c->editButtonVisible() && index == grid_->currentIndex();
}

DataGrid::CellDraw DataGridDelegate::prepareCell(QPainter* painter,
                                                 const QStyleOptionViewItem& option,
                                                 const QModelIndex& index) const {
    DataGridColumn* c = grid_->column(index.column());
    db::Dataset* ds = grid_->dataset();
    DataGrid::DrawState state;
    bool current = index == grid_->currentIndex();
    if (current || (ds && grid_->isRowSelected(ds->bookmarkAt(index.row()))))
        state |= DataGrid::Selected;
    if (current && grid_->hasFocus()) state |= DataGrid::Focused;

    const QPalette& pal = option.palette;
    QColor background = c->color().isValid() ? c->color() : pal.color(QPalette::Base);
    QColor text = pal.color(QPalette::Text);
    const QColor tint = grid_->rowTint(index.row());
    if (tint.isValid() && !current) background = tint;
    if (state & DataGrid::Selected) {
        background = (state & DataGrid::Focused) ? pal.color(QPalette::Highlight)
                                                 : pal.color(QPalette::Highlight).lighter(160);
        text = (state & DataGrid::Focused) ? pal.color(QPalette::HighlightedText)
                                           : pal.color(QPalette::Text);
    }
    return DataGrid::CellDraw{painter,
                              option.rect,
                              index.row(),
                              index.column(),
                              c,
                              state,
                              background,
                              text,
                              c->font(),
                              grid_->cellText(index.row(), index.column()),
                              c->alignment()};
}

void DataGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    if (!grid_->column(index.column())) return;
    DataGrid::CellDraw cell = prepareCell(painter, option, index);
    painter->save();
    if (grid_->defaultDrawing()) grid_->defaultDrawColumnCell(cell);
    if (grid_->onDrawColumnCell) grid_->onDrawColumnCell(*grid_, cell);
    if (hasButton(index)) {
        QStyleOptionButton button;
        button.rect = DataGrid::editButtonRect(option.rect);
        button.state = QStyle::State_Enabled | QStyle::State_Raised;
        button.palette = option.palette;
        QStyle* style = grid_->style();
        style->drawControl(QStyle::CE_PushButtonBevel, &button, painter, grid_);
        QStyleOption arrow;
        arrow.rect = button.rect.adjusted(3, 4, -3, -4);
        arrow.palette = option.palette;
        arrow.state = QStyle::State_Enabled;
        style->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, painter, grid_);
    }
    painter->restore();
}

QWidget* DataGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                        const QModelIndex& index) const {
    DataGridColumn* c = grid_->column(index.column());
    const db::Field* f = c ? c->field() : nullptr;
    if (f && f->kind() == db::FieldKind::Lookup) {
        // A lookup cell takes one of its list's values (or none); choosing one commits it.
        auto* list = new QComboBox(parent);
        list->setFrame(false);
        list->addItem(QString());
        list->addItems(grid_->lookupChoices(index.column()));
        list->view()->setMinimumWidth(c->dropDownWidth());
        connect(list, &QComboBox::activated, this, [this, list] {
            auto* self = const_cast<DataGridDelegate*>(this);
            emit self->commitData(list);
            emit self->closeEditor(list, QAbstractItemDelegate::NoHint);
        });
        return list;
    }
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    if (c) {
        editor->setFont(c->font());
        editor->setAlignment(c->alignment());
    }
    return editor;
}

void DataGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* list = qobject_cast<QComboBox*>(editor)) {
        list->setCurrentIndex(std::max(0, list->findText(index.data(Qt::EditRole).toString())));
        return;
    }
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        // An editor opened by typing already holds the key; keep it.
        if (!line->isModified()) line->setText(index.data(Qt::EditRole).toString());
    }
}

void DataGridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                    const QModelIndex& index) const {
    if (auto* list = qobject_cast<QComboBox*>(editor)) {
        model->setData(index, list->currentText(), Qt::EditRole);
        setEditorData(list, index);
        return;
    }
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line) return;
    model->setData(index, line->text(), Qt::EditRole);
    // Whatever the outcome, the editor now shows what the field holds.
    line->setText(index.data(Qt::EditRole).toString());
    line->setModified(false);
}

void DataGridDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                            const QModelIndex& index) const {
    QRect r = option.rect.adjusted(0, 0, -1, -1);
    DataGridColumn* c = grid_->column(index.column());
    if (c && c->editButtonVisible()) r.setRight(DataGrid::editButtonRect(option.rect).left() - 1);
    editor->setGeometry(r);
}

bool DataGridDelegate::eventFilter(QObject* object, QEvent* event) {
    auto* editor = qobject_cast<QWidget*>(object);
    if (!editor || event->type() != QEvent::KeyPress)
        return QStyledItemDelegate::eventFilter(object, event);
    // The key sent on below comes back here: the editor takes it now.
    if (grid_->editorKeyHooked_) return false;
    auto* pressed = static_cast<QKeyEvent*>(event);
    int key = pressed->key();
    QPointer<QWidget> alive(editor);
    if (!grid_->keyDown(key, pressed->modifiers())) return true;
    if (!alive) return true;  // the hook closed the editor
    // A key the hook changed types the character of the new key.
    QString text;
    if (key < Qt::Key_Escape && QChar(key).isPrint()) {
        text = QChar(key);
        if (!(pressed->modifiers() & Qt::ShiftModifier)) text = text.toLower();
    }
    QKeyEvent changed(QEvent::KeyPress, key, pressed->modifiers(), text);
    QKeyEvent* use = key == pressed->key() ? pressed : &changed;
    // Enter, Tab and Esc commit or close the editor; anything else goes to the editor and,
    // when it does not take it, on to the grid, which knows the hook has run.
    grid_->editorKeyHooked_ = true;
    if (!QStyledItemDelegate::eventFilter(editor, use) && alive)
        QCoreApplication::sendEvent(editor, use);
    grid_->editorKeyHooked_ = false;
    pressed->accept();  // handled here: not to be passed to the grid again
    return true;
}

bool DataGridDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                   const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() == QEvent::MouseButtonPress && hasButton(index)) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            DataGrid::editButtonRect(option.rect).contains(mouse->position().toPoint())) {
            grid_->openEditButton(index.column());
            return true;
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

}  // namespace ui
