#include "SqlFunctions.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <vector>

#include "Parser.h"
#include "values/DateTimeText.h"
#include "values/TextFold.h"

namespace server {

namespace {

Value readValue(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER:
            return static_cast<std::int64_t>(sqlite3_value_int64(v));
        case SQLITE_FLOAT:
            return sqlite3_value_double(v);
        case SQLITE_NULL:
            return std::monostate{};
        default: {
            const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
            return std::string(p ? p : "", static_cast<std::size_t>(sqlite3_value_bytes(v)));
        }
    }
}

void resultValue(sqlite3_context* ctx, const Value& v) {
    if (std::holds_alternative<std::monostate>(v))
        sqlite3_result_null(ctx);
    else if (auto* i = std::get_if<std::int64_t>(&v))
        sqlite3_result_int64(ctx, *i);
    else if (auto* d = std::get_if<double>(&v))
        sqlite3_result_double(ctx, *d);
    else if (auto* s = std::get_if<std::string>(&v))
        sqlite3_result_text(ctx, s->data(), static_cast<int>(s->size()), SQLITE_TRANSIENT);
    else {
        std::string iso = formatIso(std::get<DateTime>(v));
        sqlite3_result_text(ctx, iso.data(), static_cast<int>(iso.size()), SQLITE_TRANSIENT);
    }
}

std::string text(sqlite3_value* v) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return std::string(p ? p : "", static_cast<std::size_t>(sqlite3_value_bytes(v)));
}

Session& session(sqlite3_context* ctx) {
    return *static_cast<Session*>(sqlite3_user_data(ctx));
}

void fail(sqlite3_context* ctx, const std::string& message) {
    sqlite3_result_error(ctx, message.c_str(), static_cast<int>(message.size()));
}

std::string trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return std::string(s);
}

bool parseInteger(const std::string& s, std::int64_t& out) {
    std::string t = trimmed(s);
    if (t.empty()) {
        out = 0;
        return true;
    }
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(t.c_str(), &end, 10);
    if (errno != 0 || end == t.c_str() || *end != '\0') return false;
    out = v;
    return true;
}

bool parseDouble(const std::string& s, double& out) {
    std::string t = trimmed(s);
    if (t.empty()) {
        out = 0;
        return true;
    }
    char* end = nullptr;
    out = std::strtod(t.c_str(), &end);
    return end != t.c_str() && *end == '\0' && std::isfinite(out);
}

// A text operand of arithmetic: SQL Server converts it to the other side's number type.
bool numberFromText(const std::string& s, bool wantFloat, Value& out) {
    if (!wantFloat) {
        std::int64_t i;
        if (parseInteger(s, i)) {
            out = i;
            return true;
        }
        return false;
    }
    double d;
    if (parseDouble(s, d)) {
        out = d;
        return true;
    }
    return false;
}

std::size_t utf8Length(std::string_view s) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.size();) {
        decodeUtf8(s, i);
        ++n;
    }
    return n;
}

// Byte offset of character index `chars` (clamped).
std::size_t utf8Offset(std::string_view s, std::size_t chars) {
    std::size_t i = 0;
    while (chars > 0 && i < s.size()) {
        decodeUtf8(s, i);
        --chars;
    }
    return i;
}

void tsqlCi(void*, int) {}

int collateCi(void*, int na, const void* a, int nb, const void* b) {
    return compareFolded(
        std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(na)),
        std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(nb)));
}

// ---- LIKE with T-SQL patterns, case ignored --------------------------------------

struct PatternItem {
    enum Kind { Any, One, Set, Char } kind = Char;
    char32_t c = 0;
    bool negate = false;
    std::vector<std::pair<char32_t, char32_t>> ranges;
    bool matches(char32_t x) const {
        switch (kind) {
            case Any:
            case One:
                return true;
            case Char:
                return c == x;
            case Set: {
                bool in = false;
                for (auto [lo, hi] : ranges)
                    if (x >= lo && x <= hi) in = true;
                return in != negate;
            }
        }
        return false;
    }
};

