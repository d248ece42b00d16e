#pragma once

#include <cstdint>
#include <string>

#include "data/GradeBands.h"
#include "data/SheetChoice.h"
#include "db/Values.h"

namespace data {

// What the data module reads of the main window while a sheet is loaded and its rows
// calculated: the teacher's sheet choice, whether the mark grid shows a
// dataset, and (as a GradeBandsView) the band loader's message and the column of other
// grades. The main window implements it; the module never sees the window itself.
class MarkSheetView : public GradeBandsView {
  public:
    // The teacher's choice of the sheet; the module reads its rule and its form of
    // assessment.
    virtual const SheetChoice& sheetChoice() const = 0;
    // True when the mark grid has a data source and the source has a dataset.
    virtual bool markGridHasDataset() const = 0;
    // The title of the mark grid's current column (empty when none).
    virtual std::string currentColumnTitle() const = 0;
};

}  // namespace data
