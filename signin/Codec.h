#pragma once

#include <QByteArray>
#include <QString>

namespace signin {

// Texts in the server's single-byte code page 1251 (characters it lacks become '?').
QByteArray toCp1251(const QString& text);
QString fromCp1251(const QByteArray& bytes);

// Every byte one code higher, 255 wrapping to 0: the bootstrap file and the user check
// keep their logins and passwords one code lower than they are.
QByteArray ShiftUp(QByteArray bytes);
QString ShiftUp(const QString& text);

// MD5 of the text's code page 1251 bytes, as 32 upper-case hexadecimal digits.
QString PasswordDigest(const QString& text);

}  // namespace signin
