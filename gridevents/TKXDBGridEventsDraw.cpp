// The component's painting of a data cell: the attribute by the cell's state and row,
// then the text placed by the column's alignment.

#include <QPainter>

#include "gridevents/TKXDBGridEvents.h"

namespace gridevents {

namespace {

void use(ui::DataGrid::CellDraw& cell, const TKXDBGridAttr& attr) {
    cell.background = attr.Color();
    cell.font = attr.Font();
    cell.textColor = attr.FontColor();
}

// The column's own colour and font. A grid that tints its current row keeps the tint on
// that row's unselected cells, or the row under the cursor could not be told from the others.
void useColumn(const ui::DataGrid& grid, ui::DataGrid::CellDraw& cell) {
    const QPalette& pal = grid.palette();
    const QColor tint = cell.state & ui::DataGrid::Selected ? QColor() : grid.rowTint(cell.row);
    cell.background = tint.isValid()                                  ? tint
                      : cell.column && cell.column->color().isValid() ? cell.column->color()
                                                                      : pal.color(QPalette::Base);
    cell.font = cell.column ? cell.column->font() : grid.font();
    cell.textColor = pal.color(QPalette::Text);
}

}  // namespace

void TKXDBGridEvents::GridDrawColumnCell(ui::DataGrid& sender, ui::DataGrid::CellDraw& cell) {
    using DS = ui::DataGrid::DrawState;
    const DS selected(ui::DataGrid::Selected);
    const DS selectedFocused(ui::DataGrid::Selected | ui::DataGrid::Focused);
    db::Dataset* ds = sender.dataset();
    bool inserting = ds && ds->state() == db::DatasetState::Insert;
    bool alwaysEditor = sender.options() & ui::DataGrid::AlwaysShowEditor;
    bool noneSelected = sender.selectedRowCount() == 0;
    const TKXDBAttributes& a = attributes_;

    if (cell.state == selected) {
        if (inserting && (alwaysEditor || noneSelected)) {
            useColumn(sender, cell);
        } else if (cell.column && a.FixedAttr.listHas(cell.column->title().toUpper())) {
            cell.background = a.FixedAttr.SelColor();
            cell.font = a.FixedAttr.SelFont();
            cell.textColor = a.FixedAttr.SelFontColor();
        } else {
            use(cell, a.SelAttr);
        }
    } else if (cell.state == selectedFocused) {
        if (inserting || (alwaysEditor && noneSelected))
            useColumn(sender, cell);
        else
            use(cell, a.FocusedAttr);
    } else {
        // A row is looked up by hash in each list; only the duplicate check needs the key.
        auto uniqueText = [&]() -> QString {
            const db::Field* u = uniqueField_.get();
            if (!u || !ds) return {};
            const db::Field* own = ds->findField(u->name());  // the grid's dataset's field
            return own ? QString::fromStdString(db::toText(ds->valueAt(cell.row, own->index())))
                       : QString();
        };
        if (!DuplicateList.isEmpty() && DuplicateList.contains(rowKeyAt(cell.row))) {
            use(cell, a.DuplicateAttr);
        } else if (!ErrorList.isEmpty() || !PastedList.isEmpty()) {
            QString text = uniqueText();
            if (!ErrorList.isEmpty() && ErrorList.contains(text))
                use(cell, a.ErrorAttr);
            else if (!PastedList.isEmpty() && PastedList.contains(text))
                use(cell, a.AfterPasteAttr);
            else
                useColumn(sender, cell);
        } else {
            useColumn(sender, cell);
        }
    }

    if (cell.painter) {
        QPainter* p = cell.painter;
        p->save();
        p->setFont(cell.font);
        QFontMetrics fm(cell.font);
        const QRect& r = cell.rect;
        int left = r.left(), right = r.left() + r.width();  // right edge exclusive
        int top = r.top(), bottom = r.top() + r.height();
        int width = fm.horizontalAdvance(cell.text);
        int x = left + 2;
        Qt::Alignment h = cell.alignment & Qt::AlignHorizontal_Mask;
        if (h & Qt::AlignRight)
            x = right - width - 3;
        else if (h & Qt::AlignHCenter)
            x = left + (right - left) / 2 - width / 2;
        int y = top + (bottom - top) / 2 - fm.height() / 2;
        p->fillRect(r, cell.background);
        p->setClipRect(r);
        p->setPen(cell.textColor);
        p->drawText(x, y + fm.ascent(), cell.text);
        p->restore();
    }

    if (OnDrawColumnCell) OnDrawColumnCell(sender, cell);
}

}  // namespace gridevents
