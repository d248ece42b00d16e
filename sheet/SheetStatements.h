#pragma once

#include <cstdint>
#include <string>

#include "db/Values.h"

namespace data {
struct SheetChoice;
}

namespace sheet {

// The statements the main window sends, each built from the teacher's sheet choice and
// the signed-in teacher's ids. The texts are the server's contract, blanks included:
// numbers and keys go in as their decimal text, unquoted.
namespace statements {

// The decimal text of a key or number as it goes into a statement ("" for NULL).
std::string text(const db::Value& v);

// Step 1: the semesters of the year, once for groups and once for streams.
std::string semesterList(const db::Value& year, std::int64_t loginId);
// Step 2: the disciplines of the semester, one entry per credit count.
std::string disciplineList(const data::SheetChoice& c, std::int64_t loginId);
// Step 3: the forms of assessment of the discipline.
std::string assessmentList(const data::SheetChoice& c, std::int64_t loginId);
// Step 4: the groups or streams of the assessment.
std::string groupList(const data::SheetChoice& c, std::int64_t loginId);

// Step 5, a group: the rule of the teaching plan, else the group's own rule; then the
// group's faculty and speciality row, and its row of the group table.
std::string groupPlanRule(const data::SheetChoice& c);
std::string groupOwnRule(const data::SheetChoice& c);
std::string groupSpecialityRow(const data::SheetChoice& c);
std::string groupRow(const data::SheetChoice& c);

// Step 5, a stream: its departments (or, once one is picked, that department's plan
// row), the list of departments to pick from, and the earliest plan row with its rule.
std::string streamDepartments(const data::SheetChoice& c);
std::string streamPlanRowOfDepartment(const data::SheetChoice& c);
std::string departmentList(const data::SheetChoice& c);
std::string streamRule(const data::SheetChoice& c);

// Step 6: the rule rows of the sheet form.
std::string ruleRows(const data::SheetChoice& c);
// The load: the server prepares the sheet's rows.
std::string prepareSheet(const data::SheetChoice& c, std::int64_t teacherId);
// The load: which control points may be edited now. ruleOfRows is the id_ebe_var of the
// current rule row, sheetGroup the id_group of the sheet's first row (a stream only).
std::string controlPointsInfo(const data::SheetChoice& c, std::int64_t teacherId,
                              const std::string& ruleOfRows, const std::string& sheetGroup);

// The printed sheet's heading: the faculty of a group (a row of the sheet), and the
// department that teaches a discipline (an id_discipline).
std::string facultyOfGroup(const db::Value& group);
std::string departmentOfDiscipline(const db::Value& discipline);

// The filter passed as @DoNotShowEst for an item of the hidden filter list; empty for no
// item.
std::string rowFilter(int item);
inline constexpr int kRowFilterCount = 3;

// Read at creation: whether the admission is checked strictly.
inline constexpr const char* kAdmissionStrict =
    "Select id_field from qor.dbo.VuzDefaults where id_vuz_defaults=23";

// The report button: the defaults row whose n_field holds the report server's address.
inline constexpr const char* kReportServer =
    "Select *  FROM [QOR].[dbo].[VuzDefaults] Where id_vuz_defaults=22";
// The date check: how many days back a submission date may lie.
inline constexpr const char* kDaysBackAllowed =
    "SELECT id_field FROM VuzDefaults WHERE     (id_vuz_defaults = 37)";

}  // namespace statements

}  // namespace sheet
