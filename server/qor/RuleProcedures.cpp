// Grading rules: the rule rows of a sheet form, the sheet forms on offer, new rules.

#include "Contract.h"
#include "SqlRows.h"

namespace server::qor {

namespace {

// The bands a new rule starts with when the faculty's default rule has none.
struct Band {
    std::int64_t grade;
    double from, to;
};
constexpr Band standardBands[] = {{11, 0, 50}, {3, 50, 71},  {4, 71, 86}, {5, 86, 101}, {8, 0, 0},
                                  {10, 0, 50}, {2, 50, 101}, {16, 0, 50}, {17, 50, 101}};

std::int64_t formOf(const Value& v) {
    std::int64_t f = asInt(v, 1);
    return f <= 0 ? 1 : f;  // the "all forms" entry (-1) shows the ordinary sheet
}

// A sheet form other than the ordinary one keeps the ordinary form's control points and
// adds its own rows; its own total replaces the ordinary total.
ResultSet estConfig(ProcedureContext& ctx) {
    const Value rule = ctx.arg("@id_ebe_var");
    const std::int64_t form = formOf(ctx.arg("@id_f_est"));
    return select(ctx.db(),
                  "SELECT id_est_config, id_ebe_var, order_pole, name_pole, info_or_value, "
                  "pole_mark_mag, formula, [min], [max], id_f_est FROM est_config "
                  "WHERE id_ebe_var = ?1 AND (id_f_est = ?2 OR (id_f_est = 1 AND ?2 <> 1 "
                  "AND IFNULL(pole_mark_mag, '') <> 'ball1')) "
                  "ORDER BY order_pole, id_est_config",
                  {rule, form},
                  {{"id_est_config", Type::Integer, 0},
                   {"id_ebe_var", Type::Integer, 0},
                   {"order_pole", Type::Integer, 0},
                   {"name_pole", Type::Text, 50},
                   {"info_or_value", Type::Integer, 0},
                   {"pole_mark_mag", Type::Text, 10},
                   {"formula", Type::Text, 200},
                   {"min", Type::Float, 0},
                   {"max", Type::Float, 0},
                   {"id_f_est", Type::Integer, 0}});
}

// The ordinary sheet and "view only" are always on offer; a re-examination form only
// where the sheet's rule has rows for it.
void activeForms(ProcedureContext& ctx) {
    ctx.addResultSet(select(
        ctx.db(),
        "SELECT id_f_e, p109, sessiya FROM f_est WHERE is_active = 1 AND "
        "(id_f_e IN (1, -1) OR EXISTS (SELECT 1 FROM est_config c "
        "WHERE c.id_ebe_var = ?1 AND c.id_f_est = f_est.id_f_e)) "
        "ORDER BY sort_order, id_f_e",
        {ctx.arg("@id_ebe_var")},
        {{"id_f_e", Type::Integer, 0}, {"p109", Type::Text, 30}, {"sessiya", Type::Integer, 0}}));
}

// A new rule gets the faculty's default bands (the rule named by settings row 42), so
// the highest rule number of the bands grows with every rule.
void createNewMarkRule(ProcedureContext& ctx) {
    const Value& number = ctx.arg("@RulNum");
    if (isNull(number) || asInt(number) <= 0)
        throw Error("Номер нового правила оценивания должен быть положительным числом.");
    auto taken = scalar(ctx.db(),
                        "SELECT 1 FROM ebe WHERE id_ebe_var = ?1 UNION ALL "
                        "SELECT 1 FROM est_config WHERE id_ebe_var = ?1",
                        {number});
    if (taken)
        throw Error("Правило оценивания с номером " + asText(number) +
                    " уже существует: выберите ведомость заново.");
    auto base = scalar(ctx.db(), "SELECT id_field FROM VuzDefaults WHERE id_vuz_defaults = 42");
    std::int64_t copied = 0;
    if (base && !isNull(*base))
        copied = exec(ctx.db(),
                      "INSERT INTO ebe (id_ebe_var, id_estimation, beg_bal, end_bal) "
                      "SELECT ?1, id_estimation, beg_bal, end_bal FROM ebe WHERE id_ebe_var = ?2",
                      {number, *base});
    if (copied == 0)
        for (const Band& b : standardBands)
            exec(ctx.db(),
                 "INSERT INTO ebe (id_ebe_var, id_estimation, beg_bal, end_bal) "
                 "VALUES (?1, ?2, ?3, ?4)",
                 {number, b.grade, b.from, b.to});
    ctx.setRowsAffected(copied > 0 ? copied : static_cast<std::int64_t>(std::size(standardBands)));
}

Parameter intParam(const char* name, std::optional<Value> def = std::nullopt) {
    return Parameter{name, Type::Integer, 0, std::move(def), false};
}

}  // namespace

void registerRules(Registry& registry) {
    registry.addTableFunction(
        {"TF_GetEstConfig", {intParam("@id_ebe_var"), intParam("@id_f_est")}, estConfig});

    Value minusOne = std::int64_t{-1};
    registry.addProcedure(
        {"SP_GetActiveFEst",
         1,
         {intParam("@id_a_year", minusOne),
          Parameter{"@id_semesterOrWs", Type::Text, 0, Value{"0"}, false},
          intParam("@forPotok", Value{std::int64_t{0}}), intParam("@id_discipline", minusOne),
          intParam("@subgroup", minusOne), intParam("@id_faculty", minusOne),
          intParam("@id_speciality", minusOne), intParam("@id_teacher", minusOne),
          intParam("@id_ebe_var", minusOne), intParam("@kredits", Value{std::int64_t{0}}),
          intParam("@id_examination", minusOne)},
         activeForms});
    registry.addProcedure({"CreateNewMarkRule", 1, {intParam("@RulNum")}, createNewMarkRule});
}

}  // namespace server::qor
