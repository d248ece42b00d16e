#pragma once

namespace data {

// What the data module reaches of the main window: its save button and its four
// selection lists (group or stream, semester, discipline, form of assessment). The main
// window implements it; the module never sees the window itself.
class EditingControls {
  public:
    virtual ~EditingControls() = default;
    virtual void setSaveButtonEnabled(bool on) = 0;
    virtual void setSelectionListsEnabled(bool on) = 0;
};

}  // namespace data
