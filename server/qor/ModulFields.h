#pragma once

namespace server::qor {

// The mark fields of mark_mag by control-point number (id_modul 1..14): m1..m12, then
// dop (13) and dop2 (14). The client declares the same list (data/MarkFields.h); a test
// of the client holds the two equal.
inline constexpr int kModulCount = 14;
inline constexpr const char* kModulFields[kModulCount] = {
    "m1", "m2", "m3", "m4", "m5", "m6", "m7", "m8", "m9", "m10", "m11", "m12", "dop", "dop2"};

}  // namespace server::qor
