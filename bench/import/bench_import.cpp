// Imports a payroll of 5,000 individuals (by default) into a blank declaration, from
// an .xlsx and from a CSV, each time into a fresh declaration: reading the file,
// the import itself (checks, one-step append, every value typed through the
// grid, the completion checks) and the save. Prints seconds.
//
//   bench_import [individuals]
#include <QCoreApplication>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "TempInstallTree.h"
#include "zevo/ScriptedMessagePresenter.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"
#include "zevo/engine/ListImport.h"
#include "zevo/engine/MainController.h"
#include "zevo/testing/PayrollFile.h"
#include "zevo/testing/TestFiles.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

int run(const std::string& label, const std::string& file, int count) {
    zevo::clsVariables::resetSession();
    zevo::ui::tools::TempInstallTree tree(ZEVO_DIST_DIR, ZEVO_BUSINESS_DIR, "zevo-bench-import-" + label);
    zevo::engine::MainController controller;
    controller.setInstanceLockPath((tree.root() / "zevo.lock").string());
    if (controller.Form_Load() != zevo::engine::StartResult::Ready) {
        std::fprintf(stderr, "the declaration did not open\n");
        return 1;
    }
    const std::clock_t cpu = std::clock();
    auto start = Clock::now();
    const zevo::engine::SourceTable table = zevo::engine::readSourceTable(file);
    const double read = secondsSince(start);
    start = Clock::now();
    const zevo::engine::ImportReport report = zevo::engine::importList(
        controller, table, zevo::engine::guessMapping(table.rows[static_cast<std::size_t>(table.headerRow)]));
    const double imported = secondsSince(start);
    start = Clock::now();
    const bool saved = controller.UpdateData(true);
    const double save = secondsSince(start);
    const double cpuSeconds = static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
    std::printf("%-5s %6d rows: read %.2f s, import %.2f s, save %.2f s, total %.2f s (CPU %.2f s; %d imported, %d left out%s)\n",
                label.c_str(), count, read, imported, save, read + imported + save, cpuSeconds, report.imported,
                report.leftOut, saved ? "" : ", NOT SAVED");
    return report.imported == count ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 5000;
    if (!zevo::ui::tools::TempInstallTree::staged(ZEVO_DIST_DIR)) {
        std::fprintf(stderr, "no installation tree in %s (run cmake --install first)\n", ZEVO_DIST_DIR);
        return 1;
    }
    zevo::clsMessageBox::setPresenter(std::make_shared<zevo::ScriptedMessagePresenter>());
    const auto rows = zevo::testing::makePayroll(count, false);
    const std::string dir = std::filesystem::temp_directory_path().string();
    const std::string xlsx = dir + "/zevo-bench-payroll.xlsx", csv = dir + "/zevo-bench-payroll.csv";
    zevo::testing::writePayrollXlsx(rows, xlsx);
    zevo::testing::writeFile(csv, zevo::testing::payrollCsv(rows));
    int status = run("xlsx", xlsx, count);
    status |= run("csv", csv, count);
    std::filesystem::remove(xlsx);
    std::filesystem::remove(csv);
    return status;
}