std::vector<char32_t> foldedChars(std::string_view s) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < s.size();) out.push_back(foldChar(decodeUtf8(s, i)));
    return out;
}

bool likeMatch(std::string_view pattern, std::string_view value, char32_t escape) {
    std::vector<char32_t> p = foldedChars(pattern);
    std::vector<char32_t> v = foldedChars(value);
    std::vector<PatternItem> items;
    for (std::size_t i = 0; i < p.size(); ++i) {
        PatternItem item;
        if (escape && p[i] == escape && i + 1 < p.size()) {
            item.c = p[++i];
        } else if (p[i] == '%') {
            item.kind = PatternItem::Any;
        } else if (p[i] == '_') {
            item.kind = PatternItem::One;
        } else if (p[i] == '[') {
            std::size_t j = i + 1;
            PatternItem set;
            set.kind = PatternItem::Set;
            if (j < p.size() && p[j] == '^') {
                set.negate = true;
                ++j;
            }
            bool closed = false;
            std::size_t first = j;
            while (j < p.size()) {
                if (p[j] == ']' && j > first) {
                    closed = true;
                    break;
                }
                if (j + 2 < p.size() && p[j + 1] == '-' && p[j + 2] != ']') {
                    set.ranges.emplace_back(p[j], p[j + 2]);
                    j += 3;
                } else {
                    set.ranges.emplace_back(p[j], p[j]);
                    ++j;
                }
            }
            if (closed) {
                item = std::move(set);
                i = j;
            } else {
                item.c = '[';
            }
        } else {
            item.c = p[i];
        }
        items.push_back(std::move(item));
    }
    // wildcard matching with backtracking to the last %
    std::size_t pi = 0, vi = 0, starP = std::string::npos, starV = 0;
    while (vi < v.size()) {
        if (pi < items.size() && items[pi].kind == PatternItem::Any) {
            starP = pi++;
            starV = vi;
        } else if (pi < items.size() && items[pi].matches(v[vi])) {
            ++pi;
            ++vi;
        } else if (starP != std::string::npos) {
            pi = starP + 1;
            vi = ++starV;
        } else {
            return false;
        }
    }
    while (pi < items.size() && items[pi].kind == PatternItem::Any) ++pi;
    return pi == items.size();
}

void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    char32_t escape = 0;
    if (argc == 3) {
        std::string e = text(argv[2]);
        std::size_t i = 0;
        if (!e.empty()) escape = foldChar(decodeUtf8(e, i));
    }
    sqlite3_result_int(ctx, likeMatch(text(argv[0]), text(argv[1]), escape) ? 1 : 0);
}

// ---- arithmetic ------------------------------------------------------------------

double asDouble(const Value& v) {
    if (auto* i = std::get_if<std::int64_t>(&v)) return static_cast<double>(*i);
    return std::get<double>(v);
}

std::string conversionError(const std::string& s, bool toFloat) {
    if (toFloat) return "Error converting data type varchar to float.";
    return "Conversion failed when converting the varchar value '" + s + "' to data type int.";
}

// Brings a text operand to a number when the other operand is one.
bool numericOperands(sqlite3_context* ctx, Value& a, Value& b) {
    for (Value* x : {&a, &b}) {
        Value* other = x == &a ? &b : &a;
        if (auto* s = std::get_if<std::string>(x)) {
            bool wantFloat = std::holds_alternative<double>(*other) ||
                             s->find_first_of(".eE") != std::string::npos;
            Value n;
            if (!numberFromText(*s, wantFloat, n)) {
                fail(ctx, conversionError(*s, wantFloat));
                return false;
            }
            *x = n;
        }
    }
    return true;
}

void addFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    Value a = readValue(argv[0]), b = readValue(argv[1]);
    if (std::holds_alternative<std::monostate>(a) || std::holds_alternative<std::monostate>(b)) {
        sqlite3_result_null(ctx);
        return;
    }
    auto* sa = std::get_if<std::string>(&a);
    auto* sb = std::get_if<std::string>(&b);
    if (sa && sb) {
        std::string r = *sa + *sb;
        sqlite3_result_text(ctx, r.data(), static_cast<int>(r.size()), SQLITE_TRANSIENT);
        return;
    }
    if (!numericOperands(ctx, a, b)) return;
    if (std::holds_alternative<std::int64_t>(a) && std::holds_alternative<std::int64_t>(b)) {
        std::int64_t r;
        if (__builtin_add_overflow(std::get<std::int64_t>(a), std::get<std::int64_t>(b), &r)) {
            fail(ctx, "Arithmetic overflow error converting expression to data type bigint.");
            return;
        }
        sqlite3_result_int64(ctx, r);
        return;
    }
    sqlite3_result_double(ctx, asDouble(a) + asDouble(b));
}

void divFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    Value a = readValue(argv[0]), b = readValue(argv[1]);
    if (std::holds_alternative<std::monostate>(a) || std::holds_alternative<std::monostate>(b)) {
        sqlite3_result_null(ctx);
        return;
    }
    if (!numericOperands(ctx, a, b)) return;
    if (asDouble(b) == 0) {
        fail(ctx, "Divide by zero error encountered.");
        return;
    }
    if (std::holds_alternative<std::int64_t>(a) && std::holds_alternative<std::int64_t>(b)) {
        std::int64_t x = std::get<std::int64_t>(a), y = std::get<std::int64_t>(b);
        if (y == -1) {
            sqlite3_result_int64(ctx, x == std::numeric_limits<std::int64_t>::min() ? x : -x);
            return;
        }
        sqlite3_result_int64(ctx, x / y);
        return;
    }
    sqlite3_result_double(ctx, asDouble(a) / asDouble(b));
}

void modFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    Value a = readValue(argv[0]), b = readValue(argv[1]);
    if (std::holds_alternative<std::monostate>(a) || std::holds_alternative<std::monostate>(b)) {
        sqlite3_result_null(ctx);
        return;
    }
    if (!numericOperands(ctx, a, b)) return;
    if (asDouble(b) == 0) {
        fail(ctx, "Divide by zero error encountered.");
        return;
    }
    if (std::holds_alternative<std::int64_t>(a) && std::holds_alternative<std::int64_t>(b)) {
        std::int64_t y = std::get<std::int64_t>(b);
        sqlite3_result_int64(ctx, y == -1 ? 0 : std::get<std::int64_t>(a) % y);
        return;
    }
    sqlite3_result_double(ctx, std::fmod(asDouble(a), asDouble(b)));
}

// ---- dates -----------------------------------------------------------------------

std::optional<DateTime> dateArg(sqlite3_context* ctx, sqlite3_value* v, bool& isNull) {
    Value x = readValue(v);
    isNull = std::holds_alternative<std::monostate>(x);
    if (isNull) return std::nullopt;
    Value d = convertValue(x, "DATETIME", 0, -1, false, false, session(ctx));
    if (auto* t = std::get_if<DateTime>(&d)) return *t;
    return std::nullopt;
}

void getdateFunction(sqlite3_context* ctx, int, sqlite3_value**) {
    resultValue(ctx, localNow());
}

void getutcdateFunction(sqlite3_context* ctx, int, sqlite3_value**) {
    std::time_t secs = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&secs, &utc);
    CivilTime c{
        utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, 0};
    resultValue(ctx, fromCivil(c).value_or(DateTime{0}));
}

void loginFunction(sqlite3_context* ctx, int, sqlite3_value**) {
    const std::string& l = session(ctx).login;
    sqlite3_result_text(ctx, l.data(), static_cast<int>(l.size()), SQLITE_TRANSIENT);
}

void datepartFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    try {
        bool isNull = false;
        auto d = dateArg(ctx, argv[1], isNull);
        if (isNull) return sqlite3_result_null(ctx);
        if (!d) return;  // error already set
        auto r = datePart(*d, text(argv[0]));
        if (!r) return fail(ctx, "Invalid parameter 1 specified for datepart.");
        sqlite3_result_int64(ctx, *r);
    } catch (const Error& e) {
        fail(ctx, e.what());
    }
}

void dateaddFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    try {
        bool isNull = false;
        if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return sqlite3_result_null(ctx);
        auto d = dateArg(ctx, argv[2], isNull);
        if (isNull) return sqlite3_result_null(ctx);
        if (!d) return;
        Value n = readValue(argv[1]);
        std::int64_t count = 0;
        if (auto* i = std::get_if<std::int64_t>(&n))
            count = *i;
        else if (auto* f = std::get_if<double>(&n))
            count = static_cast<std::int64_t>(*f);
        else if (!parseInteger(std::get<std::string>(n), count))
            return fail(ctx, conversionError(std::get<std::string>(n), false));
        auto r = dateAdd(*d, text(argv[0]), count);
        if (!r) return fail(ctx, "Adding a value to a 'datetime' column caused an overflow.");
        resultValue(ctx, *r);
    } catch (const Error& e) {
        fail(ctx, e.what());
    }
}

void datediffFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    try {
        bool n1 = false, n2 = false;
        auto a = dateArg(ctx, argv[1], n1);
        auto b = dateArg(ctx, argv[2], n2);
        if (n1 || n2) return sqlite3_result_null(ctx);
        if (!a || !b) return;
        auto r = dateDiff(*a, *b, text(argv[0]));
        if (!r) return fail(ctx, "Invalid parameter 1 specified for datediff.");
        sqlite3_result_int64(ctx, *r);
    } catch (const Error& e) {
        fail(ctx, e.what());
    }
}

void castFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    try {
        Value v = readValue(argv[0]);
        Value r = convertValue(v, text(argv[1]), sqlite3_value_int(argv[2]),
                               sqlite3_value_int(argv[3]), sqlite3_value_int(argv[4]) != 0,
                               sqlite3_value_int(argv[5]) != 0, session(ctx));
        resultValue(ctx, r);
    } catch (const Error& e) {
        fail(ctx, e.what());
    }
}

// ---- text ------------------------------------------------------------------------

void upperFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    std::string r = upperCase(text(argv[0]));
    sqlite3_result_text(ctx, r.data(), static_cast<int>(r.size()), SQLITE_TRANSIENT);
}

void lowerFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    std::string r = foldCase(text(argv[0]));
    sqlite3_result_text(ctx, r.data(), static_cast<int>(r.size()), SQLITE_TRANSIENT);
}

void substringFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    for (int i = 0; i < 3; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    std::string s = text(argv[0]);
    std::int64_t start = sqlite3_value_int64(argv[1]);
    std::int64_t length = sqlite3_value_int64(argv[2]);
    if (length < 0) return fail(ctx, "Invalid length parameter passed to the substring function.");
    std::int64_t first = std::max<std::int64_t>(start, 1);
    std::int64_t last = start + length;  // exclusive
    std::string r;
    if (last > first) {
        std::size_t from = utf8Offset(s, static_cast<std::size_t>(first - 1));
        std::size_t to =
            utf8Offset(s, static_cast<std::size_t>(std::min<std::int64_t>(last - 1, 1LL << 40)));
        if (to > from) r = s.substr(from, to - from);
    }
    sqlite3_result_text(ctx, r.data(), static_cast<int>(r.size()), SQLITE_TRANSIENT);
}

void rightFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    std::string s = text(argv[0]);
    std::int64_t n = sqlite3_value_int64(argv[1]);
    if (n < 0) return fail(ctx, "Invalid length parameter passed to the right function.");
    std::size_t len = utf8Length(s);
    std::size_t skip = static_cast<std::uint64_t>(n) >= len ? 0 : len - static_cast<std::size_t>(n);
    std::string r = s.substr(utf8Offset(s, skip));
    sqlite3_result_text(ctx, r.data(), static_cast<int>(r.size()), SQLITE_TRANSIENT);
}

void charindexFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    std::vector<char32_t> needle = foldedChars(text(argv[0]));
    std::vector<char32_t> hay = foldedChars(text(argv[1]));
    std::int64_t start = argc > 2 ? std::max<std::int64_t>(sqlite3_value_int64(argv[2]), 1) : 1;
    if (needle.empty()) return sqlite3_result_int(ctx, 0);
    for (std::size_t i = static_cast<std::size_t>(start - 1); i + needle.size() <= hay.size();
         ++i) {
        if (std::equal(needle.begin(), needle.end(), hay.begin() + static_cast<std::ptrdiff_t>(i)))
            return sqlite3_result_int64(ctx, static_cast<std::int64_t>(i + 1));
    }
    sqlite3_result_int(ctx, 0);
}

void replicateFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    std::string s = text(argv[0]);
    std::int64_t n = sqlite3_value_int64(argv[1]);
    if (n < 0) return sqlite3_result_null(ctx);
    if (static_cast<double>(n) * static_cast<double>(s.size()) > 8000.0)
        n = s.empty() ? 0 : static_cast<std::int64_t>(8000 / s.size());
    std::string r;
    for (std::int64_t i = 0; i < n; ++i) r += s;
    sqlite3_result_text(ctx, r.data(), static_cast<int>(r.size()), SQLITE_TRANSIENT);
}

void reverseFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    std::string s = text(argv[0]);
    std::vector<char32_t> chars;
    for (std::size_t i = 0; i < s.size();) chars.push_back(decodeUtf8(s, i));
    std::string r;
    for (auto it = chars.rbegin(); it != chars.rend(); ++it) appendUtf8(r, *it);
    sqlite3_result_text(ctx, r.data(), static_cast<int>(r.size()), SQLITE_TRANSIENT);
}

void roundFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    std::int64_t digits = sqlite3_value_int64(argv[1]);
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER && digits >= 0)
        return sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
    double x = sqlite3_value_double(argv[0]);
    double scale = std::pow(10.0, static_cast<double>(std::clamp<std::int64_t>(digits, -30, 30)));
    double r = std::round(x * scale) / scale;
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER)
        return sqlite3_result_int64(ctx, static_cast<std::int64_t>(r));
    sqlite3_result_double(ctx, r);
}

void mathFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    std::string fn = text(argv[0]);
    bool isInt = sqlite3_value_type(argv[1]) == SQLITE_INTEGER;
    double x = sqlite3_value_double(argv[1]);
    double r = 0;
    if (fn == "floor")
        r = std::floor(x);
    else if (fn == "ceiling")
        r = std::ceil(x);
    else if (fn == "sign")
        r = x > 0 ? 1 : x < 0 ? -1 : 0;
    else {
        isInt = false;
        if (fn == "sqrt") {
            if (x < 0) return fail(ctx, "An invalid floating point operation occurred.");
            r = std::sqrt(x);
        } else if (fn == "exp")
            r = std::exp(x);
        else {
            if (x <= 0) return fail(ctx, "An invalid floating point operation occurred.");
            r = fn == "log" ? std::log(x) : std::log10(x);
        }
    }
    if (isInt) return sqlite3_result_int64(ctx, static_cast<std::int64_t>(r));
    sqlite3_result_double(ctx, r);
}

void powerFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    double r = std::pow(sqlite3_value_double(argv[0]), sqlite3_value_double(argv[1]));
    if (!std::isfinite(r))
        return fail(ctx, "Arithmetic overflow error converting expression to data type float.");
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER && std::fabs(r) < 9e18)
        return sqlite3_result_int64(ctx, static_cast<std::int64_t>(r));
    sqlite3_result_double(ctx, r);
}

void isnumericFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    int t = sqlite3_value_type(argv[0]);
    if (t == SQLITE_INTEGER || t == SQLITE_FLOAT) return sqlite3_result_int(ctx, 1);
    if (t == SQLITE_NULL) return sqlite3_result_int(ctx, 0);
    double d;
    std::string s = text(argv[0]);
    sqlite3_result_int(ctx, !trimmed(s).empty() && parseDouble(s, d) ? 1 : 0);
}

void strFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    int length = argc > 1 ? sqlite3_value_int(argv[1]) : 10;
    int decimals = argc > 2 ? sqlite3_value_int(argv[2]) : 0;
    length = std::clamp(length, 1, 8000);
    decimals = std::clamp(decimals, 0, 16);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, sqlite3_value_double(argv[0]));
    std::string s = buf;
    if (static_cast<int>(s.size()) > length)
        s = std::string(static_cast<std::size_t>(length), '*');
    else
        s = std::string(static_cast<std::size_t>(length) - s.size(), ' ') + s;
    sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

}  // namespace

std::string numberText(double d) {
    if (std::floor(d) == d && std::fabs(d) < 1e15) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(d));
        return buf;
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", d);
    return buf;
}

Value convertValue(const Value& v, const std::string& typeName, int length, int style, bool strict,
                   bool sourceIsDate, const Session& session) {
    if (std::holds_alternative<std::monostate>(v)) return v;
    const auto category = static_cast<Type>(Parser::typeCategory(typeName));
    switch (category) {
        case Type::Integer: {
            std::int64_t r = 0;
            if (auto* i = std::get_if<std::int64_t>(&v))
                r = *i;
            else if (auto* d = std::get_if<double>(&v)) {
                if (!(std::fabs(*d) < 9.2e18))
                    throw Error("Arithmetic overflow error converting float to data type int.");
                r = static_cast<std::int64_t>(*d);  // SQL Server truncates toward zero
            } else if (auto* t = std::get_if<DateTime>(&v)) {
                r = static_cast<std::int64_t>(std::floor(toDays(*t) + 0.5));
            } else {
                const std::string& s = std::get<std::string>(v);
                if (typeName == "BIT") {
                    std::string f = foldCase(trimmed(s));
                    if (f == "true") return std::int64_t{1};
                    if (f == "false") return std::int64_t{0};
                }
                if (!parseInteger(s, r))
                    throw Error("Conversion failed when converting the varchar value '" + s +
                                "' to data type " + foldCase(typeName) + ".");
            }
            if (typeName == "BIT") return std::int64_t{r != 0 ? 1 : 0};
            if ((typeName == "INT" || typeName == "INTEGER") &&
                (r > 2147483647LL || r < -2147483648LL))
                throw Error("Arithmetic overflow error converting expression to data type int.");
            if (typeName == "SMALLINT" && (r > 32767 || r < -32768))
                throw Error(
                    "Arithmetic overflow error converting expression to data type smallint.");
            if (typeName == "TINYINT" && (r > 255 || r < 0))
                throw Error(
                    "Arithmetic overflow error converting expression to data type tinyint.");
            return r;
        }
        case Type::Float: {
            double r = 0;
            if (auto* i = std::get_if<std::int64_t>(&v))
                r = static_cast<double>(*i);
            else if (auto* d = std::get_if<double>(&v))
                r = *d;
            else if (auto* t = std::get_if<DateTime>(&v))
                r = toDays(*t);
            else {
                const std::string& s = std::get<std::string>(v);
                if (!parseDouble(s, r))
                    throw Error(typeName == "FLOAT" || typeName == "REAL"
                                    ? "Error converting data type varchar to float."
                                    : "Error converting data type varchar to numeric.");
            }
            return r;
        }
        case Type::Text: {
            std::string r;
            if (auto* i = std::get_if<std::int64_t>(&v))
                r = std::to_string(*i);
            else if (auto* d = std::get_if<double>(&v))
                r = numberText(*d);
            else if (auto* t = std::get_if<DateTime>(&v))
                r = formatStyle(*t, style);
            else {
                r = std::get<std::string>(v);
                if (sourceIsDate) {
                    if (auto parsed = parseIso(r)) r = formatStyle(*parsed, style);
                }
            }
            if (length > 0 && utf8Length(r) > static_cast<std::size_t>(length)) {
                if (strict) throw Error("String or binary data would be truncated.");
                r = r.substr(0, utf8Offset(r, static_cast<std::size_t>(length)));
            }
            return r;
        }
        case Type::DateTime: {
            DateTime t{};
            // a number is days since 1900-01-01; datetime reaches from 1753 to 9999
            auto days = [](double d) {
                if (!(d >= -53690.0 && d < 2958464.0))
                    throw Error(
                        "Arithmetic overflow error converting expression to data type "
                        "datetime.");
                return fromDays(d);
            };
            if (auto* i = std::get_if<std::int64_t>(&v))
                t = days(static_cast<double>(*i));
            else if (auto* d = std::get_if<double>(&v))
                t = days(*d);
            else if (auto* dt = std::get_if<DateTime>(&v))
                t = *dt;
            else {
                auto parsed = parseDateText(std::get<std::string>(v), session.dateFormat, style);
                if (!parsed)
                    throw Error(
                        "Conversion failed when converting date and/or time from character "
                        "string.");
                t = *parsed;
            }
            if (typeName == "DATE") t.msecs -= ((t.msecs % 86'400'000) + 86'400'000) % 86'400'000;
            if (!fromCivil(toCivil(t)))
                throw Error(
                    "The conversion of a varchar data type to a datetime data type resulted "
                    "in an out-of-range value.");
            return t;
        }
        case Type::Null:
            break;
    }
    throw Error("Type " + typeName + " is not a defined system type.");
}

