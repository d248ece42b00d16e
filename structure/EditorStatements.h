#pragma once

#include <string>
#include <vector>

#include "structure/StructureEditorHost.h"

namespace structure {

// The stream's plan row the new rule is linked to, and its deadlines are made for.
struct StreamRow {
    std::string idRrnk;    // the lowest RRNKkrdt row id of the stream and department
    std::string subgroup;  // the stream
};

// Every statement the structure editor sends, each as the exact text; values go in as
// their plain text.
namespace statements {

// The streams of the choice, one per stream, department and form of study.
std::string streamList(const StreamChoice& c);
// The rule rows' columns with no row: the grid before a rule exists.
std::string emptyRule();
std::string highestRule();
std::string createRule(const std::string& rule);
// The last row of the rule that is not a total: the next point takes its order plus 1.
std::string lastPoint(const std::string& rule);
// An empty dataset over the rule rows, to append a point through.
std::string appendPoint();
std::string extraPoint(const std::string& rule, int order);
// The total rows of the three sheet forms and the two retake points (m12), in the order
// they are written; lastOrder is the order of the last point (the extra point included).
std::vector<std::string> totalRows(const std::string& rule, int lastOrder);
// Forms 9 and 10 copy modules 1-5, 13 and 14 from the ordinary sheet.
std::string copyAccess(const std::string& rule);
// The points the teacher names and gives maxima.
std::string points(const std::string& rule);
// The sum of the points' maxima (the extra point and the retake points left out).
std::string maximaSum(const std::string& rule);
// The total formulas of the ordinary sheet, of form 9 and of form 10.
std::vector<std::string> formulas(const std::string& rule);
std::string linkToStream(const std::string& rule, const std::string& idRrnk);

// The stream's deadline rows of this teacher, year, discipline and semester.
std::string deadlineList(const StreamChoice& c, const std::string& idRrnk);
// The rule's marks in order: one deadline each.
std::string deadlinePoints(const std::string& rule);
// One deadline row; the dates are dd.mm.yyyy texts the server reads with style 104.
std::string deadline(const StreamChoice& c, const StreamRow& row, const std::string& rule,
                     const std::string& module, const std::string& from, const std::string& to);

}  // namespace statements
}  // namespace structure
