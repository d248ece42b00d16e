// The XLSX and CSV writers read back by other programs, the file names they offer, and
// files that cannot be written.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <functional>

#include "export/CsvWriter.h"
#include "export/SheetPrinter.h"
#include "export/XlsxWriter.h"
#include "tests/export/ExportSupport.h"
#include "tests/support/TempFolder.h"

namespace exporttest {
namespace {

using sheetexport::SheetTable;

// The cells of a read-back row as texts, numbers in the shortest form the table has them.
QStringList texts(const QJsonArray& row) {
    QStringList out;
    for (const QJsonValue& v : row) {
        if (v.isDouble())
            out << QString::number(v.toDouble());
        else
            out << v.toString();
    }
    return out;
}

QStringList texts(const std::vector<sheetexport::SheetCell>& row) {
    QStringList out;
    for (const auto& cell : row) out << cell.text;
    return out;
}

TEST(Xlsx, ReadBackHoldsTheHeadingTheTitlesAndEveryCellWithNumbersAsNumbers) {
    testsupport::TempFolder folder;
    const SheetTable table = sampleTable(23);
    const QString path = folder.file(QStringLiteral("Базы данных ИС-24-1.xlsx"));
    sheetexport::writeXlsx(table, path);
    const QJsonObject book = readBack(QStringLiteral("xlsx"), path);

    EXPECT_EQ(book["sheets"].toArray(), QJsonArray{QStringLiteral("ИС-24-1")});
    const QJsonArray rows = book["rows"].toArray();
    const QJsonArray bold = book["bold"].toArray();
    QStringList firstColumn;
    for (const QJsonValue& row : rows) firstColumn << row.toArray().at(0).toString();
    for (const char* line :
         {"Факультет: Факультет информационных технологий", "Учебный год: 2026-2027",
          "Семестр: 1 семестр", "Дисциплина: Базы данных (5 кредит.)", "Форма контроля: Экзамен",
          "Группа / поток: ИС-24-1", "Кафедра: Кафедра информационных систем",
          "Форма ведомости: Ведомость", "Преподаватель: Иванова Анна Сергеевна",
          "Дата: 10.12.2026"}) {
        EXPECT_TRUE(firstColumn.contains(QString::fromUtf8(line))) << line;
    }

    // the titles in bold, the maxima under them, frozen below both
    const int titleRow = static_cast<int>(firstColumn.indexOf(QStringLiteral("П/П")));
    ASSERT_GE(titleRow, 0);
    QStringList titles, maxima;
    for (const auto& c : table.columns) titles << c.title, maxima << c.subtitle;
    EXPECT_EQ(texts(rows[titleRow].toArray()), titles);
    for (const QJsonValue& b : bold[titleRow].toArray()) EXPECT_TRUE(b.toBool());
    EXPECT_EQ(texts(rows[titleRow + 1].toArray()), maxima);
    EXPECT_EQ(book["frozen"].toString(), QStringLiteral("A%1").arg(titleRow + 3));

    // every row, every cell: numbers as numbers, texts as texts, blanks empty
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const QJsonArray row = rows[titleRow + 2 + static_cast<int>(r)].toArray();
        ASSERT_EQ(row.size(), static_cast<qsizetype>(table.columns.size()));
        for (std::size_t c = 0; c < table.columns.size(); ++c) {
            const auto& cell = table.rows[r][c];
            const QJsonValue v = row[static_cast<int>(c)];
            SCOPED_TRACE(QStringLiteral("row %1 column %2").arg(r).arg(c).toStdString());
            if (cell.number) {
                ASSERT_TRUE(v.isDouble());
                EXPECT_EQ(v.toDouble(), *cell.number);
            } else if (cell.text.isEmpty()) {
                EXPECT_TRUE(v.isNull() || v.toString().isEmpty());
            } else {
                EXPECT_EQ(v.toString(), cell.text);
            }
        }
    }
    // widths follow the grid's: the student column is the widest
    const QJsonObject widths = book["widths"].toObject();
    EXPECT_GT(widths["B"].toDouble(), widths["A"].toDouble() * 3);
    EXPECT_GT(widths["I"].toDouble(), widths["D"].toDouble());
}

TEST(Csv, ReadBackIsTheTableWithoutTheHeadingCyrillicAndQuotesIntact) {
    testsupport::TempFolder folder;
    const SheetTable table = sampleTable(23);
    const QString path = folder.file(QStringLiteral("ведомость.csv"));
    sheetexport::writeCsv(table, path);
    const QJsonObject csv = readBack(QStringLiteral("csv"), path);

    EXPECT_TRUE(csv["bom"].toBool());
    const QJsonArray rows = csv["rows"].toArray();
    ASSERT_EQ(rows.size(), static_cast<qsizetype>(table.rows.size()) + 2);
    QStringList titles, maxima;
    for (const auto& c : table.columns) titles << c.title, maxima << c.subtitle;
    EXPECT_EQ(texts(rows[0].toArray()), titles);
    EXPECT_EQ(texts(rows[1].toArray()), maxima);
    for (std::size_t r = 0; r < table.rows.size(); ++r)
        EXPECT_EQ(texts(rows[static_cast<int>(r) + 2].toArray()), texts(table.rows[r]));
    // the note with ";" and quotes came back whole
    EXPECT_EQ(rows[5].toArray()[9].toString(), QStringLiteral("перезачёт; приказ \"№ 12\""));

    const QByteArray bytes = sheetexport::csvText(table);
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF\xD0\x9F/\xD0\x9F;"));  // BOM, "П/П;"
    EXPECT_TRUE(bytes.contains("\"перезачёт; приказ \"\"№ 12\"\"\""));
}

TEST(Csv, ATableWithoutMaximaHasOneTitleLine) {
    SheetTable table = sampleTable(2);
    for (auto& c : table.columns) c.subtitle.clear();
    const QList<QByteArray> lines = sheetexport::csvText(table).split('\n');
    ASSERT_EQ(lines.size(), 4);  // titles, two rows, and nothing after the last CRLF
    EXPECT_TRUE(lines[1].startsWith("1;"));
    EXPECT_TRUE(lines[0].endsWith("\r"));
}

// Each writer, on a target that cannot be written even by root: a message naming the file
// with the system's reason, and nothing left behind in the folder.
TEST(Writers, AFileThatCannotBeWrittenIsReportedAndNothingIsLeft) {
    const SheetTable table = sampleTable(5);
    const std::pair<const char*, std::function<void(const QString&)>> writers[] = {
        {"xlsx", [&](const QString& p) { sheetexport::writeXlsx(table, p); }},
        {"csv", [&](const QString& p) { sheetexport::writeCsv(table, p); }},
        {"pdf", [&](const QString& p) { sheetexport::writePdf(table, p); }},
    };
    for (const auto& [kind, write] : writers) {
        SCOPED_TRACE(kind);
        testsupport::TempFolder folder;
        // a "folder" that is a plain file
        QFile plain(folder.file(QStringLiteral("notes")));
        ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
        plain.close();
        // a target that is an existing folder: the temporary file can be written, the
        // rename over the folder cannot
        ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("sheet.") + kind));
        const QStringList before = folderEntries(folder.path());

