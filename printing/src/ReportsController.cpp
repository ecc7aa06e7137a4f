#include "zevo/printing/ReportsController.h"

#include <QPrinter>
#include <QPrinterInfo>

#include <exception>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "zevo/ErrorLog.h"
#include "zevo/RuntimeError.h"
#include "zevo/clsMessageBox.h"
#include "zevo/printing/PrintJob.h"
#include "zevo/printing/ReportPrinter.h"
#include "zevo/printing/clsDefaultPrinter.h"
#include "zevo/printing/frmReportData.h"

namespace zevo::printing {

namespace {

constexpr const char* kModule = "frmReports";

void show(const char* id, int icon) {
    clsMessageBox().DisplayMessage(id, msOKOnly, icon, "Message", 0);
}

bool allDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// A printer object on the named queue; false when Qt does not reach the queue
// (it would fall back to a PDF printer without a file).
bool openQueue(QPrinter& printer, const std::string& name) {
    const QString queue = QString::fromStdString(name);
    printer.setPrinterName(queue);
    return printer.printerName() == queue && printer.outputFormat() == QPrinter::NativeFormat;
}

}  // namespace

std::string& chosenPrinter() {
    static std::string name;
    return name;
}

ReportsController::ReportsController(const grid::SpreadModel& mainGrid) : mainGrid_(mainGrid) {}

void ReportsController::Form_Load() {
    try {
        printers_.clear();
        printerIndex_ = -1;
        for (const QString& name : QPrinterInfo::availablePrinterNames()) printers_.push_back(name.toStdString());
        const std::string current = QPrinterInfo::defaultPrinterName().toStdString();
        for (std::size_t i = 0; i < printers_.size(); ++i)
            if (printers_[i] == current) printerIndex_ = static_cast<int>(i);
        if (printerIndex_ >= 0) chosenPrinter() = printers_[static_cast<std::size_t>(printerIndex_)];
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "Form_Load", e);
    }
}

void ReportsController::setPrinterIndex(int index) {
    printerIndex_ = index >= 0 && index < static_cast<int>(printers_.size()) ? index : -1;
}

bool ReportsController::txtNumberOfCopies_KeyPress(int key) const {
    return key == kBackspace || (key >= 0 && key < 128 && isCopiesCharacter(static_cast<char>(key)));
}

bool ReportsController::txtPages_KeyPress(int key) const {
    return key == kBackspace || (key >= 0 && key < 128 && isPagesCharacter(static_cast<char>(key)));
}

const std::string& ReportsController::txtNumberOfCopies_Change(const std::string& text) {
    if (text.empty() || allDigits(text)) copies_ = text;
    return copies_;
}

const std::string& ReportsController::txtPages_Change(const std::string& text) {
    for (char c : text)
        if (!isPagesCharacter(c)) return pages_;
    pages_ = text;
    return pages_;
}

int ReportsController::copiesNumber() const {
    return allDigits(copies_) && copies_.size() <= 4 ? std::stoi(copies_) : -1;
}

bool ReportsController::CheckPrinter() {
    const int copies = copiesNumber();
    if (copies < 0 || copies > kMaxCopies) {
        show(msg::kCopiesNotNumeric, miInformation);
        if (focusControl) focusControl("txtNumberOfCopies");
        return false;
    }
    if (printerIndex_ >= 0) chosenPrinter() = printers_[static_cast<std::size_t>(printerIndex_)];
    return true;
}

std::optional<PageSelection> ReportsController::CheckPages() {
    std::optional<PageSelection> pages = parsePageSelection(pages_);
    if (!pages) {
        show(msg::kPagesInvalid, miCriticalError);
        if (focusControl) focusControl("txtPages");
    }
    return pages;
}

bool ReportsController::prepareChosenPrinter(QPrinter& printer) {
    if (!clsDefaultPrinter().SetPrinterAsDefault(chosenPrinter())) {
        show(msg::kDefaultPrinterFailed, miCriticalError);
        return false;
    }
    if (!openQueue(printer, chosenPrinter())) {
        WriteErrorLog(kModule, "CheckPrinter", kPrinterError,
                      "Qt does not reach the printer \"" + chosenPrinter() + "\"");
        show(msg::kPrinterNotReady, miCriticalError);
        return false;
    }
    setPaperA4(printer);
    return true;
}

