-- The QOR database: tables of the institution's information system that the grade-sheet
-- client reads and writes. SQLite dialect; declared types follow SQL Server's names so
-- that the client sees int, float, varchar(n) and datetime columns.

-- Sign-in: the teachers' logins of the information system and the server logins they get.
CREATE TABLE QOR_Login (
    id_qor_login INTEGER PRIMARY KEY,
    login VARCHAR(50) NOT NULL UNIQUE COLLATE NOCASE,
    pwd_digest VARCHAR(32) NOT NULL,           -- MD5 of the password, upper-case hex
    pwd_date DATETIME NOT NULL,                -- when the password was last set
    blocked INT NOT NULL DEFAULT 0,
    server_login VARCHAR(20) NOT NULL UNIQUE COLLATE NOCASE,  -- the server's name for it
    -- what the user check hands out: the server login and its password, each character
    -- one code lower (the client shifts them back)
    server_login_enc VARCHAR(20) NOT NULL,
    server_password_enc VARCHAR(20) NOT NULL
);
CREATE TABLE QOR_LoginLog (
    id_login_log INTEGER PRIMARY KEY,
    login VARCHAR(50),
    program VARCHAR(20),
    ip VARCHAR(40),
    comp VARCHAR(255),
    outcome VARCHAR(200),
    u_date DATETIME NOT NULL DEFAULT (strftime('%Y-%m-%d %H:%M:%f', 'now', 'localtime'))
);

CREATE TABLE VuzDefaults (
    id_vuz_defaults INTEGER PRIMARY KEY,
    id_field INT,
    n_field VARCHAR(200),
    descr VARCHAR(200)
);

-- Reference data.
CREATE TABLE a_year (
    id_a_year INTEGER PRIMARY KEY,
    p32 VARCHAR(20) NOT NULL,
    u_god INT NOT NULL                         -- the calendar year the academic year starts in
);
CREATE TABLE semester (
    id_semester INTEGER PRIMARY KEY,
    p43 VARCHAR(30) NOT NULL,
    ws_sort INT NOT NULL
);
CREATE TABLE examination (
    id_examination INTEGER PRIMARY KEY,
    P30 VARCHAR(30) NOT NULL,
    typeExamZach INT NOT NULL                  -- 0 graded, 1 credit, 2 attestation
);
CREATE TABLE estimation (
    id_estimation INTEGER PRIMARY KEY,
    p31 VARCHAR(30) NOT NULL,
    full_name VARCHAR(60),
    is_debt INT NOT NULL DEFAULT 0             -- 1: the student still owes this assessment
);
CREATE TABLE f_est (
    id_f_e INTEGER PRIMARY KEY,
    p109 VARCHAR(30) NOT NULL,
    sessiya INT NOT NULL DEFAULT 0,            -- non-zero: a re-examination sheet
    is_active INT NOT NULL DEFAULT 1,
    sort_order INT NOT NULL DEFAULT 0
);
CREATE TABLE poseshal (
    id_poseshal INTEGER PRIMARY KEY,
    poseshal VARCHAR(50) NOT NULL              -- 1 bars the row from being saved
);
CREATE TABLE f_educ (
    id_f_educ INTEGER PRIMARY KEY,
    name VARCHAR(50) NOT NULL
);
CREATE TABLE faculty (
    id_faculty INTEGER PRIMARY KEY,
    f_name VARCHAR(100) NOT NULL,
    sn VARCHAR(20)
);
CREATE TABLE kafedra (
    id_kafedra INTEGER PRIMARY KEY,
    f1 VARCHAR(100) NOT NULL,
    sn_f1 VARCHAR(20) NOT NULL,
    id_faculty INT NOT NULL REFERENCES faculty(id_faculty)
);

-- Grading rules: rule rows, bands, other grades.
CREATE TABLE ebe (
    id_ebe INTEGER PRIMARY KEY,
    id_ebe_var INT NOT NULL,
    id_estimation INT NOT NULL REFERENCES estimation(id_estimation),
    beg_bal FLOAT NOT NULL,
    end_bal FLOAT NOT NULL,
    UNIQUE (id_ebe_var, id_estimation)
);
CREATE INDEX ebe_rule ON ebe(id_ebe_var);
CREATE TABLE est_config (
    id_est_config INTEGER PRIMARY KEY,
    id_ebe_var INT NOT NULL,
    order_pole INT,
    name_pole VARCHAR(50),
    info_or_value INT,                         -- 1 a mark the teacher enters, 0 a computed value
    pole_mark_mag VARCHAR(10),
    formula VARCHAR(200),
    [min] FLOAT,
    [max] FLOAT,
    id_f_est INT NOT NULL DEFAULT 1
);
CREATE INDEX est_config_rule ON est_config(id_ebe_var, id_f_est);
CREATE TABLE EstimationOther (
    id_estimation_other INTEGER PRIMARY KEY,
    id_ebe_var INT NOT NULL,
    Estimation_Other VARCHAR(10) NOT NULL
);
CREATE TABLE T_MarkMagModulCopyAccess (
    id_copy_access INTEGER PRIMARY KEY,
    id_f_est INT NOT NULL,
    id_modul INT NOT NULL,
    id_ebe_var INT NOT NULL,
    doCopy INT NOT NULL DEFAULT 1
);

