// The main window's controls and their places: the title strip, the selection area in
// three columns, the sheet-form row with the date-for-all controls, the mark grid and
// the status bar.
#include <QAction>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeEdit>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "data/TDM_ZOL_3.h"
#include "sheet/SheetExportCommands.h"
#include "sheet/TForm2.h"
#include "ui/DataGrid.h"
#include "ui/DataGridColumn.h"
#include "ui/DataSource.h"
#include "ui/LookupComboBox.h"
#include "ui/LookupListBox.h"

namespace sheet {

namespace {

constexpr int kListHeight = 22;
const QColor kSilver(0xC0, 0xC0, 0xC0);

QLabel* label(QWidget* parent, const char* name, const QString& caption,
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QLatin1String(name));
    l->setAlignment(align);
    l->setStyleSheet(QStringLiteral("color: navy; font-weight: bold; font-size: 13px;"));
    return l;
}

ui::LookupComboBox* lookup(QWidget* parent, const char* name, ui::DataSource* source,
                           const char* key, const char* shown, int width) {
    auto* c = new ui::LookupComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setListSource(source);
    if (key) c->setKeyField(QLatin1String(key));
    c->setListField(QLatin1String(shown));
    c->setFixedSize(width, kListHeight);
    return c;
}

QFrame* rule(QWidget* parent, QFrame::Shape shape) {
    auto* f = new QFrame(parent);
    f->setFrameShape(shape);
    f->setFrameShadow(QFrame::Sunken);
    return f;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setFixedHeight(kListHeight + 2);
    b->setStyleSheet(QStringLiteral("font-weight: bold;"));
    return b;
}

}  // namespace

void TForm2::buildControls() {
    DS_Year = new ui::DataSource(&dm_.ADOQ_Year, this);
    DS_g_sem = new ui::DataSource(&dm_.ADOQ_g_sem, this);
    DS_discipline = new ui::DataSource(&dm_.ADOQ_Discipline, this);
    DataSource2 = new ui::DataSource(&dm_.ADOQ_Vremennyi, this);
    DS_group = new ui::DataSource(&dm_.ADOQ_group, this);
    DS_Kafedra = new ui::DataSource(&dm_.ADOQ_Kafedra, this);
    DS_f_est2 = new ui::DataSource(&dm_.ADOQ_f_est2, this);
    DS_SP_Sort = new ui::DataSource(&dm_.ADO_SP_Sort, this);

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Central"));
    QPalette silver = central->palette();
    silver.setColor(QPalette::Window, kSilver);
    central->setPalette(silver);
    central->setAutoFillBackground(true);

    auto* page = new QVBoxLayout(central);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(0);

    InfoPanel = new QLabel(central);
    InfoPanel->setObjectName(QStringLiteral("InfoPanel"));
    InfoPanel->setFixedHeight(25);
    InfoPanel->setAlignment(Qt::AlignCenter);
    InfoPanel->setStyleSheet(QStringLiteral("color: teal; font-weight: bold; font-size: 13px;"));
    page->addWidget(InfoPanel);
    page->addWidget(rule(central, QFrame::HLine));

    auto* selection = new QWidget(central);
    selection->setObjectName(QStringLiteral("SelectionArea"));
    selection->setFixedHeight(89);
    buildSelectionArea(selection);
    page->addWidget(selection);
    page->addWidget(rule(central, QFrame::HLine));

    auto* sheetRow = new QWidget(central);
    sheetRow->setObjectName(QStringLiteral("SheetFormRow"));
    buildSheetRow(sheetRow);
    page->addWidget(sheetRow);

    buildGrid(central);
    auto* gridBox = new QHBoxLayout;
    gridBox->setContentsMargins(6, 0, 6, 0);
    gridBox->addWidget(KXDBGridEh1);
    page->addLayout(gridBox, 1);
    setCentralWidget(central);

    buildStatusBar();
    ExportCommands->followChoice();

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    N2 = PopupMenu1->addAction(QStringLiteral("н/п"));
    N2->setObjectName(QStringLiteral("N2"));
}