bool ReportsController::run(const PageSelection& records, QPrinter* printer, bool preview) {
    ReportPrinter routine(mainGrid_);
    routine.copies = std::max(0, copiesNumber());
    routine.library = library;
    previewPrinted_ = false;
    if (preview)
        routine.preview = [this](frmReportData& report) {
            const bool goOn = showPreview ? showPreview(report) : true;
            return goOn && !previewPrinted_;
        };
    bool complete = false;
    if (printer) {
        PrintJob job(*printer);
        job.printer().setDocName(QString::fromStdString(jobTitle));
        complete = routine.printTaxationRegistrationReport(records, &job);
    } else {
        complete = routine.printTaxationRegistrationReport(records, nullptr);
    }
    reportsBuilt_ = routine.reportsBuilt();
    return complete;
}

void ReportsController::cmdPreview_Click() {
    try {
        if (!CheckPrinter()) return;
        const std::optional<PageSelection> records = CheckPages();
        if (!records) return;
        if (!clsDefaultPrinter().SetPrinterAsDefault(chosenPrinter())) {
            show(msg::kDefaultPrinterFailed, miCriticalError);
            return;
        }
        run(*records, nullptr, true);
        unloaded_ = true;
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "cmdPreview_Click", e);
    }
}

void ReportsController::cmdPrint_Click() {
    try {
        if (!CheckPrinter()) return;
        const std::optional<PageSelection> records = CheckPages();
        if (!records) return;
        QPrinter printer(QPrinter::HighResolution);
        if (!prepareChosenPrinter(printer)) return;
        if (!IsPrinterReady(chosenPrinter())) {
            show(msg::kPrinterNotReady, miCriticalError);
            return;
        }
        run(*records, &printer, false);
        unloaded_ = true;
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "cmdPrint_Click", e);
    }
}

bool ReportsController::printFromPreview(frmReportData& report) {
    try {
        QPrinter printer(QPrinter::HighResolution);
        if (!prepareChosenPrinter(printer)) return false;
        if (!IsPrinterReady(chosenPrinter())) {
            show(msg::kPrinterNotReady, miCriticalError);
            return false;
        }
        PrintJob job(printer);
        printer.setDocName(QString::fromStdString(jobTitle));
        report.SetPrintedPages(allPages());
        const int copies = std::max(0, copiesNumber());
        for (int copy = 0; copy < copies && !report.printerFailed(); ++copy) report.PrintTax(job);
        if (job.started() && !job.end()) show(msg::kPrinterNotReady, miCriticalError);
        previewPrinted_ = true;
        unloaded_ = true;
        return true;
    } catch (const std::exception& e) {
        WriteErrorLog("frmPreview", "cmdPrint_Click", e);
        return false;
    }
}

bool ReportsController::cmdSavePdf_Click(const std::string& path) {
    namespace fs = std::filesystem;
    const std::string part = path + ".part";
    std::error_code ec;
    try {
        if (!CheckPrinter()) return false;
        const std::optional<PageSelection> records = CheckPages();
        if (!records) return false;
        // The file's folder and the right to write there, before any report is built.
        const fs::path folder = fs::path(path).parent_path();
        if (folder.empty() || !fs::is_directory(folder, ec)) {
            WriteErrorLog(kModule, "cmdSavePdf_Click", err::kPathNotFound, "No folder for " + path);
            show(msg::kInvalidPath, miCriticalError);
            return false;
        }
        if (!std::ofstream(part, std::ios::binary)) {
            WriteErrorLog(kModule, "cmdSavePdf_Click", err::kPermissionDenied, "Cannot write " + part);
            show(msg::kCannotWrite, miCriticalError);
            return false;
        }
        bool complete = false;
        {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(part));
            setPaperA4(printer);
            complete = run(*records, &printer, false);
        }
        if (!complete || !fs::is_regular_file(part, ec) || fs::file_size(part, ec) == 0) {
            fs::remove(part, ec);
            WriteErrorLog(kModule, "cmdSavePdf_Click", kPrinterError, "No PDF was written to " + path);
            return false;
        }
        fs::rename(part, path, ec);
        if (ec) {
            fs::remove(part, ec);
            WriteErrorLog(kModule, "cmdSavePdf_Click", err::kPermissionDenied, "Cannot replace " + path);
            show(msg::kCannotWrite, miCriticalError);
            return false;
        }
        return true;
    } catch (const std::exception& e) {
        fs::remove(part, ec);
        WriteErrorLog(kModule, "cmdSavePdf_Click", e);
        return false;
    }
}

}  // namespace zevo::printing
