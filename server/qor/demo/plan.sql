-- Demo faculty: the teaching plan of the current academic year (and one closed sheet of
-- the year before), the streams with their students, admission by payment, and the
-- submission terms of the control points relative to today.

-- Curriculum lines: (speciality, discipline, semester, assessment, credits)
INSERT INTO educ_sh (id_educ_sh, id_speciality, id_discipline, id_semester, id_examination, kredit, hours) VALUES
    (1, 1, 1, 1, 1, 3, 90),     -- Базы данных, exam, 3 credits
    (2, 2, 1, 1, 1, 4, 120),    -- Базы данных, exam, 4 credits
    (3, 1, 2, 1, 5, 2, 60),     -- Веб-программирование, course project
    (4, 1, 3, 1, 4, 2, 60),     -- ООП, course work
    (5, 2, 4, 1, 3, 5, 150),    -- АиСД, graded credit
    (6, 1, 5, 1, 2, 3, 90),     -- Операционные системы, credit
    (7, 1, 8, 1, 7, 2, 60),     -- Учебная практика, attestation
    (8, 1, 9, 1, 2, 3, 90),     -- Казахский язык, credit
    (9, 2, 10, 1, 1, 5, 150),   -- Математический анализ, exam
    (10, 1, 11, 1, 2, 2, 60),   -- Физическая культура, credit
    (11, 1, 12, 2, 1, 5, 150);  -- Программная инженерия, spring exam

-- The groups' load: (curriculum line, group, teacher, year, department, rule)
INSERT INTO rrnk (id_rrnk, id_educ_sh, id_group, id_teacher, id_a_year, id_kafedra, id_ebe_var) VALUES
    (1, 1, 1, 1, @YEAR@, 1, 101),
    (2, 2, 3, 1, @YEAR@, 1, 102),
    (3, 3, 1, 1, @YEAR@, 1, 103),
    (4, 4, 2, 1, @YEAR@, 1, 104),
    (5, 5, 3, 1, @YEAR@, 2, NULL),   -- the rule comes from the group (g_s)
    (6, 6, 2, 1, @YEAR@, 1, 106),
    (7, 7, 1, 1, @YEAR@, 1, 108),
    (8, 8, 2, 2, @YEAR@, 1, 109),
    (9, 9, 3, 3, @YEAR@, 2, 110),
    (10, 10, 1, 3, @YEAR@, 2, 111),
    (11, 11, 1, 1, @YEAR@, 1, 112),
    (12, 1, 2, 2, @YEAR@, 1, 101),   -- the same discipline for group 2, another teacher
    (13, 6, 1, 1, @PREV@, 1, 106);   -- last year's sheet, closed

-- The streams' load: 101 is taught to both departments' students, 102 has no rule yet.
INSERT INTO RRNKkrdt (id_rrnkKrdt, subgroup, id_teacher, id_a_year, id_w_s, id_kafedra, id_examination, id_discipline, kredit, prov_reyt, id_ebe_var, id_f_educ) VALUES
    (1, 101, 1, @YEAR@, 1, 1, 1, 6, 5, 0, 107, 1),
    (2, 101, 1, @YEAR@, 1, 2, 1, 6, 5, 0, 107, 1),
    (3, 102, 1, @YEAR@, 1, 1, 6, 7, 3, 0, NULL, 1),
    (4, 103, 3, @YEAR@, 1, 2, 2, 11, 2, -1, 111, 1);  -- withdrawn load

-- Stream 101: groups 1 and 3; stream 102: groups 2 and 3.
INSERT INTO DisciplineForStudent (id_student, id_teacher, id_discipline, subgroup, id_a_year, id_w_s, id_examination, kredits)
SELECT id_student, 1, 6, 101, @YEAR@, 1, 1, 5 FROM s_fio WHERE id_group IN (1, 3)
UNION ALL
SELECT id_student, 1, 7, 102, @YEAR@, 1, 6, 3 FROM s_fio WHERE id_group IN (2, 3);

-- Admission by payment: everybody but three students has paid this semester.
INSERT INTO student_payment (id_student, id_a_year, id_semester, dopusk)
SELECT id_student, @YEAR@, 1, CASE WHEN id_student IN (7, 30, 52) THEN NULL ELSE 'д' END FROM s_fio
UNION ALL
SELECT id_student, @PREV@, 1, 'д' FROM s_fio WHERE id_group = 1;