CREATE TABLE speciality (
    id_speciality INTEGER PRIMARY KEY,
    code VARCHAR(20) NOT NULL,
    name VARCHAR(150) NOT NULL,
    id_faculty INT NOT NULL REFERENCES faculty(id_faculty),
    id_kafedra INT NOT NULL REFERENCES kafedra(id_kafedra),
    id_ebe_var_bal INT                         -- the rule whose bands the speciality grades by
);
CREATE TABLE [group] (
    id_group INTEGER PRIMARY KEY,
    p20 VARCHAR(20) NOT NULL,
    id_speciality INT NOT NULL REFERENCES speciality(id_speciality),
    id_faculty INT NOT NULL REFERENCES faculty(id_faculty),
    id_kafedra INT NOT NULL REFERENCES kafedra(id_kafedra),
    id_f_educ INT NOT NULL REFERENCES f_educ(id_f_educ),
    kurs INT NOT NULL
);
CREATE TABLE g_s (
    id_g_s INTEGER PRIMARY KEY,
    id_group INT NOT NULL REFERENCES [group](id_group),
    id_speciality INT NOT NULL REFERENCES speciality(id_speciality),
    id_faculty INT NOT NULL REFERENCES faculty(id_faculty),
    id_ebe_var INT                             -- the group's rule when its plan row names none
);

CREATE TABLE discipline (
    id_discipline INTEGER PRIMARY KEY,
    p34 VARCHAR(90) NOT NULL,
    sn VARCHAR(20),
    id_kafedra INT REFERENCES kafedra(id_kafedra)
);
CREATE TABLE t_fio (
    id_teacher INTEGER PRIMARY KEY,
    t_fio VARCHAR(60) NOT NULL,
    id_kafedra INT REFERENCES kafedra(id_kafedra),
    post VARCHAR(40)
);
CREATE TABLE QORTeacher (
    id_qor_teacher INTEGER PRIMARY KEY,
    id_qor_login INT NOT NULL REFERENCES QOR_Login(id_qor_login),
    id_teacher INT NOT NULL REFERENCES t_fio(id_teacher)
);
CREATE TABLE s_fio (
    id_student INTEGER PRIMARY KEY,
    s_fio VARCHAR(70) NOT NULL,
    id_group INT NOT NULL REFERENCES [group](id_group),
    zach_book VARCHAR(20)
);
-- Admission by payment, per student and semester of an academic year: 'д' admitted.
CREATE TABLE student_payment (
    id_student_payment INTEGER PRIMARY KEY,
    id_student INT NOT NULL REFERENCES s_fio(id_student),
    id_a_year INT NOT NULL REFERENCES a_year(id_a_year),
    id_semester INT NOT NULL REFERENCES semester(id_semester),
    dopusk VARCHAR(50),
    UNIQUE (id_student, id_a_year, id_semester)
);

-- Teaching plan: curriculum lines, the groups' load, the streams' load and their students.
CREATE TABLE educ_sh (
    id_educ_sh INTEGER PRIMARY KEY,
    id_speciality INT NOT NULL REFERENCES speciality(id_speciality),
    id_discipline INT NOT NULL REFERENCES discipline(id_discipline),
    id_semester INT NOT NULL REFERENCES semester(id_semester),
    id_examination INT NOT NULL REFERENCES examination(id_examination),
    kredit INT NOT NULL,
    hours INT
);
CREATE TABLE rrnk (
    id_rrnk INTEGER PRIMARY KEY,
    id_educ_sh INT NOT NULL REFERENCES educ_sh(id_educ_sh),
    id_group INT NOT NULL REFERENCES [group](id_group),
    id_teacher INT NOT NULL REFERENCES t_fio(id_teacher),
    id_a_year INT NOT NULL REFERENCES a_year(id_a_year),
    id_kafedra INT REFERENCES kafedra(id_kafedra),
    id_ebe_var INT
);
CREATE TABLE RRNKkrdt (
    id_rrnkKrdt INTEGER PRIMARY KEY,
    subgroup INT NOT NULL,                     -- the stream's number
    id_teacher INT NOT NULL REFERENCES t_fio(id_teacher),
    id_a_year INT NOT NULL REFERENCES a_year(id_a_year),
    id_w_s INT NOT NULL REFERENCES semester(id_semester),
    id_kafedra INT NOT NULL REFERENCES kafedra(id_kafedra),
    id_examination INT NOT NULL REFERENCES examination(id_examination),
    id_discipline INT NOT NULL REFERENCES discipline(id_discipline),
    kredit INT NOT NULL,
    prov_reyt INT NOT NULL DEFAULT 0,          -- below 0: the load was withdrawn
    id_ebe_var INT,
    id_f_educ INT REFERENCES f_educ(id_f_educ)
);
CREATE TABLE DisciplineForStudent (
    id_dfs INTEGER PRIMARY KEY,
    id_student INT NOT NULL REFERENCES s_fio(id_student),
    id_teacher INT NOT NULL REFERENCES t_fio(id_teacher),
    id_discipline INT NOT NULL REFERENCES discipline(id_discipline),
    subgroup INT NOT NULL,
    id_a_year INT NOT NULL REFERENCES a_year(id_a_year),
    id_w_s INT NOT NULL REFERENCES semester(id_semester),
    id_examination INT NOT NULL REFERENCES examination(id_examination),
    kredits INT NOT NULL
);

