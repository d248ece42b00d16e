#include "signin/BootstrapFile.h"

#include <QDir>
#include <QFile>
#include <stdexcept>

#include "signin/Codec.h"

namespace signin {

namespace {
QString field(const QByteArray& bytes, int offset, int lengthAt) {
    const int length = std::min(20, static_cast<int>(static_cast<unsigned char>(bytes[lengthAt])));
    return fromCp1251(ShiftUp(bytes.mid(offset, length)));
}

void put(QByteArray& bytes, int offset, int lengthAt, const QString& value) {
    QByteArray raw = toCp1251(value).left(20);
    for (char& c : raw) c = static_cast<char>((static_cast<unsigned char>(c) + 255) % 256);
    bytes.replace(offset, raw.size(), raw);
    bytes[lengthAt] = static_cast<char>(raw.size());
}

std::runtime_error fileError(const QString& text) {
    return std::runtime_error(text.toStdString());
}
}  // namespace

BootstrapFile BootstrapFile::read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw fileError(QStringLiteral("Не удалось открыть файл настроек подключения %1: %2")
                            .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
    const QByteArray bytes = file.read(kSize);
    if (bytes.size() < kSize) {
        throw fileError(
            QStringLiteral("Файл настроек подключения %1 повреждён: в нём %2 байт из %3.")
                .arg(QDir::toNativeSeparators(path))
                .arg(bytes.size())
                .arg(kSize));
    }
    return decode(bytes);
}

BootstrapFile BootstrapFile::decode(const QByteArray& bytes) {
    if (bytes.size() < kSize)
        throw fileError(QStringLiteral("Файл настроек подключения короче 84 байт."));
    return {field(bytes, 0, 40), field(bytes, 20, 41), field(bytes, 42, 82), field(bytes, 62, 83)};
}

QByteArray BootstrapFile::encode(const BootstrapFile& v) {
    QByteArray bytes(kSize, '\0');
    put(bytes, 0, 40, v.login);
    put(bytes, 20, 41, v.password);
    put(bytes, 42, 82, v.dataSource);
    put(bytes, 62, 83, v.catalog);
    return bytes;
}

QString BootstrapFile::pathIn(const QString& programFolder) {
    return QDir(programFolder).filePath(QStringLiteral("Data/QOR"));
}

}  // namespace signin
