#pragma once

namespace data {
struct SheetChoice;
}

namespace structure {

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
