#include "values/DateTimeText.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

namespace values {

namespace {

constexpr std::int64_t msPerDay = 86'400'000;

// Days since 1970-01-01 of a civil date (H. Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t yy = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

const std::int64_t epoch1900 = daysFromCivil(1900, 1, 1);

int daysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) return 29;
    return days[m - 1];
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads "hh:mi[:ss[.mmm]][AM|PM]" into c; true when the whole rest was a time.
bool parseTime(std::string_view s, CivilTime& c) {
    std::size_t i = 0;
    auto number = [&](int maxDigits, int& out) {
        std::size_t start = i;
        out = 0;
        while (i < s.size() && isDigit(s[i]) && static_cast<int>(i - start) < maxDigits)
            out = out * 10 + (s[i++] - '0');
        return i > start;
    };
    while (i < s.size() && s[i] == ' ') ++i;
    if (i == s.size()) return true;
    if (!number(2, c.hour)) return false;
    if (i >= s.size() || s[i] != ':') return false;
    ++i;
    if (!number(2, c.minute)) return false;
    if (i < s.size() && s[i] == ':') {
        ++i;
        if (!number(2, c.second)) return false;
        if (i < s.size() && (s[i] == '.' || s[i] == ':')) {
            ++i;
            std::size_t start = i;
            int frac = 0;
            int digits = 0;
            while (i < s.size() && isDigit(s[i])) {
                if (digits < 3) {
                    frac = frac * 10 + (s[i] - '0');
                    ++digits;
                }
                ++i;
            }
            if (i == start) return false;
            while (digits < 3) {
                frac *= 10;
                ++digits;
            }
            c.millisecond = frac;
        }
    }
    while (i < s.size() && s[i] == ' ') ++i;
    if (i + 2 <= s.size()) {
        std::string ampm(s.substr(i, 2));
        if (ampm == "AM" || ampm == "am" || ampm == "PM" || ampm == "pm") {
            if (c.hour > 12) return false;
            if ((ampm[0] == 'P' || ampm[0] == 'p') && c.hour < 12) c.hour += 12;
            if ((ampm[0] == 'A' || ampm[0] == 'a') && c.hour == 12) c.hour = 0;
            i += 2;
        }
    }
    while (i < s.size() && s[i] == ' ') ++i;
    return i == s.size();
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

}  // namespace

// Days from 1900-01-01 of 0001-01-01 and of 9999-12-31: a date-time outside them (a
// client may bind any number) is clamped, so that the civil arithmetic cannot overflow.
constexpr std::int64_t minDay = -693'595;
constexpr std::int64_t maxDay = 2'958'463;

CivilTime toCivil(DateTime t) {
    t.msecs = std::clamp(t.msecs, minDay * msPerDay, maxDay * msPerDay + msPerDay - 1);
    std::int64_t days = t.msecs >= 0 ? t.msecs / msPerDay : -((-t.msecs + msPerDay - 1) / msPerDay);
    std::int64_t rest = t.msecs - days * msPerDay;
    CivilTime c;
    civilFromDays(days + epoch1900, c.year, c.month, c.day);
    c.hour = static_cast<int>(rest / 3'600'000);
    c.minute = static_cast<int>(rest / 60'000 % 60);
    c.second = static_cast<int>(rest / 1000 % 60);
    c.millisecond = static_cast<int>(rest % 1000);
    return c;
}

std::optional<DateTime> fromCivil(const CivilTime& c) {
    if (c.year < 1753 || c.year > 9999 || c.month < 1 || c.month > 12 || c.day < 1 ||
        c.day > daysInMonth(c.year, c.month) || c.hour < 0 || c.hour > 23 || c.minute < 0 ||
        c.minute > 59 || c.second < 0 || c.second > 59 || c.millisecond < 0 || c.millisecond > 999)
        return std::nullopt;
    std::int64_t days =
        daysFromCivil(c.year, static_cast<unsigned>(c.month), static_cast<unsigned>(c.day)) -
        epoch1900;
    return DateTime{days * msPerDay + c.hour * 3'600'000LL + c.minute * 60'000LL +
                    c.second * 1000LL + c.millisecond};
}

std::int64_t daysSince1900(std::int64_t year, unsigned month, unsigned day) {
    return daysFromCivil(year, month, day) - epoch1900;
}

void dateOfDay(std::int64_t days, int& year, int& month, int& day) {
    civilFromDays(days + epoch1900, year, month, day);
}

std::string formatIso(DateTime t) {
    CivilTime c = toCivil(t);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", c.year, c.month, c.day,
                  c.hour, c.minute, c.second, c.millisecond);
    return buf;
}

std::optional<DateTime> parseIso(std::string_view s) {
    s = trim(s);
    CivilTime c;
    auto digits = [&](std::size_t at, std::size_t n, int& out) {
        if (at + n > s.size()) return false;
        out = 0;
        for (std::size_t k = at; k < at + n; ++k) {
            if (!isDigit(s[k])) return false;
            out = out * 10 + (s[k] - '0');
        }
        return true;
    };
    std::size_t next = 0;
    if (s.size() >= 10 && s[4] == '-' && s[7] == '-') {
        if (!digits(0, 4, c.year) || !digits(5, 2, c.month) || !digits(8, 2, c.day))
            return std::nullopt;
        next = 10;
    } else if (s.size() >= 8 && digits(0, 4, c.year) && digits(4, 2, c.month) &&
               digits(6, 2, c.day) && (s.size() == 8 || s[8] == ' ' || s[8] == 'T')) {
        next = 8;
    } else {
        return std::nullopt;
    }
    if (next < s.size()) {
        if (s[next] != ' ' && s[next] != 'T') return std::nullopt;
        if (!parseTime(s.substr(next + 1), c)) return std::nullopt;
    }
    return fromCivil(c);
}

std::optional<DateTime> parseDateText(std::string_view text, std::string_view dateFormat,
                                      int style) {
    std::string_view s = trim(text);
    if (s.empty()) return DateTime{0};  // SQL Server reads '' as 1900-01-01
    if (style == 120 || style == 121 || style == 126 || style == 112 || style == 23)
        return parseIso(s);
    // a leading four-digit year is read year first whatever the order setting
    if (s.size() >= 5 && isDigit(s[0]) && isDigit(s[1]) && isDigit(s[2]) && isDigit(s[3]) &&
        (s[4] == '-' || s[4] == ' ' || s[4] == 'T' || s.size() == 8 || isDigit(s[4]))) {
        if (auto t = parseIso(s)) return t;
    }
    std::string order(dateFormat);
    switch (style) {
        case 101:
        case 1:
        case 110:
        case 10:
            order = "mdy";
            break;
        case 103:
        case 3:
        case 104:
        case 4:
        case 105:
        case 5:
            order = "dmy";
            break;
        case 111:
        case 11:
        case 102:
        case 2:
            order = "ymd";
            break;
        default:
            break;
    }
    // three numbers separated by . / or -, then an optional time
    int parts[3] = {0, 0, 0};
    int lens[3] = {0, 0, 0};
    std::size_t i = 0;
    for (int k = 0; k < 3; ++k) {
        if (i >= s.size() || !isDigit(s[i])) return std::nullopt;
        while (i < s.size() && isDigit(s[i])) {
            if (lens[k] >= 4) return std::nullopt;
            parts[k] = parts[k] * 10 + (s[i++] - '0');
            ++lens[k];
        }
        if (k < 2) {
            if (i >= s.size() || (s[i] != '.' && s[i] != '/' && s[i] != '-')) return std::nullopt;
            ++i;
        }
    }
    CivilTime c;
    for (int k = 0; k < 3; ++k) {
        char which = k < static_cast<int>(order.size()) ? order[static_cast<std::size_t>(k)] : ' ';
        if (which == 'd')
            c.day = parts[k];
        else if (which == 'm')
            c.month = parts[k];
        else if (which == 'y') {
            c.year = parts[k];
            if (lens[k] <= 2) c.year += c.year < 50 ? 2000 : 1900;
        }
    }
    if (i < s.size()) {
        if (s[i] != ' ' && s[i] != 'T') return std::nullopt;
        if (!parseTime(s.substr(i + 1), c)) return std::nullopt;
    }
    return fromCivil(c);
}

std::string formatStyle(DateTime t, int style) {
    CivilTime c = toCivil(t);
    char buf[64];
    switch (style) {
        case 104:
            std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", c.day, c.month, c.year);
            break;
        case 4:
            std::snprintf(buf, sizeof buf, "%02d.%02d.%02d", c.day, c.month, c.year % 100);
            break;
        case 103:
            std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", c.day, c.month, c.year);
            break;
        case 101:
            std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", c.month, c.day, c.year);
            break;
        case 102:
            std::snprintf(buf, sizeof buf, "%04d.%02d.%02d", c.year, c.month, c.day);
            break;
        case 105:
            std::snprintf(buf, sizeof buf, "%02d-%02d-%04d", c.day, c.month, c.year);
            break;
        case 112:
            std::snprintf(buf, sizeof buf, "%04d%02d%02d", c.year, c.month, c.day);
            break;
        case 108:
            std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", c.hour, c.minute, c.second);
            break;
        case 120:
            std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day,
                          c.hour, c.minute, c.second);
            break;
        case 121:
        case 21:
            return formatIso(t);
        case 126:
            std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", c.year, c.month,
                          c.day, c.hour, c.minute, c.second, c.millisecond);
            break;
        default: {
            static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
            int h12 = c.hour % 12 == 0 ? 12 : c.hour % 12;
            std::snprintf(buf, sizeof buf, "%s %2d %04d %2d:%02d%s", months[c.month - 1], c.day,
                          c.year, h12, c.minute, c.hour < 12 ? "AM" : "PM");
            break;
        }
    }
    return buf;
}

