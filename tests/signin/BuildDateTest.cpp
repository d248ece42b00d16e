#include <gtest/gtest.h>

#include <QFile>
#include <QtEndian>

#include "signin/BuildDate.h"
#include "tests/support/TempFolder.h"

namespace {

// A minimal PE file: MS-DOS header, PE signature, file header, optional header and the
// given sections; the .rsrc section's raw data starts with a resource directory whose
// time stamp is `stamp`. The linker's time stamp is set to something else on purpose.
QByteArray peFile(const QList<QByteArray>& sectionNames, quint32 stamp) {
    const int peOffset = 128;
    const int sectionsAt = peOffset + 4 + 20 + 224;
    const int dataAt = sectionsAt + 40 * int(sectionNames.size()) + 64;
    QByteArray f(dataAt + 16 * int(sectionNames.size()), '\0');
    auto put16 = [&](int at, quint16 v) { qToLittleEndian(v, f.data() + at); };
    auto put32 = [&](int at, quint32 v) { qToLittleEndian(v, f.data() + at); };
    f[0] = 'M';
    f[1] = 'Z';
    put32(60, peOffset);
    f.replace(peOffset, 4, QByteArray("PE\0\0", 4));
    put16(peOffset + 4 + 2, quint16(sectionNames.size()));
    put32(peOffset + 4 + 4, 0x12345678);  // linker time stamp, not the build date
    for (int i = 0; i < sectionNames.size(); ++i) {
        const int header = sectionsAt + 40 * i;
        f.replace(header, int(sectionNames[i].size()), sectionNames[i]);
        put32(header + 20, quint32(dataAt + 16 * i));
        put32(dataAt + 16 * i + 4, sectionNames[i] == ".rsrc" ? stamp : 0xFFFFFFFF);
    }
    return f;
}

quint32 dosStamp(int y, int mo, int d, int h, int mi, int s) {
    const quint32 date = quint32((y - 1980) << 9 | mo << 5 | d);
    const quint32 time = quint32(h << 11 | mi << 5 | s / 2);
    return date << 16 | time;
}

QString write(const testsupport::TempFolder& dir, const QByteArray& bytes) {
    const QString path = dir.file(QStringLiteral("qor28.exe"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

TEST(BuildDate, TheResourceDirectoryTimeStampOfAPeFile) {
    testsupport::TempFolder dir;
    const auto when = signin::resourceTimeStamp(
        write(dir, peFile({".text", ".data", ".rsrc"}, dosStamp(2016, 4, 5, 10, 20, 30))));
    ASSERT_TRUE(when.has_value());
    EXPECT_EQ(*when, QDateTime(QDate(2016, 4, 5), QTime(10, 20, 30)));
}

TEST(BuildDate, NoStampWithoutAResourceSectionOrWithoutAPeFile) {
    testsupport::TempFolder dir;
    EXPECT_FALSE(signin::resourceTimeStamp(write(dir, peFile({".text", ".reloc"}, 0))));
    EXPECT_FALSE(signin::resourceTimeStamp(write(dir, QByteArray("#!/bin/sh\necho hi\n"))));
    EXPECT_FALSE(signin::resourceTimeStamp(write(dir, peFile({".rsrc"}, 0xFFFFFFFF))));
    EXPECT_FALSE(signin::resourceTimeStamp(dir.file(QStringLiteral("missing.exe"))));
}

TEST(BuildDate, ThisBuildHasADateAndTheCaptionShowsItTheRussianWay) {
    EXPECT_TRUE(signin::BuildDate().isValid());
    EXPECT_GE(signin::BuildDate().date().year(), 2024);
    EXPECT_EQ(signin::captionDate(QDateTime(QDate(2016, 4, 5), QTime(10, 20, 30))),
              QStringLiteral("05.04.2016 10:20:30"));
}

}  // namespace
