#pragma once

#include <string>

namespace data {
struct SheetChoice;
}

namespace structure {

// The teacher's current choice as the structure editor writes it into its statements:
// each value as its plain text (the academic year's key, the semester's id_sem, the
// discipline and its credits, the assessment's key, the stream, the signed-in teacher).
struct StreamChoice {
    std::string year;
    std::string semester;
    std::string discipline;
    std::string credits;
    std::string assessment;
    std::string stream;
    std::string teacher;
};

// The editor's texts of the main window's sheet choice.
StreamChoice streamChoiceOf(const data::SheetChoice& choice);

// What the structure editor reaches of the main window: the teacher's sheet choice (the
// stream the new rule is for, and whether the selection cascade opened the editor for a
// stream without a grading rule), and, when the editor closes, the sheet-form list to
// empty in that case and the group step to run again otherwise. The main window
// implements it, so this folder never includes a window header of sheet/.
class StructureEditorHost {
  public:
    virtual ~StructureEditorHost() = default;
    virtual const data::SheetChoice& sheetChoice() const = 0;
    virtual bool editorOpenedForMissingRule() const = 0;
    virtual void clearAndDisableSheetForm() = 0;
    virtual void rerunGroupStep() = 0;
};

}  // namespace structure
