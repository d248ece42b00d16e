#include "export/SheetPrinter.h"

#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

#include "export/SafeFile.h"
#include "export/SheetDocument.h"

namespace sheetexport {

namespace {

QString documentName(const SheetTable& table) {
    QString name = defaultFileName(table.heading, QString());
    name.chop(1);  // the dot before the missing extension
    return name;
}

}  // namespace

void writePdf(const SheetTable& table, const QString& path) {
    SafeFile file(path);
    {
        QPdfWriter pdf(&file.device());
        SheetDocument document(table);
        pdf.setPageLayout(document.pageLayout());
        pdf.setResolution(600);
        pdf.setTitle(documentName(table));
        pdf.setCreator(QStringLiteral("QOR 28"));
        if (!document.render(pdf))
            throw ExportError(cannotWriteMessage(path, file.device().errorString()));
    }
    file.commit();
}

void preparePrinter(const SheetTable& table, QPrinter& printer) {
    printer.setPageLayout(SheetDocument(table).pageLayout());
    printer.setDocName(documentName(table));
}

void printSheet(const SheetTable& table, QPrinter& printer) {
    SheetDocument document(table);
    if (!document.render(printer))
        throw ExportError(QStringLiteral("Не удалось напечатать ведомость на принтере «%1».")
                              .arg(printer.printerName()));
}

void requirePrinter() {
    if (QPrinterInfo::availablePrinters().isEmpty())
        throw ExportError(QString::fromUtf8(kNoPrinter));
}

}  // namespace sheetexport