DateTime localNow() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t secs = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&secs, &local);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    CivilTime c{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,       local.tm_hour,
                local.tm_min,         local.tm_sec,     static_cast<int>(ms)};
    return fromCivil(c).value_or(DateTime{0});
}

DateTime fromDays(double days) {
    if (!(days > static_cast<double>(minDay) && days < static_cast<double>(maxDay + 1)))
        return DateTime{days > 0 ? maxDay * msPerDay : minDay * msPerDay};
    return DateTime{static_cast<std::int64_t>(std::llround(days * static_cast<double>(msPerDay)))};
}

double toDays(DateTime t) {
    return static_cast<double>(t.msecs) / static_cast<double>(msPerDay);
}

std::optional<std::int64_t> datePart(DateTime t, std::string_view part) {
    CivilTime c = toCivil(t);
    std::int64_t days = t.msecs >= 0 ? t.msecs / msPerDay : -((-t.msecs + msPerDay - 1) / msPerDay);
    if (part == "year") return c.year;
    if (part == "quarter") return (c.month - 1) / 3 + 1;
    if (part == "month") return c.month;
    if (part == "day") return c.day;
    if (part == "dayofyear") {
        return daysFromCivil(c.year, static_cast<unsigned>(c.month), static_cast<unsigned>(c.day)) -
               daysFromCivil(c.year, 1, 1) + 1;
    }
    if (part == "weekday")
        return (days % 7 + 7) % 7 == 6 ? 1 : (days % 7 + 7) % 7 + 2;  // Sunday = 1
    if (part == "week") {
        std::int64_t jan1 = daysFromCivil(c.year, 1, 1) - epoch1900;
        std::int64_t jan1Weekday = ((jan1 % 7 + 7) % 7 + 1) % 7;  // 0 = Sunday
        std::int64_t doy = days - jan1;
        return (doy + jan1Weekday) / 7 + 1;
    }
    if (part == "hour") return c.hour;
    if (part == "minute") return c.minute;
    if (part == "second") return c.second;
    if (part == "millisecond") return c.millisecond;
    return std::nullopt;
}

