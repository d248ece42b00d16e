#include "export/SheetTable.h"

#include <QRegularExpression>

namespace sheetexport {

std::vector<HeadingLine> headingLines(const SheetHeading& h) {
    QString discipline = h.discipline;
    if (!h.credits.isEmpty()) discipline += QStringLiteral(" (%1 кредит.)").arg(h.credits);
    const HeadingLine all[] = {
        {QStringLiteral("Факультет"), h.faculty},
        {QStringLiteral("Учебный год"), h.academicYear},
        {QStringLiteral("Семестр"), h.semester},
        {QStringLiteral("Дисциплина"), h.discipline.isEmpty() ? QString() : discipline},
        {QStringLiteral("Форма контроля"), h.assessment},
        {QStringLiteral("Группа / поток"), h.group},
        {QStringLiteral("Кафедра"), h.department},
        {QStringLiteral("Форма ведомости"), h.sheetForm},
        {QStringLiteral("Преподаватель"), h.teacher},
    };
    std::vector<HeadingLine> lines;
    for (const HeadingLine& line : all) {
        if (!line.text.trimmed().isEmpty()) lines.push_back(line);
    }
    return lines;
}

bool SheetTable::hasSubtitles() const {
    for (const SheetColumn& c : columns) {
        if (!c.subtitle.isEmpty()) return true;
    }
    return false;
}

QString cannotWriteMessage(const QString& path, const QString& reason) {
    return QStringLiteral("Не удалось записать файл «%1»: %2").arg(path, reason);
}

QString defaultFileName(const SheetHeading& h, const QString& extension) {
    QStringList parts;
    for (const QString& part : {h.discipline, h.group, h.sheetForm, h.date}) {
        if (!part.trimmed().isEmpty()) parts << part.trimmed();
    }
    QString name = parts.isEmpty() ? QStringLiteral("Ведомость") : parts.join(QStringLiteral(" "));
    // Windows refuses these characters and Linux the slash; control characters help no one.
    static const QRegularExpression forbidden(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    name.replace(forbidden, QStringLiteral("_"));
    name = name.simplified();
    // A file name is at most 255 bytes; Cyrillic takes two in UTF-8.
    constexpr int kMaxChars = 100;
    if (name.size() > kMaxChars) name = name.left(kMaxChars).trimmed();
    // Windows drops trailing dots and spaces silently.
    while (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' '))) name.chop(1);
    if (name.isEmpty()) name = QStringLiteral("Ведомость");
    return name + QLatin1Char('.') + extension;
}

}  // namespace sheetexport
