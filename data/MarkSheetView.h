#pragma once

#include <cstdint>
#include <string>

#include "data/GradeBands.h"
#include "db/Values.h"

namespace data {

// What the data module reads of the main window while a sheet is loaded and its rows
// calculated: the sheet's rule and form of assessment, whether the mark grid shows a
// dataset, and (as a GradeBandsView) the band loader's message and the column of other
// grades. The main window implements it; the module never sees the window itself.
class MarkSheetView : public GradeBandsView {
  public:
    // The chosen sheet's rule: RuleId (-1 when none) and RuleIdText (empty when none).
    virtual std::int64_t ruleId() const = 0;
    virtual std::string ruleIdText() const = 0;
    // The key of the form-of-assessment list (an id_examination; NULL when none).
    virtual db::Value assessmentKey() const = 0;
    // True when the mark grid has a data source and the source has a dataset.
    virtual bool markGridHasDataset() const = 0;
};

}  // namespace data
