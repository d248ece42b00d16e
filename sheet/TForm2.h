#pragma once

#include <QMainWindow>

#include "data/EditingControls.h"

class QComboBox;
class QListWidget;
class QToolButton;

namespace data {
class TDM_ZOL_3;
}

namespace sheet {

// The main window: the grade sheet. Its creation begins with the sign-in; the
// selection cascade, the sheet grid and the commands fill it in.
class TForm2 : public QMainWindow, public data::EditingControls {
    Q_OBJECT

  public:
    // Shows the sign-in window modally before anything else (programFolder: where
    // Data/QOR lies, the program's folder when empty). A cancelled sign-in tells the
    // application to end.
    explicit TForm2(data::TDM_ZOL_3& dm, const QString& programFolder = {},
                    QWidget* parent = nullptr);
    ~TForm2() override;

    void setSaveButtonEnabled(bool on) override;
    void setSelectionListsEnabled(bool on) override;

    QToolButton* SpeedButton2;
    QComboBox* DBLookupComboBox9;
    QComboBox* DBLookupComboBox10;
    QComboBox* DBLookupComboBox11;
    QListWidget* DBLookupListBox2;

  private:
    void buildControls();

    data::TDM_ZOL_3& dm_;
};

}  // namespace sheet
