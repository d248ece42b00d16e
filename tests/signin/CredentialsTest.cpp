#include <gtest/gtest.h>

#include <QFile>
#include <stdexcept>

#include "signin/BootstrapFile.h"
#include "signin/Codec.h"
#include "signin/UserCheck.h"
#include "tests/support/TempFolder.h"
#include "tests/support/ThrowMessage.h"

namespace {

using signin::BootstrapFile;

TEST(ShiftUp, EveryByteOneHigherAnd255WrapsToZero) {
    const QByteArray in("\x00\x41\x7f\xfe\xff", 5);
    const QByteArray out("\x01\x42\x80\xff\x00", 5);
    EXPECT_EQ(signin::ShiftUp(in), out);
    // Texts go through code page 1251: "я" (0xFF) wraps to code 0, "Я" (0xDF) to "а".
    EXPECT_EQ(signin::ShiftUp(QStringLiteral("pnq^ADЯ")), QStringLiteral("qor_BEа"));
    EXPECT_EQ(signin::ShiftUp(QStringLiteral("я")), QString(QChar(0)));
}

TEST(PasswordDigest, Md5OfTheCp1251BytesInUpperCaseHex) {
    const std::vector<std::pair<QString, QString>> cases = {
        {QString(), QStringLiteral("D41D8CD98F00B204E9800998ECF8427E")},
        {QStringLiteral("demo2026"), QStringLiteral("155F06B993E3E522EEEF5DD556460C96")},
        {QStringLiteral("пароль"), QStringLiteral("749789E4982B0C563F6729AAC100A614")},
        {QStringLiteral("Пароль_1"), QStringLiteral("C30D907D34B1826843B3FDB6DDFF2522")},
    };
    for (const auto& [text, digest] : cases)
        EXPECT_EQ(signin::PasswordDigest(text), digest) << text.toStdString();
}

// The file as it is stored: values one code lower, lengths at 40, 41, 82, 83.
QByteArray storedFile() {
    QByteArray bytes(84, 'x');
    auto put = [&](int offset, int lengthAt, const QByteArray& stored, int length) {
        bytes.replace(offset, stored.size(), stored);
        bytes[lengthAt] = static_cast<char>(length);
    };
    put(0, 40, QByteArray("pnq^anns"), 8);  // qor_boot
    put(20, 41,
        QByteArray("r\xff"
                   "bqds",
                   6),
        6);                                                // s, code 0, cret
    put(42, 82, QByteArray("/0123456789:;<=>?@AB"), 200);  // longer than 20: all 20
    put(62, 83, QByteArray("PNQ"), 3);                     // QOR
    return bytes;
}

TEST(BootstrapFile, ReadsTheFourValuesShiftedUp) {
    testsupport::TempFolder dir;
    QDir().mkpath(dir.file(QStringLiteral("Data")));
    QFile f(BootstrapFile::pathIn(dir.path()));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(storedFile() + QByteArray("trailing bytes are ignored"));
    f.close();
    const BootstrapFile b = BootstrapFile::read(f.fileName());
    EXPECT_EQ(b.login, QStringLiteral("qor_boot"));
    EXPECT_EQ(b.password, QStringLiteral("s") + QChar(0) + QStringLiteral("cret"));
    EXPECT_EQ(b.dataSource, QStringLiteral("0123456789:;<=>?@ABC"));
    EXPECT_EQ(b.catalog, QStringLiteral("QOR"));

    // What the program writes for the demo reads back the same.
    const BootstrapFile again = BootstrapFile::decode(BootstrapFile::encode(b));
    EXPECT_EQ(again.login, b.login);
    EXPECT_EQ(again.password, b.password);
    EXPECT_EQ(again.dataSource, b.dataSource);
    EXPECT_EQ(again.catalog, b.catalog);
}

TEST(BootstrapFile, AShortOrMissingFileIsAnErrorWithItsPath) {
    testsupport::TempFolder dir;
    const QString path = dir.file(QStringLiteral("QOR"));
    try {
        BootstrapFile::read(path);
        FAIL() << "a missing file was read";
    } catch (const std::runtime_error& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith(
            QStringLiteral("Не удалось открыть файл настроек подключения ") + path + ": "))
            << e.what();
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(storedFile().left(83));
    f.close();
    EXPECT_THROW_MSG(BootstrapFile::read(path), std::runtime_error,
                     (QStringLiteral("Файл настроек подключения ") + path +
                      QStringLiteral(" повреждён: в нём 83 байт из 84."))
                         .toStdString());
}

TEST(UserCheck, TheGetUserTextWithAndWithoutAPasswordChange) {
    EXPECT_EQ(signin::userCheckText(QStringLiteral("a.ivanova"), QStringLiteral("demo2026"),
                                    QStringLiteral("NULL"), QStringLiteral("10.0.0.5"),
                                    QStringLiteral("KAF-PC")),
              QStringLiteral("EXEC GET_USER 'a.ivanova','155F06B993E3E522EEEF5DD556460C96',"
                             "NULL, 'QOR 28', '10.0.0.5', 'KAF-PC', 'a.ivanova','0','4'"));
    EXPECT_EQ(signin::userCheckText(QStringLiteral("a.ivanova"), QStringLiteral("demo2026"),
                                    QStringLiteral("пароль"), QStringLiteral("10.0.0.5"),
                                    QStringLiteral("KAF-PC")),
              QStringLiteral("EXEC GET_USER 'a.ivanova','155F06B993E3E522EEEF5DD556460C96',"
                             "'749789E4982B0C563F6729AAC100A614', 'QOR 28', '10.0.0.5', "
                             "'KAF-PC', 'a.ivanova','0','34'"));
}

TEST(UserCheck, AnApostropheInTheLoginStaysInsideTheLiteral) {
    const QString text = signin::userCheckText(QStringLiteral("o'neil'; DROP TABLE x--"),
                                               QStringLiteral("p"), QStringLiteral("NULL"),
                                               QStringLiteral("10.0.0.5"), QStringLiteral("PC"));
    EXPECT_TRUE(text.startsWith(QStringLiteral("EXEC GET_USER 'o''neil''; DROP TABLE x--','")));
    EXPECT_TRUE(text.endsWith(QStringLiteral(", 'o''neil''; DROP TABLE x--','0','4'")));
}

TEST(UserCheck, TheConnectionString) {
    EXPECT_EQ(signin::connectionString(QStringLiteral("qor_boot"), QStringLiteral("pw"),
                                       QStringLiteral("QOR"), QStringLiteral("srv")),
              QStringLiteral(
                  "Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;User ID=qor_boot;"
                  "Initial Catalog=QOR;Data Source=srv;Use Procedure for Prepare=1;Auto "
                  "Translate=True;Packet Size=4096;Use Encryption for Data=False;Tag with column "
                  "collation when possible=False"));
}

}  // namespace
