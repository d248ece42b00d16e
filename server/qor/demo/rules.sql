-- Demo faculty: grading rules (rule rows with their formulas), grade bands, other grades.
-- Formulas use the client's formula language: M1..M12, DOP, DOP2, + - * / ^, MIN, MAX,
-- no blanks.

-- Bands: the faculty's default set (rule 100, graded by the specialities) and one set
-- per rule, for the sheet's kind of assessment. The band н/я is empty (its bounds equal),
-- so a total never earns it by itself.
CREATE TEMP TABLE demo_band (kind TEXT, id_estimation INT, beg_bal FLOAT, end_bal FLOAT);
INSERT INTO demo_band VALUES
    ('graded', 11, 0, 50), ('graded', 3, 50, 71), ('graded', 4, 71, 86),
    ('graded', 5, 86, 101), ('graded', 8, 0, 0),
    ('credit', 10, 0, 50), ('credit', 2, 50, 101), ('credit', 8, 0, 0),
    ('attest', 16, 0, 50), ('attest', 17, 50, 101), ('attest', 8, 0, 0);
CREATE TEMP TABLE demo_rule (id_ebe_var INT, kind TEXT);
INSERT INTO demo_rule VALUES
    (101, 'graded'), (102, 'graded'), (103, 'graded'), (104, 'graded'), (105, 'graded'),
    (106, 'credit'), (107, 'graded'), (108, 'attest'), (109, 'credit'), (110, 'graded'),
    (111, 'credit'), (112, 'graded');
INSERT INTO ebe (id_ebe_var, id_estimation, beg_bal, end_bal)
SELECT 100, id_estimation, beg_bal, end_bal FROM demo_band
WHERE kind = 'graded' OR id_estimation <> 8;
INSERT INTO ebe (id_ebe_var, id_estimation, beg_bal, end_bal)
SELECT r.id_ebe_var, b.id_estimation, b.beg_bal, b.end_bal
FROM demo_rule r JOIN demo_band b ON b.kind = r.kind
ORDER BY r.id_ebe_var, b.id_estimation;
DROP TABLE demo_band;
DROP TABLE demo_rule;

