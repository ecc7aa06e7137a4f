#include "zevo/printing/frmReportData.h"

#include <QPainter>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <system_error>

#include "zevo/ErrorLog.h"
#include "zevo/RuntimeError.h"
#include "zevo/Text.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/documents/SessionFile.h"
#include "zevo/engine/IniFiles.h"
#include "zevo/engine/ReportData.h"
#include "zevo/engine/TemplateLoading.h"
#include "zevo/grid/PagePainter.h"
#include "zevo/printing/PrintJob.h"
#include "zevo/rules/BusinessLibrary.h"

namespace zevo::printing {

using documents::GetAttributeValue;

namespace {

constexpr const char* kModule = "frmReportData";
constexpr const char* kPrinterNotReady = "0057";
constexpr double kWideNumberBound = 99999999999999.0;

// Every sheet ends one row and one column short of its used range (the template
// closes each form with an empty formatted cell beyond it), never cutting a cell
// that holds text; margins and number formats of the printed form.
void setupSheets(grid::Spread& g) {
    for (int s = 1; s <= g.sheetCount(); ++s) {
        g.setSheet(s);
        const int cols = std::max(g.maxCols() - 1, g.dataColCount());
        const int rows = std::max(g.maxRows() - 1, g.dataRowCount());
        g.setMaxCols(cols);
        g.setMaxRows(rows);
        grid::PageMargins margins = g.printMargins();
        margins.left = kReportMarginLeft;
        margins.top = kReportMarginTop;
        margins.bottom = kReportMarginBottom;
        g.setPrintMargins(margins);
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= cols; ++c) {
                g.setPosition(c, r);
                if (g.cellType() != grid::CellType::Number) continue;
                g.setNumberSeparators(",", ".", true);
                g.setNumberMin(-kWideNumberBound);
                g.setNumberMax(kWideNumberBound);
            }
    }
}

// Loading, sheet set-up and report ini files: what every declaration's report
// shares. Returns the workbook's path, or "" when it could not be loaded (logged).
std::string prepareWorkbook(grid::SpreadModel& g, engine::DeclarationSession& session) {
    // The report workbook replaces every sheet, so the start-up workbook is not
    // loaded into the report grid first.
    clsVariables vars;
    const std::string path =
        clsMessageBox().GetAbsolutePath(GetAttributeValue(vars.NodeValidity(), "ReportTemplate"));
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        WriteErrorLog(kModule, "Form_Load", err::kFileNotFound, "No report workbook: " + path);
        return {};
    }
    engine::LoadTemplate(g, false);
    // Every report workbook ends with a hidden sheet; one sheet means it did not load.
    if (g.sheetCount() < 2) return {};
    try {
        setupSheets(g);
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "Form_Load", e);
        return path;
    }
    engine::LoadInitFiles(session, g, false);
    return path;
}

// Switches the current menu entry for as long as it lives.
class MenuSwitch {
public:
    explicit MenuSwitch(const xml::Node& menu) {
        if (menu.isNull()) return;
        saved_ = vars_.NodeMenu();
        vars_.NodeMenu(menu);
        active_ = true;
    }
    ~MenuSwitch() {
        if (active_) vars_.NodeMenu(saved_);
    }
    MenuSwitch(const MenuSwitch&) = delete;
    MenuSwitch& operator=(const MenuSwitch&) = delete;

private:
    clsVariables vars_;
    xml::Node saved_;
    bool active_ = false;
};

}  // namespace

void ReportWorkbook::prepare() { source_ = prepareWorkbook(model_, session_); }

frmReportData::frmReportData() : frmReportData(Sources{}) {}

frmReportData::frmReportData(Sources sources) : sources_(std::move(sources)) { build(); }

frmReportData::~frmReportData() = default;

void frmReportData::build() {
    try {
        clsVariables vars;
        // Pages are measured on the printer when they are printed, so the grid
        // needs no printer to be built.
        if (sources_.workbook && !sources_.workbook->source().empty()) {
            fpsReport_.copyFrom(sources_.workbook->model());
        } else if (prepareWorkbook(fpsReport_, session_).empty()) {
            fpsReport_.reset(1);   // nothing to print
            return;
        }
        engine::SetupReportData(fpsReport_);

        const std::string reportClass = text::trimSpaces(GetAttributeValue(vars.NodeValidity(), "Class2"));
        if (!reportClass.empty()) {
            std::unique_ptr<rules::BusinessLibrary> own;
            rules::BusinessLibrary* library = sources_.library;
            if (!library) {
                own = std::make_unique<rules::BusinessLibrary>(programFolder());
                library = own.get();
            }
            if (std::unique_ptr<rules::ReportObject> report = library->createReport(reportClass)) {
                report->fpsGrid(&fpsReport_);
                report->Process();
                report->fpsGrid(nullptr);
            }
        }
        engine::HideInactiveSheets(fpsReport_);
        fpsReport_.setSheet(1);
        fpsReport_.setActiveSheet(1);
        built_ = true;
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "Form_Load", e);
    }
    pictures_.reset();
}

