#pragma once
// Draws the printed pages of one sheet straight from workbook data onto any
// QPainter (printer, PDF writer, preview, image), never by grabbing a widget.
//
// Layout: the used range (columns 1..maxCol, rows 1..maxRow) is scaled down, never
// up, so that its width fits the page; rows are laid top to bottom, a row that does
// not fit goes to the next page and a row page break after row r starts a new page
// with row r + 1. Hidden rows and columns (size 0) take no space. Merged cells are
// drawn as one cell. The sheet's margins are kept inside the page rectangle unless
// switched off.
//
// Geometry is computed in device units from the resolution given (the device's
// logical DPI). Font point sizes are left to the device (printers already map
// points to their own resolution) and only shrink with the fit-to-width scale.
#include <vector>

#include <QRectF>

#include "zevo/grid/WorkbookData.h"

class QPainter;

namespace zevo::grid {

class PagePainter {
public:
    // Both references must outlive the painter.
    PagePainter(const SheetData& sheet, const std::vector<StyleData>& styles);

    // Dots per inch of the device the page rectangle is measured in
    // (QPaintDevice::logicalDpiX/Y); 96 until set.
    void setResolution(double dpiX, double dpiY);
    // Whether the sheet's margins are kept inside the page rectangle (default true).
    void setUseMargins(bool use);

    // Number of pages the sheet takes on pages of `pageRect`; 0 for an empty sheet.
    int pageCount(const QRectF& pageRect) const;
    // Draws page `page` (1-based) into `pageRect`; pages out of range draw nothing.
    void paintPage(QPainter& painter, int page, const QRectF& pageRect) const;

private:
    struct Layout;
    Layout layout(const QRectF& pageRect) const;

    const SheetData& sheet_;
    const std::vector<StyleData>& styles_;
    double dpiX_ = 96;
    double dpiY_ = 96;
    bool useMargins_ = true;
};

}  // namespace zevo::grid
