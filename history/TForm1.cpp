#include "history/TForm1.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/DataGrid.h"

namespace {

// A yellow warning triangle with an exclamation mark, on a transparent ground.
QPixmap warningSign() {
    QPixmap sign(32, 32);
    sign.fill(Qt::transparent);
    QPainter p(&sign);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath triangle;
    triangle.moveTo(16, 2);
    triangle.lineTo(30, 29);
    triangle.lineTo(2, 29);
    triangle.closeSubpath();
    p.fillPath(triangle, QColor(255, 215, 0));
    p.setPen(QPen(Qt::black, 1.5));
    p.drawPath(triangle);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRect(QRectF(14.5, 10, 3, 11));
    p.drawEllipse(QRectF(14.5, 23, 3, 3));
    return sign;
}

QFrame* loweredPanel(QWidget* parent, int height) {
    auto* panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setFixedHeight(height);
    return panel;
}

}  // namespace

std::function<void()>& TForm1::exclamationSound() {
    static std::function<void()> sound = [] { QApplication::beep(); };
    return sound;
}

TForm1::TForm1(QWidget* parent) : QDialog(parent) {
    setObjectName("Form1");
    setWindowTitle(QStringLiteral("Предупреждение..."));
    // a resizable tool window without title-bar buttons
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setMinimumSize(550, 250);
    resize(696, 250);

    QFont courier(QStringLiteral("Courier New"));
    courier.setStyleHint(QFont::TypeWriter);
    courier.setPixelSize(13);

    Panel1 = loweredPanel(this, 54);
    Panel1->setObjectName("Panel1");
    Warning_Image = new QLabel(Panel1);
    Warning_Image->setObjectName("Warning_Image");
    Warning_Image->setFixedSize(32, 32);
    Warning_Image->setPixmap(warningSign());
    Count_Lbl = new QLabel(QStringLiteral("Количество удаляемых записей:"), Panel1);
    Count_Lbl->setObjectName("Count_Lbl");
    Count_Lbl->setFont(courier);
    Qst_Lbl = new QLabel(QStringLiteral("Вы действительно хотите удалить эти записи?"), Panel1);
    Qst_Lbl->setObjectName("Qst_Lbl");
    Qst_Lbl->setFont(courier);
    auto* labels = new QVBoxLayout;
    labels->setSpacing(2);
    labels->addWidget(Count_Lbl);
    labels->addWidget(Qst_Lbl);
    auto* top = new QHBoxLayout(Panel1);
    top->setContentsMargins(8, 4, 8, 4);
    top->addWidget(Warning_Image);
    top->addSpacing(8);
    top->addLayout(labels, 1);

    StringGrid = new QTableWidget(2, 2, this);
    StringGrid->setObjectName("StringGrid");
    StringGrid->horizontalHeader()->hide();
    StringGrid->verticalHeader()->hide();
    StringGrid->verticalHeader()->setDefaultSectionSize(18);
    StringGrid->setShowGrid(true);
    StringGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid->setColumnWidth(0, 11);
    markFixedCells();

    Panel2 = loweredPanel(this, 39);
    Panel2->setObjectName("Panel2");
    Btns_Pnl = new QWidget(Panel2);
    Btns_Pnl->setObjectName("Btns_Pnl");
    BitBtn1 = new QPushButton(QStringLiteral("Да"), Btns_Pnl);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn2 = new QPushButton(QStringLiteral("Нет"), Btns_Pnl);
    BitBtn2->setObjectName("BitBtn2");
    for (QPushButton* b : {BitBtn1, BitBtn2}) {
        b->setCursor(Qt::PointingHandCursor);
        b->setAutoDefault(false);
    }
    BitBtn1->setDefault(true);  // Enter; Esc is the dialog's own "no"
    auto* buttons = new QHBoxLayout(Btns_Pnl);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    Btns_Pnl->adjustSize();
    Btns_Pnl->move(0, (39 - Btns_Pnl->height()) / 2);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    Panel2->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(StringGrid, 1);
    layout->addWidget(Panel2);

    if (exclamationSound()) exclamationSound()();
}

void TForm1::markFixedCells() {
    for (int r = 0; r < StringGrid->rowCount(); ++r) {
        for (int c = 0; c < StringGrid->columnCount(); ++c) {
            if (r > 0 && c > 0) continue;
            QTableWidgetItem* item = StringGrid->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                StringGrid->setItem(r, c, item);
            }
            item->setBackground(QColor(192, 192, 192));
            item->setFlags(Qt::ItemIsEnabled);
        }
    }
}

// The buttons stay in the middle of the bottom panel whatever the window's width.
void TForm1::centreButtons() {
    Btns_Pnl->move(Panel2->width() / 2 - Btns_Pnl->width() / 2, Btns_Pnl->y());
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Panel2 && event->type() == QEvent::Resize) centreButtons();
    return QDialog::eventFilter(watched, event);
}

void TForm1::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QScreen* screen = QApplication::primaryScreen()) {
        QRect desk = screen->availableGeometry();
        move(desk.center() - QPoint(width() / 2, height() / 2));
    }
}

namespace history {

void ConfirmDeleteRows(ui::DataGrid& grid, int mainWindowWidth, bool& canDelete) {
    std::vector<db::Bookmark> rows = grid.selectedRows();
    if (rows.empty()) return;
    TForm1 form;
    QTableWidget* list = form.StringGrid;
    list->setColumnCount(grid.columnCount() + 1);
    form.resize(mainWindowWidth + 5, form.height());
    for (int i = 0; i < grid.columnCount(); ++i) {
        const ui::DataGridColumn* c = grid.column(i);
        if (!c->visible()) continue;
        list->setItem(0, i + 1, new QTableWidgetItem(c->title()));
        list->setColumnWidth(i + 1, c->width());
    }
    list->setRowCount(static_cast<int>(rows.size()) + 1);
    db::Dataset* ds = grid.dataset();
    for (std::size_t r = 0; ds && r < rows.size(); ++r) {
        ds->gotoBookmark(rows[r]);
        for (int i = 0; i < grid.columnCount(); ++i) {
            const ui::DataGridColumn* c = grid.column(i);
            if (!c->visible()) continue;
            const db::Field* f = c->field();
            auto* item =
                new QTableWidgetItem(f ? QString::fromStdString(f->asString()) : QString());
            list->setItem(static_cast<int>(r) + 1, i + 1, item);
        }
    }
    form.markFixedCells();
    form.Count_Lbl->setText(QStringLiteral("Количество удаляемых записей:[%1].").arg(rows.size()));
    form.Qst_Lbl->setText(QStringLiteral("Вы действительно хотите удалить эти записи?"));
    canDelete = form.exec() == QDialog::Accepted;
}

}  // namespace history
