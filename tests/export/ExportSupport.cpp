#include "tests/export/ExportSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonDocument>
#include <QProcess>

namespace exporttest {

namespace {

QByteArray run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString()
                      << " failed: " << process.readAllStandardError().toStdString();
        return {};
    }
    return process.readAllStandardOutput();
}

}  // namespace

sheetexport::SheetTable sampleTable(int students) {
    sheetexport::SheetTable t;
    t.heading = {QStringLiteral("Факультет информационных технологий"),
                 QStringLiteral("2026-2027"),
                 QStringLiteral("1 семестр"),
                 QStringLiteral("Базы данных"),
                 QStringLiteral("5"),
                 QStringLiteral("Экзамен"),
                 QStringLiteral("ИС-24-1"),
                 QStringLiteral("Кафедра информационных систем"),
                 QStringLiteral("Ведомость"),
                 QStringLiteral("Иванова Анна Сергеевна"),
                 QStringLiteral("10.12.2026")};
    t.columns = {
        {QStringLiteral("П/П"), {}, 48, true},
        {QStringLiteral("Студент"), {}, 172, false},
        {QStringLiteral("Группа"), {}, 64, false},
        {QStringLiteral("Рубежный контроль 1"), QStringLiteral("макс. 30"), 42, false},
        {QStringLiteral("Рубежный контроль 2"), QStringLiteral("макс. 30"), 42, false},
        {QStringLiteral("Экзамен"), QStringLiteral("макс. 40"), 42, false},
        {QStringLiteral("Доп. баллы"), QStringLiteral("макс. 10"), 42, false},
        {QStringLiteral("Итог"), {}, 42, false},
        {QStringLiteral("Оценка"), {}, 105, false},
        {QStringLiteral("Примечание"), {}, 120, false},
    };
    static const char* const surnames[] = {"Абдрахманов", "Ахметов",    "Кусаинов", "Рахимжанов",
                                           "Жумабаев",    "Сейтказиев", "Омаров",   "Нурланов",
                                           "Тулегенов",   "Бекмуханов", "Иванов",   "Петров",
                                           "Смирнов",     "Кузнецов",   "Попов",    "Соколов",
                                           "Лебедев",     "Ким",        "Ли",       "Габдуллин"};
    static const char* const names[] = {"Ерлан",  "Алихан",  "Арман",     "Данияр",  "Тимур",
                                        "Руслан", "Алексей", "Максим",    "Олжас",   "Санжар",
                                        "Ильяс",  "Азамат",  "Нурсултан", "Дмитрий", "Бауыржан"};
    static const char* const fathers[] = {"Маратович", "Ерболович", "Бауыржанович", "Талгатович",
                                          "Сергеевич"};
    for (int i = 0; i < students; ++i) {
        const QString name =
            QStringLiteral("%1 %2 %3")
                .arg(QString::fromUtf8(surnames[i % 20]), QString::fromUtf8(names[(i / 20) % 15]),
                     QString::fromUtf8(fathers[(i / 300) % 5]));
        auto number = [](double v) { return sheetexport::SheetCell{QString::number(v), v}; };
        const double m1 = 10 + i % 21, m2 = 5 + (i * 7) % 26, exam = (i * 13) % 41;
        const double extra = i % 4 == 1 ? 2.5 : 0;
        const double total = std::min(100.0, m1 + m2 + exam + extra);
        const char* grade = total >= 86   ? "отл"
                            : total >= 71 ? "хор"
                            : total >= 50 ? "удов"
                                          : "н/у";
        std::vector<sheetexport::SheetCell> row = {
            number(i + 1),
            {name, {}},
            {QStringLiteral("ИС-24-1"), {}},
            number(m1),
            number(m2),
            number(exam),
            extra > 0 ? number(extra) : sheetexport::SheetCell{},
            number(total),
            {QString::fromUtf8(grade), {}},
            {i % 10 == 3 ? QStringLiteral("перезачёт; приказ \"№ 12\"") : QString(), {}},
        };
        if (i == 4) {  // not admitted: no exam, no total
            row[5] = row[7] = {};
            row[8] = {QStringLiteral("н/у(н/я)"), {}};
        }
        t.rows.push_back(std::move(row));
    }
    return t;
}

QJsonObject readBack(const QString& kind, const QString& path) {
    const QByteArray out =
        run(QStringLiteral(QOR28_PYTHON), {QStringLiteral(QOR28_READBACK), kind, path});
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(out, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return document.object();
}

QString pdfText(const QString& path) {
    return QString::fromUtf8(
        run(QStringLiteral("pdftotext"),
            {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")}));
}

QStringList folderEntries(const QString& path) {
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

}  // namespace exporttest
