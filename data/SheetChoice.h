#pragma once

#include <cstdint>
#include <string>

#include "db/Values.h"

namespace data {

// The teacher's choice of one grade sheet, as the main window's selection lists build it
// step by step: year, semester, discipline, form of assessment, group or stream (with its
// department), sheet form, and the grading rule found on the way. Each step of the
// cascade fills its own part when the teacher chooses; loading the sheet, the data
// module's handlers, the structure editor and the export read this value, never the
// lists or the current rows of the lists' datasets. Values are held as the server gave
// them; NULL where nothing is chosen.
struct SheetChoice {
    // Step 1: the academic year (the key of the year list, an id_a_year).
    db::Value year;

    // Step 2: the semester entry's id_sem, and its isSelect as text: "0" when the entry
    // lists groups, "1" when it lists streams.
    db::Value semester;
    std::string SemesterKind;

    // Step 3: the discipline entry's id_discipline and credit count (kredit).
    db::Value discipline;
    db::Value credits;

    // Step 4: the form of assessment (the key of its list, an id_examination), and the
    // kredit and id_examination of the chosen assessment row.
    db::Value assessment;
    db::Value assessmentCredits;
    db::Value assessmentExamination;

    // Step 5: the group or stream (the key of its list, an id_gr_potok), the isSelect and
    // id_teacher of the chosen entry, and IsStream: 1 for a stream, 0 for a group.
    db::Value group;
    db::Value groupKind;
    db::Value teacher;
    int IsStream = 0;
    // A stream taught by several departments: whether the department list is offered,
    // and the department picked in it.
    bool departmentOffered = false;
    db::Value department;
    // A group's faculty and speciality (its g_s row) and form of education (its group
    // row); NULL for a stream.
    db::Value faculty;
    db::Value speciality;
    db::Value formOfEducation;

    // The sheet's grading rule: its id as text (empty when none is known) and as a number
    // (-1 when none is known, 0 for a group without any rule). EditorOpenedForMissingRule
    // is set when the cascade opened the structure editor because a stream has no rule.
    std::string RuleIdText;
    std::int64_t RuleId = -1;
    bool EditorOpenedForMissingRule = false;

    // Step 6: the sheet form's key (an id_f_e; -1 for the entry that shows form 1 read
    // only) and the form loaded (1 for the key -1).
    db::Value sheetForm;
    int SheetFormId = 1;

    // The group entry's isSelect as text: "0" for a group, "1" for a stream.
    std::string groupKindText() const { return db::toText(groupKind); }
};

}  // namespace data
