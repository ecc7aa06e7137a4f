#include "ReportClasses.h"

#include <exception>

#include "Catalogue.h"
#include "zevo/ErrorLog.h"
#include "zevo/RuntimeError.h"
#include "zevo/clsVariables.h"
#include "zevo/rules/ExportName.h"
#include "zevo/rules/mdlFuntions.h"

namespace zevo::rules {

namespace {

constexpr int kFirstReportRow = 36;
constexpr const char* kExportLogClass = "clsZEVOExportReport";

// Counts the rows with a value in G from row 36 down to the row above the "aaa"
// marker (or the sheet's last row) and writes the count into N_31. `eachRow` runs
// first for every row visited.
template <class EachRow>
void countListedRows(grid::Spread& g, EachRow eachRow) {
    const int colA = g.colNumber("A"), colG = g.colNumber("G");
    int count = 0;
    for (int i = 0;; ++i) {
        const int row = kFirstReportRow + i;
        if (row > g.maxRows()) break;
        eachRow(row);
        if (!text::trimSpaces(g.textAt(colG, row)).empty()) ++count;
        if (row + 1 > g.maxRows() || g.textAt(colA, row + 1) == "aaa") break;
    }
    // Without an end marker the count still covers every row of the sheet.
    g.setPosition(g.colNumber("N"), 31);
    g.setText(std::to_string(count));
}

}  // namespace

void clsZEVOReport::Process() {
    try {
        if (!grid_) throw RuntimeError(err::kObjectRequired, "Object required: no report grid");
        grid_->setSheet(1);
        grid_->setActiveSheet(1);
        countListedRows(*grid_, [](int) {});
    } catch (const std::exception& e) {
        WriteErrorLog("clsZEVOReport", "Process", e);
    }
}

void clsZEVOSpecialReport::Process() {
    try {
        if (!grid_) throw RuntimeError(err::kObjectRequired, "Object required: no report grid");
        grid::Spread& g = *grid_;
        g.setSheet(1);
        g.setActiveSheet(1);
        // Exported workbooks are .xlsx files.
        g.setPosition(g.colNumber("L"), 27);
        g.setText(getPrefixExportName("clsZEVOSpecialReport") + ".xlsx");
        const xml::DocumentPtr sex = getXMLSex();
        const int colN = g.colNumber("N");
        countListedRows(g, [&](int row) {
            const std::string code = g.textAt(colN, row);
            g.setPosition(colN, row);
            g.setText(GetAttributeValue(getNodeById(1, code, sex), "value"));
        });
    } catch (const std::exception& e) {
        WriteErrorLog("clsZEVOSpecialReport", "Process", e);
    }
}

xml::Node clsZEVOSpecialReport::getNodeById(std::int16_t level, const std::string& ID,
                                            const xml::DocumentPtr& domData) {
    try {
        return catalogue::findById(domData, level, ID);
    } catch (const std::exception& e) {
        WriteErrorLog(kExportLogClass, "getNodeById", e);
        return {};
    }
}

xml::DocumentPtr clsZEVOSpecialReport::getXMLSex() {
    if (sex_) return sex_;
    try {
        sex_ = xml::Document::create();
        catalogue::loadInto(sex_, catalogue::kSexFile);
    } catch (const std::exception& e) {
        WriteErrorLog(kExportLogClass, "getXMLSex", e);
    }
    return sex_;
}

}  // namespace zevo::rules
