#include "export/CsvWriter.h"

#include "export/SafeFile.h"

namespace sheetexport {

namespace {

void appendField(QString& line, const QString& text) {
    if (text.contains(QLatin1Char(';')) || text.contains(QLatin1Char('"')) ||
        text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))) {
        QString quoted = text;
        quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
        line += QLatin1Char('"') + quoted + QLatin1Char('"');
    } else {
        line += text;
    }
}

}  // namespace

QByteArray csvText(const SheetTable& table) {
    QString out;
    auto addLine = [&](auto&& field, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0) out += QLatin1Char(';');
            appendField(out, field(i));
        }
        out += QLatin1String("\r\n");
    };
    const std::size_t n = table.columns.size();
    addLine([&](std::size_t i) { return table.columns[i].title; }, n);
    if (table.hasSubtitles()) addLine([&](std::size_t i) { return table.columns[i].subtitle; }, n);
    for (const auto& row : table.rows) {
        addLine([&](std::size_t i) { return i < row.size() ? row[i].text : QString(); }, n);
    }
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

void writeCsv(const SheetTable& table, const QString& path) {
    const QByteArray bytes = csvText(table);
    SafeFile file(path);
    file.device().write(bytes);
    file.commit();
}

}  // namespace sheetexport
