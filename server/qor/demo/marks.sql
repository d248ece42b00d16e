-- Demo faculty: marks already entered, and their history.

-- Базы данных, group ИС-24-1 (plan row 1): both midterm controls entered a month and ten
-- days ago; the exam is still ahead. A few students stand out: 3 studies by an
-- individual schedule, 5 was not admitted (н/п), 12 transferred and does not study the
-- discipline, 14 missed the early exam (н/я), 15 is barred by attendance, 20 is on
-- academic leave (the dean closed the row).
INSERT INTO mark_mag (id_group, id_student, id_examination, id_estimation, id_discipline, id_semester, id_teacher, p35, p36, id_f_est, oper, u_date,
                      m1, m2, m3, m4, dop, dop2, ball, QOR_User, QOR_Update, id_estimation_other, id_ebe_var, id_poseshal,
                      id_a_year, kredit, vid_rrnk, id_rrnk_all, subgroup, id_kafedra, is_closed, individual)
SELECT 1, s.id_student, 1,
       CASE s.id_student WHEN 5 THEN 9 WHEN 12 THEN 25 WHEN 14 THEN 8 ELSE NULL END,
       1, 1, 1, '1-1-1-1',
       strftime('%Y-%m-%d 10:00:00.000', 'now', 'localtime', '-10 days'), 1, 'U',
       strftime('%Y-%m-%d 10:05:00.000', 'now', 'localtime', '-10 days'),
       CASE WHEN s.id_student IN (5, 12, 20) THEN 0 ELSE 12 + (s.id_student * 7) % 19 END,
       CASE WHEN s.id_student IN (5, 12, 20) THEN 0 ELSE 8 + (s.id_student * 5) % 23 END,
       NULL, NULL, CASE WHEN s.id_student IN (2, 9) THEN 5 ELSE NULL END, NULL,
       CASE WHEN s.id_student IN (5, 12, 20) THEN 0
            ELSE 12 + (s.id_student * 7) % 19 + 8 + (s.id_student * 5) % 23
                 + CASE WHEN s.id_student IN (2, 9) THEN 5 ELSE 0 END END,
       'a.ivanova', strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '-10 days'),
       CASE s.id_student WHEN 20 THEN 2 ELSE NULL END, 101,
       CASE s.id_student WHEN 15 THEN 1 ELSE 2 END,
       @YEAR@, 3, 1, 1, 0, 1,
       CASE s.id_student WHEN 20 THEN 1 ELSE 0 END,
       CASE s.id_student WHEN 3 THEN 1 ELSE 0 END
FROM s_fio s WHERE s.id_group = 1;

-- The same discipline for group ИС-24-2, taught by Б. Е. Султанов.
INSERT INTO mark_mag (id_group, id_student, id_examination, id_discipline, id_semester, id_teacher, p35, p36, id_f_est, oper, u_date,
                      m1, ball, QOR_User, QOR_Update, id_ebe_var, id_poseshal,
                      id_a_year, kredit, vid_rrnk, id_rrnk_all, subgroup, id_kafedra)
SELECT 2, s.id_student, 1, 1, 1, 2, '2-1-1-1',
       strftime('%Y-%m-%d 11:00:00.000', 'now', 'localtime', '-20 days'), 1, 'U',
       strftime('%Y-%m-%d 11:02:00.000', 'now', 'localtime', '-20 days'),
       14 + (s.id_student * 3) % 17, 14 + (s.id_student * 3) % 17,
       'b.sultanov', strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '-20 days'), 101, 2,
       @YEAR@, 3, 1, 12, 0, 1
FROM s_fio s WHERE s.id_group = 2;

-- Компьютерные сети, stream 101: the first control of the students of both departments.
INSERT INTO mark_mag (id_group, id_student, id_examination, id_discipline, id_semester, id_teacher, p35, p36, id_f_est, oper, u_date,
                      m1, ball, QOR_User, QOR_Update, id_ebe_var, id_poseshal,
                      id_a_year, kredit, vid_rrnk, id_rrnk_all, subgroup, id_kafedra)