-- Rule rows: (rule, order, title, entered 1 / computed 0, field, formula, min, max, form)
INSERT INTO est_config (id_ebe_var, order_pole, name_pole, info_or_value, pole_mark_mag, formula, [min], [max], id_f_est) VALUES
    -- 101 Базы данных (3 credits), exam: two midterm controls, the exam, an extra point,
    -- the admission rating as an intermediate value, and the FX and I re-examinations
    (101, 1, 'РК 1', 1, 'm1', NULL, 0, 30, 1),
    (101, 2, 'РК 2', 1, 'm2', NULL, 0, 30, 1),
    (101, 3, 'Экзамен', 1, 'm3', NULL, 0, 40, 1),
    (101, 4, 'Доп. балл', 1, 'dop', NULL, 0, 20, 1),
    (101, 5, 'Рейтинг допуска', 0, '', 'M1+M2', NULL, NULL, 1),
    (101, 6, 'Общий балл', 0, 'ball1', 'MIN(M1+M2+M3+DOP,100)', NULL, NULL, 1),
    (101, 6, 'Балл FX', 1, 'm12', NULL, 0, 40, 9),
    (101, 7, 'Общий балл FX', 0, 'ball1', 'MIN(M1+M2+M12+DOP,100)', NULL, NULL, 9),
    (101, 6, 'Балл I', 1, 'm12', NULL, 0, 40, 10),
    (101, 7, 'Общий балл I', 0, 'ball1', 'MIN(M1+M2+M12+DOP,100)', NULL, NULL, 10),
    -- 102 Базы данных (4 credits), exam: four controls of 25
    (102, 1, 'РК 1', 1, 'm1', NULL, 0, 25, 1),
    (102, 2, 'РК 2', 1, 'm2', NULL, 0, 25, 1),
    (102, 3, 'РК 3', 1, 'm3', NULL, 0, 25, 1),
    (102, 4, 'ИК', 1, 'm4', NULL, 0, 25, 1),
    (102, 5, 'Общий балл', 0, 'ball1', 'M1+M2+M3+M4', NULL, NULL, 1),
    -- 103 Веб-программирование, course project
    (103, 1, 'Пояснительная записка', 1, 'm1', NULL, 0, 60, 1),
    (103, 2, 'Защита', 1, 'm2', NULL, 0, 40, 1),
    (103, 3, 'Общий балл', 0, 'ball1', 'M1+M2', NULL, NULL, 1),
    -- 104 ООП, course work
    (104, 1, 'КР 1', 1, 'm1', NULL, 0, 50, 1),
    (104, 2, 'КР 2', 1, 'm2', NULL, 0, 50, 1),
    (104, 3, 'Общий балл', 0, 'ball1', 'M1+M2', NULL, NULL, 1),
    -- 105 the graded credit of group 3 (taken from the group's own rule)
    (105, 1, 'М 1', 1, 'm1', NULL, 0, 30, 1),
    (105, 2, 'М 2', 1, 'm2', NULL, 0, 30, 1),
    (105, 3, 'ИК', 1, 'm3', NULL, 0, 40, 1),
    (105, 4, 'Общий балл', 0, 'ball1', 'M1+M2+M3', NULL, NULL, 1),
    -- 106 Операционные системы, credit
    (106, 1, 'РК 1', 1, 'm1', NULL, 0, 50, 1),
    (106, 2, 'РК 2', 1, 'm2', NULL, 0, 50, 1),
    (106, 3, 'Общий балл', 0, 'ball1', 'M1+M2', NULL, NULL, 1),
    -- 107 Компьютерные сети, the stream of both departments: weighted midterms
    (107, 1, 'РК 1', 1, 'm1', NULL, 0, 30, 1),
    (107, 2, 'РК 2', 1, 'm2', NULL, 0, 30, 1),
    (107, 3, 'Экзамен', 1, 'm3', NULL, 0, 40, 1),
    (107, 4, 'Доп. балл', 1, 'dop', NULL, 0, 20, 1),
    (107, 5, 'Средний РК', 0, '', '(M1+M2)/2', NULL, NULL, 1),
    (107, 6, 'Общий балл', 0, 'ball1', 'MIN(M1+M2+M3+DOP,100)', NULL, NULL, 1),
    -- 108 Учебная практика, attestation
    (108, 1, 'Отчёт', 1, 'm1', NULL, 0, 50, 1),
    (108, 2, 'Защита', 1, 'm2', NULL, 0, 50, 1),
    (108, 3, 'Общий балл', 0, 'ball1', 'M1+M2', NULL, NULL, 1),
    -- 109 Казахский язык, credit
    (109, 1, 'РК 1', 1, 'm1', NULL, 0, 50, 1),
    (109, 2, 'РК 2', 1, 'm2', NULL, 0, 50, 1),
    (109, 3, 'Общий балл', 0, 'ball1', 'M1+M2', NULL, NULL, 1),
    -- 110 Математический анализ, exam
    (110, 1, 'РК 1', 1, 'm1', NULL, 0, 30, 1),
    (110, 2, 'РК 2', 1, 'm2', NULL, 0, 30, 1),
    (110, 3, 'Экзамен', 1, 'm3', NULL, 0, 40, 1),
    (110, 4, 'Общий балл', 0, 'ball1', 'M1+M2+M3', NULL, NULL, 1),
    -- 111 Физическая культура, credit
    (111, 1, 'Нормативы', 1, 'm1', NULL, 0, 100, 1),
    (111, 2, 'Общий балл', 0, 'ball1', 'M1', NULL, NULL, 1),
    -- 112 Программная инженерия (spring), exam
    (112, 1, 'РК 1', 1, 'm1', NULL, 0, 30, 1),
    (112, 2, 'РК 2', 1, 'm2', NULL, 0, 30, 1),
    (112, 3, 'Экзамен', 1, 'm3', NULL, 0, 40, 1),
    (112, 4, 'Общий балл', 0, 'ball1', 'M1+M2+M3', NULL, NULL, 1);

INSERT INTO EstimationOther (id_estimation_other, id_ebe_var, Estimation_Other) VALUES
    (1, 101, 'осв.'),
    (2, 101, 'акад.'),
    (3, 101, 'перезач.'),
    (4, 107, 'осв.'),
    (5, 107, 'перезач.');

-- The re-examination sheets of rule 101 start from the marks of the ordinary sheet.
INSERT INTO T_MarkMagModulCopyAccess (id_f_est, id_modul, id_ebe_var, doCopy) VALUES
    (9, 1, 101, 1), (9, 2, 101, 1), (9, 13, 101, 1),
    (10, 1, 101, 1), (10, 2, 101, 1), (10, 13, 101, 1);
