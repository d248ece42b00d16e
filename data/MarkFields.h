#pragma once

#include <array>

namespace data {

// The mark fields of a sheet's control points, in the server's numbering of them
// (id_modul): m1..m12 are control points 1 to 12, dop is 13 and dop2 is 14. The rule's
// formulas name the marks by the same names. The embedded server keeps its own copy
// (server/qor/ModulFields.h, which cannot include this folder); a test holds the two
// equal.
inline constexpr int kControlPointCount = 14;
inline constexpr std::array<const char*, kControlPointCount> kMarkFields = {
    "m1", "m2", "m3", "m4", "m5", "m6", "m7", "m8", "m9", "m10", "m11", "m12", "dop", "dop2"};

// The mark field of control point n (1 to 14).
constexpr const char* markFieldOf(int controlPoint) {
    return kMarkFields[static_cast<std::size_t>(controlPoint - 1)];
}

}  // namespace data