SELECT s.id_group, s.id_student, 1, 6, 1, 1, '101-1-6-1',
       strftime('%Y-%m-%d 09:30:00.000', 'now', 'localtime', '-25 days'), 1, 'U',
       strftime('%Y-%m-%d 09:31:00.000', 'now', 'localtime', '-25 days'),
       CASE WHEN s.id_student % 6 = 0 THEN NULL ELSE 10 + (s.id_student * 11) % 21 END,
       CASE WHEN s.id_student % 6 = 0 THEN NULL ELSE 10 + (s.id_student * 11) % 21 END,
       'a.ivanova', strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '-25 days'), 107, 2,
       @YEAR@, 5, 2, CASE g.id_kafedra WHEN 1 THEN 1 ELSE 2 END, 101, g.id_kafedra
FROM s_fio s JOIN [group] g ON g.id_group = s.id_group
WHERE s.id_group IN (1, 3);

-- Операционные системы of last year, group ИС-24-1: complete and closed.
INSERT INTO mark_mag (id_group, id_student, id_examination, id_estimation, id_discipline, id_semester, id_teacher, p35, p36, id_f_est, oper, u_date,
                      m1, m2, ball, QOR_User, QOR_Update, id_ebe_var, id_poseshal,
                      id_a_year, kredit, vid_rrnk, id_rrnk_all, subgroup, id_kafedra, is_closed)
SELECT 1, s.id_student, 2,
       CASE WHEN 20 + (s.id_student * 13) % 31 + 20 + (s.id_student * 17) % 31 >= 50 THEN 2 ELSE 10 END,
       5, 1, 1, '1-1-5-2',
       strftime('%Y-%m-%d 12:00:00.000', 'now', 'localtime', '-360 days'), 1, 'U',
       strftime('%Y-%m-%d 12:10:00.000', 'now', 'localtime', '-360 days'),
       20 + (s.id_student * 13) % 31, 20 + (s.id_student * 17) % 31,
       20 + (s.id_student * 13) % 31 + 20 + (s.id_student * 17) % 31,
       'a.ivanova', strftime('%Y-%m-%d 00:00:00.000', 'now', 'localtime', '-360 days'), 106, 2,
       @PREV@, 3, 1, 13, 0, 1, 1
FROM s_fio s WHERE s.id_group = 1;

-- History of the entries above, as the client writes it.
INSERT INTO QOR_LOG ([table], row_id, descr, QOR_User, comp, u_date)
SELECT 'mark_mag', id_mark_mag, 'Поле "m1" изменило значение "" на "' || CAST(m1 AS INT) || '".',
       'a.ivanova', 'KAF-IS-03\10.10.5.23', strftime('%Y-%m-%d 10:03:00.000', 'now', 'localtime', '-31 days')
FROM mark_mag WHERE vid_rrnk = 1 AND id_rrnk_all = 1 AND m1 > 0
UNION ALL
SELECT 'mark_mag', id_mark_mag, 'Поле "m2" изменило значение "" на "' || CAST(m2 AS INT) || '".',
       'a.ivanova', 'KAF-IS-03\10.10.5.23', strftime('%Y-%m-%d 10:04:00.000', 'now', 'localtime', '-10 days')
FROM mark_mag WHERE vid_rrnk = 1 AND id_rrnk_all = 1 AND m2 > 0
UNION ALL
SELECT 'mark_mag', id_mark_mag, 'Поле "m1" изменило значение "" на "' || CAST(m1 AS INT) || '".',
       'b.sultanov', 'KAF-IS-11\10.10.5.41', strftime('%Y-%m-%d 11:01:00.000', 'now', 'localtime', '-20 days')
FROM mark_mag WHERE vid_rrnk = 1 AND id_rrnk_all = 12;
INSERT INTO QOR_LOG ([table], row_id, descr, QOR_User, comp, u_date) VALUES
    ('mark_mag', 9001,
     'Запись с уникальным номером - ''9001'' была удалена - (id_mark_mag[9001], id_student[12]).',
     'a.ivanova', 'KAF-IS-03\10.10.5.23', strftime('%Y-%m-%d 10:20:00.000', 'now', 'localtime', '-9 days'));

INSERT INTO QOR_LoginLog (login, program, ip, comp, outcome, u_date) VALUES
    ('a.ivanova', 'QOR 28', '10.10.5.23', 'KAF-IS-03', 'вход', strftime('%Y-%m-%d 09:58:00.000', 'now', 'localtime', '-10 days')),
    ('b.sultanov', 'QOR 28', '10.10.5.41', 'KAF-IS-11', 'вход', strftime('%Y-%m-%d 10:59:00.000', 'now', 'localtime', '-20 days'));