bool frmReportData::sheetPrintable(int sheet) const {
    if (sheet < 1 || sheet >= fpsReport_.sheetCount()) return false;   // the last sheet never prints
    if (!fpsReport_.sheetVisibleOf(sheet)) return false;
    const std::vector<xml::Node> entries = clsVariables().NodeValidity().childElements("Sheet");
    if (sheet - 1 < static_cast<int>(entries.size()) &&
        GetAttributeValue(entries[static_cast<std::size_t>(sheet) - 1], "Active") == "0")
        return false;
    return true;
}

bool frmReportData::sheetLandscape(int sheet) const {
    const grid::WorkbookData& data = pictures();
    if (sheet < 1 || sheet > static_cast<int>(data.sheets.size())) return false;
    return data.sheets[static_cast<std::size_t>(sheet) - 1].landscape;
}

const grid::WorkbookData& frmReportData::pictures() const {
    if (!pictures_) pictures_ = std::make_unique<grid::WorkbookData>(fpsReport_.toWorkbookData());
    return *pictures_;
}

int frmReportData::pageCount(int sheet, const QRectF& pageRect, double dpiX, double dpiY) const {
    const grid::WorkbookData& data = pictures();
    if (sheet < 1 || sheet > static_cast<int>(data.sheets.size())) return 0;
    grid::PagePainter painter(data.sheets[static_cast<std::size_t>(sheet) - 1], data.styles);
    painter.setResolution(dpiX, dpiY);
    return painter.pageCount(pageRect);
}

void frmReportData::paintPage(QPainter& p, int sheet, int page, const QRectF& pageRect, double dpiX,
                              double dpiY) const {
    const grid::WorkbookData& data = pictures();
    if (sheet < 1 || sheet > static_cast<int>(data.sheets.size())) return;
    grid::PagePainter painter(data.sheets[static_cast<std::size_t>(sheet) - 1], data.styles);
    painter.setResolution(dpiX, dpiY);
    painter.paintPage(p, page, pageRect);
}

void frmReportData::PrintTax(PrintJob& job) {
    try {
        pageCounter_ = 0;
        printed_ = false;
        failed_ = false;
        fpsReport_.setActiveSheet(1);
        clsVariables vars;
        if (vars.DataChanged()) documents::sessionCounters().increment();

        for (int s = 1; s < fpsReport_.sheetCount() && !failed_; ++s) {
            fpsReport_.setActiveSheet(s);
            fpsReport_.setSheet(s);
            if (!sheetPrintable(s)) continue;
            if (!job.started())
                job.setOrientation(sheetLandscape(s) ? QPageLayout::Landscape : QPageLayout::Portrait);
            PrintSheet(job, s);
        }

        if (printed_) {
            if (vars.DataChanged()) {
                // The counters belong to the open declaration's record, whichever
                // report entry is current while printing.
                MenuSwitch menu(sources_.counterMenu);
                if (documents::SaveSessionValueToFile(vars.DataFolder() + "Session.dat", true, false))
                    vars.DataChanged(false);
            }
        } else if (!job.started()) {
            // Nothing reached the printer: earlier reports of the run stay in the job.
            setPaperA4(job.printer());
        }
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "PrintTax", e);
    }
}

void frmReportData::PrintSheet(PrintJob& job, int sheet) {
    try {
        const QRectF rect = job.pageRect();
        const int pages = pageCount(sheet, rect, job.dpiX(), job.dpiY());
        if (pageCounter_ == 0) pageCounter_ = 1;
        for (int page = 1; page <= pages; ++page, ++pageCounter_) {
            if (!IsPrintedPage(pages_, pageCounter_)) continue;
            QPainter& painter = job.beginPage();
            paintPage(painter, sheet, page, rect, job.dpiX(), job.dpiY());
            printed_ = true;
        }
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "PrintSheet", e);
        if (errorNumber(e) == kPrinterError) {
            failed_ = true;
            clsMessageBox().DisplayMessage(kPrinterNotReady, msOKOnly, miCriticalError, "Message", 0);
            job.end();
        }
    }
}

}  // namespace zevo::printing