std::optional<DateTime> dateAdd(DateTime t, std::string_view part, std::int64_t n) {
    if (part == "year" || part == "quarter" || part == "month") {
        CivilTime c = toCivil(t);
        std::int64_t months = part == "year" ? n * 12 : part == "quarter" ? n * 3 : n;
        std::int64_t total = c.year * 12LL + (c.month - 1) + months;
        if (total < 0 || total > 9999 * 12) return std::nullopt;
        c.year = static_cast<int>(total / 12);
        c.month = static_cast<int>(total % 12 + 1);
        c.day = std::min(c.day, daysInMonth(c.year, c.month));
        return fromCivil(c);
    }
    std::int64_t unit = 0;
    if (part == "day" || part == "dayofyear" || part == "weekday")
        unit = msPerDay;
    else if (part == "week")
        unit = 7 * msPerDay;
    else if (part == "hour")
        unit = 3'600'000;
    else if (part == "minute")
        unit = 60'000;
    else if (part == "second")
        unit = 1000;
    else if (part == "millisecond")
        unit = 1;
    else
        return std::nullopt;
    if (n > 4'000'000'000'000LL / unit || n < -4'000'000'000'000LL / unit) return std::nullopt;
    DateTime r{t.msecs + n * unit};
    if (!fromCivil(toCivil(r))) return std::nullopt;
    return r;
}

std::optional<std::int64_t> dateDiff(DateTime a, DateTime b, std::string_view part) {
    CivilTime x = toCivil(a), y = toCivil(b);
    auto dayOf = [](DateTime t) {
        return t.msecs >= 0 ? t.msecs / msPerDay : -((-t.msecs + msPerDay - 1) / msPerDay);
    };
    if (part == "year") return y.year - x.year;
    if (part == "quarter") return (y.year - x.year) * 4 + (y.month - 1) / 3 - (x.month - 1) / 3;
    if (part == "month") return (y.year - x.year) * 12 + y.month - x.month;
    if (part == "day" || part == "dayofyear" || part == "weekday") return dayOf(b) - dayOf(a);
    if (part == "week") return (dayOf(b) + 1) / 7 - (dayOf(a) + 1) / 7;
    auto floorDiv = [](std::int64_t v, std::int64_t d) {
        return v >= 0 ? v / d : -((-v + d - 1) / d);
    };
    if (part == "hour") return floorDiv(b.msecs, 3'600'000) - floorDiv(a.msecs, 3'600'000);
    if (part == "minute") return floorDiv(b.msecs, 60'000) - floorDiv(a.msecs, 60'000);
    if (part == "second") return floorDiv(b.msecs, 1000) - floorDiv(a.msecs, 1000);
    if (part == "millisecond") return b.msecs - a.msecs;
    return std::nullopt;
}

}  // namespace values
