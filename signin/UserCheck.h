#pragma once

#include <QString>

namespace signin {

// The program's version, shown in the captions and compared with the newest version
// the server knows of.
inline constexpr int ProgramVersion = 29;

// A T-SQL string literal holding the text (each apostrophe doubled).
QString sqlLiteral(const QString& text);

// The OLE DB connection string for a server login and the bootstrap database.
QString connectionString(const QString& login, const QString& password, const QString& catalog,
                         const QString& dataSource);

// The user check: "EXEC GET_USER ..." for the login and password typed, and the new
// password, or "NULL" when none is asked for.
QString userCheckText(const QString& login, const QString& password, const QString& newPassword,
                      const QString& address, const QString& computer);

}  // namespace signin
