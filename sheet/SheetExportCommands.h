#pragma once

// The main window's print and export commands: the print button beside the report button
// (the print preview of the sheet on screen, printed from there) and the export button
// with its menu (PDF, XLSX, CSV). They are enabled exactly while a sheet is loaded.

#include <QObject>
#include <QString>
#include <functional>

#include "export/SheetTable.h"

class QAction;
class QMenu;
class QPrintPreviewDialog;
class QToolButton;
class QWidget;

namespace data {
class TDM_ZOL_3;
}

namespace sheet {

class TForm2;

class SheetExportCommands : public QObject {
    Q_OBJECT

  public:
    // The buttons are made as children of buttonParent; the window places them.
    SheetExportCommands(TForm2& form, data::TDM_ZOL_3& dm, QWidget* buttonParent);

    // Follows the teacher's choice in the window's selection lists, once they exist.
    void followChoice();

    // A sheet is loaded: the mark sheet is open and shown in the grid for a sheet form.
    bool sheetLoaded() const;
    // The sheet as it is printed and exported: the heading from the window's choice, the
    // table from its grid, each control point's maximum under its title.
    sheetexport::SheetTable sheetTable() const;

    QToolButton* PrintButton;
    QToolButton* ExportButton;
    QMenu* ExportMenu;
    QAction* SavePdfAction;
    QAction* ExportXlsxAction;
    QAction* ExportCsvAction;

    // Where the teacher is asked for the file name: the caption, the proposed path (the
    // last folder and the default name) and the filter; an empty answer cancels. Tests put
    // their own chooser here, since the system's dialog cannot be driven offscreen.
    using FileChooser = std::function<QString(QWidget* parent, const QString& caption,
                                              const QString& proposedPath, const QString& filter)>;
    static FileChooser& fileChooser();
    // Runs the print preview; empty: the dialog's own exec(). Printing happens from the
    // dialog (its print button paints the sheet on the chosen printer).
    static std::function<void(QPrintPreviewDialog&)>& previewRunner();
    // Whether the system has a printer; empty: asks the system.
    static std::function<bool()>& printerCheck();

    // The program's own settings (whatever title the sign-in gives the application) and
    // their key of the folder the last file was saved in.
    static constexpr const char* kSettingsOrganisation = "QOR";
    static constexpr const char* kSettingsProgram = "qor28";
    static constexpr const char* kLastFolderKey = "export/lastFolder";

  public slots:
    void updateEnabled();
    void print();
    void savePdf();
    void exportXlsx();
    void exportCsv();

  private:
    using Writer = void (*)(const sheetexport::SheetTable&, const QString&);
    void exportFile(const QString& caption, const QString& extension, const QString& filter,
                    Writer write);
    sheetexport::SheetHeading heading() const;
    QString subtitleOf(const QString& fieldName) const;

    TForm2& form_;
    data::TDM_ZOL_3& dm_;
};

}  // namespace sheet