-- Submission terms: every control point of every sheet of the current year is open from
-- a month ago for another month; the cases below then vary them.
CREATE TEMP TABLE demo_modul (field TEXT, id_modul INT);
INSERT INTO demo_modul VALUES ('m1', 1), ('m2', 2), ('m3', 3), ('m4', 4), ('m5', 5), ('m6', 6),
    ('m7', 7), ('m8', 8), ('m9', 9), ('m10', 10), ('m11', 11), ('m12', 12), ('dop', 13), ('dop2', 14);
INSERT INTO IndividualModulPermissPotok (id_teacher, id_year, id_discipline, id_modul, begDate, endDate, vid_rrnk, id_rrnk_all, id_f_e, id_w_s, subgroup, id_ebe_var)
SELECT p.id_teacher, p.id_a_year, p.id_discipline, m.id_modul,
       strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '-30 days'),
       strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '+30 days'),
       p.vid_rrnk, p.id_rrnk_all, c.id_f_est, p.id_sem,
       CASE p.vid_rrnk WHEN 2 THEN p.id_gr_potok ELSE 0 END, c.id_ebe_var
FROM qor_plan p
LEFT JOIN g_s gs ON p.vid_rrnk = 1 AND gs.id_group = p.id_gr_potok
JOIN est_config c ON c.id_ebe_var = COALESCE(p.id_ebe_var, gs.id_ebe_var) AND c.info_or_value = 1
JOIN demo_modul m ON m.field = c.pole_mark_mag
WHERE p.id_a_year = @YEAR@ AND p.id_sem = 1;
DROP TABLE demo_modul;

-- Базы данных of group 1 (plan row 1): РК 1 is over, РК 2 open, the exam closes in two
-- days, the FX retake has not begun.
UPDATE IndividualModulPermissPotok
SET begDate = strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '-60 days'),
    endDate = strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '-30 days')
WHERE vid_rrnk = 1 AND id_rrnk_all = 1 AND id_f_e = 1 AND id_modul = 1;
UPDATE IndividualModulPermissPotok
SET begDate = strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '-5 days'),
    endDate = strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '+2 days')
WHERE vid_rrnk = 1 AND id_rrnk_all = 1 AND id_f_e = 1 AND id_modul = 3;
UPDATE IndividualModulPermissPotok
SET begDate = strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '+20 days'),
    endDate = strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '+35 days')
WHERE vid_rrnk = 1 AND id_rrnk_all = 1 AND id_f_e IN (9, 10);

-- Stream 101: РК 1 is over but the dean's office extended it for the teacher; the exam
-- has not begun.
UPDATE IndividualModulPermissPotok
SET begDate = strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '-60 days'),
    endDate = strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '-20 days')
WHERE vid_rrnk = 2 AND id_rrnk_all IN (1, 2) AND id_modul = 1;
INSERT INTO IndividualModulPermissPotok (id_teacher, id_year, id_discipline, id_modul, begDate, endDate, vid_rrnk, id_rrnk_all, id_f_e, id_w_s, subgroup, id_ebe_var, individual)
SELECT id_teacher, id_year, id_discipline, 1,
       strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '-2 days'),
       strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '+5 days'),
       2, id_rrnk_all, 1, id_w_s, subgroup, id_ebe_var, 1
FROM IndividualModulPermissPotok WHERE vid_rrnk = 2 AND id_rrnk_all IN (1, 2) AND id_modul = 1;
UPDATE IndividualModulPermissPotok
SET begDate = strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '+10 days'),
    endDate = strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '+25 days')
WHERE vid_rrnk = 2 AND id_rrnk_all IN (1, 2) AND id_modul = 3;

-- Spring terms lie ahead; last year's terms are long over.
INSERT INTO IndividualModulPermissPotok (id_teacher, id_year, id_discipline, id_modul, begDate, endDate, vid_rrnk, id_rrnk_all, id_f_e, id_w_s, subgroup, id_ebe_var)
VALUES
    (1, @YEAR@, 12, 1, strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '+60 days'),
        strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '+90 days'), 1, 11, 1, 2, 0, 112),
    (1, @YEAR@, 12, 2, strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '+90 days'),
        strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '+120 days'), 1, 11, 1, 2, 0, 112),
    (1, @YEAR@, 12, 3, strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '+150 days'),
        strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '+165 days'), 1, 11, 1, 2, 0, 112),
    (1, @PREV@, 5, 1, strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '-400 days'),
        strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '-370 days'), 1, 13, 1, 1, 0, 106),
    (1, @PREV@, 5, 2, strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '-370 days'),
        strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '-340 days'), 1, 13, 1, 1, 0, 106);
