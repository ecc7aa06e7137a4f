// The report builder and the preview on a report workbook made in the test: the
// sheet set-up, sheets not in use, page numbering across sheets, the session
// counters a print counts, a printer that fails, and the preview's page steps.
#include <gtest/gtest.h>

#include <QPrinter>

#include <unistd.h>

#include "PrintTestSupport.h"
#include "zevo/documents/SessionFile.h"
#include "zevo/printing/PreviewController.h"
#include "zevo/printing/PrintJob.h"
#include "zevo/printing/frmReportData.h"

namespace zevo::printing::test {
namespace {

using Ids = std::vector<std::string>;
using documents::readSessionText;
using documents::sessionCounters;

class ReportBuildTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        clsVariables::resetSession();
        dir_ = fs::temp_directory_path() /
               ("zevo-report-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        setErrorLogFolderOverride(dir_.string());
        presenter_ = std::make_shared<ScriptedMessagePresenter>();
        clsMessageBox::setPresenter(presenter_);
        writeWorkbook();
    }
    void TearDown() override {
        clsMessageBox::setPresenter(nullptr);
        setErrorLogFolderOverride("");
        clsVariables::resetSession();
        sessionCounters() = {};
        fs::remove_all(dir_);
    }

    // Sheets "A" (one page), "B" (two pages), "C", and the hidden last sheet; each
    // closes with an empty formatted cell beyond its form, as the templates do.
    void writeWorkbook() {
        grid::WorkbookData book;
        grid::StyleData boxed;
        boxed.border = true;
        book.styles = {grid::StyleData{}, boxed};
        auto sheet = [&](const std::string& name, int rows) {
            grid::SheetData s;
            s.name = name;
            s.maxCol = 4;
            s.maxRow = rows + 1;
            for (int r = 1; r <= rows; ++r) {
                grid::CellData c;
                c.col = 1;
                c.row = r;
                c.type = grid::CellValueType::String;
                c.text = name + " dòng " + std::to_string(r);
                s.cells.push_back(c);
            }
            grid::CellData value;   // where the sheet document's value goes
            value.col = 2;
            value.row = 2;
            value.style = 1;
            s.cells.push_back(value);
            grid::CellData closing;
            closing.col = 4;
            closing.row = rows + 1;
            closing.style = 1;
            s.cells.push_back(closing);
            s.colWidthsPx = {{1, 200}, {2, 200}, {3, 100}};
            return s;
        };
        book.sheets = {sheet("A", 5), sheet("B", 80), sheet("C", 5), sheet("Header", 2)};
        grid::SpreadModel model;
        model.fromWorkbookData(book);
        model.exportWorkbook((dir_ / "report.xlsx").string());
    }

    // The declaration "D" and its report entry "R" with the sheets' Active flags.
    void useSession(const std::string& activeA, const std::string& activeB, const std::string& activeC) {
        menu_ = xml::Document::fromString(
            "<Root><Menu ID=\"D\" Year=\"0\" Month=\"0\" ThreeMonth=\"0\" Day=\"0\"/>"
            "<Menu ID=\"R\" Year=\"0\" Month=\"0\" ThreeMonth=\"0\" Day=\"0\">"
            "<Validity ReportTemplate=\"" + (dir_ / "report.xlsx").string() + "\" Class2=\"\">"
            "<Sheet Caption=\"A\" Active=\"" + activeA + "\"/><Sheet Caption=\"B\" Active=\"" + activeB +
            "\"/><Sheet Caption=\"C\" Active=\"" + activeC + "\"/></Validity></Menu></Root>");
        const std::vector<xml::Node> entries = menu_->documentElement().childElements();
        clsVariables vars;
        vars.DataFolder(dir_.string() + "/");
        vars.NodeMenu(entries[0]);
        ASSERT_TRUE(documents::LoadSessionValueFromFile(vars.DataFolder() + "Session.dat"));
        vars.NodeMenu(entries[1]);
        vars.NodeValidity(entries[1].firstChildElement());
        vars.xmlDataReDim(2);
        for (int i = 0; i < 3; ++i)
            vars.Data(i, xml::Document::fromString(
                             std::string(kDocumentHead) +
                                 "<Sections><Section><Cells><Cell CellID=\"A_1\" CellID2=\"B_2\" Value=\"Giá trị " +
                                 std::string(1, static_cast<char>('A' + i)) + "\"/></Cells></Section></Sections>",
                             nullptr, xml::Trust::Installed));
        declarationMenu_ = entries[0];
    }

