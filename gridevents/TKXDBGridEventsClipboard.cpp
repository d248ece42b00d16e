// Copying, cutting and pasting whole grid rows through the rows' own clipboard format.
//
// The clipboard holds rows one after another, with no header, count or escaping; every
// program that exchanges rows with us reads exactly this, so it must not change:
//   row  = for each visible column, in column order: its text, then the byte 1;
//          then the byte 2
//   text = the column field's value as text (for a lookup column, the value of the row's
//          own key field of the lookup) in code page 1251.
// A text holding the byte 1 or 2, or a character code page 1251 lacks, cannot travel:
// such rows are refused with a message instead of putting rows on the clipboard that
// would paste different values.

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QStringDecoder>
#include <QStringEncoder>

#include "gridevents/ControlsSuspended.h"
#include "gridevents/TKXDBGridEvents.h"
#include "ui/ControlDialogs.h"
#include "ui/MessageService.h"

namespace gridevents {

namespace {

constexpr char kCellEnd = '\x01';
constexpr char kRowEnd = '\x02';

// The field a column's cell is copied from and pasted to.
db::Field* cellField(db::Dataset& ds, const ui::DataGridColumn& column) {
    db::Field* f = ds.findField(column.fieldName().toStdString());
    if (f && f->kind() == db::FieldKind::Lookup) return ds.findField(f->keyField());
    return f;
}

QString columnName(const ui::DataGridColumn& column) {
    QString t = column.title().simplified();
    return t.isEmpty() ? column.fieldName() : t;
}

}  // namespace

QString TKXDBGridEvents::clipboardMimeType() {
#ifdef Q_OS_WIN
    // Qt registers this by name with the system, as every other program does.
    return QStringLiteral("application/x-qt-windows-mime;value=\"Data Base Edit Data\"");
#else
    return QStringLiteral("application/x-qor28-data-base-edit-data");
#endif
}

void TKXDBGridEvents::writeClipboard(const QByteArray& content) {
    auto* data = new QMimeData;
    data->setData(clipboardMimeType(), content);
    QGuiApplication::clipboard()->setMimeData(data);  // the clipboard's other formats go
}

QByteArray TKXDBGridEvents::readClipboard() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasFormat(clipboardMimeType())) return {};
    return data->data(clipboardMimeType());
}

QByteArray TKXDBGridEvents::rowBytes() const {
    QByteArray row;
    db::Dataset* ds = grid_ ? grid_->dataset() : nullptr;
    if (!ds) return row;
    for (int i = 0; i < grid_->columnCount(); ++i) {
        const ui::DataGridColumn* c = grid_->column(i);
        if (!c->visible()) continue;
        const db::Field* f = cellField(*ds, *c);
        QString text = f ? QString::fromStdString(f->asString()) : QString();
        if (text.contains(QChar(kCellEnd)) || text.contains(QChar(kRowEnd)))
            throw db::Error(QStringLiteral("Строки не скопированы: значение в столбце «%1» "
                                           "содержит служебный знак (код 1 или 2), который "
                                           "нельзя перенести через буфер обмена.")
                                .arg(columnName(*c))
                                .toStdString());
        QStringEncoder encode("windows-1251");
        QByteArray bytes = encode(text);
        if (encode.hasError())
            throw db::Error(QStringLiteral("Строки не скопированы: значение «%1» в столбце «%2» "
                                           "содержит знаки, которых нет в кодировке Windows-1251.")
                                .arg(text, columnName(*c))
                                .toStdString());
        row += bytes;
        row += kCellEnd;
    }
    row += kRowEnd;
    return row;
}

