// Saving the open sheet's rows: the change history that every saved change and deleted
// row leaves in QOR_LOG, and the save button.
#include <QToolButton>

#include "data/LoginContext.h"
#include "data/TDM_ZOL_3.h"
#include "history/HistoryWriters.h"
#include "history/TADOUpdateHistoryExec.h"
#include "sheet/TForm2.h"
#include "ui/Application.h"
#include "ui/DataGrid.h"

namespace sheet {

// Set up once, right after sign-in: the recorder stands in front of the data module's
// save steps of the mark sheet for the rest of the run.
void TForm2::createHistoryRecorder() {
    History = std::make_unique<history::TADOUpdateHistoryExec>();
    history::TADOUpdateHistoryExec& h = *History;
    h.OnFieldChanged = [this](const std::string& sentence, db::Dataset& d, const std::string& t,
                              const std::string& k, std::vector<std::string>& statements) {
        history::WriteChange(sentence, d, t, k, statements, historyAuthor());
    };
    h.OnRecordDeleted = [this](const std::string& description, db::Dataset& d, const std::string& t,
                               const std::string& k, std::vector<std::string>& statements) {
        history::WriteDeletion(description, d, t, k, statements, historyAuthor());
    };
    h.OnFlush = [this](std::vector<std::string>& statements) { ExecuteStatements(statements); };
    ComputerName = QString::fromStdString(history::WorkstationComputerName());
    h.Template = kChangeTemplate;
    h.Attach(dm_.ADO_SP_Sort, "mark_mag", "id_mark_mag", true, true);
}

history::HistoryAuthor TForm2::historyAuthor() const {
    return {data::loginContext().LoginName, ComputerName.toStdString()};
}

// Save: the row being edited goes to the server (the save rules and the history run on
// the way), then the button is disabled; an error reaches the teacher with its own text,
// the typed values kept.
void TForm2::SpeedButton2Click() {
    db::Dataset& sheet = dm_.ADO_SP_Sort;
    // A typed entry still in its cell editor is part of the row.
    if (!KXDBGridEh1->commitEditor()) return;
    if (sheet.active()) {
        try {
            if (sheet.state() == db::DatasetState::Browse) sheet.edit();
            sheet.post();
        } catch (const db::Abort&) {
        } catch (...) {
            ui::Application::showException(std::current_exception());
        }
    }
    // A row the server refused is still being edited with what was typed: the button
    // stays for another try once the teacher has read the message.
    const bool editing = sheet.active() && (sheet.state() == db::DatasetState::Edit ||
                                            sheet.state() == db::DatasetState::Insert);
    SpeedButton2->setEnabled(editing);
}

}  // namespace sheet
