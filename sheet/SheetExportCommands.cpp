#include "sheet/SheetExportCommands.h"

#include <QAction>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QStyle>
#include <QToolButton>
#include <optional>

#include "data/LoginContext.h"
#include "data/TDM_ZOL_3.h"
#include "db/Error.h"
#include "export/CsvWriter.h"
#include "export/SheetPrinter.h"
#include "export/XlsxWriter.h"
#include "sheet/GridTable.h"
#include "sheet/SheetStatements.h"
#include "sheet/TForm2.h"
#include "ui/Application.h"
#include "ui/DataGrid.h"
#include "ui/DataGridColumn.h"
#include "ui/DataSource.h"
#include "ui/LookupComboBox.h"
#include "ui/LookupListBox.h"
#include "ui/MessageService.h"

namespace sheet {

namespace {

void say(const QString& text, QMessageBox::Icon icon) {
    ui::MessageService::show(ui::Application::title(), text, icon);
}

// The discipline list shows the credits after the name ("Базы данных {3}"); the heading
// prints them in their own place.
QString disciplineName(const QString& shown) {
    static const QRegularExpression credits(QStringLiteral("\\s*\\{[^{}]*\\}\\s*$"));
    return QString(shown).remove(credits).trimmed();
}

// The first value of a one-column answer, empty when there is none. The heading is only
// dressing for the printed sheet: a server that refuses the look-up (a login without
// rights on the table) leaves the line out rather than stopping the export.
QString firstValue(data::TDM_ZOL_3& dm, const std::string& sql) {
    db::Dataset query(&dm.ADO_ZOL);
    try {
        query.setSql(sql);
        query.open();
        if (query.isEmpty() || query.fieldCount() == 0) return {};
        return QString::fromStdString(db::toText(query.field(0).value())).trimmed();
    } catch (const db::Error&) {
        return {};
    }
}

// The semester list tells the groups' entry from the streams' one by a note in
// parentheses; the heading names the group or stream on a line of its own.
QString semesterName(const QString& shown) {
    static const QRegularExpression kind(QStringLiteral("\\s*\\((группы|потоки)\\)\\s*$"));
    return QString(shown).remove(kind).trimmed();
}

QString replaceQuestion(const QString& path) {
    return QStringLiteral("Файл «%1» уже существует. Заменить его?").arg(path);
}

// The system's save dialog where there is one; Qt's own dialog otherwise, its captions in
// the program's language (the rest of Qt's texts come untranslated).
QString askFileName(QWidget* parent, const QString& caption, const QString& proposedPath,
                    const QString& filter) {
    const QFileInfo proposed(proposedPath);
    QFileDialog dialog(parent, caption, proposed.absolutePath(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The window asks itself, in Russian, once the extension is known.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.selectFile(proposed.fileName());
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Папка:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Имя файла:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Тип файла:"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Сохранить"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Отмена"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace

SheetExportCommands::FileChooser& SheetExportCommands::fileChooser() {
    static FileChooser chooser;
    return chooser;
}

std::function<void(QPrintPreviewDialog&)>& SheetExportCommands::previewRunner() {
    static std::function<void(QPrintPreviewDialog&)> runner;
    return runner;
}

std::function<bool()>& SheetExportCommands::printerCheck() {
    static std::function<bool()> check;
    return check;
}

SheetExportCommands::SheetExportCommands(TForm2& form, data::TDM_ZOL_3& dm, QWidget* buttonParent)
    : QObject(&form), form_(form), dm_(dm) {
    setObjectName(QStringLiteral("SheetExportCommands"));
    const QStyle* style = buttonParent->style();

    PrintButton = new QToolButton(buttonParent);
    PrintButton->setObjectName(QStringLiteral("PrintButton"));
    PrintButton->setToolTip(QStringLiteral("Печать ведомости"));
    PrintButton->setIcon(QIcon::fromTheme(QStringLiteral("document-print"),
                                          style->standardIcon(QStyle::SP_FileDialogContentsView)));
    PrintButton->setText(QStringLiteral("Печать"));
    PrintButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    ExportMenu = new QMenu(buttonParent);
    ExportMenu->setObjectName(QStringLiteral("ExportMenu"));
    SavePdfAction = ExportMenu->addAction(QStringLiteral("Сохранить в PDF…"));
    SavePdfAction->setObjectName(QStringLiteral("SavePdfAction"));
    ExportXlsxAction = ExportMenu->addAction(QStringLiteral("Экспорт в Excel (XLSX)…"));
    ExportXlsxAction->setObjectName(QStringLiteral("ExportXlsxAction"));
    ExportCsvAction = ExportMenu->addAction(QStringLiteral("Экспорт в CSV…"));
    ExportCsvAction->setObjectName(QStringLiteral("ExportCsvAction"));

    ExportButton = new QToolButton(buttonParent);
    ExportButton->setObjectName(QStringLiteral("ExportButton"));
    ExportButton->setToolTip(QStringLiteral("Сохранить или экспортировать ведомость"));
    ExportButton->setIcon(QIcon::fromTheme(QStringLiteral("document-save-as"),
                                           style->standardIcon(QStyle::SP_DriveFDIcon)));
    ExportButton->setText(QStringLiteral("Экспорт"));
    ExportButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ExportButton->setPopupMode(QToolButton::InstantPopup);
    ExportButton->setMenu(ExportMenu);

    for (QToolButton* b : {PrintButton, ExportButton}) {
        b->setStyleSheet(QStringLiteral("font-weight: bold;"));
        b->setAutoRaise(false);
        b->setFixedHeight(24);  // as the report button above them
    }

    connect(PrintButton, &QToolButton::clicked, this, &SheetExportCommands::print);
    connect(SavePdfAction, &QAction::triggered, this, &SheetExportCommands::savePdf);
    connect(ExportXlsxAction, &QAction::triggered, this, &SheetExportCommands::exportXlsx);
    connect(ExportCsvAction, &QAction::triggered, this, &SheetExportCommands::exportCsv);

    // The mark sheet opens and closes with every load and every change of the choice.
    connect(form_.DS_SP_Sort, &ui::DataSource::datasetChanged, this,
            &SheetExportCommands::updateEnabled);
    connect(form_.DS_SP_Sort, &ui::DataSource::stateChanged, this,
            &SheetExportCommands::updateEnabled);
    // Nothing is loaded yet, and the grid the check reads is made after these buttons.
    PrintButton->setEnabled(false);
    ExportButton->setEnabled(false);
    for (QAction* a : {SavePdfAction, ExportXlsxAction, ExportCsvAction}) a->setEnabled(false);
}

void SheetExportCommands::followChoice() {
    // Queued: the cascade's own handlers of a pick run first and settle the choice.
    for (ui::LookupComboBox* list :
         {form_.DBLookupComboBox1, form_.DBLookupComboBox10, form_.DBLookupComboBox11,
          form_.DBLookupComboBox9, form_.DBLookupComboBox2, form_.DBLookupComboBox3}) {
        connect(list, &ui::LookupComboBox::picked, this, &SheetExportCommands::updateEnabled,
                Qt::QueuedConnection);
    }
    connect(form_.DBLookupListBox2, &ui::LookupListBox::picked, this,
            &SheetExportCommands::updateEnabled, Qt::QueuedConnection);
    updateEnabled();
}

bool SheetExportCommands::sheetLoaded() const {
    const ui::DataGrid* grid = form_.KXDBGridEh1;
    return dm_.ADO_SP_Sort.active() && !db::isNull(form_.Choice.sheetForm) && grid &&
           grid->dataSource() == form_.DS_SP_Sort;
}

void SheetExportCommands::updateEnabled() {
    const bool loaded = sheetLoaded();
    PrintButton->setEnabled(loaded);
    ExportButton->setEnabled(loaded);
    for (QAction* a : {SavePdfAction, ExportXlsxAction, ExportCsvAction}) a->setEnabled(loaded);
}

QString SheetExportCommands::subtitleOf(const QString& fieldName) const {
    const db::Dataset& rows = dm_.ADOQ_est_config;
    if (!rows.active() || fieldName.isEmpty()) return {};
    const db::Value max = rows.lookup("pole_mark_mag", fieldName.toStdString(), "max");
    if (db::isNull(max)) return {};
    return QStringLiteral("макс. %1").arg(QString::fromStdString(db::toText(max)));
}

sheetexport::SheetHeading SheetExportCommands::heading() const {
    const data::SheetChoice& choice = form_.Choice;
    sheetexport::SheetHeading h;
    h.academicYear = form_.DBLookupComboBox1->text();
    h.semester = semesterName(form_.DBLookupComboBox10->text());
    h.discipline = disciplineName(form_.DBLookupComboBox11->text());
    h.credits = QString::fromStdString(statements::text(choice.credits));
    h.assessment = form_.DBLookupListBox2->text();
    h.group = form_.DBLookupComboBox9->text();
    h.sheetForm = form_.DBLookupComboBox3->text();
    h.date = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));

    // The faculty of the sheet's students: the group of its first row (a stream's groups
    // share one faculty).
    const db::Value group = form_.KXDBGridEh1->cellValue(0, QStringLiteral("id_group"));
    if (!db::isNull(group)) h.faculty = firstValue(dm_, statements::facultyOfGroup(group));
    // The department that teaches: the one picked for a stream of several, else the
    // discipline's own.
    if (choice.departmentOffered && !db::isNull(choice.department))
        h.department = form_.DBLookupComboBox2->text();
    else if (!db::isNull(choice.discipline))
        h.department = firstValue(dm_, statements::departmentOfDiscipline(choice.discipline));

    const db::Dataset& teachers = dm_.ADOQ_t_fio;
    const std::int64_t teacher = data::loginContext().TeacherId;
    if (teachers.active() && teacher != 0) {
        h.teacher =
            QString::fromStdString(db::toText(teachers.lookup("id_teacher", teacher, "t_fio")));
    }
    return h;
}

sheetexport::SheetTable SheetExportCommands::sheetTable() const {
    sheetexport::SheetTable table =
        gridTable(*form_.KXDBGridEh1, [this](const ui::DataGridColumn& c) {
            // Only the rule's columns carry a tag; their maxima stand under the titles.
            return c.tag() == 0 ? QString() : subtitleOf(c.fieldName());
        });
    table.heading = heading();
    return table;
}

void SheetExportCommands::print() {
    if (!sheetLoaded()) {
        say(QString::fromUtf8(sheetexport::kNothingLoaded), QMessageBox::Information);
        return;
    }
    const bool hasPrinter =
        printerCheck() ? printerCheck()() : !QPrinterInfo::availablePrinters().isEmpty();
    if (!hasPrinter) {
        say(QString::fromUtf8(sheetexport::kNoPrinter), QMessageBox::Warning);
        return;
    }
    std::optional<QString> failure;
    try {
        const sheetexport::SheetTable table = sheetTable();
        QPrinter printer(QPrinter::HighResolution);
        sheetexport::preparePrinter(table, printer);
        QPrintPreviewDialog preview(&printer, &form_);
        preview.setObjectName(QStringLiteral("SheetPrintPreview"));
        preview.setWindowTitle(QStringLiteral("Печать ведомости"));
        preview.resize(form_.size().boundedTo(QSize(1200, 860)));
        // The preview paints its pages and the printer's through here; nothing may leave a
        // Qt signal as an exception.
        connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter* p) {
            try {
                sheetexport::printSheet(table, *p);
            } catch (const sheetexport::ExportError& e) {
                if (!failure) failure = e.message();
            }
        });
        if (previewRunner())
            previewRunner()(preview);
        else
            preview.exec();
    } catch (const sheetexport::ExportError& e) {
        failure = e.message();
    } catch (...) {
        ui::Application::showException(std::current_exception());
        return;
    }
    if (failure) say(*failure, QMessageBox::Critical);
}

void SheetExportCommands::savePdf() {
    exportFile(QStringLiteral("Сохранить ведомость в PDF"), QStringLiteral("pdf"),
               QStringLiteral("Документ PDF (*.pdf)"), &sheetexport::writePdf);
}

void SheetExportCommands::exportXlsx() {
    exportFile(QStringLiteral("Экспорт ведомости в Excel"), QStringLiteral("xlsx"),
               QStringLiteral("Книга Excel (*.xlsx)"), &sheetexport::writeXlsx);
}

void SheetExportCommands::exportCsv() {
    exportFile(QStringLiteral("Экспорт ведомости в CSV"), QStringLiteral("csv"),
               QStringLiteral("Текст CSV, разделитель «;» (*.csv)"), &sheetexport::writeCsv);
}

void SheetExportCommands::exportFile(const QString& caption, const QString& extension,
                                     const QString& filter, Writer write) {
    if (!sheetLoaded()) {
        say(QString::fromUtf8(sheetexport::kNothingLoaded), QMessageBox::Information);
        return;
    }
    try {
        const sheetexport::SheetTable table = sheetTable();
        QSettings settings{QString::fromLatin1(kSettingsOrganisation),
                           QString::fromLatin1(kSettingsProgram)};
        QString folder = settings.value(QLatin1String(kLastFolderKey)).toString();
        if (folder.isEmpty() || !QDir(folder).exists())
            folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
        const QString proposed =
            QDir(folder).filePath(sheetexport::defaultFileName(table.heading, extension));

        QString path = fileChooser() ? fileChooser()(&form_, caption, proposed, filter)
                                     : askFileName(&form_, caption, proposed, filter);
        if (path.isEmpty()) return;
        // A name typed without its extension gets it, so that the file opens in the
        // program it is meant for.
        if (QFileInfo(path).suffix().compare(extension, Qt::CaseInsensitive) != 0)
            path += QLatin1Char('.') + extension;
        if (QFileInfo::exists(path) &&
            ui::MessageService::show(ui::Application::title(), replaceQuestion(path),
                                     QMessageBox::Question,
                                     QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
            return;
        write(table, path);
        // Only a folder the file was saved in is offered again.
        settings.setValue(QLatin1String(kLastFolderKey), QFileInfo(path).absolutePath());
    } catch (const sheetexport::ExportError& e) {
        say(e.message(), QMessageBox::Critical);
    } catch (...) {
        ui::Application::showException(std::current_exception());
    }
}

}  // namespace sheet
