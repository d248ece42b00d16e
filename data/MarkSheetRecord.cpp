#include "data/MarkSheetRecord.h"

#include <array>

namespace data {

namespace {
using K = db::FieldKind;
using T = db::Type;

// The record as SORT_MARK_MAG returns it, with the lookup and computed fields in the
// places the windows and the deletion log expect them. The boolean dopusk_izm is held
// as an integer (0 or 1), as the dataset layer has no boolean type.
constexpr std::array<MarkSheetField, 61> kFields{{
    {"k_count", K::Data, T::Integer, 0},                                                // 1
    {"id_mark_mag", K::Data, T::Integer, 0, nullptr, nullptr, nullptr, nullptr, true},  // 2
    {"id_group", K::Data, T::Integer, 0},                                               // 3
    {"id_student", K::Data, T::Integer, 0},                                             // 4
    {"id_examination", K::Data, T::Integer, 0},                                         // 5
    {"id_estimation", K::Data, T::Integer, 0},                                          // 6
    {"id_discipline", K::Data, T::Integer, 0},                                          // 7
    {"id_semester", K::Data, T::Integer, 0},                                            // 8
    {"id_teacher", K::Data, T::Integer, 0},                                             // 9
    {"p35", K::Data, T::Text, 50},                                                      // 10
    {"p36", K::Data, T::DateTime, 0},                                                   // 11
    {"id_f_est", K::Data, T::Integer, 0},                                               // 12
    {"oper", K::Data, T::Text, 5},                                                      // 13
    {"u_date", K::Data, T::DateTime, 0},                                                // 14
    {"estimation", K::Lookup, T::Text, 30, "id_estimation", "ADOQ_estimation", "id_estimation",
     "p31"},                                                                                  // 15
    {"semestr", K::Lookup, T::Text, 30, "id_semester", "ADOTSemestr", "id_semester", "p43"},  // 16
    {"teacher", K::Lookup, T::Text, 60, "id_teacher", "ADOQ_t_fio", "id_teacher", "t_fio"},   // 17
    {"f_est", K::Lookup, T::Text, 30, "id_f_est", "ADOT_f_est", "id_f_e", "p109"},            // 18
    {"exam", K::Lookup, T::Text, 30, "id_examination", "ADOQ_Examination", "id_examination",
     "p30"},  // 19
    {"discipline", K::Lookup, T::Text, 90, "id_discipline", "ADOQ_Discipline", "id_discipline",
     "p34"},                                                                                 // 20
    {"student", K::Lookup, T::Text, 70, "id_student", "ADOQ_s_fio", "id_student", "s_fio"},  // 21
    {"m1", K::Data, T::Float, 0},                                                            // 22
    {"m2", K::Data, T::Float, 0},                                                            // 23
    {"m3", K::Data, T::Float, 0},                                                            // 24
    {"m4", K::Data, T::Float, 0},                                                            // 25
    {"dop", K::Data, T::Float, 0},                                                           // 26
    {"dop2", K::Data, T::Float, 0},                                                          // 27
    {"ball", K::Data, T::Float, 0},                                                          // 28
    {"ball1", K::Calculated, T::Float, 0},                                                   // 29
    {"ball_name", K::Calculated, T::Text, 10},                                               // 30
    {"QOR_User", K::Data, T::Text, 20},                                                      // 31
    {"QOR_Update", K::Data, T::DateTime, 0},                                                 // 32
    {"sessiya", K::Lookup, T::Integer, 0, "id_f_est", "ADOT_f_est", "id_f_e", "sessiya"},    // 33
    {"CanEdit", K::Data, T::Integer, 0},                                                     // 34
    {"primech", K::Data, T::Text, 50},                                                       // 35
    {"m5", K::Data, T::Float, 0},                                                            // 36
    {"m6", K::Data, T::Float, 0},                                                            // 37
    {"m7", K::Data, T::Float, 0},                                                            // 38
    {"m8", K::Data, T::Float, 0},                                                            // 39
    {"m9", K::Data, T::Float, 0},                                                            // 40
    {"m10", K::Data, T::Float, 0},                                                           // 41
    {"m11", K::Data, T::Float, 0},                                                           // 42
    {"EstimationOther", K::Lookup, T::Text, 10, "id_estimation_other", "ADOQ_EstimationOther",
     "id_estimation_other", "Estimation_Other"},      // 43
    {"id_estimation_other", K::Data, T::Integer, 0},  // 44
    {"m12", K::Data, T::Float, 0},                    // 45
    {"dopusk_izm", K::Data, T::Integer, 0},           // 46
    {"calc1", K::Calculated, T::Float, 0},            // 47
    {"calc2", K::Calculated, T::Float, 0},            // 48
    {"calc3", K::Calculated, T::Float, 0},            // 49
    {"calc4", K::Calculated, T::Float, 0},            // 50
    {"calc5", K::Calculated, T::Float, 0},            // 51
    {"p20", K::Data, T::Text, 20},                    // 52
    {"id_ebe_var", K::Data, T::Integer, 0},           // 53
    {"calc6", K::Calculated, T::Float, 0},            // 54
    {"calc7", K::Calculated, T::Float, 0},            // 55
    {"calc8", K::Calculated, T::Float, 0},            // 56
    {"calc9", K::Calculated, T::Float, 0},            // 57
    {"calc10", K::Calculated, T::Float, 0},           // 58
    {"rec_no", K::Data, T::Integer, 0},               // 59
    {"id_poseshal", K::Data, T::Integer, 0},          // 60
    {"poseshal", K::Lookup, T::Text, 50, "id_poseshal", "ADOQ_poseshal", "id_poseshal",
     "poseshal"},  // 61
}};
// A table with fewer entries than its declared size would leave nameless fields at its end.
static_assert([] {
    for (const MarkSheetField& f : kFields)
        if (f.name == nullptr) return false;
    return true;
}());
}  // namespace

std::span<const MarkSheetField> markSheetFields() {
    return kFields;
}

}  // namespace data
