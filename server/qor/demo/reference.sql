-- Demo faculty: reference data, the faculty's structure, teachers and logins.
-- @YEAR@ is the id of the current academic year, @PREV@ the one before (set by the
-- program that builds the demo; academic years are numbered by their first year - 2000).

INSERT INTO VuzDefaults (id_vuz_defaults, id_field, n_field, descr) VALUES
    (22, NULL, 'http://localhost', 'Адрес сервера отчётов (в демонстрации: этот компьютер)'),
    (23, 0, NULL, '1 = студенту без допуска оценка не ставится'),
    (28, 0, NULL, '1 = правило минимальной доли (61 % каждой контрольной точки)'),
    (29, 1, NULL, '1 = сумма баллов не более 100'),
    (37, 3, NULL, 'На сколько дней назад можно выбрать дату сдачи'),
    (40, 29, NULL, 'Текущая версия программы QOR 28'),
    (41, 90, NULL, 'Срок действия пароля, дней'),
    (42, 100, NULL, 'Правило, шкалу которого получает новое правило оценивания');

INSERT INTO semester (id_semester, p43, ws_sort) VALUES
    (1, 'Осенний семестр', 1),
    (2, 'Весенний семестр', 2);

INSERT INTO examination (id_examination, P30, typeExamZach) VALUES
    (1, 'Экзамен', 0),
    (2, 'Зачет', 1),
    (3, 'Диф/зачет', 0),
    (4, 'Курс/раб', 0),
    (5, 'Курc/пр', 0),
    (6, 'Итог/оценка', 0),
    (7, 'Аттестация', 2);

INSERT INTO estimation (id_estimation, p31, full_name, is_debt) VALUES
    (2, 'зачет', 'зачтено', 0),
    (3, 'удов', 'удовлетворительно', 0),
    (4, 'хор', 'хорошо', 0),
    (5, 'отл', 'отлично', 0),
    (8, 'н/я', 'не явился', 1),
    (9, ' н/п', 'не допущен', 1),
    (10, 'н/з', 'не зачтено', 1),
    (11, 'н/у', 'неудовлетворительно', 1),
    (12, '-', 'нет оценки', 0),
    (16, 'н/ат', 'не аттестован', 1),
    (17, 'ат', 'аттестован', 0),
    (25, 'не изуч.', 'дисциплину не изучает', 0);

INSERT INTO f_est (id_f_e, p109, sessiya, is_active, sort_order) VALUES
    (1, 'Ведомость', 0, 1, 1),
    (9, 'Ведомость FX', 1, 1, 2),
    (10, 'Ведомость I', 2, 1, 3),
    (11, 'Ведомость (архив)', 0, 0, 4),
    (-1, 'Только Просмотр', 0, 1, 9);

INSERT INTO poseshal (id_poseshal, poseshal) VALUES
    (1, 'Не допущен'),
    (2, 'Посещал'),
    (3, 'Пропуски по уважительной причине'),
    (4, 'Пропуски без уважительной причины');

INSERT INTO f_educ (id_f_educ, name) VALUES (1, 'Очная'), (2, 'Заочная');

INSERT INTO faculty (id_faculty, f_name, sn) VALUES
    (1, 'Факультет информационных технологий', 'ФИТ');

INSERT INTO kafedra (id_kafedra, f1, sn_f1, id_faculty) VALUES
    (1, 'Кафедра информационных систем', 'ИС', 1),
    (2, 'Кафедра вычислительной техники и программного обеспечения', 'ВТиПО', 1);

INSERT INTO speciality (id_speciality, code, name, id_faculty, id_kafedra, id_ebe_var_bal) VALUES
    (1, '6B06101', 'Информационные системы', 1, 1, 100),
    (2, '6B06102', 'Вычислительная техника и программное обеспечение', 1, 2, 100);

INSERT INTO [group] (id_group, p20, id_speciality, id_faculty, id_kafedra, id_f_educ, kurs) VALUES
    (1, 'ИС-24-1', 1, 1, 1, 1, 3),
    (2, 'ИС-24-2', 1, 1, 1, 1, 3),
    (3, 'ВТ-24-1', 2, 1, 2, 1, 3);

-- Group 3's rule for a discipline whose plan row names none.
INSERT INTO g_s (id_g_s, id_group, id_speciality, id_faculty, id_ebe_var) VALUES
    (1, 1, 1, 1, NULL),
    (2, 2, 1, 1, NULL),
    (3, 3, 2, 1, 105);

INSERT INTO discipline (id_discipline, p34, sn, id_kafedra) VALUES
    (1, 'Базы данных', 'БД', 1),
    (2, 'Веб-программирование', 'ВП', 1),
    (3, 'Объектно-ориентированное программирование', 'ООП', 1),
    (4, 'Алгоритмы и структуры данных', 'АиСД', 2),
    (5, 'Операционные системы', 'ОС', 2),
    (6, 'Компьютерные сети', 'КС', 2),
    (7, 'Философия', 'Фил', 1),
    (8, 'Учебная практика', 'УП', 1),
    (9, 'Казахский язык', 'КЯ', 1),
    (10, 'Математический анализ', 'МА', 2),
    (11, 'Физическая культура', 'ФК', 2),
    (12, 'Программная инженерия', 'ПИ', 1);

INSERT INTO t_fio (id_teacher, t_fio, id_kafedra, post) VALUES
    (1, 'Иванова Анна Сергеевна', 1, 'старший преподаватель'),
    (2, 'Султанов Бахыт Ерланович', 1, 'доцент'),
    (3, 'Нурланова Камила Маратовна', 2, 'ассоциированный профессор'),
    (4, 'Петров Игорь Викторович', 2, 'профессор');

-- Passwords are kept as the client sends them: MD5 of the text, upper-case hex. Every
-- demo password is demo2026. Each login works under a server login of its own, handed
-- out one code lower; the program that builds the demo adds the same logins to the
-- server.
INSERT INTO QOR_Login (id_qor_login, login, pwd_digest, pwd_date, blocked, server_login, server_login_enc, server_password_enc) VALUES
    (1, 'a.ivanova', '155F06B993E3E522EEEF5DD556460C96',
        strftime('%Y-%m-%d %H:%M:%f', 'now', 'localtime', '-12 days'), 0, '@SL1@', '@SE1@', '@SP1@'),
    (2, 'b.sultanov', '155F06B993E3E522EEEF5DD556460C96',
        strftime('%Y-%m-%d %H:%M:%f', 'now', 'localtime', '-125 days'), 0, '@SL2@', '@SE2@', '@SP2@'),
    (3, 'k.nurlanova', '155F06B993E3E522EEEF5DD556460C96',
        strftime('%Y-%m-%d %H:%M:%f', 'now', 'localtime', '-80 days'), 0, '@SL3@', '@SE3@', '@SP3@'),
    (4, 'd.omarov', '155F06B993E3E522EEEF5DD556460C96',
        strftime('%Y-%m-%d %H:%M:%f', 'now', 'localtime', '-30 days'), 1, '@SL4@', '@SE4@', '@SP4@');

INSERT INTO QORTeacher (id_qor_teacher, id_qor_login, id_teacher) VALUES
    (1, 1, 1), (2, 2, 2), (3, 3, 3);
