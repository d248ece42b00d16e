#pragma once

#include <string_view>

namespace formula {

// Reads `text` (upper case) as one numeric literal: "PI", "-PI", or an optional sign,
// digits, optionally a point and digits, optionally E, a sign and at least one digit.
// No mantissa digits are needed ("." and "E5" read as 0), but a lone sign is not a
// number. The point is '.' in Pascal number format, else the C locale's decimal
// point, and then the mantissa needs a digit. A literal too large for a double is no
// number; one too small reads as 0. The value is stored when `value` is not null.
bool readNumber(std::string_view text, bool pascalNumberFormat, double* value);

}  // namespace formula
