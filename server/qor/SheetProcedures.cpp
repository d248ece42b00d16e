// The mark sheet: preparing its rows, reading them, and the state of its control points.

#include <algorithm>
#include <cctype>

#include "Contract.h"
#include "ModulFields.h"
#include "SqlRows.h"

namespace server::qor {

namespace {

std::string modulNumberSql(const std::string& column) {
    std::string s = "CASE lower(" + column + ")";
    for (int i = 0; i < kModulCount; ++i)
        s += " WHEN '" + std::string(kModulFields[i]) + "' THEN " + std::to_string(i + 1);
    return s + " END";
}

std::int64_t formOf(const Value& v) {
    std::int64_t f = asInt(v, 1);
    return f <= 0 ? 1 : f;
}

// A sheet of the teaching plan: one row of qor_plan.
struct PlanRow {
    std::int64_t vid = 0, id = 0, teacher = 0, year = 0, rule = 0, kafedra = 0;
    bool hasRule = false;
};

std::vector<PlanRow> planRows(ProcedureContext& ctx, const std::string& where,
                              const std::vector<Value>& params, const std::string& order) {
    auto rs = select(ctx.db(),
                     "SELECT p.vid_rrnk, p.id_rrnk_all, p.id_teacher, p.id_a_year, "
                     "COALESCE(p.id_ebe_var, gs.id_ebe_var), p.id_kafedra FROM qor_plan p "
                     "LEFT JOIN g_s gs ON p.vid_rrnk = 1 AND gs.id_group = p.id_gr_potok "
                     "WHERE " +
                         where + " ORDER BY " + order,
                     params,
                     {{"vid", Type::Integer},
                      {"id", Type::Integer},
                      {"teacher", Type::Integer},
                      {"year", Type::Integer},
                      {"rule", Type::Integer},
                      {"kafedra", Type::Integer}});
    std::vector<PlanRow> out;
    for (const auto& r : rs.rows) {
        PlanRow p;
        p.vid = asInt(r[0]);
        p.id = asInt(r[1]);
        p.teacher = asInt(r[2]);
        p.year = asInt(r[3]);
        p.hasRule = !isNull(r[4]);
        p.rule = asInt(r[4]);
        p.kafedra = asInt(r[5]);
        out.push_back(p);
    }
    return out;
}

// The group's plan rows of a sheet, of the newest academic year when none is given.
std::vector<PlanRow> groupPlan(ProcedureContext& ctx, const Value& group, const Value& teacher,
                               const Value& semester, const Value& discipline,
                               const Value& examination, const Value& kredit, const Value& year,
                               const Value& rule) {
    auto rows = planRows(ctx,
                         "p.vid_rrnk = 1 AND p.id_gr_potok = ?1 AND p.id_teacher = ?2 AND "
                         "p.id_sem = ?3 AND p.id_discipline = ?4 AND (?5 IS NULL OR "
                         "p.id_examination = ?5) AND (IFNULL(?6, -1) < 0 OR p.kredit = ?6) AND "
                         "(IFNULL(?7, 0) <= 0 OR p.id_a_year = ?7)",
                         {group, teacher, semester, discipline, examination, kredit, year, rule},
                         "p.id_a_year DESC, (COALESCE(p.id_ebe_var, gs.id_ebe_var) = ?8) DESC, "
                         "p.id_rrnk_all");
    if (!rows.empty()) {
        std::int64_t newest = rows.front().year;
        std::erase_if(rows, [&](const PlanRow& p) { return p.year != newest; });
    }
    return rows;
}

// The stream's plan rows of a sheet (one per department teaching it), the row of the
// given department first.
std::vector<PlanRow> streamPlan(ProcedureContext& ctx, const Value& subgroup, const Value& teacher,
                                const Value& year, const Value& semester, const Value& discipline,
                                const Value& examination, const Value& kredit,
                                std::int64_t kafedraFirst) {
    return planRows(
        ctx,
        "p.vid_rrnk = 2 AND p.id_gr_potok = ?1 AND p.id_teacher = ?2 AND "
        "p.id_a_year = ?3 AND p.id_sem = ?4 AND p.id_discipline = ?5 AND "
        "(?6 IS NULL OR p.id_examination = ?6) AND (IFNULL(?7, -1) < 0 OR "
        "p.kredit = ?7)",
        {subgroup, teacher, year, semester, discipline, examination, kredit, kafedraFirst},
        "(p.id_kafedra = ?8) DESC, p.id_rrnk_all");
}

std::string idList(const std::vector<PlanRow>& rows) {
    std::string s;
    for (const auto& p : rows) {
        if (!s.empty()) s += ',';
        s += std::to_string(p.id);
    }
    return s.empty() ? "NULL" : s;
}

// The filter of the sheet's filter list. The client sends it as a condition text; only
// the conditions of that list are accepted, never a text spliced into the query.
std::string estimationFilter(const Value& v) {
    std::string key;
    for (char c : asText(v))
        if (!std::isspace(static_cast<unsigned char>(c)))
            key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (key.empty() || key == "0" || key == "1=1") return "1=1";
    if (key == "(id_estimation<>25)") return "IFNULL(m.id_estimation, 0) <> 25";
    if (key == "(id_estimationin(8,9,10,11,16))") return "m.id_estimation IN (8, 9, 10, 11, 16)";
    throw Error("Недопустимый фильтр ведомости: " + asText(v) + ".");
}

void sortMarkMag(ProcedureContext& ctx) {
    const SessionLogin session = sessionLogin(ctx);
    const std::int64_t form = formOf(ctx.arg("@id_f_est"));
    const std::string filter = estimationFilter(ctx.arg("@DoNotShowEst"));
    const bool stream = asInt(ctx.arg("@isGetFromSubGroup")) != 0;
    std::vector<PlanRow> plan;
    std::string where;
    std::vector<Value> params{session.teacherId, form};
    if (stream) {
        std::int64_t kafedra = asInt(ctx.arg("@id_kafedra"), -1);
        plan = streamPlan(ctx, ctx.arg("@subGroup"), ctx.arg("@id_teacher"),
                          Value{asInt(ctx.arg("@id_a_year"))}, ctx.arg("@semester"),
                          ctx.arg("@discipline"), ctx.arg("@examination"), ctx.arg("@kredits"),
                          kafedra);
        where = "m.vid_rrnk = 2 AND m.id_rrnk_all IN (" + idList(plan) + ")";
        if (kafedra > 0) {
            where += " AND m.id_kafedra = ?3";
            params.push_back(kafedra);
        }
    } else {
        plan = groupPlan(ctx, ctx.arg("@group"), ctx.arg("@id_teacher"), ctx.arg("@semester"),
                         ctx.arg("@discipline"), ctx.arg("@examination"), ctx.arg("@kredits"),
                         Value{asInt(ctx.arg("@id_a_year"))}, ctx.arg("@id_ebe_var"));
        where = "m.vid_rrnk = 1 AND m.id_rrnk_all IN (" + idList(plan) + ")";
    }
    auto f = [](const char* n) { return Column{n, Type::Float, 0}; };
    auto i = [](const char* n) { return Column{n, Type::Integer, 0}; };
    std::vector<Column> columns = {i("k_count"),
                                   i("id_mark_mag"),
                                   i("id_group"),
                                   i("id_student"),
                                   i("id_examination"),
                                   i("id_estimation"),
                                   i("id_discipline"),
                                   i("id_semester"),
                                   i("id_teacher"),
                                   {"p35", Type::Text, 50},
                                   {"p36", Type::DateTime, 0},
                                   i("id_f_est"),
                                   {"oper", Type::Text, 5},
                                   {"u_date", Type::DateTime, 0},
                                   f("m1"),
                                   f("m2"),
                                   f("m3"),
                                   f("m4"),
                                   f("dop"),
                                   f("dop2"),
                                   f("ball"),
                                   {"QOR_User", Type::Text, 20},
                                   {"QOR_Update", Type::DateTime, 0},
                                   i("CanEdit"),
                                   {"primech", Type::Text, 50},
                                   f("m5"),
                                   f("m6"),
                                   f("m7"),
                                   f("m8"),
                                   f("m9"),
                                   f("m10"),
                                   f("m11"),
                                   i("id_estimation_other"),
                                   f("m12"),
                                   i("dopusk_izm"),
                                   {"p20", Type::Text, 20},
                                   i("id_ebe_var"),
                                   i("rec_no"),
                                   i("id_poseshal")};
    ctx.addResultSet(select(
        ctx.db(),
        "SELECT COUNT(*) OVER (), m.id_mark_mag, m.id_group, m.id_student, m.id_examination, "
        "m.id_estimation, m.id_discipline, m.id_semester, m.id_teacher, m.p35, m.p36, "
        "m.id_f_est, m.oper, m.u_date, m.m1, m.m2, m.m3, m.m4, m.dop, m.dop2, m.ball, "
        "m.QOR_User, m.QOR_Update, "
        "CASE WHEN p.id_teacher IS NULL OR p.id_teacher <> ?1 OR m.is_closed <> 0 THEN 0 "
        "WHEN m.individual <> 0 THEN 2 ELSE 1 END, "
        "pay.dopusk, m.m5, m.m6, m.m7, m.m8, m.m9, m.m10, m.m11, m.id_estimation_other, "
        "m.m12, CASE WHEN m.id_poseshal = 1 THEN 1 ELSE 0 END, g.p20, m.id_ebe_var, "
        "ROW_NUMBER() OVER (ORDER BY s.s_fio, m.id_mark_mag), m.id_poseshal "
        "FROM mark_mag m JOIN s_fio s ON s.id_student = m.id_student "
        "LEFT JOIN [group] g ON g.id_group = m.id_group "
        "LEFT JOIN qor_plan p ON p.vid_rrnk = m.vid_rrnk AND p.id_rrnk_all = m.id_rrnk_all "
        "LEFT JOIN student_payment pay ON pay.id_student = m.id_student AND "
        "pay.id_a_year = m.id_a_year AND pay.id_semester = m.id_semester "
        "WHERE " +
            where + " AND m.id_f_est = ?2 AND " + filter + " ORDER BY s.s_fio, m.id_mark_mag",
        params, std::move(columns)));
}

// Creates the missing rows of a sheet: one per student of the group, or of the stream
// (each under the plan row of the student's department). A re-examination form takes
// only the students who owe the assessment, with the marks its copy settings name.
void insertIntoSortMarkMag(ProcedureContext& ctx) {
    const SessionLogin session = sessionLogin(ctx);
    const Value& teacher = ctx.arg("@id_teacher");
    if (session.teacherId == 0 || asInt(teacher) != session.teacherId)
        throw Error("Ведомость готовит только преподаватель, за которым закреплена нагрузка.");
    const std::int64_t form = formOf(ctx.arg("@id_f_est"));
    const bool stream = asInt(ctx.arg("@isPotok")) != 0;
    std::vector<PlanRow> plan;
    if (stream)
        plan = streamPlan(ctx, ctx.arg("@subgroup"), teacher, ctx.arg("@id_a_year"),
                          ctx.arg("@semester"), ctx.arg("@discipline"), ctx.arg("@examination"),
                          ctx.arg("@kredit"), 0);
    else
        plan = groupPlan(ctx, ctx.arg("@group"), teacher, ctx.arg("@semester"),
                         ctx.arg("@discipline"), ctx.arg("@examination"), ctx.arg("@kredit"),
                         Value{std::int64_t{0}}, ctx.arg("@id_ebe_var"));
    if (plan.empty())
        throw Error("Нагрузка по этой дисциплине за преподавателем не найдена в учебном плане.");
    if (stream && plan.size() > 1)  // the department order of the rows is by plan id
        std::sort(plan.begin(), plan.end(),
                  [](const PlanRow& a, const PlanRow& b) { return a.id < b.id; });

    std::string kafedras;
    for (const auto& p : plan) {
        if (!kafedras.empty()) kafedras += ',';
        kafedras += std::to_string(p.kafedra);
    }

    std::int64_t inserted = 0;
    for (std::size_t n = 0; n < plan.size(); ++n) {
        const PlanRow& p = plan[n];
        // a rule number below 1 names no rule: the plan's own applies
        const Value& given = ctx.arg("@id_ebe_var");
        const Value rule = isNull(given) || asInt(given) <= 0
                               ? (p.hasRule ? Value{p.rule} : Value{std::monostate{}})
                               : given;
        // marks copied from the ordinary sheet into a re-examination sheet
        std::string marks;
        for (int m = 0; m < kModulCount; ++m) {
            bool copy = false;
            if (form != 1) {
                auto v = scalar(ctx.db(),
                                "SELECT doCopy FROM T_MarkMagModulCopyAccess WHERE id_f_est = ?1 "
                                "AND id_modul = ?2 AND id_ebe_var = ?3",
                                {form, std::int64_t{m + 1}, rule});
                copy = v && asInt(*v) != 0;
            }
            std::string field = kModulFields[m];
            marks += copy ? ", (SELECT o." + field +
                                " FROM mark_mag o WHERE o.vid_rrnk = ?1 AND o.id_rrnk_all = ?2 "
                                "AND o.id_f_est = 1 AND o.id_student = st.id_student)"
                          : ", NULL";
        }
        std::string students =
            stream ? "SELECT s.id_student, s.id_group, g.id_kafedra FROM DisciplineForStudent d "
                     "JOIN s_fio s ON s.id_student = d.id_student "
                     "JOIN [group] g ON g.id_group = s.id_group "
                     "WHERE d.subgroup = ?10 AND d.id_discipline = ?5 AND d.id_a_year = ?11 "
                     "AND d.id_w_s = ?6 AND d.id_examination = ?4 AND d.kredits = ?12 "
                     "AND d.id_teacher = ?7 AND (g.id_kafedra = ?13 OR (?14 = 1 AND "
                     "g.id_kafedra NOT IN (" +
                         kafedras + ")))"
                   : "SELECT s.id_student, s.id_group, g.id_kafedra FROM s_fio s "
                     "JOIN [group] g ON g.id_group = s.id_group WHERE s.id_group = ?15";
        std::string debtors =
            form == 1 ? ""
                      : " AND EXISTS (SELECT 1 FROM mark_mag o JOIN estimation e ON "
                        "e.id_estimation = o.id_estimation WHERE o.vid_rrnk = ?1 AND "
                        "o.id_rrnk_all = ?2 AND o.id_f_est = 1 AND o.id_student = st.id_student "
                        "AND e.is_debt = 1)";
        inserted += exec(
            ctx.db(),
            "INSERT INTO mark_mag (id_group, id_student, id_examination, id_discipline, "
            "id_semester, id_teacher, id_f_est, oper, u_date, QOR_User, id_ebe_var, id_a_year, "
            "kredit, vid_rrnk, id_rrnk_all, subgroup, id_kafedra, m1, m2, m3, m4, m5, m6, m7, "
            "m8, m9, m10, m11, m12, dop, dop2) "
            "SELECT st.id_group, st.id_student, ?4, ?5, ?6, ?7, ?3, 'I', "
            "strftime('%Y-%m-%d %H:%M:%f', 'now', 'localtime'), ?8, ?9, ?11, ?12, ?1, ?2, ?10, "
            "st.id_kafedra" +
                marks + " FROM (" + students +
                ") st WHERE NOT EXISTS (SELECT 1 FROM mark_mag x WHERE x.vid_rrnk = ?1 AND "
                "x.id_rrnk_all = ?2 AND x.id_f_est = ?3 AND x.id_student = st.id_student)" +
                debtors,
            {p.vid, p.id, form, ctx.arg("@examination"), ctx.arg("@discipline"),
             ctx.arg("@semester"), p.teacher, session.login, rule,
             stream ? ctx.arg("@subgroup") : Value{std::int64_t{0}}, p.year, ctx.arg("@kredit"),
             p.kafedra, std::int64_t{n == 0 ? 1 : 0}, ctx.arg("@group")});
    }
    ctx.setRowsAffected(inserted);
}

// Whether each control point 1..14 of a sheet is open now (see qor_modul_state);
// -1 for a control point the sheet's rule does not have, 0 for all of another teacher's
// sheet.
void modulsInfo(ProcedureContext& ctx, const std::vector<PlanRow>& plan, const Value& ruleArg) {
    const SessionLogin session = sessionLogin(ctx);
    const std::int64_t form = formOf(ctx.arg("@id_f_e"));
    PlanRow p = plan.empty() ? PlanRow{} : plan.front();
    Value rule = !isNull(ruleArg) ? ruleArg : (p.hasRule ? Value{p.rule} : Value{});
    const std::int64_t own = !plan.empty() && p.teacher == session.teacherId ? 1 : 0;
    ctx.addResultSet(select(
        ctx.db(),
        "WITH RECURSIVE mods(id_modul) AS (SELECT 1 UNION ALL SELECT id_modul + 1 FROM mods "
        "WHERE id_modul < 14) "
        "SELECT mods.id_modul, CASE WHEN ?5 = 0 THEN 0 WHEN c.name_pole IS NULL THEN -1 "
        "ELSE IFNULL(st.CanEdit, -1) END, c.name_pole, t.begDate, t.endDate FROM mods "
        "LEFT JOIN (SELECT " +
            modulNumberSql("pole_mark_mag") +
            " AS id_modul, MIN(name_pole) AS name_pole FROM est_config WHERE id_ebe_var = ?1 AND "
            "info_or_value = 1 AND (id_f_est = ?4 OR (id_f_est = 1 AND ?4 <> 1)) GROUP BY 1) c "
            "ON c.id_modul = mods.id_modul "
            "LEFT JOIN qor_modul_state st ON st.vid_rrnk = ?2 AND st.id_rrnk_all = ?3 AND "
            "st.id_f_e = ?4 AND st.id_modul = mods.id_modul "
            "LEFT JOIN (SELECT id_modul, MIN(begDate) AS begDate, MAX(endDate) AS endDate FROM "
            "IndividualModulPermissPotok WHERE vid_rrnk = ?2 AND id_rrnk_all = ?3 AND id_f_e = ?4 "
            "AND individual = 0 GROUP BY id_modul) t ON t.id_modul = mods.id_modul "
            "ORDER BY mods.id_modul",
        {rule, p.vid, p.id, form, own},
        {{"id_modul", Type::Integer, 0},
         {"CanEdit", Type::Integer, 0},
         {"name_pole", Type::Text, 50},
         {"begDate", Type::DateTime, 0},
         {"endDate", Type::DateTime, 0}}));
}

void loadModulsInfo(ProcedureContext& ctx) {
    auto plan = groupPlan(ctx, ctx.arg("@id_group"), ctx.arg("@id_teacher"),
                          ctx.arg("@id_semester"), ctx.arg("@id_discipline"), Value{}, Value{},
                          ctx.arg("@id_a_year"), ctx.arg("@id_ebe_var"));
    modulsInfo(ctx, plan, ctx.arg("@id_ebe_var"));
}

void loadModulsInfoP(ProcedureContext& ctx) {
    // the plan row of the department of the group the sheet's first row belongs to
    std::int64_t kafedra = 0;
    if (auto k = scalar(ctx.db(), "SELECT id_kafedra FROM [group] WHERE id_group = ?1",
                        {ctx.arg("@id_group")}))
        kafedra = asInt(*k);
    auto plan = streamPlan(ctx, ctx.arg("@subgroup"), ctx.arg("@id_teacher"), ctx.arg("@id_a_year"),
                           ctx.arg("@id_semester"), ctx.arg("@id_discipline"),
                           ctx.arg("@id_examination"), ctx.arg("@kredits"), kafedra);
    modulsInfo(ctx, plan, ctx.arg("@id_ebe_var"));
}

Parameter intParam(const char* name, std::optional<Value> def = std::nullopt) {
    return Parameter{name, Type::Integer, 0, std::move(def), false};
}
Parameter textParam(const char* name, std::optional<Value> def = std::nullopt) {
    return Parameter{name, Type::Text, 0, std::move(def), false};
}

}  // namespace

void registerSheet(Registry& registry) {
    const Value zero = std::int64_t{0};
    const Value minusOne = std::int64_t{-1};
    const Value null = std::monostate{};
    registry.addProcedure(
        {"SORT_MARK_MAG",
         1,
         {intParam("@group", zero), intParam("@semester", zero), intParam("@discipline", zero),
          intParam("@examination", zero), intParam("@id_teacher", zero),
          textParam("@DoNotShowEst", Value{"0"}), intParam("@subGroup", zero),
          intParam("@isGetFromSubGroup", zero), textParam("@id_a_year", Value{"0"}),
          intParam("@id_ebe_var", minusOne), intParam("@id_kafedra", zero),
          intParam("@id_f_est", zero), intParam("@kredits", minusOne)},
         sortMarkMag});
    registry.addProcedure({"InsertInto_SORT_MARK_MAG",
                           1,
                           {intParam("@group"), intParam("@semester"), intParam("@discipline"),
                            intParam("@examination"), intParam("@id_teacher"),
                            intParam("@flag", Value{std::int64_t{1}}), intParam("@subgroup", zero),
                            intParam("@isPotok", zero), intParam("@id_a_year", zero),
                            intParam("@id_f_est", Value{std::int64_t{1}}),
                            intParam("@id_ebe_var", null), intParam("@kredit", minusOne)},
                           insertIntoSortMarkMag});
    registry.addProcedure(
        {"LoadModulsInfo",
         1,
         {intParam("@id_a_year"), intParam("@id_semester"), intParam("@id_group"),
          intParam("@id_teacher"), intParam("@id_discipline"), intParam("@id_faculty", null),
          intParam("@id_f_educ", null), intParam("@id_ebe_var", null),
          intParam("@id_f_e", Value{std::int64_t{1}}), intParam("@id_speciality", null)},
         loadModulsInfo});
    registry.addProcedure(
        {"LoadModulsInfoP",
         1,
         {intParam("@id_a_year"), intParam("@id_semester"), intParam("@id_ebe_var", null),
          intParam("@forPotok", Value{std::int64_t{1}}), intParam("@id_teacher"),
          intParam("@id_discipline"), intParam("@subgroup"),
          intParam("@id_f_e", Value{std::int64_t{1}}), intParam("@kredits", minusOne),
          intParam("@id_examination", null), intParam("@id_group", null)},
         loadModulsInfoP});
}

}  // namespace server::qor
