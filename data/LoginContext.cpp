#include "data/LoginContext.h"

#include <array>
#include <utility>

#include "data/SignInProgress.h"
#include "data/TDM_ZOL_3.h"

namespace data {

namespace {

// The id of the row whose name column equals the name, case ignored but otherwise exact;
// a name the table lacks leaves the id as it was (0 before the first sign-in).
void readId(db::Dataset& ds, const char* nameField, const char* name, const char* idField,
            std::int32_t& id) {
    if (ds.locate(nameField, std::string(name), true)) {
        id = static_cast<std::int32_t>(ds.field(idField).asInteger());
    }
}

}  // namespace

LoginContext& loginContext() {
    static LoginContext context;
    return context;
}

void LoadLoginContext(TDM_ZOL_3& dm, SignInProgress& progress) {
    LoginContext& c = loginContext();

    dm.ADOQ_Exec.setSql("select GETDATE()");
    dm.ADOQ_Exec.open();
    c.ServerDate = dm.ADOQ_Exec.field(0).asDateTime();

    dm.ADOQ_Exec.setSql("select TOP 1 id_teacher from QORTeacher where id_qor_login = " +
                        std::to_string(c.LoginId));
    dm.ADOQ_Exec.open();
    c.TeacherId =
        dm.ADOQ_Exec.isEmpty() ? 0 : static_cast<std::int32_t>(dm.ADOQ_Exec.field(0).asInteger());

    db::Dataset& vuz = dm.ADOQ_VuzDefaults;
    vuz.setSql(
        " SELECT [id_vuz_defaults],[id_field] FROM [QOR].[dbo].[VuzDefaults] WHERE "
        "id_vuz_defaults IN (28,29)");
    vuz.open();
    if (vuz.locate("id_vuz_defaults", std::int64_t{28})) {
        const db::Field& f = vuz.field("id_field");
        if (!f.isNull() && f.asInteger() == 1) c.MinShareRule = true;
        if (!f.isNull() && f.asInteger() == 0) c.MinShareRule = false;
    }
    vuz.close();

    progress.show();
    dm.ADO_ZOL.open();
    progress.advance();
    progress.advance();
    dm.ADOQ_estimation.open();
    progress.advance();
    dm.ADOTSemestr.open();
    progress.advance();
    progress.advance();
    dm.ADOT_f_est.open();
    progress.advance();
    dm.ADOQ_Examination.open();
    progress.advance();
    dm.ADOQ_Year.setSql(
        "SELECT     id_a_year, p32 FROM         qor.dbo.a_year WHERE     (u_god > "
        "DATEPART(YEAR, GETDATE()) - 6) AND (u_god < DATEPART(YEAR, GETDATE()) + 4) ");
    dm.ADOQ_Year.open();
    progress.advance();
    progress.turnRed();
    dm.ADOQuery1.open();
    progress.advance();

    // Once read, the two helper queries go; a repeated sign-in after a failure further
    // on finds their ids already filled.
    if (dm.ADOQ_Exam) {
        db::Dataset& exam = *dm.ADOQ_Exam;
        exam.open();
        const std::array<std::pair<const char*, std::int32_t*>, 7> kinds{{
            {"Экзамен", &c.KindExamId},
            {"Итог/оценка", &c.KindTotalId},
            {"Зачет", &c.KindCreditId},
            {"Курc/пр", &c.KindCourseProjectId},  // a Latin c: the server's own spelling
            {"Курс/раб", &c.KindCourseWorkId},
            {"Диф/зачет", &c.KindGradedCreditId},
            {"Аттестация", &c.KindAttestationId},
        }};
        for (const auto& [name, id] : kinds) readId(exam, "P30", name, "id_examination", *id);
        exam.close();
        dm.ADOQ_Exam.reset();
    }

    if (dm.ADOQ_Estim) {
        db::Dataset& estim = *dm.ADOQ_Estim;
        estim.open();
        const std::array<std::pair<const char*, std::int32_t*>, 11> grades{{
            {"н/у", &c.GradeFailId},
            {"зачет", &c.GradeCreditId},
            {"удов", &c.GradeSatisfactoryId},
            {"хор", &c.GradeGoodId},
            {"отл", &c.GradeExcellentId},
            {"н/ат", &c.GradeNotAttestedId},
            {"ат", &c.GradeAttestedId},
            {"н/я", &c.GradeAbsentId},
            {" н/п", &c.GradeNotAdmittedId},  // with its leading blank
            {"-", &c.GradeDashId},
            {"н/з", &c.GradeNoCreditId},
        }};
        for (const auto& [name, id] : grades) readId(estim, "p31", name, "id_estimation", *id);
        dm.ADOQ_Exec.close();
        estim.close();
        dm.ADOQ_Estim.reset();
    } else {
        dm.ADOQ_Exec.close();
    }
}

}  // namespace data
