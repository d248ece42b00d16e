#pragma once

#include <cstdint>
#include <string>

#include "db/Values.h"

namespace data {

class SignInProgress;
class TDM_ZOL_3;

// What a successful sign-in stores for the rest of the run: who signed in, which
// teacher that is, the server's date, one institution-wide setting, and the ids of the
// assessment kinds and grades the grading logic compares against. All zero, empty or
// false until then.
struct LoginContext {
    std::string LoginName;
    std::int32_t LoginId = 0;
    std::int32_t TeacherId = 0;
    db::DateTime ServerDate{};
    bool MinShareRule = false;

    std::int32_t KindExamId = 0;
    std::int32_t KindTotalId = 0;
    std::int32_t KindCreditId = 0;
    std::int32_t KindCourseProjectId = 0;
    std::int32_t KindCourseWorkId = 0;
    std::int32_t KindGradedCreditId = 0;
    std::int32_t KindAttestationId = 0;

    std::int32_t GradeFailId = 0;
    std::int32_t GradeCreditId = 0;
    std::int32_t GradeSatisfactoryId = 0;
    std::int32_t GradeGoodId = 0;
    std::int32_t GradeExcellentId = 0;
    std::int32_t GradeNotAttestedId = 0;
    std::int32_t GradeAttestedId = 0;
    std::int32_t GradeAbsentId = 0;
    std::int32_t GradeNotAdmittedId = 0;
    std::int32_t GradeDashId = 0;
    std::int32_t GradeNoCreditId = 0;
};

// The run's one login context.
LoginContext& loginContext();

// Fills the login context once the working connection is open (LoginId and LoginName
// already set) and opens the lookup datasets, telling the sign-in window's progress (14
// steps) as it goes: shown, 8 steps, red, 1 step more. Server errors reach the caller
// unchanged; the progress keeps its place, so a second attempt goes on from there.
void LoadLoginContext(TDM_ZOL_3& dm, SignInProgress& progress);

}  // namespace data
