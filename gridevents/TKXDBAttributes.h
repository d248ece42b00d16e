#pragma once

#include "gridevents/TKXDBGridAttr.h"
#include "gridevents/TKXDBGridFixedAttr.h"

namespace gridevents {

// The six attributes of the grid component, with the colours a new component starts with.
class TKXDBAttributes {
  public:
    TKXDBAttributes();
    TKXDBAttributes(const TKXDBAttributes&) = delete;
    TKXDBAttributes& operator=(const TKXDBAttributes&) = delete;

    TKXDBGridAttr SelAttr;
    TKXDBGridAttr AfterPasteAttr;
    TKXDBGridAttr DuplicateAttr;
    TKXDBGridAttr ErrorAttr;
    TKXDBGridAttr FocusedAttr;
    TKXDBGridFixedAttr FixedAttr;

    // Points every attribute at the grid it repaints.
    void setGrid(ui::DataGrid* grid);
};

}  // namespace gridevents
