// Takes the review screenshots of the main window: a fresh declaration, and one
// with three individuals and one marked cell; then the print dialog, the preview
// of the first individual's report and the PDF of the three reports. Runs offscreen on a private copy of
// the installation tree and grabs the window into PNG files.
//
//   zevo_screenshot <dist folder> <rules library folder> <output folder>
#include <QApplication>
#include <QPixmap>

#include <cstdio>
#include <filesystem>
#include <string>

#include "SpreadView.h"
#include "ToolWindow.h"
#include "frmPreview.h"
#include "frmReports.h"
#include "mainForm.h"
#include "zevo/printing/ReportPrinter.h"
#include "zevo/printing/frmReportData.h"
#include "zevo/ScriptedMessagePresenter.h"
#include "zevo/clsVariables.h"
#include "zevo/engine/MainController.h"
#include "zevo/grid/ColumnLetters.h"

namespace {

using zevo::grid::columnNumber;

std::string listItem(zevo::grid::SpreadModel& grid, const char* column, int row, int index) {
    grid.setPosition(1, columnNumber(column), row);
    const std::string list = grid.comboList();
    std::size_t start = 0;
    for (int i = 0; i < index; ++i) start = list.find('\t', start) + 1;
    return list.substr(start, list.find('\t', start) - start);
}

void pick(zevo::grid::SpreadModel& grid, const char* column, int row, int index = 0) {
    grid.userEdit(columnNumber(column), row, listItem(grid, column, row, index));
}

void fillIndividual(zevo::grid::SpreadModel& grid, int row, const std::string& name,
                    const std::string& identity) {
    grid.userEdit(columnNumber("K"), row, name);
    grid.userEdit(columnNumber("N"), row, "01/02/1985");
    pick(grid, "Q", row);
    pick(grid, "S", row);
    grid.userEdit(columnNumber("T"), row, identity);
    grid.userEdit(columnNumber("Z"), row, "12 Phố Huế");
    pick(grid, "AB", row);
    pick(grid, "AD", row);
    pick(grid, "AF", row);
    pick(grid, "AH", row);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <dist folder> <rules library folder> <output folder>\n",
                     argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    const std::filesystem::path out = argv[3];
    std::filesystem::create_directories(out);
    zevo::ui::tools::ToolWindow tool(argv[1], argv[2], "zevo-screenshot");
    if (!tool.start()) return 1;
    auto& controller = tool.controller;
    auto& window = tool.window;
    window.resize(1280, 800);
    window.show();
    window.focusGrid();
    bool ok = zevo::ui::tools::saveShot(window, out / "fresh-declaration.png");

    auto& grid = controller.grid();
    grid.userShowSheet(1);
    grid.userEdit(columnNumber("K"), 7, "Công ty TNHH Ánh Dương");
    grid.userEdit(columnNumber("K"), 9, "1234567893");
    pick(grid, "L", 13);
    pick(grid, "L", 15, 1);
    fillIndividual(grid, 38, "Nguyễn Văn An", "012345678");
    grid.userMoveTo(columnNumber("K"), 38);
    grid.userKeyUp(zevo::grid::keys::kF5, 0);
    fillIndividual(grid, 39, "Trần Thị Bình", "087654321");
    grid.userMoveTo(columnNumber("K"), 39);
    grid.userKeyUp(zevo::grid::keys::kF5, 0);
    fillIndividual(grid, 40, "Lê Văn Cường", "034567890");
    // Leave the tax code of the organisation empty so that saving marks it.
    grid.userEdit(columnNumber("K"), 9, "");
    controller.cmdSave_Click();   // answers "No" to saving an invalid declaration
    window.resize(1280, 1000);
    window.spreadView()->refresh(true);
    ok = zevo::ui::tools::saveShot(window, out / "three-individuals-marked.png") && ok;

    // Printing: the print dialog, the preview of the first report and the PDF of all
    // three (the tax code typed again, so the reports carry it).
    grid.userEdit(columnNumber("K"), 9, "1234567893");
    zevo::printing::frmReports dialog(grid, &window);
    dialog.show();
    ok = zevo::ui::tools::saveShot(dialog, out / "print-dialog.png") && ok;
    zevo::printing::ReportPrinter routine(grid);
    routine.preview = [&](zevo::printing::frmReportData& report) {
        zevo::printing::frmPreview preview(report, dialog.controller(), &dialog);
        preview.resize(900, 1000);
        preview.show();
        ok = zevo::ui::tools::saveShot(preview, out / "print-preview.png") && ok;
        return false;
    };
    routine.printTaxationRegistrationReport(zevo::printing::allPages(), nullptr);
    const std::filesystem::path pdf = out / "reports.pdf";
    ok = dialog.controller().cmdSavePdf_Click(pdf.string()) && ok;
    std::printf("%s %s\n", ok ? "wrote" : "could not write", pdf.c_str());
    return ok ? 0 : 1;
}
