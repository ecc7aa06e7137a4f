// Screenshots of the list import: the dialog with a 500-row payroll file read and
// its guessed mapping, the dialog after the import with its report, and the main
// window showing the imported list. Runs offscreen (or under Xvfb) on a private
// copy of the installation tree.
//
//   zevo_import_shots <dist folder> <rules library folder> <output folder>
#include <QApplication>
#include <QPixmap>

#include <cstdio>
#include <filesystem>

#include "SpreadView.h"
#include "ToolWindow.h"
#include "frmImportList.h"
#include "mainForm.h"
#include "zevo/ScriptedMessagePresenter.h"
#include "zevo/engine/MainController.h"
#include "zevo/testing/PayrollFile.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <dist folder> <rules library folder> <output folder>\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    const std::filesystem::path out = argv[3];
    std::filesystem::create_directories(out);
    zevo::ui::tools::ToolWindow tool(argv[1], argv[2], "zevo-import-shots");
    if (!tool.start()) return 1;
    auto& controller = tool.controller;
    auto& window = tool.window;
    const auto& tree = tool.tree;
    window.resize(1280, 800);
    window.show();

    const auto payroll = tree.root() / "Bảng lương tháng 12.xlsx";
    zevo::testing::writePayrollXlsx(zevo::testing::makePayroll(500, true), payroll.string());
    zevo::ui::frmImportList dialog(controller, &window);
    dialog.show();
    bool ok = dialog.openFile(QString::fromStdString(payroll.string()));
    ok = zevo::ui::tools::saveShot(dialog, out / "import-dialog-mapping.png") && ok;
    ok = dialog.importNow() && ok;
    ok = zevo::ui::tools::saveShot(dialog, out / "import-dialog-report.png") && ok;
    dialog.hide();
    window.spreadView()->refresh(true);
    ok = zevo::ui::tools::saveShot(window, out / "main-window-after-import.png") && ok;
    controller.ResetAdjustData();
    return ok ? 0 : 1;
}
