#include "signin/UserCheck.h"

#include "signin/Codec.h"

namespace signin {

QString sqlLiteral(const QString& text) {
    QString doubled = text;
    doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

QString connectionString(const QString& login, const QString& password, const QString& catalog,
                         const QString& dataSource) {
    return QStringLiteral("Provider=SQLOLEDB.1;Password=") + password +
           QStringLiteral(";Persist Security Info=True;User ID=") + login +
           QStringLiteral(";Initial Catalog=") + catalog + QStringLiteral(";Data Source=") +
           dataSource +
           QStringLiteral(
               ";Use Procedure for Prepare=1;Auto Translate=True;"
               "Packet Size=4096;Use Encryption for Data=False;"
               "Tag with column collation when possible=False");
}

QString userCheckText(const QString& login, const QString& password, const QString& newPassword,
                      const QString& address, const QString& computer) {
    const QString newArg =
        newPassword == QLatin1String("NULL")
            ? QStringLiteral("NULL")
            : QLatin1Char('\'') + PasswordDigest(newPassword) + QLatin1Char('\'');
    // The login is typed by a person: an apostrophe in it must stay inside the literal.
    return QStringLiteral("EXEC GET_USER ") + sqlLiteral(login) + QStringLiteral(",") +
           QStringLiteral("'") + PasswordDigest(password) + QStringLiteral("',") + newArg +
           QStringLiteral(", ") + QStringLiteral("'QOR 28") + QStringLiteral("'") +
           QStringLiteral(", '") + address + QStringLiteral("', ") +
           sqlLiteral(computer.left(255)) + QStringLiteral(", ") + sqlLiteral(login) +
           QStringLiteral(",") + QStringLiteral("'0',") + QStringLiteral("'") +
           QString::number(newArg.size()) + QStringLiteral("'");
}

}  // namespace signin