    // Prints the report into a PDF file; its page count.
    int printToPdf(frmReportData& report, const fs::path& pdf) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf.string()));
        PrintJob job(printer);
        report.PrintTax(job);
        job.end();
        return pdfPages(pdf);
    }

    frmReportData::Sources sources() const {
        frmReportData::Sources s;
        s.counterMenu = declarationMenu_;
        return s;
    }

    std::string sessionText() const { return readSessionText((dir_ / "Session.dat").string()); }

    fs::path dir_;
    std::shared_ptr<ScriptedMessagePresenter> presenter_;
    xml::DocumentPtr menu_;
    xml::Node declarationMenu_;
};

TEST_F(ReportBuildTest, SheetsNotInUseNeitherPrintNorPreviewAndPagesRunOn) {
    useSession("1", "1", "0");
    frmReportData report(sources());
    grid::SpreadModel& g = report.fpsReport();
    ASSERT_EQ(g.sheetCount(), 4) << readFile(dir_ / "LogFile.txt");
    g.setSheet(1);
    EXPECT_EQ(g.maxCols(), 3);   // the closing cell is cut off
    EXPECT_EQ(g.maxRows(), 5);
    EXPECT_DOUBLE_EQ(g.printMargins().left, 180.0 / 1440);
    EXPECT_DOUBLE_EQ(g.printMargins().top, 1080.0 / 1440);
    EXPECT_DOUBLE_EQ(g.printMargins().bottom, 720.0 / 1440);
    EXPECT_EQ(g.textAt(2, 2), "Giá trị A");
    EXPECT_FALSE(g.sheetVisibleOf(3));
    EXPECT_TRUE(report.sheetPrintable(1));
    EXPECT_TRUE(report.sheetPrintable(2));
    EXPECT_FALSE(report.sheetPrintable(3));
    EXPECT_FALSE(report.sheetPrintable(4));

    // Every page of both sheets in use, numbered on across them: page 3 is B's second.
    const fs::path pdf = dir_ / "all.pdf";
    EXPECT_EQ(printToPdf(report, pdf), 3);
    EXPECT_NE(pdfText(pdf, 1).find("A dòng 1"), std::string::npos);
    EXPECT_NE(pdfText(pdf, 2).find("B dòng 1"), std::string::npos);
    EXPECT_NE(pdfText(pdf, 3).find("B dòng 80"), std::string::npos);
    EXPECT_EQ(pdfText(pdf).find("C dòng"), std::string::npos);
    report.SetPrintedPages({"1", "3"});
    EXPECT_EQ(printToPdf(report, dir_ / "some.pdf"), 2);
    EXPECT_NE(pdfText(dir_ / "some.pdf", 2).find("B dòng 80"), std::string::npos);

    PreviewController preview(report);
    EXPECT_EQ(preview.totalPages(), 3);
    EXPECT_EQ(preview.counterText(), "Trang 1 trong 3");
    EXPECT_FALSE(preview.previousEnabled());
    EXPECT_TRUE(preview.nextEnabled());
    preview.cmdPrevious_Click();   // on the first page: nothing
    EXPECT_EQ(preview.currentPage(), 1);
    preview.cmdNext_Click();
    EXPECT_EQ(preview.currentSheet(), 2);
    EXPECT_EQ(preview.sheetPage(), 1);
    EXPECT_TRUE(preview.previousEnabled());
    preview.cmdNext_Click();
    EXPECT_EQ(preview.counterText(), "Trang 3 trong 3");
    EXPECT_FALSE(preview.nextEnabled());
    preview.cmdNext_Click();   // on the last page: nothing
    EXPECT_EQ(preview.currentPage(), 3);
    EXPECT_EQ(preview.currentSheet(), 2);
    EXPECT_EQ(preview.sheetPage(), 2);
    preview.cmdPrevious_Click();
    preview.cmdPrevious_Click();
    EXPECT_EQ(preview.currentSheet(), 1);
    EXPECT_EQ(preview.counterText(), "Trang 1 trong 3");
    EXPECT_EQ(readFile(dir_ / "LogFile.txt"), "");
}

