#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "data/AssessmentClass.h"
#include "data/GradingIds.h"

namespace db {
class Dataset;
}

namespace data {

// The nine grades that have a band, in the order their bands are loaded.
enum class Band {
    NoCredit,
    Fail,
    Credit,
    Satisfactory,
    Good,
    Excellent,
    NotAttested,
    Attested,
    Absent
};
inline constexpr int kBandCount = 9;
// GradeBands holds one entry per band, indexed by the band.
static_assert(static_cast<int>(Band::Absent) + 1 == kBandCount);

// The range of totals that earns a grade: the lower bound belongs to it, the upper one
// does not, so equal bounds are earned by no total.
struct BandBounds {
    double lower = 10000;
    double upper = 10000;
    bool earns(double x) const { return lower <= x && x < upper; }
};

// The bands of the sheet opened last; every band empty (both bounds 10000) until then.
class GradeBands {
  public:
    static constexpr double kEmpty = 10000;

    void clear() { bands_.fill(BandBounds{}); }
    BandBounds& operator[](Band b) { return bands_[static_cast<std::size_t>(b)]; }
    const BandBounds& operator[](Band b) const { return bands_[static_cast<std::size_t>(b)]; }
    bool earns(Band b, double x) const { return (*this)[b].earns(x); }

  private:
    std::array<BandBounds, kBandCount> bands_{};
};

// The grade id a band stands for, and its short name ("н/з", "н/у", "зачет", …).
std::int64_t gradeIdOf(Band b, const GradingIds& ids);
const char* bandName(Band b);

// The short name of a grade id; empty for an id it does not know (" н/п" among them).
std::string GradeShortName(std::int64_t gradeId, const GradingIds& ids);

// The grade id a stored total earns under the sheet's assessment class; storedGrade is
// the row's id_estimation (kept for a total of 0 when it is " н/п").
std::int64_t GradeIdForTotal(double total, std::int64_t storedGrade, AssessmentClass cls,
                             const GradeBands& bands, const GradingIds& ids);
// The same for the current row of the mark sheet: its ball and id_estimation, NULL
// read as 0.
std::int64_t GradeIdForTotal(const db::Dataset& sheet, AssessmentClass cls, const GradeBands& bands,
                             const GradingIds& ids);

// What loading the bands shows and changes in the main window.
class GradeBandsView {
  public:
    virtual ~GradeBandsView() = default;
    // A message box with the error icon.
    virtual void showError(const std::string& text, const std::string& caption) = 0;
    // Shows or hides the mark grid's columns of other grades: those from the ninth on
    // (index 8 to the last) whose field name is "EstimationOther".
    virtual void setOtherGradesColumnVisible(bool visible) = 0;
};

// The data module's datasets that loading the bands uses, and the open sheet's rule
// (RuleId and RuleIdText of the main window: -1 and empty when none).
struct GradeBandsSources {
    db::Dataset& ADOQ_Exec;
    db::Dataset& ADOQ_EstimationOther;  // reopened with parameter id_ebe_var
    std::int64_t RuleId = -1;
    std::string RuleIdText;
};

inline constexpr const char* kNoBandsMessage = "Нет информации о баллах.";

// Loads the bands of the sheet being opened: by the rule when the sheet names one (a
// stream always does), otherwise by the group's speciality (0 for a stream).
// sheetNotReady stays set when no band row is found (after the message); the caller
// enables the mark grid exactly when it is false. Server errors reach the caller.
void LoadGradeBands(std::int64_t specialityId, const GradeBandsSources& src, const GradingIds& ids,
                    GradeBands& bands, bool& sheetNotReady, GradeBandsView& view);

}  // namespace data
