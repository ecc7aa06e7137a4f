// The print dialog's controller on a machine without printers: the records the
// pages box selects, the copies box, the PDF written through the printing routine
// (text checked with pdftotext), the session put back afterwards, the preview run
// record by record, and the headless --print-pdf command.
#include <gtest/gtest.h>

#include <cstdlib>

#include "PrintTestSupport.h"
#include "zevo/printing/PrintPdfCommand.h"
#include "zevo/printing/ReportPrinter.h"
#include "zevo/printing/ReportsController.h"
#include "zevo/printing/frmReportData.h"

namespace zevo::printing::test {
namespace {

// No CUPS server answers in this test program: the machine has no printer.
const bool kNoPrinters = [] {
    ::setenv("CUPS_SERVER", "/nonexistent/zevo-no-cups.sock", 1);
    return true;
}();

using Ids = std::vector<std::string>;

class PrintDialogTest : public PrintTest {
protected:
    // Saves a PDF with the pages box as given; the file, or "" when none was written.
    fs::path savePdf(const std::string& pages, const std::string& copies = "1") {
        ReportsController dialog(grid());
        dialog.Form_Load();
        EXPECT_EQ(dialog.txtPages_Change(pages), pages);
        dialog.txtNumberOfCopies_Change(copies);
        const fs::path pdf = output("reports-" + std::to_string(++saved_) + ".pdf");
        return dialog.cmdSavePdf_Click(pdf.string()) ? pdf : fs::path();
    }
    // Which of the individuals each page of the PDF shows, in page order.
    std::vector<int> individualsOnPages(const fs::path& pdf) {
        std::vector<int> found;
        for (int page = 1; page <= pdfPages(pdf); ++page) {
            const std::string text = pdfText(pdf, page);
            int who = 0;
            for (std::size_t i = 0; i < individualNames().size(); ++i)
                if (text.find(individualNames()[i]) != std::string::npos) who = static_cast<int>(i) + 1;
            found.push_back(who);
        }
        return found;
    }
    int saved_ = 0;
};

TEST_F(PrintDialogTest, PagesBoxChoosesTheRecords) {
    openWithIndividuals(4);
    if (HasFatalFailure()) return;
    ASSERT_EQ(ReportPrinter::recordCount(), 4);

    EXPECT_EQ(individualsOnPages(savePdf("")), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(individualsOnPages(savePdf("2-2")), (std::vector<int>{2}));
    EXPECT_EQ(individualsOnPages(savePdf("1,3-4")), (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(individualsOnPages(savePdf("2", "2")), (std::vector<int>{2, 2}));
    EXPECT_TRUE(presenter_->shown().empty());

    for (const char* wrong : {"3-1", "0", "1--2", "1,,2", "-3"}) {
        presenter_->clear();
        EXPECT_TRUE(savePdf(wrong).empty()) << wrong;
        EXPECT_EQ(presenter_->shownIds(), Ids{"0040"}) << wrong;
    }
    // A folder that does not exist, or one without the right to write.
    presenter_->clear();
    ReportsController dialog(grid());
    EXPECT_FALSE(dialog.cmdSavePdf_Click((tree_->root() / "missing" / "x.pdf").string()));
    EXPECT_EQ(presenter_->shownIds(), Ids{"0025"});
    EXPECT_FALSE(dialog.cmdSavePdf_Click((tree_->root() / "Bin" / "Menu.xml" / "x.pdf").string()));
    EXPECT_EQ(presenter_->shownIds(), (Ids{"0025", "0025"}));
    const fs::path existing = output("existing.pdf");
    fs::create_directory(existing.string() + ".part");   // stands where the new file is written
    writeFile(existing, "old");
    EXPECT_FALSE(dialog.cmdSavePdf_Click(existing.string()));
    EXPECT_EQ(presenter_->shownIds().back(), "0021");
    EXPECT_EQ(readFile(existing), "old") << "the old file is kept";
    fs::remove(existing.string() + ".part");

    // A copies box with 0 prints nothing: no file is left behind.
    presenter_->clear();
    EXPECT_TRUE(savePdf("", "0").empty());
    EXPECT_TRUE(presenter_->shown().empty());
    for (const auto& entry : fs::directory_iterator(tree_->root()))
        EXPECT_EQ(entry.path().extension() == ".part", false) << entry.path();
}

TEST_F(PrintDialogTest, ReportsCarryTheDeclarationAndEachIndividual) {
    openWithIndividuals(3);
    if (HasFatalFailure()) return;
    const xml::DocumentPtr declaration = clsVariables().Data(0);
    const xml::Node menu = clsVariables().NodeMenu();
    const xml::Node validity = clsVariables().NodeValidity();

    const fs::path pdf = savePdf("");
    ASSERT_FALSE(pdf.empty()) << errorLog();
    EXPECT_EQ(pdfPages(pdf), 3);
    for (int page = 1; page <= 3; ++page) {
        const std::string text = pdfText(pdf, page);
        EXPECT_NE(text.find(individualNames()[page - 1]), std::string::npos) << text;
        EXPECT_NE(text.find("TỜ KHAI ĐĂNG KÝ THUẾ"), std::string::npos);
        // The organisation comes from the declaration, the sequence number and
        // the sex from the individual's row of the grid.
        EXPECT_NE(text.find("Công ty TNHH Ánh Dương"), std::string::npos);
        EXPECT_NE(text.find("1234567893"), std::string::npos);
        EXPECT_NE(text.find(grid().textOf(1, col("Q"), 37 + page)), std::string::npos);
    }
    // The session is the declaration's again.
    EXPECT_EQ(clsVariables().Data(0), declaration);
    EXPECT_EQ(clsVariables().NodeMenu(), menu);
    EXPECT_EQ(clsVariables().NodeValidity(), validity);
    EXPECT_EQ(errorLog(), "");
}

TEST_F(PrintDialogTest, BoxesFilterKeysAndUndoWrongChanges) {
    open();
    if (HasFatalFailure()) return;
    ReportsController dialog(grid());
    dialog.Form_Load();
    EXPECT_TRUE(dialog.printers().empty());
    EXPECT_FALSE(dialog.previewEnabled());
    EXPECT_FALSE(dialog.printEnabled());
    EXPECT_EQ(dialog.copiesText(), "1");

    EXPECT_TRUE(dialog.txtNumberOfCopies_KeyPress('7'));
    EXPECT_TRUE(dialog.txtNumberOfCopies_KeyPress(kBackspace));
    EXPECT_FALSE(dialog.txtNumberOfCopies_KeyPress('-'));
    EXPECT_FALSE(dialog.txtNumberOfCopies_KeyPress('a'));
    EXPECT_TRUE(dialog.txtPages_KeyPress(','));
    EXPECT_TRUE(dialog.txtPages_KeyPress('-'));
    EXPECT_FALSE(dialog.txtPages_KeyPress(' '));
    EXPECT_FALSE(dialog.txtPages_KeyPress(';'));

    EXPECT_EQ(dialog.txtNumberOfCopies_Change("12"), "12");
    EXPECT_EQ(dialog.txtNumberOfCopies_Change("1x"), "12");   // pasted text is undone
    EXPECT_EQ(dialog.txtPages_Change("1,3-4"), "1,3-4");
    EXPECT_EQ(dialog.txtPages_Change("1;3"), "1,3-4");

    // An empty copies box is not a number: "0033" and the focus goes back to it.
    std::string focused;
    dialog.focusControl = [&](const std::string& control) { focused = control; };
    EXPECT_EQ(dialog.txtNumberOfCopies_Change(""), "");
    EXPECT_FALSE(dialog.CheckPrinter());
    EXPECT_EQ(presenter_->shownIds(), Ids{"0033"});
    EXPECT_EQ(focused, "txtNumberOfCopies");
    dialog.txtNumberOfCopies_Change("1");
    EXPECT_TRUE(dialog.CheckPrinter());
    dialog.txtPages_Change("3-1");
    EXPECT_FALSE(dialog.CheckPages());
    EXPECT_EQ(focused, "txtPages");
}

TEST_F(PrintDialogTest, PreviewShowsTheSelectedRecordsOneAfterAnother) {
    openWithIndividuals(3);
    if (HasFatalFailure()) return;
    ReportPrinter routine(grid());
    std::vector<std::string> shown;
    routine.preview = [&](frmReportData& report) {
        report.fpsReport().setSheet(1);
        shown.push_back(report.fpsReport().textAt(col("E"), 8));
        return true;
    };
    EXPECT_TRUE(routine.printTaxationRegistrationReport({"1", "3"}, nullptr));
    EXPECT_EQ(shown, (std::vector<std::string>{individualNames()[0], individualNames()[2]}));

    // Stopping in the preview ends the run.
    shown.clear();
    routine.preview = [&](frmReportData& report) {
        shown.push_back("x");
        return false;
    };
    EXPECT_FALSE(routine.printTaxationRegistrationReport(allPages(), nullptr));
    EXPECT_EQ(shown.size(), 1u);
}

TEST_F(PrintDialogTest, CommandLineWritesTheSavedDeclarationsReports) {
    openWithIndividuals(3);
    if (HasFatalFailure()) return;
    controller_->cmdSave_Click();
    ASSERT_EQ(presenter_->shownIds(), Ids{"0002"}) << errorLog();
    PrintPdfRequest request;
    request.lockPath = (tree_->root() / "zevo.lock").string();
    request.file = output("command.pdf").string();

    // The open window holds the lock: the command refuses.
    EXPECT_EQ(printPdfCommand(request), 1);
    controller_.reset();
    clsVariables::resetSession();

    presenter_->clear();
    EXPECT_EQ(printPdfCommand(request), 0) << errorLog();
    EXPECT_EQ(pdfPages(request.file), 3);
    EXPECT_NE(pdfText(request.file).find(individualNames()[2]), std::string::npos);

    request.pages = "2, 3";
    EXPECT_EQ(printPdfCommand(request), 0);
    EXPECT_EQ(pdfPages(request.file), 2);
    request.pages = "3-1";
    EXPECT_EQ(printPdfCommand(request), 2);
    EXPECT_EQ(presenter_->shownIds(), Ids{"0040"});
    EXPECT_EQ(pdfPages(request.file), 2) << "the file written before is kept";
}

TEST_F(PrintDialogTest, CommandLineChecksTheDeclarationFirst) {
    openWithIndividuals(1);
    if (HasFatalFailure()) return;
    grid().userEdit(col("K"), 9, "");   // the organisation's tax code is required
    presenter_->push(mrYes);             // save anyway
    controller_->cmdSave_Click();
    controller_.reset();
    clsVariables::resetSession();
    presenter_->clear();

    PrintPdfRequest request;
    request.lockPath = (tree_->root() / "zevo.lock").string();
    request.file = output("checked.pdf").string();
    EXPECT_EQ(printPdfCommand(request), 1);
    EXPECT_EQ(presenter_->shownIds(), Ids{"0005"});
    EXPECT_FALSE(fs::exists(request.file));

    request.noCheck = true;
    EXPECT_EQ(printPdfCommand(request), 0);
    EXPECT_EQ(pdfPages(request.file), 1);
}

}  // namespace
}  // namespace zevo::printing::test
