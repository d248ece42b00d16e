#pragma once

// The SQLite functions and the collation that give the printed SQL its SQL Server
// meaning: tsql_ci (case-insensitive text order, Latin and Cyrillic), LIKE with T-SQL
// patterns, CAST/CONVERT, '+' on text, integer division errors, date parts.

#include <string>

#include "Engine.h"

struct sqlite3;

namespace server {

// Per-connection settings the functions read.
struct Session {
    std::string login;
    std::string dateFormat = "mdy";  // SET DATEFORMAT; SQL Server's us_english default
};

void registerFunctions(sqlite3* db, Session* session);

// The conversions of tsql_cast, for values the executor converts itself (variables,
// procedure arguments). typeName is upper case (INT, VARCHAR, DATETIME ...).
Value convertValue(const Value& v, const std::string& typeName, int length, int style, bool strict,
                   bool sourceIsDate, const Session& session);

// Text of a number the way SQL Server's CAST(x AS varchar) writes it.
std::string numberText(double d);

}  // namespace server
