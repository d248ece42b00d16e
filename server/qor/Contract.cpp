#include "Contract.h"

#include <mutex>

#include "SqlRows.h"

namespace server::qor {

void registerContract(Registry& registry) {
    // The contract's procedures and views belong to QOR databases only: any other
    // database the engine opens answers a call of GET_USER as an unknown procedure.
    registry.setSchemaTable("QOR_Login");
    registerSignIn(registry);
    registerSheet(registry);
    registerRules(registry);
}

void install() {
    static std::once_flag once;
    std::call_once(once, [] { registerContract(globalRegistry()); });
}

SessionLogin sessionLogin(ProcedureContext& ctx) {
    SessionLogin s;
    auto rs = select(
        ctx.db(),
        "SELECT l.id_qor_login, l.login, t.id_teacher FROM QOR_Login l "
        "LEFT JOIN QORTeacher t ON t.id_qor_login = l.id_qor_login "
        "WHERE l.server_login = ?1",
        {ctx.login()},
        {{"id_qor_login", Type::Integer}, {"login", Type::Text}, {"id_teacher", Type::Integer}});
    if (rs.rows.empty()) return s;
    s.loginId = asInt(rs.rows[0][0]);
    s.login = asText(rs.rows[0][1]);
    s.teacherId = asInt(rs.rows[0][2]);
    return s;
}

}  // namespace server::qor