void TForm2::buildGrid(QWidget* parent) {
    KXDBGridEh1 = new ui::DataGrid(parent);
    ui::DataGrid* grid = KXDBGridEh1;
    grid->setObjectName(QStringLiteral("KXDBGridEh1"));
    QPalette silver = grid->palette();
    silver.setColor(QPalette::Base, kSilver);
    grid->setPalette(silver);
    grid->setTitleColor(Qt::gray);
    // Rows are deleted through the deletion confirmation, never by the grid itself.
    grid->setAllowedOperations(ui::DataGrid::Operations(
        ui::DataGrid::AllowInsert | ui::DataGrid::AllowUpdate | ui::DataGrid::AllowAppend));
    grid->setOptions(ui::DataGrid::Options(ui::DataGrid::Editing | ui::DataGrid::AlwaysShowEditor |
                                           ui::DataGrid::Indicator | ui::DataGrid::ConfirmDelete |
                                           ui::DataGrid::MultiSelect | ui::DataGrid::RowHighlight |
                                           ui::DataGrid::EnterMovesCells));
    grid->setFooterVisible(true);
    grid->setAutoFitColumns(true);

    // The columns every sheet has; the columns of the sheet's rule follow them.
    const struct {
        const char* field;
        const char* title;
        int width;  // 0: the grid's default
        bool visible;
    } fixed[] = {
        {"Rec_no", "П/П", 48, true},
        {"primech", "Допуск по оплате", 60, true},
        {"student", "Студент", 172, true},
        {"p20", "Группа", 0, true},
        {"teacher", "Преподаватель", 104, true},
        {"exam", "Форм/контр.", 77, false},
        {"f_est", "Форма ведомости", 103, true},
        {"p35", "№", 52, false},
        {"p36", "Дата сдачи", 0, false},
    };
    for (const auto& f : fixed) {
        ui::DataGridColumn* c = grid->addColumn(QString::fromUtf8(f.field));
        c->setTitle(QString::fromUtf8(f.title));
        if (f.width > 0) c->setWidth(f.width);
        c->setReadOnly(true);
        c->setVisible(f.visible);
        c->setColor(Qt::white);
    }
    ui::DataGridColumn* admission = grid->column(1);
    admission->setMinWidth(60);
    admission->setMaxWidth(60);
    admission->setAlignment(Qt::AlignCenter);
    QFont bold = grid->font();
    bold.setBold(true);
    bold.setPixelSize(13);
    admission->setFont(bold);
    grid->column(2)->setFooterText(QStringLiteral("Сумма баллов"));
    grid->column(4)->setDropDownWidth(300);  // teachers' full names
}

void TForm2::buildSelectionArea(QWidget* area) {
    auto* columns = new QHBoxLayout(area);
    // No margin above or below: the middle column's assessment list (43 px) and two lists
    // of 22 px under it fill the area's 89 px when the department list is shown.
    columns->setContentsMargins(8, 0, 8, 0);
    columns->setSpacing(12);

    // Left: year, semester, discipline.
    auto* left = new QGridLayout;
    left->setHorizontalSpacing(6);
    left->setVerticalSpacing(4);
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    Label1 = label(area, "Label1", QStringLiteral("Учебный год:"), right);
    DBLookupComboBox1 = lookup(area, "DBLookupComboBox1", DS_Year, "id_a_year", "p32", 239);
    Label2 = label(area, "Label2", QStringLiteral("Семестр:"), right);
    DBLookupComboBox10 = lookup(area, "DBLookupComboBox10", DS_g_sem, nullptr, "sem", 239);
    DBLookupComboBox10->setDropDownRows(20);
    DBLookupComboBox10->setEnabled(false);
    Label11 = label(area, "Label11", QStringLiteral("Дисциплина:"), right);
    DBLookupComboBox11 = lookup(area, "DBLookupComboBox11", DS_discipline, "id", "p34", 239);
    DBLookupComboBox11->setDropDownWidth(420);
    DBLookupComboBox11->setEnabled(false);
    left->addWidget(Label1, 0, 0);
    left->addWidget(DBLookupComboBox1, 0, 1);
    left->addWidget(Label2, 1, 0);
    left->addWidget(DBLookupComboBox10, 1, 1);
    left->addWidget(Label11, 2, 0);
    left->addWidget(DBLookupComboBox11, 2, 1);
    columns->addLayout(left);
    columns->addWidget(rule(area, QFrame::VLine));

    // Middle: the assessment list, the group or stream, the department when offered.
    auto* middle = new QGridLayout;
    middle->setHorizontalSpacing(6);
    middle->setVerticalSpacing(1);
    DBLookupListBox2 = new ui::LookupListBox(area);
    DBLookupListBox2->setObjectName(QStringLiteral("DBLookupListBox2"));
    DBLookupListBox2->setListSource(DataSource2);
    DBLookupListBox2->setKeyField(QStringLiteral("id_examination"));
    DBLookupListBox2->setListField(QStringLiteral("p30"));
    DBLookupListBox2->setFixedSize(217, 43);
    Label10 = label(area, "Label10", QStringLiteral("Группа:"), right);
    DBLookupComboBox9 = lookup(area, "DBLookupComboBox9", DS_group, "id_gr_potok", "gr_potok", 220);
    DBLookupComboBox9->setEnabled(false);
    Label5 = label(area, "Label5", QStringLiteral("Кафедра:"), right);
    DBLookupComboBox2 = lookup(area, "DBLookupComboBox2", DS_Kafedra, "id_kafedra", "f1", 220);
    DBLookupComboBox2->setEnabled(false);
    Label5->hide();
    DBLookupComboBox2->hide();
    // The caption column is as wide as its widest caption from the start, so the window's
    // least width already counts the department label that is only shown for a stream.
    int captionWidth = 0;
    for (const QString& caption : {QStringLiteral("Поток:"), QStringLiteral("Группа:")}) {
        Label10->setText(caption);
        Label10->ensurePolished();  // the style sheet's font decides the width
        captionWidth = std::max(captionWidth, Label10->sizeHint().width());
    }
    Label5->ensurePolished();
    captionWidth = std::max(captionWidth, Label5->sizeHint().width());
    middle->setColumnMinimumWidth(0, captionWidth);
    middle->addWidget(DBLookupListBox2, 0, 1, Qt::AlignLeft);
    middle->addWidget(Label10, 1, 0);
    middle->addWidget(DBLookupComboBox9, 1, 1);
    middle->addWidget(Label5, 2, 0);
    middle->addWidget(DBLookupComboBox2, 2, 1);
    middle->setRowStretch(3, 1);
    columns->addLayout(middle);
    columns->addWidget(rule(area, QFrame::VLine));

    // Right: the rule of the chosen sheet, the report, the print and the export.
    auto* rightColumn = new QVBoxLayout;
    rightColumn->setSpacing(6);
    auto* ruleRow = new QHBoxLayout;
    Label7 = label(area, "Label7", QStringLiteral("Правило:"));
    Label3 = label(area, "Label3", QStringLiteral("_"));
    ruleRow->addWidget(Label7);
    ruleRow->addWidget(Label3);
    ruleRow->addStretch();
    rightColumn->addLayout(ruleRow);
    SpeedButton4 = button(area, "SpeedButton4", QStringLiteral("Ведомость (отчёт)"));
    SpeedButton4->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    rightColumn->addWidget(SpeedButton4, 0, Qt::AlignLeft);
    // Print and export in a row under the report: in its row they would make the window's
    // least width over 1024 pixels (1063 measured).
    ExportCommands = new SheetExportCommands(*this, dm_, area);
    auto* printRow = new QHBoxLayout;
    printRow->setSpacing(4);
    printRow->addWidget(ExportCommands->PrintButton);
    printRow->addWidget(ExportCommands->ExportButton);
    printRow->addStretch();
    rightColumn->addLayout(printRow);
    rightColumn->addStretch();
    columns->addLayout(rightColumn);
    columns->addStretch(1);
}

