#pragma once

#include <cstdint>

namespace data {

// The login-context values the grading logic compares against: the ids of the
// assessment kinds and grades read at sign-in, and the institution's minimum-share
// setting. The members carry the login context's own names, so the data module fills
// them with gradingIdsOf(loginContext()).
struct GradingIds {
    bool MinShareRule = false;

    std::int64_t KindExamId = 0;
    std::int64_t KindTotalId = 0;
    std::int64_t KindCreditId = 0;
    std::int64_t KindCourseProjectId = 0;
    std::int64_t KindCourseWorkId = 0;
    std::int64_t KindGradedCreditId = 0;
    std::int64_t KindAttestationId = 0;

    std::int64_t GradeFailId = 0;
    std::int64_t GradeCreditId = 0;
    std::int64_t GradeSatisfactoryId = 0;
    std::int64_t GradeGoodId = 0;
    std::int64_t GradeExcellentId = 0;
    std::int64_t GradeNotAttestedId = 0;
    std::int64_t GradeAttestedId = 0;
    std::int64_t GradeAbsentId = 0;
    std::int64_t GradeNotAdmittedId = 0;
    std::int64_t GradeDashId = 0;
    std::int64_t GradeNoCreditId = 0;
};

// Copies the members of the same names from a login context (any struct that has them).
template <class Context>
GradingIds gradingIdsOf(const Context& c) {
    GradingIds ids;
    ids.MinShareRule = c.MinShareRule;
    ids.KindExamId = c.KindExamId;
    ids.KindTotalId = c.KindTotalId;
    ids.KindCreditId = c.KindCreditId;
    ids.KindCourseProjectId = c.KindCourseProjectId;
    ids.KindCourseWorkId = c.KindCourseWorkId;
    ids.KindGradedCreditId = c.KindGradedCreditId;
    ids.KindAttestationId = c.KindAttestationId;
    ids.GradeFailId = c.GradeFailId;
    ids.GradeCreditId = c.GradeCreditId;
    ids.GradeSatisfactoryId = c.GradeSatisfactoryId;
    ids.GradeGoodId = c.GradeGoodId;
    ids.GradeExcellentId = c.GradeExcellentId;
    ids.GradeNotAttestedId = c.GradeNotAttestedId;
    ids.GradeAttestedId = c.GradeAttestedId;
    ids.GradeAbsentId = c.GradeAbsentId;
    ids.GradeNotAdmittedId = c.GradeNotAdmittedId;
    ids.GradeDashId = c.GradeDashId;
    ids.GradeNoCreditId = c.GradeNoCreditId;
    return ids;
}

}  // namespace data
