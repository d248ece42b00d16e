// GET_USER: the user check of the sign-in window.

#include <cctype>

#include "Contract.h"
#include "SqlRows.h"

namespace server::qor {

namespace {

constexpr std::int64_t defaultVersion = 29;
constexpr std::int64_t defaultPasswordDays = 90;

const char* const wrongLoginText = "Неверный логин или пароль.";
const char* const blockedText =
    "Учётная запись заблокирована. Обратитесь к администратору системы QOR.";
const char* const badNewDigestText = "Новый пароль передан в неверном виде.";
const char* const sameNewPasswordText = "Новый пароль должен отличаться от прежнего.";

std::int64_t setting(ProcedureContext& ctx, int row, std::int64_t fallback) {
    auto v = scalar(ctx.db(), "SELECT id_field FROM VuzDefaults WHERE id_vuz_defaults = ?1",
                    {std::int64_t{row}});
    if (!v || isNull(*v)) return fallback;
    return asInt(*v, fallback);
}

bool isDigest(const std::string& s) {
    if (s.size() != 32) return false;
    for (char c : s)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

ResultSet answer(const std::string& serverLogin, const std::string& serverPassword,
                 std::int64_t loginId, std::int64_t state, const std::string& message,
                 std::int64_t version) {
    ResultSet rs;
    rs.columns = {{"server_login", Type::Text, 20},   {"server_password", Type::Text, 20},
                  {"id_qor_login", Type::Integer, 0}, {"pwd_state", Type::Integer, 0},
                  {"message", Type::Text, 200},       {"version", Type::Integer, 0}};
    rs.rows.push_back({serverLogin, serverPassword, loginId, state, message, version});
    return rs;
}

void getUser(ProcedureContext& ctx) {
    const std::string login = asText(ctx.arg("@login"));
    const std::string digest = upper(asText(ctx.arg("@digest")));
    const Value& newArg = ctx.arg("@newDigest");
    const std::int64_t version = setting(ctx, 40, defaultVersion);
    const std::int64_t validDays = setting(ctx, 41, defaultPasswordDays);

    auto log = [&](const std::string& outcome) {
        exec(ctx.db(),
             "INSERT INTO QOR_LoginLog (login, program, ip, comp, outcome) "
             "VALUES (?1, ?2, ?3, ?4, ?5)",
             {login, ctx.arg("@program"), ctx.arg("@ip"), ctx.arg("@comp"), outcome});
    };
    auto refuse = [&](const std::string& text) {
        log(text);
        ctx.addResultSet(answer("", "", 0, 0, text, version));
    };

    auto rs = select(ctx.db(),
                     "SELECT id_qor_login, pwd_digest, blocked, server_login_enc, "
                     "server_password_enc, "
                     "CAST(julianday('now', 'localtime') - julianday(pwd_date) AS INT) "
                     "FROM QOR_Login WHERE login = ?1",
                     {login},
                     {{"id", Type::Integer},
                      {"digest", Type::Text},
                      {"blocked", Type::Integer},
                      {"sl", Type::Text},
                      {"sp", Type::Text},
                      {"age", Type::Integer}});
    // an unknown login and a wrong password read the same, so the answer does not tell
    // which logins exist
    if (rs.rows.empty()) return refuse(wrongLoginText);
    const auto& row = rs.rows[0];
    if (asInt(row[2]) != 0) return refuse(blockedText);
    if (upper(asText(row[1])) != digest) return refuse(wrongLoginText);

    std::int64_t age = asInt(row[5]);
    if (!isNull(newArg)) {
        std::string newDigest = upper(asText(newArg));
        if (!isDigest(newDigest)) return refuse(badNewDigestText);
        if (newDigest == digest) return refuse(sameNewPasswordText);
        exec(ctx.db(),
             "UPDATE QOR_Login SET pwd_digest = ?1, "
             "pwd_date = strftime('%Y-%m-%d %H:%M:%f', 'now', 'localtime') "
             "WHERE id_qor_login = ?2",
             {newDigest, row[0]});
        age = 0;
        log("смена пароля");
    } else {
        log("вход");
    }
    ctx.addResultSet(
        answer(asText(row[3]), asText(row[4]), asInt(row[0]), validDays - age, "", version));
}

}  // namespace

void registerSignIn(Registry& registry) {
    auto text = [](const char* name, std::optional<Value> def = std::nullopt) {
        return Parameter{name, Type::Text, 0, std::move(def), false};
    };
    Value null = std::monostate{};
    registry.addProcedure({"GET_USER",
                           1,
                           {text("@login"), text("@digest"), text("@newDigest", null),
                            text("@program", null), text("@ip", null), text("@comp", null),
                            text("@login2", null), text("@flag", null), text("@len", null)},
                           getUser});
}

}  // namespace server::qor
