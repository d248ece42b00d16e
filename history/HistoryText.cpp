#include "history/HistoryText.h"

#include <QDate>
#include <QLocale>

namespace history {

std::string QuoteOnce(const std::string& s) {
    return "'" + s + "'";
}

std::string QuoteTwice(const std::string& s) {
    return QuoteOnce(QuoteOnce(s));
}

std::string DoubleApostrophes(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out;
}

std::string FieldSqlText(const db::Field& field) {
    std::string text = field.asString();
    if (text.empty()) return "NULL";
    switch (field.type()) {
        case db::Type::Float:
        case db::Type::DateTime:
            return QuoteTwice(text);
        case db::Type::Text:
            return QuoteTwice(DoubleApostrophes(text));
        default:
            return text;
    }
}

std::string FieldChangeText(const db::Field& field, Side side) {
    const db::Value& value = side == Side::Old ? field.oldValue() : field.value();
    std::string text = db::toText(value);
    if (text.empty()) return "NULL";
    switch (field.type()) {
        case db::Type::DateTime: {
            // The time of day is left out: a sentence names the day a value stands for.
            db::CivilTime c = db::civil(db::toDateTime(value));
            return QLocale()
                .toString(QDate(c.year, c.month, c.day), QLocale::ShortFormat)
                .toStdString();
        }
        case db::Type::Text:
            return DoubleApostrophes(text);
        default:
            return text;
    }
}

}  // namespace history
