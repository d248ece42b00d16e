#include "formula/NumberLiteral.h"

#include <charconv>
#include <clocale>
#include <cstdint>
#include <cstring>
#include <string>

namespace formula {

namespace {

constexpr double kPi = 3.141592653589793;

// Whether an out-of-range literal is too large (rather than too small): the decimal
// exponent of its first significant digit is positive.
bool literalOverflows(std::string_view mantissa, std::string_view exponent, char separator) {
    long long position = 0;  // decimal exponent of the first significant digit, plus one
    bool seenPoint = false, found = false;
    long long zerosAfterPoint = 0, intDigits = 0;
    for (char c : mantissa) {
        if (c == separator) {
            seenPoint = true;
            continue;
        }
        if (!found && c == '0') {
            if (seenPoint) ++zerosAfterPoint;
            continue;
        }
        found = true;
        if (seenPoint) break;
        ++intDigits;
    }
    if (!found) return false;
    position = intDigits > 0 ? intDigits : -zerosAfterPoint;
    long long exp = 0;
    bool negative = false;
    std::size_t i = 1;  // past the E
    if (i < exponent.size() && (exponent[i] == '-' || exponent[i] == '+'))
        negative = exponent[i++] == '-';
    for (; i < exponent.size(); ++i) {
        exp = exp * 10 + (exponent[i] - '0');
        if (exp > 100000000) break;
    }
    return position + (negative ? -exp : exp) > 0;
}

}  // namespace

bool readNumber(std::string_view t, bool pascalNumberFormat, double* value) {
    if (t.empty()) return false;
    const char c0 = t[0];
    if (!((c0 >= '0' && c0 <= '9') || c0 == '.' || c0 == '-' || c0 == '+' || c0 == 'E' ||
          c0 == 'P'))
        return false;
    if ((t.size() == 2 && t[0] == 'P' && t[1] == 'I') ||
        (t.size() == 3 && t[0] == '-' && t[1] == 'P' && t[2] == 'I')) {
        if (value) *value = t[0] == '-' ? -kPi : kPi;
        return true;
    }
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
    const std::size_t start = i;
    if (i == t.size()) return false;
    char separator = '.';
    if (!pascalNumberFormat) {
        const char* dp = std::localeconv()->decimal_point;
        separator = (dp && *dp) ? *dp : '.';
    }
    std::size_t intDigits = 0, fracDigits = 0;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++intDigits;
    if (i < t.size() && t[i] == separator) {
        ++i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++fracDigits;
    }
    const std::size_t mantissaEnd = i;
    if (i < t.size() && t[i] == 'E') {
        ++i;
        if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
        std::size_t expDigits = 0;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    if (i != t.size()) return false;
    // The locale-aware reading wants digits in the mantissa, as the platform's
    // conversion does.
    if (!pascalNumberFormat && intDigits + fracDigits == 0) return false;

    // A literal without an exponent cannot leave the range of a double unless it
    // has hundreds of digits; telling whether it is a number then needs no conversion.
    if (!value && mantissaEnd == t.size() && intDigits < 300) return true;
    double v = 0.0;
    if (mantissaEnd == t.size() && intDigits + fracDigits <= 15) {
        // Up to 15 digits and no exponent: the digits make an exact integer and a
        // power of ten up to 10^15 is exact, so one division rounds correctly.
        static constexpr double kPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        std::int64_t m = 0;
        for (std::size_t k = start; k < mantissaEnd; ++k)
            if (t[k] != separator) m = m * 10 + (t[k] - '0');
        v = static_cast<double>(m) / kPow10[fracDigits];
    } else if (intDigits + fracDigits > 0) {
        // from_chars reads '.' whatever the process locale is; a locale separator is
        // swapped for it in a small copy.
        char buffer[128];
        const char* first = t.data() + start;
        const char* last = t.data() + t.size();
        std::string heap;
        if (!pascalNumberFormat && separator != '.') {
            const std::size_t n = static_cast<std::size_t>(last - first);
            char* dst = buffer;
            if (n > sizeof buffer) {
                heap.assign(first, last);
                dst = heap.data();
            } else {
                std::memcpy(buffer, first, n);
            }
            for (std::size_t k = 0; k < n; ++k)
                if (dst[k] == separator) dst[k] = '.';
            first = dst;
            last = dst + n;
        }
        auto [ptr, ec] = std::from_chars(first, last, v, std::chars_format::general);
        if (ec == std::errc::result_out_of_range && ptr == last) {
            // Too small to hold reads as 0; too large is no number a double can hold.
            if (literalOverflows(t.substr(start, mantissaEnd - start), t.substr(mantissaEnd),
                                 separator))
                return false;
            v = 0.0;
        } else if (ec != std::errc() || ptr != last) {
            return false;
        }
    }
    if (value) *value = negative ? -v : v;
    return true;
}

}  // namespace formula
