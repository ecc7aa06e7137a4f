// Printing a declaration of 1,000 individuals: the PDF of all 1,000 reports (one
// per individual, through the print dialog's "Lưu PDF" path) and the preview of
// the first report up to its painted window. Prints seconds and memory: the
// process's resident size before the run and its peak during it (the peak is
// reset before each run). Goal: under 10 s and under 30 MB for the PDF.
//
//   QT_QPA_PLATFORM=offscreen bench_printing [individuals]
#include <QApplication>
#include <QPixmap>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "TempInstallTree.h"
#include "frmPreview.h"
#include "frmReports.h"
#include "zevo/ErrorLog.h"
#include "zevo/ScriptedMessagePresenter.h"
#include "zevo/engine/MainController.h"
#include "zevo/grid/ColumnLetters.h"
#include "zevo/printing/ReportPrinter.h"
#include "zevo/printing/ReportsController.h"
#include "zevo/printing/frmReportData.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A field of /proc/self/status in MB (VmRSS, VmHWM).
double statusMb(const std::string& field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field + ":", 0) == 0) return std::atof(line.c_str() + field.size() + 1) / 1024.0;
    return 0;
}

// Starts a new peak (VmHWM) from the current resident size.
void resetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

int pdfPages(const std::string& path) {
    std::string out;
    if (FILE* p = ::popen(("pdfinfo '" + path + "' 2>/dev/null").c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
        ::pclose(p);
    }
    const auto at = out.find("Pages:");
    return at == std::string::npos ? -1 : std::atoi(out.c_str() + at + 6);
}

}  // namespace

int main(int argc, char** argv) {
    // No printer is needed for a PDF.
    ::setenv("CUPS_SERVER", "/nonexistent/zevo-bench.sock", 1);
    QApplication app(argc, argv);
    const int individuals = argc > 1 ? std::atoi(argv[1]) : 1000;
    if (!zevo::ui::tools::TempInstallTree::staged(ZEVO_DIST_DIR)) {
        std::fprintf(stderr, "the installation tree is not staged in %s\n", ZEVO_DIST_DIR);
        return 1;
    }
    zevo::ui::tools::TempInstallTree tree(ZEVO_DIST_DIR, ZEVO_BUSINESS_DIR, "zevo-bench-printing");
    zevo::setErrorLogFolderOverride(tree.root().string());
    auto presenter = std::make_shared<zevo::ScriptedMessagePresenter>(std::deque<int>{}, zevo::mrOK);
    zevo::clsMessageBox::setPresenter(presenter);

    zevo::engine::MainController controller;
    controller.setInstanceLockPath((tree.root() / "zevo.lock").string());
    if (controller.Form_Load() != zevo::engine::StartResult::Ready) return 1;
    auto& grid = controller.grid();
    const int name = zevo::grid::columnNumber("K"), identity = zevo::grid::columnNumber("T");
    const auto made = Clock::now();
    grid.userShowSheet(1);
    grid.userEdit(zevo::grid::columnNumber("K"), 7, "Công ty TNHH Ánh Dương");
    grid.userEdit(zevo::grid::columnNumber("K"), 9, "1234567893");
    for (int i = 0; i < individuals; ++i) {
        const int row = 38 + i;
        grid.userEdit(name, row, "Nguyễn Văn " + std::to_string(i + 1));
        grid.userEdit(identity, row, std::to_string(100000000 + i));
        if (i + 1 < individuals) {
            grid.userMoveTo(name, row);
            grid.userKeyUp(zevo::grid::keys::kF5, 0);
        }
    }
    std::printf("declaration of %d individuals made in %.1f s\n", individuals, secondsSince(made));

    // The PDF of every report.
    {
        const std::string pdf = (tree.root() / "reports.pdf").string();
        zevo::printing::ReportsController dialog(grid);
        dialog.Form_Load();
        const double before = statusMb("VmRSS");
        resetPeak();
        const auto start = Clock::now();
        const bool written = dialog.cmdSavePdf_Click(pdf);
        const double seconds = secondsSince(start);
        const double peak = statusMb("VmHWM");
        if (!written) {
            std::fprintf(stderr, "no PDF was written\n");
            return 1;
        }
        std::printf("PDF of %d reports: %.2f s (%.2f ms per report), %d pages, %.1f MB file\n",
                    dialog.reportsBuilt(), seconds, seconds * 1000 / std::max(1, dialog.reportsBuilt()),
                    pdfPages(pdf), std::filesystem::file_size(pdf) / 1048576.0);
        std::printf("memory: %.1f MB resident before, peak %.1f MB during the run (+%.1f MB)\n", before,
                    peak, peak - before);
    }

    // The preview of the first report, to its painted window.
    {
        zevo::printing::frmReports dialog(grid);
        zevo::printing::ReportPrinter routine(grid);
        double painted = 0;
        const auto start = Clock::now();
        routine.preview = [&](zevo::printing::frmReportData& report) {
            zevo::printing::frmPreview preview(report, dialog.controller(), &dialog);
            preview.show();
            (void)preview.grab();
            painted = secondsSince(start);
            return false;   // the first report only
        };
        routine.printTaxationRegistrationReport(zevo::printing::allPages(), nullptr);
        std::printf("preview of the first report painted after %.3f s\n", painted);
    }
    std::printf("process peak resident size: %.1f MB\n", statusMb("VmHWM"));
    return 0;
}
