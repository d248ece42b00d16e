#pragma once

namespace structure {

// What the structure editor reaches of the main window when it closes: whether the
// selection cascade opened it for a stream without a grading rule, the sheet-form list
// to empty in that case, and the group step to run again otherwise. The main window
// implements it, so this folder never includes a window header of sheet/.
class StructureEditorHost {
  public:
    virtual ~StructureEditorHost() = default;
    virtual bool editorOpenedForMissingRule() const = 0;
    virtual void clearAndDisableSheetForm() = 0;
    virtual void rerunGroupStep() = 0;
};

}  // namespace structure
