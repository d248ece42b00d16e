#include "structure/TForm_7.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include "data/LoginContext.h"
#include "data/SheetChoice.h"
#include "data/TDM_ZOL_3.h"
#include "structure/StructureEditorHost.h"
#include "ui/ControlDialogs.h"
#include "ui/DataGrid.h"
#include "ui/DataSource.h"
#include "ui/LookupComboBox.h"

namespace structure {

StreamChoice streamChoiceOf(const data::SheetChoice& choice) {
    StreamChoice c;
    c.year = db::toText(choice.year);
    c.semester = db::toText(choice.semester);
    c.discipline = db::toText(choice.discipline);
    c.credits = db::toText(choice.credits);
    c.assessment = db::toText(choice.assessment);
    c.stream = db::toText(choice.group);
    c.teacher = std::to_string(data::loginContext().TeacherId);
    return c;
}

namespace {

constexpr int stripWidth = 305;
constexpr int stripHeight = 20;
// Where the value cell of a grid row begins in the strips: the max column is the last
// 101 pixels of the grid's width.
constexpr int valueCellLeft = stripWidth - 101;

// A picture of one row of the points grid: a name in the first cell and a value (or
// nothing) in the second, drawn like the grid's own cells.
QPixmap gridRowPicture(const QString& name, const QString& value, const QFont& font) {
    QPixmap picture(stripWidth, stripHeight);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.setPen(QColor(0xA0, 0xA0, 0xA0));
    p.drawRect(0, 0, stripWidth - 1, stripHeight - 1);
    p.drawLine(valueCellLeft, 0, valueCellLeft, stripHeight);
    QFont small = font;
    small.setPointSizeF(font.pointSizeF() - 1);
    p.setFont(small);
    p.setPen(Qt::black);
    const QRect nameCell(4, 0, valueCellLeft - 6, stripHeight);
    p.drawText(nameCell, Qt::AlignLeft | Qt::AlignVCenter,
               QFontMetrics(small).elidedText(name, Qt::ElideRight, nameCell.width()));
    QFont bold = font;
    bold.setBold(true);
    p.setFont(bold);
    p.drawText(QRect(valueCellLeft + 4, 0, 101 - 8, stripHeight), Qt::AlignRight | Qt::AlignVCenter,
               value);
    return picture;
}

// The red tick mark of the creating button, grey when the button is disabled.
QIcon tickIcon() {
    QIcon icon;
    for (auto [mode, colour] : {std::pair{QIcon::Normal, QColor(0xD0, 0x10, 0x10)},
                                std::pair{QIcon::Disabled, QColor(0x90, 0x90, 0x90)}}) {
        QPixmap tick(16, 16);
        tick.fill(Qt::transparent);
        QPainter p(&tick);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(colour, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(2.5, 8.5), QPointF(6.5, 12.5), QPointF(13.5, 3.5)}));
        icon.addPixmap(tick, mode);
    }
    return icon;
}

QFont boldOf(const QFont& f) {
    QFont b = f;
    b.setBold(true);
    return b;
}

}  // namespace

std::function<void(TForm_7&)>& TForm_7::shownHook() {
    static std::function<void(TForm_7&)> hook;
    return hook;
}

std::function<QDateTime()>& TForm_7::clock() {
    static std::function<QDateTime()> fixed;
    return fixed;
}

TForm_7::TForm_7(data::TDM_ZOL_3& dm, StructureEditorHost& host, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), dm_(dm), host_(host) {
    setObjectName(QStringLiteral("Form_7"));
    setWindowTitle(caption());
    setFixedSize(832, 518);
    setModal(true);
    buildControls();
    ui::ControlDialogs::guard([this] { FormCreate(); });
}

TForm_7::~TForm_7() {
    // The grids let go of the data module's datasets before the sources go.
    DBGridEh1->setDataSource(nullptr);
    DBGridEh2->setDataSource(nullptr);
    DBLookupComboBox1->setListSource(nullptr);
}

void TForm_7::buildControls() {
    Panel3 = new QFrame(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setGeometry(0, 0, 832, 32);
    Label1 = new QLabel(QStringLiteral("Поток (кафедра):"), Panel3);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 8, 110, 16);
    Label1->hide();
    DS_Potok = new ui::DataSource(&dm_.ADOQ_Potok, this);
    DBLookupComboBox1 = new ui::LookupComboBox(Panel3);
    DBLookupComboBox1->setObjectName(QStringLiteral("DBLookupComboBox1"));
    DBLookupComboBox1->setGeometry(120, 4, 200, 22);
    DBLookupComboBox1->setListSource(DS_Potok);
    DBLookupComboBox1->setKeyField(QStringLiteral("subgroupKaf"));
    DBLookupComboBox1->setListField(QStringLiteral("subgroupKaf"));
    DBLookupComboBox1->hide();

    buildPointsPanel();
    buildDeadlinesPanel();
}

