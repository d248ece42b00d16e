#pragma once

#include <string>

namespace structure {

// The teacher's current choice as the structure editor writes it into its statements:
// each value as its plain text (the academic year's key, the semester's id_sem, the
// discipline and its credits, the assessment's key, the group or stream, the teacher).
struct StreamChoice {
    std::string year;
    std::string semester;
    std::string discipline;
    std::string credits;
    std::string assessment;
    std::string stream;
    std::string teacher;
};

// What the structure editor reaches of the main window: the choice it builds the rule
// for, and on closing whether the selection cascade opened it for a stream without a
// grading rule, the sheet-form list to empty in that case, and the group step to run
// again otherwise. The main window implements it, so this folder never includes a
// window header of sheet/.
class StructureEditorHost {
  public:
    virtual ~StructureEditorHost() = default;
    virtual StreamChoice streamChoice() const = 0;
    virtual bool editorOpenedForMissingRule() const = 0;
    virtual void clearAndDisableSheetForm() = 0;
    virtual void rerunGroupStep() = 0;
};

}  // namespace structure
