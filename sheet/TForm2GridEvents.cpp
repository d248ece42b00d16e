// The main window's grid behaviour component: attached to the mark grid, it owns the grid's
// row shortcuts (of which the window enables only select all) and paints the grid's cells
// by its attributes; the window answers its question before rows would be deleted.

#include <QApplication>
#include <QPalette>

#include "data/TDM_ZOL_3.h"
#include "gridevents/TKXDBGridEvents.h"
#include "history/TForm1.h"
#include "sheet/TForm2.h"
#include "ui/DataGrid.h"

namespace sheet {

namespace {

// The grid's cell font at a pixel size, regular or bold. The window's controls all use the
// system's interface font, so the component's cells use it too and only size and weight
// set them apart.
QFont cellFont(const QFont& base, int pixels, bool bold = false) {
    QFont f = base;
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

}  // namespace

void TForm2::setUpGridEvents() {
    auto* events = new gridevents::TKXDBGridEvents(this);
    events->setObjectName(QStringLiteral("F4_KX_DM_ZOL_3"));
    F4_KX_DM_ZOL_3 = events;
    ui::DataGrid* grid = KXDBGridEh1;
    events->setDBGridEh(grid);
    db::Dataset& marks = dm_.ADO_SP_Sort;
    events->setUniqueField(&marks.field("id_mark_mag"));
    // Rows are never deleted, cut or pasted from the main window: select all only.
    events->setEditActions(gridevents::geaSelectAllEh);

    // The system colours the attributes name: the window text, the tool-tip background,
    // and the highlight standing in for the active title bar (white bold text reads on it).
    const QPalette pal = grid->palette();
    const QColor windowText = pal.color(QPalette::WindowText);
    const QColor infoBk = pal.color(QPalette::ToolTipBase);
    const QColor activeCaption = pal.color(QPalette::Active, QPalette::Highlight);
    const QFont base = grid->font();
    gridevents::TKXDBAttributes& a = events->KXDBAttributes();
    a.SelAttr.setColor(QColor(192, 192, 192));
    a.SelAttr.setFont(cellFont(base, 13), Qt::black);
    a.AfterPasteAttr.setColor(infoBk);
    a.AfterPasteAttr.setFont(cellFont(base, 11), windowText);
    a.DuplicateAttr.setColor(QColor(0, 128, 0));
    a.DuplicateAttr.setFont(cellFont(base, 13), windowText);
    a.ErrorAttr.setColor(QColor(255, 0, 0));
    a.ErrorAttr.setFont(cellFont(base, 13), windowText);
    a.FocusedAttr.setColor(activeCaption);
    a.FocusedAttr.setFont(cellFont(base, 13, true), Qt::white);
    a.FixedAttr.setSelColor(QColor(192, 220, 192));
    a.FixedAttr.setSelFont(cellFont(base, 13, true), windowText);

    events->OnKXDBEOnConfirmDelete = [this](ui::DataGrid& sender, bool& canDelete) {
        F4_KX_DM_ZOL_3KXDBEOnConfirmDelete(sender, canDelete);
    };
    events->OnKeyDown = [this](ui::DataGrid& sender, int& key, Qt::KeyboardModifiers shift) {
        F4_KX_DM_ZOL_3KeyDown(sender, key, shift);
    };

    // A student's row is told by the student and the examination: two rows with both
    // alike are painted as duplicates.
    events->addKeyField(&marks.field("id_student"));
    events->addKeyField(&marks.field("id_examination"));
    // The grid draws each cell first and the component paints over it; the window's own
    // colours run on top of the component's through its forwarded drawing.
    grid->setDefaultDrawing(true);
    events->OnDrawColumnCell = [this](ui::DataGrid& sender, ui::DataGrid::CellDraw& cell) {
        F4_KX_DM_ZOL_3DrawColumnCell(sender, cell);
    };
}

void TForm2::F4_KX_DM_ZOL_3KXDBEOnConfirmDelete(ui::DataGrid&, bool& canDelete) {
    // The list is always of the mark grid, whichever grid asked.
    history::ConfirmDeleteRows(*KXDBGridEh1, width(), canDelete);
}

void TForm2::F4_KX_DM_ZOL_3KeyDown(ui::DataGrid&, int&, Qt::KeyboardModifiers) {}

}  // namespace sheet
