#include "signin/BuildDate.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QtEndian>

namespace signin {

namespace {
template <typename T>
bool readAt(QFile& file, qint64 offset, T& out) {
    uchar buffer[sizeof(T)];
    if (!file.seek(offset) || file.read(reinterpret_cast<char*>(buffer), sizeof(T)) != sizeof(T))
        return false;
    out = qFromLittleEndian<T>(buffer);
    return true;
}

QDateTime compiledAt() {
    // __DATE__ is "Mmm dd yyyy", __TIME__ "hh:mm:ss".
    const QString text = QStringLiteral(__DATE__ " " __TIME__).simplified();
    return QLocale::c().toDateTime(text, QStringLiteral("MMM d yyyy HH:mm:ss"));
}
}  // namespace

std::optional<QDateTime> resourceTimeStamp(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    quint16 mz = 0;
    quint32 peOffset = 0, signature = 0;
    if (!readAt(file, 0, mz) || mz != 0x5A4D || !readAt(file, 60, peOffset)) return std::nullopt;
    if (!readAt(file, peOffset, signature) || signature != 0x00004550) return std::nullopt;
    quint16 sections = 0;
    if (!readAt(file, peOffset + 4 + 2, sections)) return std::nullopt;
    const qint64 firstSection = qint64(peOffset) + 4 + 20 + 224;
    for (int i = 0; i < sections; ++i) {
        const qint64 header = firstSection + qint64(i) * 40;
        if (!file.seek(header)) return std::nullopt;
        const QByteArray name = file.read(8);
        if (name.size() != 8) return std::nullopt;
        if (name.left(name.indexOf('\0') < 0 ? 8 : name.indexOf('\0')) != ".rsrc") continue;
        quint32 rawData = 0, stamp = 0;
        if (!readAt(file, header + 20, rawData) || !readAt(file, qint64(rawData) + 4, stamp))
            return std::nullopt;
        const quint32 date = stamp >> 16, time = stamp & 0xFFFF;
        const QDate d(int(date >> 9) + 1980, int((date >> 5) & 0x0F), int(date & 0x1F));
        const QTime t(int(time >> 11), int((time >> 5) & 0x3F), int(time & 0x1F) * 2);
        if (!d.isValid() || !t.isValid()) return std::nullopt;
        return QDateTime(d, t);
    }
    return std::nullopt;
}

QDateTime BuildDate() {
#ifdef Q_OS_WIN
    if (auto stamp = resourceTimeStamp(QCoreApplication::applicationFilePath())) return *stamp;
#endif
    return compiledAt();
}

QString captionDate(const QDateTime& when) {
    const QLocale locale;
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QRegularExpression(QStringLiteral("\\s*t+")));
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(when.time(), timeFormat.trimmed());
}

}  // namespace signin
