#include "db/Values.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "db/Error.h"
#include "values/DateTimeText.h"
#include "values/TextFold.h"

namespace db {

namespace {

constexpr std::int64_t kMsecsPerDay = 86400000;

bool parseNumber(std::string_view s, std::int64_t& i, double& d, bool& isInt) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    if (s.empty()) return false;
    if (s.front() == '+') s.remove_prefix(1);
    auto r = std::from_chars(s.data(), s.data() + s.size(), i);
    if (r.ec == std::errc() && r.ptr == s.data() + s.size()) {
        isInt = true;
        return true;
    }
    std::string copy(s);
    for (char& c : copy)
        if (c == ',') c = '.';  // a decimal comma typed by a person
    auto r2 = std::from_chars(copy.data(), copy.data() + copy.size(), d);
    if (r2.ec == std::errc() && r2.ptr == copy.data() + copy.size() && std::isfinite(d)) {
        isInt = false;
        return true;
    }
    return false;
}

}  // namespace

Type typeOf(const Value& v) {
    switch (v.index()) {
        case 1:
            return Type::Integer;
        case 2:
            return Type::Float;
        case 3:
            return Type::Text;
        case 4:
            return Type::DateTime;
        default:
            return Type::Null;
    }
}

DateTime makeDateTime(int year, int month, int day, int hour, int minute, int second, int msec) {
    const std::int64_t days =
        values::daysSince1900(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    return DateTime{days * kMsecsPerDay + ((hour * 60LL + minute) * 60 + second) * 1000 + msec};
}

CivilTime civil(DateTime t) {
    std::int64_t days = t.msecs / kMsecsPerDay;
    std::int64_t rest = t.msecs % kMsecsPerDay;
    if (rest < 0) {
        rest += kMsecsPerDay;
        --days;
    }
    CivilTime c{};
    values::dateOfDay(days, c.year, c.month, c.day);
    c.hour = static_cast<int>(rest / 3600000);
    c.minute = static_cast<int>(rest / 60000 % 60);
    c.second = static_cast<int>(rest / 1000 % 60);
    c.msec = static_cast<int>(rest % 1000);
    return c;
}

bool parseDateTime(std::string_view text, DateTime& out) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
    std::string t(text);
    char frac[8] = {0};
    int n = 0;
    if (std::sscanf(t.c_str(), "%4d-%2d-%2d%n", &y, &mo, &d, &n) == 3) {
    } else if (std::sscanf(t.c_str(), "%2d.%2d.%4d%n", &d, &mo, &y, &n) == 3) {
    } else {
        return false;
    }
    std::string rest = t.substr(static_cast<std::size_t>(n));
    if (!rest.empty()) {
        int got = std::sscanf(rest.c_str(), "%*[ T]%2d:%2d:%2d.%7[0-9]", &h, &mi, &s, frac);
        if (got < 2) return false;
        for (int k = 0; k < 3; ++k)
            ms = ms * 10 + (frac[k] >= '0' && frac[k] <= '9' ? frac[k] - '0' : 0);
    }
    if (mo < 1 || mo > 12 || d < 1 || h > 23 || mi > 59 || s > 59) return false;
    // A day past the month's end would roll over into the next month: refuse it.
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (d > kDays[mo - 1] + (mo == 2 && leap ? 1 : 0)) return false;
    out = makeDateTime(y, mo, d, h, mi, s, ms);
    return true;
}

std::string toText(const Value& v) {
    switch (v.index()) {
        case 1:
            return std::to_string(std::get<std::int64_t>(v));
        case 2: {
            char buf[64];
            auto r = std::to_chars(buf, buf + sizeof buf, std::get<double>(v));
            return std::string(buf, r.ptr);
        }
        case 3:
            return std::get<std::string>(v);
        case 4: {
            CivilTime c = civil(std::get<DateTime>(v));
            char buf[40];
            if (c.hour == 0 && c.minute == 0 && c.second == 0 && c.msec == 0)
                std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", c.day, c.month, c.year);
            else
                std::snprintf(buf, sizeof buf, "%02d.%02d.%04d %02d:%02d:%02d", c.day, c.month,
                              c.year, c.hour, c.minute, c.second);
            return buf;
        }
        default:
            return {};
    }
}

