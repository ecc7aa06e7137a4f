#pragma once
// The report of the current declaration, built afresh for every use: the report
// workbook of the current validity node on a report grid, the sheets' print
// set-up and report ini files, the values of the sheet documents in the session,
// the report class named by "Class2", inactive sheets hidden. The print dialog
// prints it (PrintTax), the preview shows its pages, the Excel export writes the
// grid. Pages are painted from the grid model, never from a widget.
#include <memory>
#include <string>

#include <QRectF>

#include "zevo/Xml.h"
#include "zevo/engine/DeclarationSession.h"
#include "zevo/grid/SpreadModel.h"
#include "zevo/grid/WorkbookData.h"
#include "zevo/printing/PageSelection.h"

class QPainter;

namespace zevo::rules {
class BusinessLibrary;
}

namespace zevo::printing {

class PrintJob;

// Print margins every report sheet gets (twips: left 180, top 1080, bottom 720).
inline constexpr double kReportMarginLeft = 180.0 / 1440;
inline constexpr double kReportMarginTop = 1080.0 / 1440;
inline constexpr double kReportMarginBottom = 720.0 / 1440;

// The report workbook of the current validity node after the steps that do not
// depend on the declaration (loading, sheet set-up, report ini files). A print
// run prepares it once and every record's report starts from a copy.
class ReportWorkbook {
public:
    // Loads the "ReportTemplate" of clsVariables::NodeValidity and sets it up.
    // Errors are logged ("Form_Load") and leave what was built so far.
    void prepare();
    const grid::SpreadModel& model() const { return model_; }
    // The report workbook path it was prepared from ("" before prepare, or when
    // the workbook could not be loaded).
    const std::string& source() const { return source_; }

private:
    grid::SpreadModel model_;
    engine::DeclarationSession session_;
    std::string source_;
};

class frmReportData {
public:
    struct Sources {
        // Prepared report workbook to start from; null: loaded for this report.
        const ReportWorkbook* workbook = nullptr;
        // Where the "Class2" object comes from; null: the library in the program folder.
        rules::BusinessLibrary* library = nullptr;
        // The menu entry whose session record holds the counters this report
        // counts (the open declaration's); null: clsVariables::NodeMenu.
        xml::Node counterMenu;
    };

    // Builds the report (the window's load). Errors are logged and stop the build
    // at that step.
    explicit frmReportData(Sources sources);
    frmReportData();
    ~frmReportData();
    frmReportData(const frmReportData&) = delete;
    frmReportData& operator=(const frmReportData&) = delete;

    void SetPrintedPages(PageSelection arrStrPages) { pages_ = std::move(arrStrPages); }
    // Prints every printable sheet's selected pages into the job, counts the print
    // in the session counters and stores them. Pages are numbered once each,
    // across sheets. A printer error shows "0057", ends the job and logs.
    void PrintTax(PrintJob& job);
    // Whether the last PrintTax printed a page, and whether the printer failed.
    bool printed() const { return printed_; }
    bool printerFailed() const { return failed_; }

    // Whether the report was built to its end (false: an error stopped it, logged).
    bool built() const { return built_; }
    grid::SpreadModel& fpsReport() { return fpsReport_; }
    const grid::SpreadModel& fpsReport() const { return fpsReport_; }

    // Sheets that print and preview: every sheet but the last, visible, whose
    // sheet entry (same position) is not inactive.
    bool sheetPrintable(int sheet) const;
    bool sheetLandscape(int sheet) const;
    // Pages of a sheet on pages of pageRect (device units at dpiX x dpiY), and
    // one page drawn there.
    int pageCount(int sheet, const QRectF& pageRect, double dpiX, double dpiY) const;
    void paintPage(QPainter& painter, int sheet, int page, const QRectF& pageRect, double dpiX,
                   double dpiY) const;

private:
    void build();
    void PrintSheet(PrintJob& job, int sheet);
    const grid::WorkbookData& pictures() const;

    Sources sources_;
    grid::SpreadModel fpsReport_;
    engine::DeclarationSession session_;
    PageSelection pages_ = allPages();
    int pageCounter_ = 0;
    bool printed_ = false;
    bool failed_ = false;
    bool built_ = false;
    mutable std::unique_ptr<grid::WorkbookData> pictures_;
};

}  // namespace zevo::printing
