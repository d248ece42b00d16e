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
    {"k_count", K::Data, T::Integer, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 1
    {"id_mark_mag", K::Data, T::Integer, 0, nullptr, nullptr, nullptr, nullptr, true, nullptr,
     false},  // 2
    {"id_group", K::Data, T::Integer, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 3
    {"id_student", K::Data, T::Integer, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 4
    {"id_examination", K::Data, T::Integer, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 5
    {"id_estimation", K::Data, T::Integer, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 6
    {"id_discipline", K::Data, T::Integer, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 7
    {"id_semester", K::Data, T::Integer, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 8
    {"id_teacher", K::Data, T::Integer, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},                                                                                   // 9
    {"p35", K::Data, T::Text, 50, nullptr, nullptr, nullptr, nullptr, false, nullptr, false},  // 10
    {"p36", K::Data, T::DateTime, 0, nullptr, nullptr, nullptr, nullptr, false, "dd.mm.yyyy",
     false},  // 11
    {"id_f_est", K::Data, T::Integer, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},                                                                                   // 12
    {"oper", K::Data, T::Text, 5, nullptr, nullptr, nullptr, nullptr, false, nullptr, false},  // 13
    {"u_date", K::Data, T::DateTime, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 14
    {"estimation", K::Lookup, T::Text, 30, "id_estimation", "ADOQ_estimation", "id_estimation",
     "p31", false, nullptr, false},  // 15
    {"semestr", K::Lookup, T::Text, 30, "id_semester", "ADOTSemestr", "id_semester", "p43", false,
     nullptr, false},  // 16
    {"teacher", K::Lookup, T::Text, 60, "id_teacher", "ADOQ_t_fio", "id_teacher", "t_fio", false,
     nullptr, false},  // 17
    {"f_est", K::Lookup, T::Text, 30, "id_f_est", "ADOT_f_est", "id_f_e", "p109", false, nullptr,
     false},  // 18
    {"exam", K::Lookup, T::Text, 30, "id_examination", "ADOQ_Examination", "id_examination", "p30",
     false, nullptr, false},  // 19
    {"discipline", K::Lookup, T::Text, 90, "id_discipline", "ADOQ_Discipline", "id_discipline",
     "p34", false, nullptr, false},  // 20
    {"student", K::Lookup, T::Text, 70, "id_student", "ADOQ_s_fio", "id_student", "s_fio", false,
     nullptr, false},                                                                          // 21
    {"m1", K::Data, T::Float, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr, false},   // 22
    {"m2", K::Data, T::Float, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr, false},   // 23
    {"m3", K::Data, T::Float, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr, false},   // 24
    {"m4", K::Data, T::Float, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr, false},   // 25
    {"dop", K::Data, T::Float, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr, false},  // 26
    {"dop2", K::Data, T::Float, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 27
    {"ball", K::Data, T::Float, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 28
    {"ball1", K::Calculated, T::Float, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 29
    {"ball_name", K::Calculated, T::Text, 10, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 30
    {"QOR_User", K::Data, T::Text, 20, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 31
    {"QOR_Update", K::Data, T::DateTime, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 32
    {"sessiya", K::Lookup, T::Integer, 0, "id_f_est", "ADOT_f_est", "id_f_e", "sessiya", false,
     nullptr, false},  // 33
    {"CanEdit", K::Data, T::Integer, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 34
    {"primech", K::Data, T::Text, 50, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},                                                                                   // 35
    {"m5", K::Data, T::Float, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr, false},   // 36
    {"m6", K::Data, T::Float, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr, false},   // 37
    {"m7", K::Data, T::Float, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr, false},   // 38
    {"m8", K::Data, T::Float, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr, false},   // 39
    {"m9", K::Data, T::Float, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr, false},   // 40
    {"m10", K::Data, T::Float, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr, false},  // 41
    {"m11", K::Data, T::Float, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr, false},  // 42
    {"EstimationOther", K::Lookup, T::Text, 10, "id_estimation_other", "ADOQ_EstimationOther",
     "id_estimation_other", "Estimation_Other", false, nullptr, false},  // 43
    {"id_estimation_other", K::Data, T::Integer, 0, nullptr, nullptr, nullptr, nullptr, false,
     nullptr, false},                                                                          // 44
    {"m12", K::Data, T::Float, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr, false},  // 45
    {"dopusk_izm", K::Data, T::Integer, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 46
    {"calc1", K::Calculated, T::Float, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 47
    {"calc2", K::Calculated, T::Float, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 48
    {"calc3", K::Calculated, T::Float, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 49
    {"calc4", K::Calculated, T::Float, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 50
    {"calc5", K::Calculated, T::Float, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},                                                                                   // 51
    {"p20", K::Data, T::Text, 20, nullptr, nullptr, nullptr, nullptr, false, nullptr, false},  // 52
    {"id_ebe_var", K::Data, T::Integer, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 53
    {"calc6", K::Calculated, T::Float, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 54
    {"calc7", K::Calculated, T::Float, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 55
    {"calc8", K::Calculated, T::Float, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 56
    {"calc9", K::Calculated, T::Float, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 57
    {"calc10", K::Calculated, T::Float, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 58
    {"rec_no", K::Data, T::Integer, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 59
    {"id_poseshal", K::Data, T::Integer, 0, nullptr, nullptr, nullptr, nullptr, false, nullptr,
     false},  // 60
    {"poseshal", K::Lookup, T::Text, 50, "id_poseshal", "ADOQ_poseshal", "id_poseshal", "poseshal",
     false, nullptr, true},  // 61
}};
}  // namespace

std::span<const MarkSheetField> markSheetFields() {
    return kFields;
}

}  // namespace data
