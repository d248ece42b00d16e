#pragma once

#include <QColor>
#include <QFont>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>

#include "db/Values.h"

#include <QMenu>

namespace db {
class Field;
}

namespace ui {

class DataGrid;

// One column of a DataGrid: the field it shows and how. Columns are owned by their grid
// (DataGrid::addColumn); every setter repaints what it changes.
class DataGridColumn {
  public:
    DataGridColumn(const DataGridColumn&) = delete;
    DataGridColumn& operator=(const DataGridColumn&) = delete;

    DataGrid& grid() const { return *grid_; }
    // Position among the grid's columns, hidden ones included.
    int index() const;

    QString fieldName() const { return fieldName_; }
    void setFieldName(const QString& name);
    // The field in the grid's open dataset; null when there is none of that name.
    db::Field* field() const;

    // The title may hold several lines ("\n"); a long one is wrapped to the width.
    QString title() const { return title_; }
    void setTitle(const QString& text);
    // Shown as the title's tool tip; the program may keep a note of its own in it.
    QString titleHint() const { return titleHint_; }
    void setTitleHint(const QString& text);

    // Width in pixels; with DataGrid::autoFitColumns the columns share the grid's width
    // in proportion to these widths, within their least and greatest widths.
    int width() const { return width_; }
    void setWidth(int pixels);
    int minWidth() const { return minWidth_; }
    void setMinWidth(int pixels);
    int maxWidth() const { return maxWidth_; }  // 0: no limit
    void setMaxWidth(int pixels);

    bool readOnly() const { return readOnly_; }
    void setReadOnly(bool on);
    bool visible() const { return visible_; }
    void setVisible(bool on);
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    // Cell background; invalid for the grid's own.
    QColor color() const { return color_; }
    void setColor(const QColor& color);
    // Cell font; the grid's own when none is set.
    QFont font() const;
    bool hasFont() const { return font_.has_value(); }
    void setFont(const QFont& font);
    Qt::Alignment alignment() const { return alignment_; }
    void setAlignment(Qt::Alignment alignment);

    // A column of a lookup field is edited by choosing from the lookup dataset's values;
    // the list is at least this wide in pixels (0: as wide as the column).
    int dropDownWidth() const { return dropDownWidth_; }
    void setDropDownWidth(int pixels) { dropDownWidth_ = pixels; }

    // The text of the column's cell in the footer row.
    QString footerText() const { return footerText_; }
    void setFooterText(const QString& text);

    // A button at the right of the current cell; a click (or Alt+Down) opens the menu
    // (not owned by the column) and emits DataGrid::editButtonClicked.
    bool editButtonVisible() const { return editButtonVisible_; }
    void setEditButtonVisible(bool on);
    QMenu* editButtonMenu() const { return editButtonMenu_; }
    void setEditButtonMenu(QMenu* menu);

    // The check run when an edit of a cell of this column is committed, the dataset
    // already in edit state on the row. It may change the text; setting handled refuses
    // the edit: nothing is written and the cell keeps its old value. value is the entered
    // text as a variant. When handled stays clear the grid writes the text to the field.
    // An exception refuses the edit too and is shown with its own text.
    using UpdateData =
        std::function<void(DataGridColumn& column, QString& text, db::Value& value, bool& handled)>;
    UpdateData onUpdateData;

  private:
    friend class DataGrid;
    explicit DataGridColumn(DataGrid* grid) : grid_(grid) {}
    void changed(bool layout = false);

    DataGrid* grid_;
    QString fieldName_;
    int fieldIndex_ = -1;  // in the grid's dataset, found again when it changes
    QString title_;
    QString titleHint_;
    int width_ = 64;
    int minWidth_ = 0;
    int maxWidth_ = 0;
    int dropDownWidth_ = 0;
    bool readOnly_ = false;
    bool visible_ = true;
    int tag_ = 0;
    QColor color_;
    std::optional<QFont> font_;
    Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignVCenter;
    QString footerText_;
    bool editButtonVisible_ = false;
    QPointer<QMenu> editButtonMenu_;
};

}  // namespace ui
