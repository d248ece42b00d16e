#include "data/GradeBands.h"

#include "db/Dataset.h"

namespace data {

std::int64_t gradeIdOf(Band b, const GradingIds& ids) {
    switch (b) {
        case Band::NoCredit:
            return ids.GradeNoCreditId;
        case Band::Fail:
            return ids.GradeFailId;
        case Band::Credit:
            return ids.GradeCreditId;
        case Band::Satisfactory:
            return ids.GradeSatisfactoryId;
        case Band::Good:
            return ids.GradeGoodId;
        case Band::Excellent:
            return ids.GradeExcellentId;
        case Band::NotAttested:
            return ids.GradeNotAttestedId;
        case Band::Attested:
            return ids.GradeAttestedId;
        case Band::Absent:
            return ids.GradeAbsentId;
    }
    return 0;
}

const char* bandName(Band b) {
    switch (b) {
        case Band::NoCredit:
            return "н/з";
        case Band::Fail:
            return "н/у";
        case Band::Credit:
            return "зачет";
        case Band::Satisfactory:
            return "удов";
        case Band::Good:
            return "хор";
        case Band::Excellent:
            return "отл";
        case Band::NotAttested:
            return "н/ат";
        case Band::Attested:
            return "ат";
        case Band::Absent:
            return "н/я";
    }
    return "";
}

std::string GradeShortName(std::int64_t gradeId, const GradingIds& ids) {
    // Ids not read at sign-in are all 0, so the order decides which name such an id gets.
    const std::pair<std::int64_t, const char*> names[] = {
        {ids.GradeSatisfactoryId, "удов"},
        {ids.GradeGoodId, "хор"},
        {ids.GradeExcellentId, "отл"},
        {ids.GradeFailId, "н/у"},
        {ids.GradeNoCreditId, "н/з"},
        {ids.GradeCreditId, "зачет"},
        {ids.GradeDashId, "-"},
        {ids.GradeAbsentId, "н/я"},
        {ids.GradeNotAttestedId, "н/ат"},
        {ids.GradeAttestedId, "ат"},
    };
    for (const auto& [id, name] : names)
        if (id == gradeId) return name;
    return {};
}

std::int64_t GradeIdForTotal(double t, std::int64_t storedGrade, AssessmentClass cls,
                             const GradeBands& bands, const GradingIds& ids) {
    switch (cls) {
        case AssessmentClass::Attestation:
            if (bands.earns(Band::NotAttested, t)) return ids.GradeNotAttestedId;
            if (bands.earns(Band::Attested, t)) return ids.GradeAttestedId;
            return ids.GradeDashId;
        case AssessmentClass::Graded:
            for (Band b : {Band::Good, Band::Satisfactory, Band::Excellent, Band::Fail})
                if (bands.earns(b, t)) return gradeIdOf(b, ids);
            break;
        case AssessmentClass::Credit:
            for (Band b : {Band::Credit, Band::NoCredit})
                if (bands.earns(b, t)) return gradeIdOf(b, ids);
            break;
        case AssessmentClass::Other:
            return ids.GradeDashId;
    }
    if (t == 0 && storedGrade == ids.GradeNotAdmittedId) return ids.GradeNotAdmittedId;
    if (t >= bands[Band::Absent].upper) return ids.GradeDashId;
    if (t >= bands[Band::Absent].lower) return ids.GradeAbsentId;
    return ids.GradeDashId;
}

std::int64_t GradeIdForTotal(const db::Dataset& sheet, AssessmentClass cls, const GradeBands& bands,
                             const GradingIds& ids) {
    return GradeIdForTotal(sheet.field("ball").asDouble(), sheet.field("id_estimation").asInteger(),
                           cls, bands, ids);
}

void LoadGradeBands(std::int64_t specialityId, const GradeBandsSources& src, const GradingIds& ids,
                    GradeBands& bands, bool& sheetNotReady, GradeBandsView& view) {
    sheetNotReady = true;
    bands.clear();

    // The rule's bands whenever the sheet names a rule. A stream always has one; a stream
    // whose rule id is missing would send the rule query with no number, which the
    // server rejects, so it asks by speciality instead (0 for a stream: no rows, and the
    // message below), exactly as a group without a rule does.
    db::Dataset& exec = src.ADOQ_Exec;
    exec.close();
    if (!src.RuleIdText.empty())
        exec.setSql("SELECT beg_bal, end_bal, id_estimation FROM qor.dbo.ebe where id_ebe_var=" +
                    src.RuleIdText);
    else
        exec.setSql(
            "SELECT beg_bal, end_bal, id_estimation FROM GetMinMaxBalForEstimation WHERE "
            "id_speciality = " +
            std::to_string(specialityId));
    exec.open();
    if (exec.isEmpty()) {
        view.showError(kNoBandsMessage, "Error");
        return;
    }
    // A grade without a row keeps its empty band rather than the bounds of whichever
    // row the cursor stood on, so a missing row never lends another grade's range. The
    // rows are read whole before anything else runs: ADOQ_Exec is the module's general
    // command, and showing or hiding a column of the window below may lead to other
    // statements on it.
    GradeBands found;
    for (int i = 0; i < kBandCount; ++i) {
        const Band b = static_cast<Band>(i);
        if (!exec.locate("id_estimation", db::Value(gradeIdOf(b, ids)))) continue;
        found[b].lower = exec.field("beg_bal").asDouble();
        found[b].upper = exec.field("end_bal").asDouble();
    }
    sheetNotReady = false;

    db::Dataset& other = src.ADOQ_EstimationOther;
    other.close();
    other.param("id_ebe_var").setValue(db::Value(src.RuleId));
    other.open();
    view.setOtherGradesColumnVisible(!other.isEmpty());
    bands = found;
}

}  // namespace data