-- Submission terms of the control points: vid_rrnk 1 a group's plan row (rrnk), 2 a
-- stream's (RRNKkrdt); individual 1 is an extension the dean's office granted.
CREATE TABLE IndividualModulPermissPotok (
    id_IndividualModulPermissPotok INTEGER PRIMARY KEY,
    id_teacher INT,
    id_year INT,
    id_discipline INT,
    id_modul INT NOT NULL,
    begDate DATETIME,
    endDate DATETIME,
    vid_rrnk INT NOT NULL,
    id_rrnk_all INT NOT NULL,
    id_f_e INT NOT NULL DEFAULT 1,
    id_w_s INT,
    subgroup INT,
    id_ebe_var INT,
    individual INT NOT NULL DEFAULT 0
);
CREATE INDEX modul_terms ON IndividualModulPermissPotok(vid_rrnk, id_rrnk_all, id_f_e, id_modul);

-- The mark sheets: one row per student, sheet (plan row, form) and assessment.
CREATE TABLE mark_mag (
    id_mark_mag INTEGER PRIMARY KEY,
    id_group INT REFERENCES [group](id_group),
    id_student INT NOT NULL REFERENCES s_fio(id_student),
    id_examination INT NOT NULL REFERENCES examination(id_examination),
    id_estimation INT REFERENCES estimation(id_estimation),
    id_discipline INT NOT NULL REFERENCES discipline(id_discipline),
    id_semester INT NOT NULL REFERENCES semester(id_semester),
    id_teacher INT REFERENCES t_fio(id_teacher),
    p35 VARCHAR(50),
    p36 DATETIME,
    id_f_est INT NOT NULL DEFAULT 1 REFERENCES f_est(id_f_e),
    oper VARCHAR(5),
    u_date DATETIME,
    m1 FLOAT, m2 FLOAT, m3 FLOAT, m4 FLOAT,
    dop FLOAT, dop2 FLOAT,
    ball FLOAT,
    QOR_User VARCHAR(20),
    QOR_Update DATE,
    m5 FLOAT, m6 FLOAT, m7 FLOAT, m8 FLOAT, m9 FLOAT, m10 FLOAT, m11 FLOAT,
    id_estimation_other INT REFERENCES EstimationOther(id_estimation_other),
    m12 FLOAT,
    id_ebe_var INT,
    id_poseshal INT REFERENCES poseshal(id_poseshal),
    -- the sheet the row belongs to
    id_a_year INT NOT NULL REFERENCES a_year(id_a_year),
    kredit INT NOT NULL,
    vid_rrnk INT NOT NULL,                     -- 1 group plan row, 2 stream plan row
    id_rrnk_all INT NOT NULL,
    subgroup INT NOT NULL DEFAULT 0,
    id_kafedra INT REFERENCES kafedra(id_kafedra),
    is_closed INT NOT NULL DEFAULT 0,          -- 1: the dean's office closed the row
    individual INT NOT NULL DEFAULT 0          -- 1: individual schedule, marks only
);
-- the student last: "is the student's row already there?" when a sheet is prepared
CREATE INDEX mark_mag_sheet ON mark_mag(vid_rrnk, id_rrnk_all, id_f_est, id_student);
CREATE INDEX mark_mag_group ON mark_mag(id_group, id_semester, id_discipline, id_examination);

CREATE TABLE QOR_LOG (
    id_qor_log INTEGER PRIMARY KEY,
    [table] VARCHAR(50) NOT NULL,
    row_id INT,
    descr VARCHAR(4000) NOT NULL,
    QOR_User VARCHAR(50),
    comp VARCHAR(300),
    u_date DATETIME NOT NULL DEFAULT (strftime('%Y-%m-%d %H:%M:%f', 'now', 'localtime'))
);
