#pragma once
// The printing routine of the registration report: one report per selected
// record of the declaration's list of individuals, each built from the report
// entry's document ("100_8") filled from the declaration and from that record's
// row of the main grid, printed into one job (a printer queue or a PDF file) or
// shown in the preview. The session's current document, menu entry and validity
// node are put back afterwards, also when the run fails.
#include <functional>
#include <memory>
#include <string>

#include "zevo/grid/SpreadModel.h"
#include "zevo/printing/PageSelection.h"

namespace zevo::rules {
class BusinessLibrary;
}

namespace zevo::printing {

class PrintJob;
class frmReportData;

// The menu entry of the per-individual report.
inline constexpr const char* kReportMenuId = "100_8";

class ReportPrinter {
public:
    // The main grid (its first sheet holds the list) must outlive the printer.
    explicit ReportPrinter(const grid::SpreadModel& mainGrid);
    ~ReportPrinter();

    // PrintTax runs per record (copies of each report, one after the other).
    int copies = 1;
    // Where "Class2" objects come from; null: the program folder's library.
    rules::BusinessLibrary* library = nullptr;
    // Preview runs: shows one record's report; false stops the run.
    std::function<bool(frmReportData&)> preview;

    // Prints the selected records into `job` (the job is ended after the last
    // record), or previews them when job is null. Returns false when the run
    // stopped early (an error, a printer failure, the preview asked to stop).
    bool printTaxationRegistrationReport(const PageSelection& records, PrintJob* job);

    // Records of the declaration's list, and reports built by the last run.
    static int recordCount();
    int reportsBuilt() const { return built_; }

private:
    const grid::SpreadModel& mainGrid_;
    int built_ = 0;
};

}  // namespace zevo::printing
