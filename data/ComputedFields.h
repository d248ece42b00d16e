#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/AssessmentClass.h"
#include "data/GradeBands.h"
#include "data/GradingIds.h"
#include "data/MarkFields.h"

namespace db {
class Dataset;
class Field;
}  // namespace db
namespace formula {
class TParser;
}

namespace data {

// Rounds half to even at 1 or 2 decimals (the quotient by 10^-d rounded, times 10^-d).
double roundToDecimals(double value, int decimals);

// Cuts a text to its first n characters (UTF-8 code points).
std::string cutToChars(std::string text, std::size_t n);

// The grade name shown for a total x, when the minimum-share test passed (see below):
// the name the bands give under the sheet's class, with the stored grade in brackets
// when the two differ (on an ordinary sheet; a re-examination sheet shows nothing then).
// Not yet cut to the field's 10 characters.
std::string gradeNameForTotal(double x, std::int64_t storedGrade, bool reexamination,
                              AssessmentClass cls, const GradeBands& bands, const GradingIds& ids);
// The name when the minimum-share test failed: "н/у", or н/у(stored) for another grade.
std::string gradeNameForShareFailure(std::int64_t storedGrade, const GradingIds& ids);

// What the computed fields of a mark-sheet row depend on besides the row itself.
struct ComputedFieldsContext {
    formula::TParser& parser;  // Parser1
    db::Dataset& estConfig;    // ADOQ_est_config, the open sheet's rule rows
    const GradeBands& bands;   // GradeBands
    const GradingIds& ids;     // from the login context
    AssessmentClass assessmentClass = AssessmentClass::Other;
    // False when the main window's mark grid has no data source or it no dataset:
    // then every computed field stays empty.
    bool gridHasDataset = true;
};

// The calculate-fields handler of the mark sheet: ball1, calc1..calc10 and ball_name of
// the row being calculated. Every formula is assigned to the parser again for each
// row. A parser error leaves the handler as it is (the remaining computed fields stay
// empty). It moves the current row of the rule rows, never the sheet's.
//
// The object only remembers where the fields are, so keep one per data module and call
// it from the sheet's onCalcFields.
class ComputedFields {
  public:
    ComputedFields();
    void calculate(db::Dataset& sheet, const ComputedFieldsContext& ctx);

  private:
    // A field found by name once, and found again only when its dataset or the
    // dataset's fields changed.
    class FieldRef {
      public:
        explicit FieldRef(std::string name = {}) : name_(std::move(name)) {}
        const std::string& name() const { return name_; }
        db::Field* find(db::Dataset& ds);
        db::Field& get(db::Dataset& ds);  // the dataset's field-not-found error when none

      private:
        std::string name_;
        db::Dataset* dataset_ = nullptr;
        std::uint64_t stamp_ = 0;  // the dataset's fields stamp when found
        db::Field* field_ = nullptr;
    };

    db::Field& markField(db::Dataset& sheet, const std::string& name);

    FieldRef marks_[kControlPointCount];  // by control point, as kMarkFields
    FieldRef calc_[10];
    FieldRef ball1_{"ball1"}, ballName_{"ball_name"}, estimation_{"id_estimation"},
        sessiya_{"sessiya"};
    FieldRef pole_{"pole_mark_mag"}, formula_{"formula"}, max_{"max"};
    std::vector<FieldRef> byPole_;  // the sheet's fields named by control-point rows
};

inline constexpr const char* kTooManyFormulasMessage =
    "В правиле оценивания больше десяти промежуточных формул: для одиннадцатой нет поля "
    "calc11.";

}  // namespace data
