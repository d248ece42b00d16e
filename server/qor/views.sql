-- Views of the QOR database. The per-login views show a teacher only the entries of their
-- own teaching load, and only to the server login that teacher signed in with
-- (tsql_login() is the login of the connection).

-- The signed-in login and its teacher (none for the technical login).
CREATE VIEW qor_session_login AS
SELECT l.id_qor_login, l.login, t.id_teacher
FROM QOR_Login l
LEFT JOIN QORTeacher t ON t.id_qor_login = l.id_qor_login
WHERE l.server_login = tsql_login();

-- Every sheet of the teaching plan: a group's plan row (vid_rrnk 1) or a stream's (2).
CREATE VIEW qor_plan AS
SELECT 1 AS vid_rrnk, r.id_rrnk AS id_rrnk_all, r.id_teacher, r.id_a_year,
       e.id_semester AS id_sem, 0 AS isSelect, e.id_discipline, e.id_examination, e.kredit,
       r.id_group AS id_gr_potok, g.p20 AS gr_potok, r.id_ebe_var, r.id_kafedra
FROM rrnk r
JOIN educ_sh e ON e.id_educ_sh = r.id_educ_sh
JOIN [group] g ON g.id_group = r.id_group
UNION ALL
SELECT 2, k.id_rrnkKrdt, k.id_teacher, k.id_a_year, k.id_w_s, 1, k.id_discipline,
       k.id_examination, k.kredit, k.subgroup, 'Поток ' || k.subgroup, k.id_ebe_var,
       k.id_kafedra
FROM RRNKkrdt k
WHERE k.prov_reyt >= 0;

-- The plan rows of the signed-in teacher, with the login id the client filters on.
CREATE VIEW qor_login_plan AS
SELECT p.*, q.id_qor_login AS id_login
FROM qor_plan p
JOIN QORTeacher q ON q.id_teacher = p.id_teacher
WHERE q.id_qor_login IN (SELECT id_qor_login FROM qor_session_login);

-- A semester is listed once for the teacher's groups and once for their streams.
CREATE VIEW f_QOR28_sem AS
SELECT DISTINCT p.id_sem, p.isSelect,
       s.p43 || CASE p.isSelect WHEN 1 THEN ' (потоки)' ELSE ' (группы)' END AS sem,
       p.id_a_year, p.id_login, s.ws_sort * 10 + p.isSelect AS ws_sort
FROM qor_login_plan p
JOIN semester s ON s.id_semester = p.id_sem;

-- One entry per discipline and credit count.
CREATE VIEW f_QOR28_disc AS
SELECT DISTINCT id_discipline, kredit, id_login, id_a_year, id_sem, isSelect
FROM qor_login_plan;

CREATE VIEW f_QOR28_exam AS
SELECT DISTINCT id_examination, kredit, id_login, id_a_year, id_sem, isSelect, id_discipline
FROM qor_login_plan;

CREATE VIEW f_QOR28_gr_potok AS
SELECT DISTINCT id_gr_potok, gr_potok, isSelect, id_teacher, id_login, id_a_year, id_sem,
       id_discipline, id_examination, kredit
FROM qor_login_plan;

-- The bands a speciality grades by when a group's sheet names no rule.
CREATE VIEW GetMinMaxBalForEstimation AS
SELECT s.id_speciality, e.id_estimation, e.beg_bal, e.end_bal
FROM speciality s
JOIN ebe e ON e.id_ebe_var = s.id_ebe_var_bal;

-- Whether a control point of a sheet is open, from its submission terms (the term's last
-- day counts whole): -1 not begun yet, 0 over, 1 open, 2 open with three days or less
-- left, 3 open by an extension of the dean's office. A control point without terms is
-- not in this view; the procedures take it as -1.
CREATE VIEW qor_modul_state AS
SELECT vid_rrnk, id_rrnk_all, id_f_e, id_modul,
       CASE
           WHEN MAX(individual = 1 AND now >= begDate AND now < endDay) = 1 THEN 3
           WHEN MAX(individual = 0 AND now >= begDate AND now < endDay) = 1 THEN
               CASE WHEN MAX(CASE WHEN individual = 0 AND now >= begDate AND now < endDay
                                  THEN julianday(endDay) - julianday(now) END) <= 3
                    THEN 2 ELSE 1 END
           WHEN MAX(individual = 0 AND now >= endDay) = 1 THEN 0
           ELSE -1
       END AS CanEdit
FROM (SELECT t.*, strftime('%Y-%m-%d %H:%M:%f', 'now', 'localtime') AS now,
             date(t.endDate, '+1 day') AS endDay
      FROM IndividualModulPermissPotok t)
GROUP BY vid_rrnk, id_rrnk_all, id_f_e, id_modul;
