#include "Demo.h"

#include <sqlite3.h>

#include <ctime>
#include <filesystem>
#include <fstream>

#include "Contract.h"
#include "ModulFields.h"
#include "QorScripts.h"
#include "SqliteEngine.h"

namespace server::qor {

namespace {

namespace fs = std::filesystem;

// The server's rights on mark rows. A row may be changed or deleted only by the teacher
// of its sheet in the teaching plan, only while the dean's office has not closed it, and
// a mark only while its control point is open (qor_modul_state). A mark that goes from
// empty to 0 is no change: the client zeroes every mark field when it resets a row.
// SQLite fires the triggers of one event newest first, so the owner check runs first.
std::string rightsTriggers() {
    std::string sql;
    for (int i = 0; i < kModulCount; ++i) {
        std::string f = kModulFields[i];
        sql += "CREATE TRIGGER mark_mag_modul_" + f + " BEFORE UPDATE OF " + f +
               " ON mark_mag WHEN IFNULL(NEW." + f + ", 0) <> IFNULL(OLD." + f +
               ", 0) AND IFNULL((SELECT s.CanEdit FROM qor_modul_state s WHERE s.vid_rrnk = "
               "OLD.vid_rrnk AND s.id_rrnk_all = OLD.id_rrnk_all AND s.id_f_e = OLD.id_f_est AND "
               "s.id_modul = " +
               std::to_string(i + 1) + "), -1) <= 0 BEGIN SELECT RAISE(ABORT, 'Контрольная точка " +
               f + " закрыта: срок сдачи истёк или ещё не наступил.'); END;\n";
    }
    const std::string notOwner =
        " WHEN NOT EXISTS (SELECT 1 FROM qor_session_login sl JOIN qor_plan p ON "
        "p.id_teacher = sl.id_teacher WHERE p.vid_rrnk = OLD.vid_rrnk AND "
        "p.id_rrnk_all = OLD.id_rrnk_all) ";
    sql +=
        "CREATE TRIGGER mark_mag_closed_update BEFORE UPDATE ON mark_mag WHEN "
        "OLD.is_closed <> 0 BEGIN SELECT RAISE(ABORT, 'Строка ведомости закрыта деканатом: "
        "изменить её нельзя.'); END;\n"
        "CREATE TRIGGER mark_mag_closed_delete BEFORE DELETE ON mark_mag WHEN "
        "OLD.is_closed <> 0 BEGIN SELECT RAISE(ABORT, 'Строка ведомости закрыта деканатом: "
        "удалить её нельзя.'); END;\n"
        "CREATE TRIGGER mark_mag_identity BEFORE UPDATE OF id_student, vid_rrnk, "
        "id_rrnk_all, is_closed, individual ON mark_mag WHEN NEW.id_student IS NOT "
        "OLD.id_student OR NEW.vid_rrnk IS NOT OLD.vid_rrnk OR NEW.id_rrnk_all IS NOT "
        "OLD.id_rrnk_all OR NEW.is_closed IS NOT OLD.is_closed OR NEW.individual IS NOT "
        "OLD.individual BEGIN SELECT RAISE(ABORT, 'Студента и ведомость строки, её закрытие "
        "и индивидуальный график меняет только деканат.'); END;\n"
        "CREATE TRIGGER mark_mag_owner_update BEFORE UPDATE ON mark_mag" +
        notOwner +
        "BEGIN SELECT RAISE(ABORT, 'Строка ведомости принадлежит другому преподавателю: "
        "изменить её нельзя.'); END;\n"
        "CREATE TRIGGER mark_mag_owner_delete BEFORE DELETE ON mark_mag" +
        notOwner +
        "BEGIN SELECT RAISE(ABORT, 'Строка ведомости принадлежит другому преподавателю: "
        "удалить её нельзя.'); END;\n"
        // the last change of a row, for the dean's office
        "CREATE TRIGGER mark_mag_stamp AFTER UPDATE ON mark_mag BEGIN UPDATE mark_mag SET "
        "oper = 'U', u_date = strftime('%Y-%m-%d %H:%M:%f', 'now', 'localtime') WHERE "
        "id_mark_mag = NEW.id_mark_mag; END;\n";
    return sql;
}

std::string quoted(const std::string& s) {
    std::string out;
    for (char c : s) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out;
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t pos = text.find(from); pos != std::string::npos;
         pos = text.find(from, pos + to.size()))
        text.replace(pos, from.size(), to);
}

void run(sqlite3* db, const std::string& name, const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string msg = err ? err : sqlite3_errmsg(db);
        sqlite3_free(err);
        throw Error("Демонстрационная база не создана (" + name + "): " + msg);
    }
}