void TForm_7::buildPointsPanel() {
    GroupBox2 = new QGroupBox(this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(0, 32, 377, 486);

    Label4 = new QLabel(QStringLiteral("Количество контрольных точек:"), GroupBox2);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setFont(boldOf(font()));
    Label4->setGeometry(10, 14, 232, 22);
    ComboBox1 = new QComboBox(GroupBox2);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    for (int i = 1; i <= 10; ++i) ComboBox1->addItem(QString::number(i));
    ComboBox1->setCurrentIndex(-1);
    ComboBox1->setEditText(QString());
    ComboBox1->setGeometry(244, 14, 56, 22);
    SpeedButton1 = new QToolButton(GroupBox2);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setIcon(tickIcon());
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setGeometry(304, 14, 24, 22);
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });

    RzCheckBox1 = new QCheckBox(QStringLiteral("Дополнительный балл:"), GroupBox2);
    RzCheckBox1->setObjectName(QStringLiteral("RzCheckBox1"));
    RzCheckBox1->setFont(boldOf(font()));
    RzCheckBox1->setLayoutDirection(Qt::RightToLeft);  // the text left of the box
    RzCheckBox1->setGeometry(10, 42, 180, 22);
    connect(RzCheckBox1, &QCheckBox::clicked, this, [this] { RzCheckBox1Click(); });

    DS_est_config2 = new ui::DataSource(&dm_.ADOQ_est_config2, this);
    DBGridEh2 = new ui::DataGrid(GroupBox2);
    DBGridEh2->setObjectName(QStringLiteral("DBGridEh2"));
    DBGridEh2->setGeometry(10, 70, stripWidth, 250);
    DBGridEh2->setOptions(ui::DataGrid::Editing | ui::DataGrid::Indicator);
    DBGridEh2->setAllowedOperations(ui::DataGrid::AllowUpdate);
    DBGridEh2->horizontalHeader()->setMinimumHeight(40);
    DBGridEh2->horizontalHeader()->setMaximumHeight(40);
    ui::DataGridColumn* name = DBGridEh2->addColumn(QStringLiteral("name_pole"));
    name->setTitle(QStringLiteral("Название контрольной точки"));
    name->setWidth(180);
    ui::DataGridColumn* max = DBGridEh2->addColumn(QStringLiteral("max"));
    max->setTitle(QStringLiteral("Макс.значение"));
    max->setWidth(101);
    max->onUpdateData = [this](ui::DataGridColumn& c, QString& text, db::Value& v, bool& handled) {
        DBGridEh2Columns1UpdateData(c, text, v, handled);
    };
    DBGridEh2->setDataSource(DS_est_config2);

    // The two strips lie over the grid's lower rows: the extra point above the sum.
    const int gridBottom = DBGridEh2->geometry().bottom() + 1;
    Panel1 = new QFrame(GroupBox2);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(10, gridBottom - stripHeight, stripWidth, stripHeight);
    Image2 = new QLabel(Panel1);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(0, 0, stripWidth, stripHeight);
    Image2->setPixmap(gridRowPicture(QStringLiteral("Сумма максимальных значений"), {}, font()));
    Edit1 = new QLineEdit(QStringLiteral("0"), Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    Edit1->setAlignment(Qt::AlignRight);
    Edit1->setFont(boldOf(font()));
    Edit1->setGeometry(valueCellLeft + 1, 1, stripWidth - valueCellLeft - 2, stripHeight - 2);

    Panel2 = new QFrame(GroupBox2);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setGeometry(10, gridBottom - 2 * stripHeight, stripWidth, stripHeight);
    Image1 = new QLabel(Panel2);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, stripWidth, stripHeight);
    Image1->setPixmap(gridRowPicture(QStringLiteral("Доп. балл"), QStringLiteral("20"), font()));
    Panel2->hide();

    SpeedButton2 =
        new QPushButton(QStringLiteral("Назначить сроки сдачи контрольной точки"), GroupBox2);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setFont(boldOf(font()));
    SpeedButton2->setToolTip(QStringLiteral("Подтвердить"));
    SpeedButton2->setGeometry(10, gridBottom + 6, 357, 28);
    connect(SpeedButton2, &QPushButton::clicked, this, [this] { SpeedButton2Click(); });

    Memo1 = new QPlainTextEdit(GroupBox2);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setStyleSheet(QStringLiteral("QPlainTextEdit { background: #C0C0C0; }"));
    Memo1->setPlainText(
        QStringLiteral(" КР   - Контрольная Работа\n"
                       " РК   - Рубежный Контроль\n"
                       " М     - Модуль\n"
                       " РГЗ - Расчетно-Графическое Задание\n"
                       " РФ  - Реферат\n"
                       " СРС - Самостоятельная Работа Студента\n"
                       " ИК   - Итоговый контроль"));
    Memo1->setGeometry(10, gridBottom + 40, 357, 486 - gridBottom - 46);
}

