#include "zevo/printing/ReportPrinter.h"

#include <exception>

#include "zevo/ErrorLog.h"
#include "zevo/RuntimeError.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/sheetdocs/CellAddress.h"
#include "zevo/printing/PrintJob.h"
#include "zevo/printing/frmReportData.h"

namespace zevo::printing {

using documents::GetAttributeValue;
using documents::SetAttributeValue;

namespace {

constexpr const char* kModule = "frmReports";
constexpr const char* kProcedure = "printTaxationRegistrationReport";

// The declaration's list of individuals: the second Section of its first Sections.
xml::Node recordList(const xml::DocumentPtr& declaration) {
    if (!declaration || declaration->isEmpty()) return {};
    const std::vector<xml::Node> sections = declaration->elementsByTagName("Sections");
    if (sections.empty()) return {};
    const std::vector<xml::Node> children = sections.front().childElements();
    return children.size() >= 2 ? children[1] : xml::Node();
}

// The session's document, menu entry and validity node, put back when it ends.
class SessionSnapshot {
public:
    SessionSnapshot()
        : data_(clsVariables().Data(0)),
          menu_(clsVariables().NodeMenu()),
          validity_(clsVariables().NodeValidity()) {}
    ~SessionSnapshot() {
        try {
            clsVariables vars;
            vars.Data(0, data_);
            vars.NodeMenu(menu_);
            vars.NodeValidity(validity_);
        } catch (const std::exception& e) {
            WriteErrorLog(kModule, kProcedure, e);
        }
    }
    SessionSnapshot(const SessionSnapshot&) = delete;
    SessionSnapshot& operator=(const SessionSnapshot&) = delete;

    const xml::DocumentPtr& declaration() const { return data_; }
    const xml::Node& menu() const { return menu_; }

private:
    xml::DocumentPtr data_;
    xml::Node menu_;
    xml::Node validity_;
};

// The report's menu entry beside the session's menu entry and its template
// version become the session's; returns the report's template document.
xml::DocumentPtr loadReportTemplate(const xml::Node& sessionMenu) {
    const xml::Node menuRoot = sessionMenu.isNull() ? xml::Node() : sessionMenu.parent();
    xml::Node entry;
    if (!menuRoot.isNull())
        for (const xml::Node& m : menuRoot.childElements())
            if (GetAttributeValue(m, "ID") == kReportMenuId) {
                entry = m;
                break;
            }
    if (entry.isNull())
        throw RuntimeError(err::kObjectRequired, std::string("No menu entry ") + kReportMenuId);
    const xml::Node validity = entry.firstChildElement();
    if (validity.isNull())
        throw RuntimeError(err::kObjectRequired, std::string("No template version of ") + kReportMenuId);
    clsVariables vars;
    vars.NodeMenu(entry);
    vars.NodeValidity(validity);

    const std::string templatePath =
        clsMessageBox().GetAbsolutePath(GetAttributeValue(validity, "TemplateFolder")) +
        GetAttributeValue(validity, "DataFile") + ".xml";
    xml::LoadResult loaded;
    const xml::DocumentPtr reportTemplate =
        xml::Document::fromFile(templatePath, &loaded, xml::Trust::Installed);
    if (!loaded.ok())
        throw RuntimeError(loaded.status == xml::LoadStatus::NotFound ? err::kFileNotFound
                                                                      : err::kTypeMismatch,
                           templatePath + ": " + loaded.reason);
    return reportTemplate;
}

// The report's cells take their values: list cells from the grid's row of the
// record, the others from the declaration's cell of the same identifier.
void fillReport(xml::Document& report, const xml::Document& declaration,
                const grid::SpreadModel& grid, int record) {
    for (const xml::Node& cell : report.elementsByTagName("Cell")) {
        const std::string id = GetAttributeValue(cell, "CellID");
        if (GetAttributeValue(cell.parent(), "Dynamic") != "0") {
            int col = 0, row = 0;
            sheetdocs::ParserCellID(grid, id, col, row);
            // The list lives on the declaration's first sheet.
            SetAttributeValue(cell, "Value", grid.textOf(1, col, row + record - 1));
        } else {
            SetAttributeValue(cell, "Value",
                              GetAttributeValue(declaration.elementById(id), "Value"));
        }
    }
}

}  // namespace

ReportPrinter::ReportPrinter(const grid::SpreadModel& mainGrid) : mainGrid_(mainGrid) {}
ReportPrinter::~ReportPrinter() = default;

int ReportPrinter::recordCount() {
    try {
        const xml::Node list = recordList(clsVariables().Data(0));
        return list.isNull() ? 0 : list.childElementCount();
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, kProcedure, e);
        return 0;
    }
}

bool ReportPrinter::printTaxationRegistrationReport(const PageSelection& records, PrintJob* job) {
    built_ = 0;
    bool complete = false;
    try {
        clsVariables vars;
        SessionSnapshot saved;
        const xml::DocumentPtr reportTemplate = loadReportTemplate(saved.menu());

        const xml::DocumentPtr declaration = saved.declaration();
        const xml::Node list = recordList(declaration);
        const int count = list.isNull() ? 0 : list.childElementCount();

        // The report workbook is read and set up once for the whole run.
        ReportWorkbook workbook;
        workbook.prepare();
        frmReportData::Sources sources;
        sources.workbook = &workbook;
        sources.library = library;
        sources.counterMenu = saved.menu();

        complete = true;
        for (int i = 1; i <= count; ++i) {
            if (!IsPrintedPage(records, i)) continue;
            const xml::DocumentPtr report = reportTemplate->clone();
            vars.Data(0, report);
            fillReport(*report, *declaration, mainGrid_, i);
            frmReportData reportData(sources);
            ++built_;
            if (job) {
                reportData.SetPrintedPages(allPages());
                for (int copy = 0; copy < copies && !reportData.printerFailed(); ++copy)
                    reportData.PrintTax(*job);
                if (reportData.printerFailed()) {
                    complete = false;
                    break;
                }
            } else if (preview && !preview(reportData)) {
                complete = false;
                break;
            }
        }
        if (job && job->started() && !job->end()) {
            complete = false;
            WriteErrorLog(kModule, kProcedure, kPrinterError, "The printer did not take the job");
            clsMessageBox().DisplayMessage("0057", msOKOnly, miCriticalError, "Message", 0);
        }
    } catch (const std::exception& e) {
        complete = false;
        WriteErrorLog(kModule, kProcedure, e);
    }
    if (job && job->started()) job->end();
    else if (job) setPaperA4(job->printer());
    return complete;
}

}  // namespace zevo::printing