void build(sqlite3* db) {
    const int year = currentAcademicYear();
    run(db, "BEGIN", "BEGIN IMMEDIATE");
    bool yearsDone = false;
    for (const Script& script : scripts()) {
        std::string text(script.text);
        if (!yearsDone && std::string_view(script.name).rfind("demo/", 0) == 0) {
            // academic years around the current one
            std::string years = "INSERT INTO a_year (id_a_year, p32, u_god) VALUES ";
            for (int y = year - 7; y <= year + 3; ++y) {
                if (y != year - 7) years += ", ";
                years += '(';
                years += std::to_string(y - 2000) + ", '" + std::to_string(y) + "-" +
                         std::to_string(y + 1) + "', " + std::to_string(y) + ")";
            }
            run(db, "a_year", years);
            yearsDone = true;
        }
        replaceAll(text, "@YEAR@", std::to_string(year - 2000));
        replaceAll(text, "@PREV@", std::to_string(year - 1 - 2000));
        for (std::size_t i = 0; i < std::size(demo::serverLogins); ++i) {
            const auto& s = demo::serverLogins[i];
            std::string n = std::to_string(i + 1);
            replaceAll(text, "@SL" + n + "@", quoted(s.serverLogin));
            replaceAll(text, "@SE" + n + "@", quoted(shiftDown(s.serverLogin)));
            replaceAll(text, "@SP" + n + "@", quoted(shiftDown(s.serverPassword)));
        }
        run(db, std::string(script.name), text);
    }
    run(db, "triggers", rightsTriggers());
    for (const auto& s : demo::serverLogins)
        SqliteEngine::addLogin(db, s.serverLogin, s.serverPassword);
    run(db, "COMMIT", "COMMIT");
}

}  // namespace

int currentAcademicYear() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    int year = local.tm_year + 1900;
    return local.tm_mon + 1 >= 9 ? year : year - 1;
}

std::string shiftDown(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = static_cast<char>(static_cast<unsigned char>(c) - 1);
    return out;
}

void writeBootstrap(const std::string& file, const std::string& login, const std::string& password,
                    const std::string& dataSource, const std::string& catalog) {
    std::string bytes(84, '\0');
    auto put = [&](const std::string& value, std::size_t at, std::size_t lengthAt,
                   const char* what) {
        if (value.size() > 20)
            throw Error(std::string("Значение «") + what +
                        "» длиннее 20 байт и не помещается "
                        "в файл Data/QOR: " +
                        value);
        std::string shifted = shiftDown(value);
        bytes.replace(at, shifted.size(), shifted);
        bytes[lengthAt] = static_cast<char>(value.size());
    };
    put(login, 0, 40, "логин");
    put(password, 20, 41, "пароль");
    put(dataSource, 42, 82, "источник данных");
    put(catalog, 62, 83, "каталог");
    fs::path path(file);
    std::error_code ec;
    if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw Error("Не удалось записать файл " + path.string() + ".");
}

void createDemo(const std::string& path) {
    fs::path file(path);
    const std::string name = file.filename().string();
    // checked before anything is written: the bootstrap file holds at most 20 bytes
    if (name.empty() || name.size() > 20)
        throw Error("Имя файла базы данных «" + name +
                    "» должно занимать от 1 до 20 байт: оно записывается в файл Data/QOR.");
    Engine::create(path, demo::bootLogin, demo::bootPassword);
    sqlite3* db = nullptr;
    auto removeAll = [&] {
        std::error_code ec;
        for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(path + suffix, ec);
    };
    try {
        db = SqliteEngine::openFile(path, false);
        build(db);
        sqlite3_close(db);
        db = nullptr;
        fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
        writeBootstrap((folder / "Data" / "QOR").string(), demo::bootLogin, demo::bootPassword,
                       name, "QOR");
    } catch (...) {
        if (db) {
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(db);
        }
        removeAll();
        throw;
    }
}

}  // namespace server::qor
