// What the main window shows besides the cells' values: the colours of the mark grid's
// cells, the loaded sheet's record count and current record in the status bar, the report
// button, and the quotation on the discipline label.
#include <QDesktopServices>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QTime>
#include <QTimer>
#include <QUrl>
#include <utility>

#include "data/TDM_ZOL_3.h"
#include "gridevents/TKXDBGridEvents.h"
#include "sheet/SheetDisplay.h"
#include "sheet/SheetStatements.h"
#include "sheet/TForm2.h"
#include "ui/ControlDialogs.h"
#include "ui/DataGridColumn.h"
#include "ui/DataSource.h"
#include "ui/MessageService.h"

namespace sheet {

namespace {

// A label has no double-click event of its own: this filter gives it one.
class DoubleClicks : public QObject {
  public:
    DoubleClicks(QObject* parent, std::function<void()> handler)
        : QObject(parent), handler_(std::move(handler)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick) {
            handler_();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> handler_;
};

}  // namespace

std::function<bool(const QUrl&)>& TForm2::browserOpener() {
    static std::function<bool(const QUrl&)> open = [](const QUrl& url) {
        return QDesktopServices::openUrl(url);
    };
    return open;
}

std::function<QTime()>& TForm2::quotationClock() {
    static std::function<QTime()> clock = [] { return QTime::currentTime(); };
    return clock;
}

QString TForm2::quotation() {
    return QStringLiteral(
        "«Знание только тогда знание, когда оно приобретено усилиями своей мысли, "
        "а не памятью». Л. Н. Толстой");
}

void TForm2::setUpDisplay() {
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(5000);
    connect(Timer1, &QTimer::timeout, this, &TForm2::Timer1Timer);
    Label11->installEventFilter(new DoubleClicks(Label11, [this] { Label11DblClick(); }));

    connect(SpeedButton4, &QPushButton::clicked, this,
            [this] { ui::ControlDialogs::guard([this] { SpeedButton4Click(); }); });

    // Opening, closing, filtering and moving the sheet all reach the status bar; while
    // the sheet's controls are suspended it is told once, when they are resumed.
    connect(DS_SP_Sort, &ui::DataSource::datasetChanged, this, &TForm2::showRecordPosition);
    connect(DS_SP_Sort, &ui::DataSource::scrolled, this, &TForm2::showRecordPosition);
    connect(DS_SP_Sort, &ui::DataSource::stateChanged, this, &TForm2::showRecordPosition);
    showRecordPosition();
}

// The panels are created with 0 and 0; they follow the sheet from then on, so a teacher
// reads how many students the sheet holds and which of them the cursor is on.
void TForm2::showRecordPosition() {
    const db::Dataset& sheet = dm_.ADO_SP_Sort;
    int count = 0;
    int current = 0;
    if (sheet.active()) {
        count = sheet.recordCount();
        // A row being inserted sits at the cursor before it is counted.
        current =
            sheet.state() == db::DatasetState::Insert ? sheet.currentRow() + 1 : sheet.recNo();
    }
    StatusPanels[0]->setText(QStringLiteral("Количество записей: %1").arg(count));
    StatusPanels[1]->setText(QStringLiteral("Текущая запись: %1").arg(current));
}

void TForm2::F4_KX_DM_ZOL_3DrawColumnCell(ui::DataGrid& sender, ui::DataGrid::CellDraw& cell) {
    CellColourInput in;
    in.chosen = cell.background;
    in.selection = F4_KX_DM_ZOL_3->KXDBAttributes().SelAttr.Color();
    in.admission =
        QString::fromStdString(db::toText(sender.cellValue(cell.row, QStringLiteral("primech"))));
    in.estimation = sender.cellValue(cell.row, QStringLiteral("id_estimation"));
    in.canEdit = sender.cellValue(cell.row, QStringLiteral("CanEdit"));
    in.column = cell.dataColumn;
    in.hint = cell.column ? cell.column->titleHint() : QString();
    in.state = cell.state;
    cell.background = cellColour(in);
    if (cell.painter) sender.defaultDrawColumnCell(cell);
}

void TForm2::SpeedButton4Click() {
    db::Dataset& temp = dm_.ADOQ_Temp;
    temp.close();
    temp.setSql(statements::kReportServer);
    temp.open();
    QString server;
    if (!temp.isEmpty() && temp.findField("n_field"))
        server = QString::fromStdString(temp.field("n_field").asString());

    QString why;
    const QUrl address = reportAddress(server, &why);
    if (!address.isValid()) {
        ui::MessageService::show(QStringLiteral("Уведомление"), why, QMessageBox::Warning);
        return;
    }
    if (!browserOpener()(address))
        ui::MessageService::show(
            QStringLiteral("Уведомление"),
            QStringLiteral("Не удалось открыть веб-браузер с адресом отчёта:\n%1")
                .arg(address.toString()),
            QMessageBox::Warning);
}

void TForm2::Label11DblClick() {
    if (quotationClock()().minute() % 2 != 0) return;
    Timer1->start();
    InfoPanel->setText(quotation());
}

void TForm2::Timer1Timer() {
    InfoPanel->clear();
    Timer1->stop();
}

}  // namespace sheet
