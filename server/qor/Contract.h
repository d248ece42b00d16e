#pragma once

// The QOR database contract on the embedded server: the procedures and table functions
// the grade-sheet client calls, registered as C++ functions over the database's tables
// (the tables, views and triggers come from the schema scripts, see Demo.h).

#include <string>

#include "Registry.h"

namespace server::qor {

// Registers GET_USER, SORT_MARK_MAG, InsertInto_SORT_MARK_MAG, LoadModulsInfo,
// LoadModulsInfoP, SP_GetActiveFEst, CreateNewMarkRule and TF_GetEstConfig.
void registerContract(Registry& registry);

// Registers the contract once per process on the global registry, so every engine
// opened afterwards serves it. Safe to call more than once.
void install();

// Parts of the contract, in their own files.
void registerSignIn(Registry& registry);
void registerSheet(Registry& registry);
void registerRules(Registry& registry);

// The signed-in login of a procedure's session, from the server login it connected with.
struct SessionLogin {
    std::int64_t loginId = 0;    // 0 when the server login belongs to no QOR login
    std::string login;           // the QOR login name
    std::int64_t teacherId = 0;  // 0 when the login has no teacher
};
SessionLogin sessionLogin(ProcedureContext& ctx);

}  // namespace server::qor
