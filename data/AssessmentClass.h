#pragma once

#include <cstdint>
#include <optional>

#include "data/GradingIds.h"

namespace data {

// How a sheet is graded, from its assessment kind (the id_examination chosen in the
// main window's assessment-form list).
enum class AssessmentClass { Attestation, Graded, Credit, Other };

// The class of an assessment kind; no kind chosen is Other. The classes are tried in the
// order attestation, graded, credit, so a kind id shared by two of them (ids not read at
// sign-in are all 0) takes the first.
inline AssessmentClass assessmentClassOf(std::optional<std::int64_t> kindId,
                                         const GradingIds& ids) {
    if (!kindId) return AssessmentClass::Other;
    const std::int64_t k = *kindId;
    if (k == ids.KindAttestationId) return AssessmentClass::Attestation;
    if (k == ids.KindExamId || k == ids.KindTotalId || k == ids.KindCourseProjectId ||
        k == ids.KindGradedCreditId || k == ids.KindCourseWorkId)
        return AssessmentClass::Graded;
    if (k == ids.KindCreditId) return AssessmentClass::Credit;
    return AssessmentClass::Other;
}

}  // namespace data
