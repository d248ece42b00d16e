#pragma once

#include <QFont>
#include <QPageLayout>
#include <QRectF>
#include <vector>

#include "export/SheetTable.h"

class QPainter;
class QPagedPaintDevice;

namespace sheetexport {

// The printed sheet laid out on pages. All measures are in points (1/72 inch) on the
// page's printable area, and the fonts are sized in points too, so the picture does not
// depend on the device: the print preview, the paper and the PDF are one layout.
//
// The first page carries the heading, every page the table's titles and "стр. N из M"
// at the bottom, the last page the date and the teacher's signature line. The table
// takes the columns' widths from the grid, widened to their longest text; when that is
// wider than the page the whole table is drawn smaller, no less than kMinScale.
class SheetDocument {
  public:
    struct Page {
        int firstRow;
        int rowCount;
        bool heading;    // the sheet's heading above the table
        bool signature;  // the date and signature below it
    };

    static constexpr double kMarginMm = 12;
    static constexpr double kMinScale = 0.5;

    explicit SheetDocument(const SheetTable& table);

    // A4, landscape when the table is wider than a portrait page.
    QPageLayout pageLayout() const;
    QPageLayout::Orientation orientation() const;

    // Lays the sheet out on a printable area of this size (points) and returns the pages.
    const std::vector<Page>& paginate(const QSizeF& area);
    const std::vector<Page>& pages() const { return pages_; }
    // The scale the table is drawn at on the last paginated area.
    double tableScale() const { return scale_; }
    // Column widths in points at scale 1.
    const std::vector<double>& columnWidths() const { return widths_; }

    // Paints a page laid out by paginate() with the painter in points, its origin at the
    // printable area's top left.
    void paintPage(QPainter& painter, int index) const;

    // Lays out and paints every page on a device (a printer, a PDF writer) in its own
    // page layout. False when the device cannot be painted on.
    bool render(QPagedPaintDevice& device);

  private:
    double tableWidth() const;
    double headingHeight() const;
    double signatureHeight() const;
    double titleHeight() const;
    double paintHeading(QPainter& p, double width) const;
    double paintTitles(QPainter& p, double y) const;
    void paintRow(QPainter& p, double y, std::size_t row) const;
    void paintSignature(QPainter& p, double y, double width) const;

    const SheetTable& table_;
    QFont titleFont_, headingFont_, labelFont_, cellFont_, columnFont_, subtitleFont_, footerFont_;
    std::vector<double> widths_;
    std::vector<QStringList> titleLines_;          // each title wrapped to its column
    std::vector<std::vector<double>> textWidths_;  // of each cell's text
    std::vector<Page> pages_;
    QSizeF area_;
    double scale_ = 1;
    double rowHeight_ = 0;
    double baseline_ = 0;  // of a cell's text below the row's top
};

}  // namespace sheetexport