        const QString targets[] = {folder.file(QStringLiteral("notes/sheet.") + kind),
                                   folder.file(QStringLiteral("sheet.") + kind)};
        for (const QString& target : targets) {
            SCOPED_TRACE(target.toStdString());
            try {
                write(target);
                ADD_FAILURE() << "no error";
            } catch (const sheetexport::ExportError& e) {
                const QString prefix =
                    QStringLiteral("Не удалось записать файл «%1»: ").arg(target);
                EXPECT_TRUE(e.message().startsWith(prefix)) << e.message().toStdString();
                EXPECT_GT(e.message().size(), prefix.size() + 3) << "no reason given";
                EXPECT_EQ(QString::fromUtf8(e.what()), e.message());
            }
            EXPECT_EQ(folderEntries(folder.path()), before);
            EXPECT_TRUE(QDir(folder.file(QStringLiteral("sheet.") + kind)).isEmpty());
        }
    }
}

TEST(Writers, AnExistingFileIsReplacedWhole) {
    testsupport::TempFolder folder;
    const QString path = folder.file(QStringLiteral("sheet.xlsx"));
    sheetexport::writeXlsx(sampleTable(300), path);
    const qint64 large = QFileInfo(path).size();
    sheetexport::writeXlsx(sampleTable(3), path);
    EXPECT_LT(QFileInfo(path).size(), large);
    EXPECT_EQ(readBack(QStringLiteral("xlsx"), path)["rows"].toArray().last().toArray()[0],
              QStringLiteral("Преподаватель: ____________________ / Иванова Анна Сергеевна /"));
    EXPECT_EQ(folderEntries(folder.path()), QStringList{QStringLiteral("sheet.xlsx")});
}