void TForm2::buildSheetRow(QWidget* row) {
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(8, 4, 8, 4);
    line->setSpacing(6);
    Label6 = label(row, "Label6", QStringLiteral("Форма ведомости:"));
    DBLookupComboBox3 = lookup(row, "DBLookupComboBox3", DS_f_est2, "id_f_e", "p109", 169);
    DBLookupComboBox3->setEnabled(false);
    line->addWidget(Label6);
    line->addWidget(DBLookupComboBox3);

    // The filter of the rows shown stays hidden; only its choice counts.
    Label8 = label(row, "Label8", QStringLiteral("Фильтр:"));
    ComboBox1 = new QComboBox(row);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems({QStringLiteral("Показать тех кто изучает данную дисциплину"),
                         QStringLiteral("Показать задолжности"), QStringLiteral("Показать всех")});
    ComboBox1->setCurrentIndex(2);
    ComboBox1->setEnabled(false);
    Label8->hide();
    ComboBox1->hide();
    line->addWidget(Label8);
    line->addWidget(ComboBox1);

    line->addSpacing(24);
    Label4 = label(row, "Label4", QStringLiteral("Дата сдачи для всех:"));
    DateTimePicker1 = new QDateTimeEdit(QDateTime::currentDateTime(), row);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker1->setFixedHeight(kListHeight);
    SpeedButton1 = button(row, "SpeedButton1", QStringLiteral("Установить дату"));
    SpeedButton2 = new QToolButton(row);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setToolTip(QStringLiteral("Сохранить"));
    SpeedButton2->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    SpeedButton2->setFixedSize(kListHeight + 8, kListHeight + 2);
    SpeedButton2->setEnabled(false);
    line->addWidget(Label4);
    line->addWidget(DateTimePicker1);
    line->addWidget(SpeedButton1);
    line->addWidget(SpeedButton2);
    line->addStretch(1);
}

void TForm2::buildStatusBar() {
    StatusBar1 = statusBar();
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    const std::pair<QString, int> panels[4] = {{QStringLiteral("Количество записей: 0"), 150},
                                               {QStringLiteral("Текущая запись: 0"), 150},
                                               {QStringLiteral("Выполнение: Удачно"), 150},
                                               {QString(), 50}};
    for (int i = 0; i < 4; ++i) {
        StatusPanels[i] = new QLabel(panels[i].first, StatusBar1);
        StatusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        StatusPanels[i]->setAlignment(Qt::AlignCenter);
        // The given width, grown when a long count would not fit in it (a stream of a
        // few hundred students), so the number is never cut off.
        if (panels[i].first.isEmpty())
            StatusPanels[i]->setFixedWidth(panels[i].second);
        else
            StatusPanels[i]->setMinimumWidth(panels[i].second);
        StatusPanels[i]->setFrameShape(QFrame::StyledPanel);
        StatusBar1->addWidget(StatusPanels[i]);
    }
}

}  // namespace sheet
