#pragma once
// The print dialog without its widgets: the printer list, the copies and pages
// boxes with their key filtering and undo, the checks, and the commands (preview,
// print, save as PDF). The printer chosen here becomes the system default
// printer and stays so. The window (frmReports) shows this state and forwards
// the user's keys and clicks.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "zevo/grid/SpreadModel.h"
#include "zevo/printing/PageSelection.h"

class QPrinter;

namespace zevo::rules {
class BusinessLibrary;
}

namespace zevo::printing {

class frmReportData;

namespace msg {
inline constexpr const char* kCannotWrite = "0021";
inline constexpr const char* kInvalidPath = "0025";
inline constexpr const char* kDefaultPrinterFailed = "0026";
inline constexpr const char* kCopiesNotNumeric = "0033";
inline constexpr const char* kPagesInvalid = "0040";
inline constexpr const char* kPrinterNotReady = "0057";
}  // namespace msg

// Key code of backspace, which both boxes always take.
inline constexpr int kBackspace = 8;
// Copies beyond this are refused with the copies message.
inline constexpr int kMaxCopies = 999;

// The printer chosen in the print dialog, program-wide while the dialog is used
// (the preview prints on it).
std::string& chosenPrinter();

class ReportsController {
public:
    // The main grid must outlive the controller.
    explicit ReportsController(const grid::SpreadModel& mainGrid);

    // ---- the window asks for ----
    // Shows one record's report in the preview, modally; false stops the run.
    std::function<bool(frmReportData&)> showPreview;
    // Focus goes back to "txtNumberOfCopies" or "txtPages".
    std::function<void(const std::string& control)> focusControl;
    // Where "Class2" objects come from; null: the program folder's library.
    rules::BusinessLibrary* library = nullptr;
    // Title of the print jobs, which PDF printers turn into a file name (plain
    // letters: cups-pdf writes other characters as octal escapes).
    std::string jobTitle = "ZEVO-ToKhaiDangKyThue";

    // ---- loading ----
    // The installed printers in the system's order; the default one selected.
    void Form_Load();
    const std::vector<std::string>& printers() const { return printers_; }
    int printerIndex() const { return printerIndex_; }
    void setPrinterIndex(int index);
    // Preview and print need a selected printer; saving a PDF does not.
    bool previewEnabled() const { return printerIndex_ >= 0; }
    bool printEnabled() const { return printerIndex_ >= 0; }

    // ---- the boxes ----
    // Whether a typed key reaches the box (a character code; backspace is 8).
    bool txtNumberOfCopies_KeyPress(int key) const;
    bool txtPages_KeyPress(int key) const;
    // A changed text: kept when acceptable, otherwise the last accepted text
    // comes back. Returns the box's text afterwards.
    const std::string& txtNumberOfCopies_Change(const std::string& text);
    const std::string& txtPages_Change(const std::string& text);
    const std::string& copiesText() const { return copies_; }
    const std::string& pagesText() const { return pages_; }

    // ---- checks ----
    // Copies numeric (and at most kMaxCopies), else "0033"; the chosen printer
    // becomes the list's current text.
    bool CheckPrinter();
    // The records the pages box selects, else "0040".
    std::optional<PageSelection> CheckPages();

    // ---- commands ----
    void cmdPreview_Click();
    void cmdPrint_Click();
    // Writes the selected records' reports into one PDF file (replaced only when
    // the whole file was written). True when the file was written; a missing
    // folder shows "0025", a file that cannot be written "0021".
    bool cmdSavePdf_Click(const std::string& path);
    // The preview's print command: the report on the chosen printer, copies as
    // typed. True when it printed (the preview and this dialog then close).
    bool printFromPreview(frmReportData& report);

    // The dialog closes after a print run.
    bool unloaded() const { return unloaded_; }
    // Reports built by the last run.
    int reportsBuilt() const { return reportsBuilt_; }

private:
    // Steps shared by preview and print: default printer, A4.
    bool prepareChosenPrinter(QPrinter& printer);
    bool run(const PageSelection& records, QPrinter* printer, bool preview);
    int copiesNumber() const;

    const grid::SpreadModel& mainGrid_;
    std::vector<std::string> printers_;
    int printerIndex_ = -1;
    std::string copies_ = "1";
    std::string pages_;
    bool unloaded_ = false;
    bool previewPrinted_ = false;
    int reportsBuilt_ = 0;
};

}  // namespace zevo::printing