std::int64_t toInteger(const Value& v) {
    switch (v.index()) {
        case 0:
            return 0;
        case 1:
            return std::get<std::int64_t>(v);
        case 2: {
            double d = std::get<double>(v);
            if (!(d > -9.2e18 && d < 9.2e18)) throw Error("Value out of range for an integer");
            return std::llround(d);
        }
        case 3: {
            std::int64_t i = 0;
            double d = 0;
            bool isInt = false;
            if (!parseNumber(std::get<std::string>(v), i, d, isInt))
                throw Error("'" + std::get<std::string>(v) + "' is not a valid integer value");
            return isInt ? i : toInteger(Value(d));
        }
        default:
            return std::get<DateTime>(v).msecs / kMsecsPerDay;
    }
}

double toDouble(const Value& v) {
    switch (v.index()) {
        case 0:
            return 0;
        case 1:
            return static_cast<double>(std::get<std::int64_t>(v));
        case 2:
            return std::get<double>(v);
        case 3: {
            std::int64_t i = 0;
            double d = 0;
            bool isInt = false;
            if (!parseNumber(std::get<std::string>(v), i, d, isInt))
                throw Error("'" + std::get<std::string>(v) +
                            "' is not a valid floating point value");
            return isInt ? static_cast<double>(i) : d;
        }
        default:
            return static_cast<double>(std::get<DateTime>(v).msecs) / kMsecsPerDay;
    }
}

DateTime toDateTime(const Value& v) {
    switch (v.index()) {
        case 0:
            return DateTime{};
        case 3: {
            DateTime t;
            if (!parseDateTime(std::get<std::string>(v), t))
                throw Error("'" + std::get<std::string>(v) + "' is not a valid date and time");
            return t;
        }
        case 4:
            return std::get<DateTime>(v);
        default:
            return DateTime{std::llround(toDouble(v) * kMsecsPerDay)};
    }
}

Value convert(const Value& v, Type type) {
    if (isNull(v)) return v;
    switch (type) {
        case Type::Integer:
            return toInteger(v);
        case Type::Float:
            return toDouble(v);
        case Type::Text:
            return toText(v);
        case Type::DateTime:
            return toDateTime(v);
        default:
            return v;
    }
}

std::string foldCase(std::string_view s) {
    return values::foldCase(s);
}

int compareValues(const Value& a, const Value& b, bool ignoreCase) {
    if (isNull(a) || isNull(b)) return isNull(a) == isNull(b) ? 0 : isNull(a) ? -1 : 1;
    Type ta = typeOf(a), tb = typeOf(b);
    if (ta == Type::Integer && tb == Type::Integer) {
        auto x = std::get<std::int64_t>(a), y = std::get<std::int64_t>(b);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    if (ta == Type::DateTime && tb == Type::DateTime) {
        auto x = std::get<DateTime>(a), y = std::get<DateTime>(b);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    bool numA = ta == Type::Integer || ta == Type::Float;
    bool numB = tb == Type::Integer || tb == Type::Float;
    if (numA && numB) {
        double x = toDouble(a), y = toDouble(b);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    if (numA != numB && (ta == Type::Text || tb == Type::Text)) {
        // A number against text: compare as numbers when the text is one.
        std::int64_t i = 0;
        double d = 0;
        bool isInt = false;
        const std::string& text = std::get<std::string>(ta == Type::Text ? a : b);
        if (parseNumber(text, i, d, isInt)) {
            double x = isInt ? static_cast<double>(i) : d;
            double n = toDouble(ta == Type::Text ? b : a);
            int r = x < n ? -1 : x > n ? 1 : 0;
            return ta == Type::Text ? r : -r;
        }
    }
    if (ta == Type::DateTime || tb == Type::DateTime) {
        DateTime t;
        const Value& other = ta == Type::DateTime ? b : a;
        if (typeOf(other) == Type::Text && parseDateTime(std::get<std::string>(other), t)) {
            DateTime own = std::get<DateTime>(ta == Type::DateTime ? a : b);
            int r = own < t ? -1 : own > t ? 1 : 0;
            return ta == Type::DateTime ? r : -r;
        }
    }
    std::string x = toText(a), y = toText(b);
    if (ignoreCase) {
        x = foldCase(x);
        y = foldCase(y);
    }
    int r = x.compare(y);
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

bool sameValue(const Value& a, const Value& b, bool ignoreCase) {
    return compareValues(a, b, ignoreCase) == 0;
}

}  // namespace db