void TKXDBGridEvents::CopyRows(bool cut) {
    db::Dataset* ds = checkPreconditions();
    if (!ds) return;
    std::vector<db::Bookmark> rows = grid_->selectedRows();
    if (!rows.empty()) {
        db::Bookmark keep = ds->bookmark();
        ControlsSuspended suspended(*ds);
        auto goBack = [&] {
            try {
                if (ds->bookmarkValid(keep)) ds->gotoBookmark(keep);
            } catch (...) {
            }
        };
        QByteArray content;
        try {
            for (db::Bookmark row : rows) {
                try {
                    ds->gotoBookmark(row);
                } catch (const db::Error&) {
                    // the row where the dataset stands is copied instead
                }
                content += rowBytes();
            }
        } catch (const db::Error& e) {
            goBack();
            ui::MessageService::showMessage(QString::fromUtf8(e.what()));
            return;  // nothing copied, nothing cut
        }
        // The rows are on the clipboard before any of them is deleted.
        writeClipboard(content);
        if (cut) {
            for (db::Bookmark row : rows) {
                if (!ds->bookmarkValid(row)) continue;  // never delete another row instead
                try {
                    ds->gotoBookmark(row);
                    db::Field* unique = uniqueField_.get();
                    QString text = unique ? QString::fromStdString(unique->asString()) : QString();
                    ReleaseDuplicate(row);
                    ds->deleteRecord();
                    PastedList.remove(text);
                } catch (...) {
                    ui::ControlDialogs::reportError(std::current_exception());
                    try {
                        ds->cancel();
                    } catch (...) {
                    }
                }
            }
        }
        goBack();
    }
    report(StatusDone);
}

void TKXDBGridEvents::PasteRows() {
    db::Dataset* ds = checkPreconditions();
    if (!ds) return;
    QByteArray text = readClipboard();
    if (text.isEmpty()) {
        report(StatusNothingToPaste);
        return;
    }
    PastedList.clear();
    QStringList refused;  // cells whose text the field would not take
    {
        ControlsSuspended suspended(*ds);
        while (!text.isEmpty() && text != QByteArray(1, '\0')) {
            qsizetype end = text.indexOf(kRowEnd);
            if (end < 0) break;
            // The row's cells, taken in turn by the visible columns; a row from a grid
            // with fewer columns leaves the last ones alone, one with more is cut short.
            QList<QByteArray> cells = text.left(end).split(kCellEnd);
            text.remove(0, end + 1);
            try {
                ds->insert();
            } catch (...) {
                ui::ControlDialogs::reportError(std::current_exception());
                break;
            }
            qsizetype next = 0;
            for (int i = 0; i < grid_->columnCount(); ++i) {
                const ui::DataGridColumn* c = grid_->column(i);
                if (!c->visible()) continue;
                if (next >= cells.size() - 1) break;  // the text after the last byte 1
                QString cell = QStringDecoder("windows-1251")(cells[next++]);
                try {
                    db::Field* f = cellField(*ds, *c);
                    if (!f)
                        throw db::Error(
                            QStringLiteral("нет поля «%1»").arg(c->fieldName()).toStdString());
                    if (cell.isEmpty() && f->type() != db::Type::Text)
                        f->clear();
                    else
                        f->setValue(db::Value(cell.toStdString()));
                } catch (const std::exception& e) {
                    refused << QStringLiteral("«%1» в столбце «%2»: %3")
                                   .arg(cell, columnName(*c), QString::fromUtf8(e.what()));
                }
            }
            try {
                ds->post();
                CheckDuplicate();
                db::Field* unique = uniqueField_.get();
                if (unique) PastedList.add(QString::fromStdString(unique->asString()));
            } catch (...) {
                // The row that cannot be saved is dropped, and said so.
                ui::ControlDialogs::reportError(std::current_exception());
                try {
                    ds->cancel();
                } catch (...) {
                }
            }
        }
    }
    if (!refused.isEmpty())
        ui::MessageService::showMessage(
            QStringLiteral("Не все значения вставлены, поля сохранили прежние значения:\n") +
            refused.join('\n'));
    report(StatusDone);
}

}  // namespace gridevents
