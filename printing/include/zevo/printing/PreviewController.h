#pragma once
// The print preview without its widgets: the pages of the printable sheets of a
// built report, one at a time, with the counter "Trang n trong m" over all of
// them, next and previous across sheets, the zoom toggle and the button states.
// Pages are laid out on A4 paper in each sheet's orientation, as they print.
#include <string>
#include <vector>

#include <QRectF>

class QPainter;

namespace zevo::printing {

class frmReportData;

class PreviewController {
public:
    // Resolution pages are measured at (the printers' high resolution).
    static constexpr double kLayoutDpi = 1200;

    // Counts the pages of every printable sheet (the window's load).
    explicit PreviewController(frmReportData& report);

    int totalPages() const { return total_; }
    int currentPage() const { return current_; }
    int sheetPage() const { return sheetPage_; }
    int currentSheet() const { return sheet_; }
    bool nextEnabled() const { return nextEnabled_; }
    bool previousEnabled() const { return previousEnabled_; }
    bool zoomed() const { return zoomed_; }
    // "Trang " + current page + " trong " + total pages.
    std::string counterText() const;

    void cmdNext_Click();
    void cmdPrevious_Click();
    void cmdZoom_Click() { zoomed_ = !zoomed_; }

    // The current page: its paper size in points (orientation of its sheet) and
    // the page drawn into `target` (any device; `dpi` of that device).
    QSizeF pageSizePoints() const;
    void paintCurrent(QPainter& painter, const QRectF& target, double dpi) const;

    frmReportData& report() { return report_; }

private:
    QRectF layoutRect(int sheet) const;
    int pagesOf(int sheet) const;
    void UpdatePageCount();

    frmReportData& report_;
    std::vector<int> pages_;   // per sheet (index = sheet - 1); 0 for sheets not shown
    int total_ = 0;
    int current_ = 1;
    int sheetPage_ = 1;
    int sheet_ = 1;
    bool nextEnabled_ = true;
    bool previousEnabled_ = false;
    bool zoomed_ = false;
};

}  // namespace zevo::printing