// Every writer's new file may be read as any new file in the folder may (the workbook
// used to be left for its owner alone), and a replaced file keeps its permissions.
TEST(Writers, AWrittenFileHasThePermissionsOfANewFileOrOfTheFileItReplaces) {
    testsupport::TempFolder folder;
    QFile plain(folder.file(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QFileDevice::Permissions fresh = QFile::permissions(plain.fileName());
    ASSERT_TRUE(fresh & QFileDevice::ReadOwner);
    const SheetTable table = sampleTable(3);
    const std::pair<const char*, std::function<void(const QString&)>> writers[] = {
        {"xlsx", [&](const QString& p) { sheetexport::writeXlsx(table, p); }},
        {"csv", [&](const QString& p) { sheetexport::writeCsv(table, p); }},
        {"pdf", [&](const QString& p) { sheetexport::writePdf(table, p); }},
    };
    const QFileDevice::Permissions kept = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ReadUser | QFileDevice::WriteUser |
                                          QFileDevice::ReadGroup;
    for (const auto& [kind, write] : writers) {
        SCOPED_TRACE(kind);
        const QString path = folder.file(QStringLiteral("sheet.") + kind);
        write(path);
        EXPECT_EQ(QFile::permissions(path), fresh);
        ASSERT_TRUE(QFile::setPermissions(path, kept));
        write(path);
        EXPECT_EQ(QFile::permissions(path), kept);
    }
}

TEST(FileNames, TheDefaultNameIsSafeOnEverySystem) {
    sheetexport::SheetHeading h;
    h.discipline = QStringLiteral("Базы данных");
    h.group = QStringLiteral("ИС-24-1");
    h.sheetForm = QStringLiteral("Ведомость");
    h.date = QStringLiteral("10.12.2026");
    EXPECT_EQ(sheetexport::defaultFileName(h, QStringLiteral("pdf")),
              QStringLiteral("Базы данных ИС-24-1 Ведомость 10.12.2026.pdf"));

    const struct {
        const char* discipline;
        const char* group;
        const char* expected;
    } cases[] = {
        {"Физика: ч. 1/2", "ИС-24-1", "Физика_ ч. 1_2 ИС-24-1 Ведомость 10.12.2026.xlsx"},
        {"Что? \"Где\" <когда> |*\\", "", "Что_ _Где_ _когда_ ___ Ведомость 10.12.2026.xlsx"},
        {"Право\tВводный курс ", "ПР-1", "Право_Вводный курс ПР-1 Ведомость 10.12.2026.xlsx"},
    };
    for (const auto& c : cases) {
        h.discipline = QString::fromUtf8(c.discipline);
        h.group = QString::fromUtf8(c.group);
        EXPECT_EQ(sheetexport::defaultFileName(h, QStringLiteral("xlsx")),
                  QString::fromUtf8(c.expected));
    }
    // a very long discipline stays within the file systems' 255 bytes
    h.discipline = QString(300, QChar(0x0416));  // Ж
    const QString longName = sheetexport::defaultFileName(h, QStringLiteral("xlsx"));
    EXPECT_LE(longName.toUtf8().size(), 255);
    EXPECT_TRUE(longName.endsWith(QStringLiteral(".xlsx")));
    // nothing at all, or only what no file name may hold
    EXPECT_EQ(sheetexport::defaultFileName({}, QStringLiteral("csv")),
              QStringLiteral("Ведомость.csv"));
    sheetexport::SheetHeading dots;
    dots.discipline = QStringLiteral("...");
    EXPECT_EQ(sheetexport::defaultFileName(dots, QStringLiteral("csv")),
              QStringLiteral("Ведомость.csv"));
}

TEST(FileNames, TheWorksheetIsNamedAfterTheGroupAsExcelAllows) {
    const struct {
        const char* group;
        const char* expected;
    } cases[] = {
        {"ИС-24-1", "ИС-24-1"},
        {"Поток [ИС/ВТ]: 2 курс*", "Поток ИС ВТ 2 курс"},
        {"'ИС'", "ИС"},
        {"", "Ведомость"},
        {"Поток информационных систем и технологий", "Поток информационных систем и т"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sheetexport::worksheetName(QString::fromUtf8(c.group)),
                  QString::fromUtf8(c.expected))
            << c.group;
    }
}

}  // namespace
}  // namespace exporttest
