#include "sheet/SheetDisplay.h"

#include <optional>

namespace sheet {

namespace {

// A row's whole number, or none when the value is NULL or not a number: painting never
// stops at a value it cannot read.
std::optional<std::int64_t> whole(const db::Value& v) {
    if (db::isNull(v)) return std::nullopt;
    try {
        return db::toInteger(v);
    } catch (...) {
        return std::nullopt;
    }
}

// The background of a control point's cell by the point's CanEdit: closed for good,
// closed for now, open, open by permission. Any other value leaves the cell as it is.
std::optional<QColor> controlPointColour(const QString& hint) {
    bool ok = false;
    const int canEdit = hint.trimmed().toInt(&ok);
    if (!ok) return std::nullopt;
    switch (canEdit) {
        case -1:
            return QColor(255, 185, 255);
        case 0:
            return QColor(255, 240, 255);
        case 1:
            return QColor(193, 255, 193);
        case 2:
        case 3:
            return QColor(136, 255, 136);
        default:
            return std::nullopt;
    }
}

constexpr int kAdmissionColumn = 1;  // "Допуск по оплате"
constexpr int kLastFixedColumn = 6;  // control points come after it

}  // namespace

QColor cellColour(const CellColourInput& in) {
    QColor colour = in.chosen;
    if (in.admission != QStringLiteral("д") && in.column == kAdmissionColumn)
        colour = QColor(255, 221, 221);
    if (whole(in.estimation) == kNotStudyingId) {
        // A selected cell keeps the selection's colour, so the selection stays visible.
        colour = in.state == ui::DataGrid::DrawState(ui::DataGrid::Selected)
                     ? in.selection
                     : QColor(206, 239, 255);
    }
    if (whole(in.canEdit) == 1 && in.column > kLastFixedColumn && !in.hint.isEmpty()) {
        if (std::optional<QColor> point = controlPointColour(in.hint)) colour = *point;
    }
    return colour;
}

QUrl reportAddress(const QString& server, QString* error) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return QUrl();
    };
    QString base = server.trimmed();
    if (base.isEmpty())
        return fail(QStringLiteral(
            "Адрес сервера отчётов не задан (настройка № 22 в таблице VuzDefaults).\n"
            "Обратитесь к администратору."));
    // A base written with a closing slash would give the page path a double slash.
    while (base.endsWith(QLatin1Char('/'))) base.chop(1);
    const QUrl url(base + QLatin1String(kReportPage), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        url.host().isEmpty())
        return fail(QStringLiteral("Адрес сервера отчётов «%1» не подходит: нужен адрес вида "
                                   "http://сервер (настройка № 22 в таблице VuzDefaults).\n"
                                   "Обратитесь к администратору.")
                        .arg(server.trimmed()));
    if (error) error->clear();
    return url;
}

}  // namespace sheet