void registerFunctions(sqlite3* db, Session* s) {
    const int utf8 = SQLITE_UTF8;
    const int pure = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_collation(db, "tsql_ci", SQLITE_UTF8, nullptr, collateCi);
    (void)tsqlCi;
    struct Fn {
        const char* name;
        int args;
        int flags;
        void (*fn)(sqlite3_context*, int, sqlite3_value**);
    };
    const Fn fns[] = {
        {"like", 2, pure, likeFunction},
        {"like", 3, pure, likeFunction},
        {"tsql_add", 2, pure, addFunction},
        {"tsql_div", 2, pure, divFunction},
        {"tsql_mod", 2, pure, modFunction},
        {"tsql_getdate", 0, utf8, getdateFunction},
        {"tsql_getutcdate", 0, utf8, getutcdateFunction},
        {"tsql_login", 0, utf8, loginFunction},
        {"tsql_datepart", 2, utf8, datepartFunction},
        {"tsql_dateadd", 3, utf8, dateaddFunction},
        {"tsql_datediff", 3, utf8, datediffFunction},
        {"tsql_cast", 6, utf8, castFunction},
        {"tsql_upper", 1, pure, upperFunction},
        {"tsql_lower", 1, pure, lowerFunction},
        {"tsql_substring", 3, pure, substringFunction},
        {"tsql_right", 2, pure, rightFunction},
        {"tsql_charindex", 2, pure, charindexFunction},
        {"tsql_charindex", 3, pure, charindexFunction},
        {"tsql_replicate", 2, pure, replicateFunction},
        {"tsql_reverse", 1, pure, reverseFunction},
        {"tsql_round", 2, pure, roundFunction},
        {"tsql_math", 2, pure, mathFunction},
        {"tsql_power", 2, pure, powerFunction},
        {"tsql_isnumeric", 1, pure, isnumericFunction},
        {"tsql_str", 1, pure, strFunction},
        {"tsql_str", 2, pure, strFunction},
        {"tsql_str", 3, pure, strFunction},
    };
    for (const Fn& f : fns)
        sqlite3_create_function_v2(db, f.name, f.args, f.flags, s, f.fn, nullptr, nullptr, nullptr);
}

}  // namespace server