void TForm_7::buildDeadlinesPanel() {
    GroupBox1 = new QGroupBox(QStringLiteral("Сроки сдачи контрольной точки"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    // Only the title is bold, not the grid and the button inside.
    GroupBox1->setStyleSheet(QStringLiteral("QGroupBox { font-weight: bold; }"));
    GroupBox1->setGeometry(832 - 473, 32, 473, 486);

    DS_individualPermissPotok = new ui::DataSource(&dm_.ADOQ_individualPermissPotok, this);
    DBGridEh1 = new ui::DataGrid(GroupBox1);
    DBGridEh1->setObjectName(QStringLiteral("DBGridEh1"));
    DBGridEh1->setGeometry(16, 24, 441, 324);
    DBGridEh1->setOptions(ui::DataGrid::Editing | ui::DataGrid::Indicator);
    DBGridEh1->setAllowedOperations(ui::DataGrid::AllowUpdate);
    ui::DataGridColumn* point = DBGridEh1->addColumn(QStringLiteral("Modul"));
    point->setTitle(QStringLiteral("Название контрольной точки"));
    point->setWidth(198);
    point->setReadOnly(true);
    ui::DataGridColumn* term = DBGridEh1->addColumn(QStringLiteral("begDate"));
    term->setTitle(QStringLiteral("Срок сдачи контрольной точки"));
    term->setWidth(204);
    term->setColor(QColor(0xCC, 0xFF, 0xCC));  // light green
    DBGridEh1->setDataSource(DS_individualPermissPotok);

    Button1 = new QPushButton(QStringLiteral("Подтвердить"), GroupBox1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(16, 24 + 324 + 6, 441, 28);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

// Opening: the stream of the choice, and an empty rule.
void TForm_7::FormCreate() {
    dm_.ADOQ_est_config2.close();
    dm_.ADOQ_individualPermissPotok.close();
    for (QWidget* w : std::initializer_list<QWidget*>{Label4, RzCheckBox1, SpeedButton1,
                                                      SpeedButton2, ComboBox1})
        w->hide();
    DBGridEh2->setOption(ui::DataGrid::Editing, false);
    DBGridEh1->setOption(ui::DataGrid::Editing, false);

    choice_ = streamChoiceOf(host_.sheetChoice());
    db::Dataset& potok = dm_.ADOQ_Potok;
    potok.close();
    potok.setSql(statements::streamList(choice_));
    potok.open();
    // the row of the chosen stream (its number compared as text), else the first
    for (potok.first(); !potok.eof(); potok.next())
        if (db::toText(potok.field("subGroup").value()) == choice_.stream) break;
    if (potok.eof()) potok.first();
    // The box's key moves the list to the first row of that text: that row is the stream.
    DBLookupComboBox1->setKeyValue(potok.isEmpty() ? db::Value()
                                                   : potok.field("subgroupKaf").value());

    Edit1->setText(QStringLiteral("0"));
    db::Dataset& rule = dm_.ADOQ_est_config2;
    rule.setSql(statements::emptyRule());
    rule.setKeyField("id_est_config");
    rule.open();
    dm_.ADOQ_individualPermissPotok.close();
    Label4->show();
    RzCheckBox1->show();
    RzCheckBox1->setChecked(true);
    Panel2->show();
    DBGridEh2->setOption(ui::DataGrid::Editing, true);
    DBGridEh1->setOption(ui::DataGrid::Editing, true);
    SpeedButton1->show();
    SpeedButton2->show();
    ComboBox1->show();
    Button1->show();
}

void TForm_7::RzCheckBox1Click() {
    Panel2->setVisible(RzCheckBox1->isChecked());
}

void TForm_7::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (parentWidget()) {
        const QRect owner = parentWidget()->window()->frameGeometry();
        move(owner.center() - rect().center());
    }
    if (auto& hook = shownHook()) hook(*this);
}

void TForm_7::keyPressEvent(QKeyEvent* event) {
    // Esc cancels an edit in a grid; it never closes the editor and loses its work.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm_7::done(int result) {
    if (!closing_) {
        closing_ = true;
        FormClose();
    }
    QDialog::done(result);
}

void TForm_7::FormClose() {
    // The cascade is the only one that opens the editor, and it always sets the flag
    // first; the group step is for an editor opened some other way.
    if (host_.editorOpenedForMissingRule()) {
        host_.clearAndDisableSheetForm();
    } else {
        host_.rerunGroupStep();
    }
}

}  // namespace structure