TEST_F(ReportBuildTest, OneSheetOfOnePageHasNoPagesToStepTo) {
    useSession("1", "0", "0");
    frmReportData report(sources());
    PreviewController preview(report);
    EXPECT_EQ(preview.totalPages(), 1);
    EXPECT_EQ(preview.counterText(), "Trang 1 trong 1");
    EXPECT_FALSE(preview.nextEnabled());
    EXPECT_FALSE(preview.previousEnabled());
    preview.cmdNext_Click();
    preview.cmdPrevious_Click();
    EXPECT_EQ(preview.currentPage(), 1);
    EXPECT_EQ(preview.currentSheet(), 1);
}

TEST_F(ReportBuildTest, APrintCountsOnlyAfterAChangeAndStoresTheDeclarationsCounter) {
    useSession("1", "0", "0");
    clsVariables vars;
    EXPECT_EQ(sessionText(), "D::0:0");
    frmReportData report(sources());

    vars.DataChanged(true);
    sessionCounters() = {5, 7};
    printToPdf(report, dir_ / "1.pdf");
    EXPECT_EQ(sessionCounters().first, 6);
    EXPECT_EQ(sessionCounters().second, 8);
    // Stored in the open declaration's record although the report entry is current.
    EXPECT_EQ(sessionText(), "D::0:8");
    EXPECT_FALSE(vars.DataChanged());
    EXPECT_EQ(vars.NodeMenu(), menu_->documentElement().childElements()[1]);

    // Printing again without a change counts nothing.
    printToPdf(report, dir_ / "2.pdf");
    EXPECT_EQ(sessionCounters().second, 8);
    EXPECT_EQ(sessionText(), "D::0:8");

    vars.DataChanged(true);
    sessionCounters() = {1, 999};
    printToPdf(report, dir_ / "3.pdf");
    EXPECT_EQ(sessionCounters().second, 0);
    EXPECT_EQ(sessionText(), "D::0:0");

    // A selection without any page prints nothing: counted in memory, not stored,
    // so the next print counts again.
    vars.DataChanged(true);
    report.SetPrintedPages({"7"});
    printToPdf(report, dir_ / "4.pdf");
    EXPECT_FALSE(report.printed());
    EXPECT_FALSE(fs::exists(dir_ / "4.pdf"));
    EXPECT_EQ(sessionCounters().second, 1);
    EXPECT_EQ(sessionText(), "D::0:0");
    EXPECT_TRUE(vars.DataChanged());
}

TEST_F(ReportBuildTest, MissingReportWorkbookPrintsNothing) {
    useSession("1", "1", "0");
    fs::remove(dir_ / "report.xlsx");
    ReportWorkbook workbook;
    workbook.prepare();
    EXPECT_EQ(workbook.source(), "");
    frmReportData::Sources s = sources();
    s.workbook = &workbook;
    frmReportData report(s);
    EXPECT_FALSE(report.sheetPrintable(1));
    printToPdf(report, dir_ / "none.pdf");
    EXPECT_FALSE(report.printed());
    EXPECT_FALSE(fs::exists(dir_ / "none.pdf"));
    EXPECT_NE(readFile(dir_ / "LogFile.txt").find("No report workbook"), std::string::npos);
    EXPECT_EQ(PreviewController(report).totalPages(), 0);
}

TEST_F(ReportBuildTest, PrinterThatFailsShowsItsMessageAndEndsTheJob) {
    useSession("1", "1", "0");
    frmReportData report(sources());
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString((dir_ / "missing" / "x.pdf").string()));
    PrintJob job(printer);
    report.PrintTax(job);
    EXPECT_TRUE(report.printerFailed());
    EXPECT_FALSE(report.printed());
    EXPECT_FALSE(job.started());
    EXPECT_EQ(presenter_->shownIds(), Ids{"0057"}) << "once, not once per page";
    EXPECT_NE(readFile(dir_ / "LogFile.txt").find("PrintSheet"), std::string::npos);
}

}  // namespace
}  // namespace zevo::printing::test
