#include <gtest/gtest.h>

#include "RulesTestSupport.h"
#include "zevo/rules/BusinessLibrary.h"
#include "zevo/rules/ExportName.h"

namespace zevo::rules::test {
namespace {

class ReportTest : public RulesSession {
protected:
    void setDeclaration(const std::string& taxCode, const std::string& office,
                        const std::string& number) {
        auto doc = clsVariables().Data(0);
        doc->elementById("K_9").setAttribute("Value", taxCode);
        doc->elementById("O_15").setAttribute("Value", office);
        doc->elementById("L_17").setAttribute("Value", number);
    }
    // A report sheet: listed rows from 36, "aaa" in A below the last one (or none).
    void buildReport(const std::vector<std::pair<std::string, std::string>>& rows, bool marker = true) {
        report_.reset(2);
        report_.setSheet(1);
        report_.setMaxRows(40 + static_cast<int>(rows.size()));
        report_.setMaxCols(20);
        int r = 36;
        for (const auto& [g, n] : rows) {
            report_.setTextAt(col("G"), r, g);
            report_.setTextAt(col("N"), r, n);
            ++r;
        }
        if (marker) report_.setTextAt(col("A"), r, "aaa");
        else report_.setMaxRows(r - 1);
        report_.setSheet(2);
    }
    std::unique_ptr<ReportObject> makeReport(const char* name) {
        return std::unique_ptr<ReportObject>(
            static_cast<ReportObject*>(static_cast<ComObject*>(::CreateObject(name))));
    }
    std::string reportText(const char* column, int row) {
        report_.setSheet(1);
        return report_.textAt(col(column), row);
    }
    grid::SpreadModel report_;
};

TEST_F(ReportTest, ExportNamePrefix) {
    setDeclaration("010-123-4567", "10103", "2");
    EXPECT_EQ(getPrefixExportName(), "HNI-0101234567000-002");
    setDeclaration("0101234567-001", "10301", "");
    EXPECT_EQ(getPrefixExportName(), "HPH-0101234567001-001");
    setDeclaration("0101234567", "10301", " 0 ");
    EXPECT_EQ(getPrefixExportName(), "HPH-0101234567000-001");
    setDeclaration("0101234567", "10301", "7");
    EXPECT_EQ(getPrefixExportName(), "HPH-0101234567000-007");
    setDeclaration("0101234567", "10301", "1234");
    EXPECT_EQ(getPrefixExportName(), "HPH-0101234567000-1234");
    // Department ids are no offices.
    setDeclaration("0101234567", "101", "1");
    EXPECT_EQ(getPrefixExportName(), "-0101234567000-001");
    EXPECT_EQ(logEntries(), 0);
}

TEST_F(ReportTest, ExportNameWithoutCatalogueOrSession) {
    setDeclaration("0101234567", "10103", "3");
    useCatalogueFolder(logDir_.string() + "/none/");
    EXPECT_EQ(getPrefixExportName(), "-0101234567000-003");
    EXPECT_EQ(logEntries(), 1);
    clsVariables::resetSession();
    EXPECT_EQ(getPrefixExportName(), "");
    EXPECT_EQ(logEntries(), 2);
    EXPECT_NE(logText().find("clsZEVOSpecialReport"), std::string::npos);
}

TEST_F(ReportTest, ReportCountsListedIndividuals) {
    buildReport({{"A", "1"}, {" ", "2"}, {"C", "1"}});
    auto report = makeReport("ZEVO_Business.clsZEVOReport");
    ASSERT_TRUE(report);
    report->fpsGrid(&report_);
    report->Process();
    EXPECT_EQ(report_.activeSheet(), 1);
    EXPECT_EQ(reportText("N", 31), "2");
    EXPECT_EQ(reportText("N", 36), "1");   // codes stay in the plain report
}

TEST_F(ReportTest, ReportWithoutMarkerStopsAtTheLastRow) {
    buildReport({{"A", ""}, {"B", ""}}, false);
    auto report = makeReport("clsZEVOReport");
    report->fpsGrid(&report_);
    report->Process();
    EXPECT_EQ(reportText("N", 31), "2");
    EXPECT_EQ(logEntries(), 0);
}

TEST_F(ReportTest, SpecialReportNamesTheFileAndSexes) {
    setDeclaration("0101234567", "10101", "");
    buildReport({{"A", "1"}, {"B", "9"}, {"", "2"}});
    auto report = makeReport("ZEVO_Business.clsZEVOSpecialReport");
    ASSERT_TRUE(report);
    report->fpsGrid(&report_);
    report->Process();
    EXPECT_EQ(reportText("L", 27), "HNI-0101234567000-001.xlsx");
    EXPECT_EQ(reportText("N", 36), "Nam");
    EXPECT_EQ(reportText("N", 37), "");
    EXPECT_EQ(reportText("N", 38), "Nữ");
    EXPECT_EQ(reportText("N", 31), "2");
}

TEST_F(ReportTest, ReportWithoutGridIsLogged) {
    auto report = makeReport("clsZEVOReport");
    report->Process();
    EXPECT_EQ(logEntries(), 1);
}

}  // namespace
}  // namespace zevo::rules::test
