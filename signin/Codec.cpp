#include "signin/Codec.h"

#include <QCryptographicHash>
#include <QStringDecoder>
#include <QStringEncoder>

namespace signin {

QByteArray toCp1251(const QString& text) {
    QStringEncoder encoder("windows-1251", QStringConverter::Flag::Stateless);
    if (!encoder.isValid()) return text.toLatin1();
    QByteArray bytes = encoder.encode(text);
    return bytes;
}

QString fromCp1251(const QByteArray& bytes) {
    QStringDecoder decoder("windows-1251", QStringConverter::Flag::Stateless);
    if (!decoder.isValid()) return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

QByteArray ShiftUp(QByteArray bytes) {
    for (char& c : bytes) c = static_cast<char>((static_cast<unsigned char>(c) + 1) % 256);
    return bytes;
}

QString ShiftUp(const QString& text) {
    return fromCp1251(ShiftUp(toCp1251(text)));
}

QString PasswordDigest(const QString& text) {
    const QByteArray digest = QCryptographicHash::hash(toCp1251(text), QCryptographicHash::Md5);
    return QString::fromLatin1(digest.toHex().toUpper());
}

}  // namespace signin
