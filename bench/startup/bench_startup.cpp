// Start-up of a saved declaration with 1,000 individuals, up to the first painted
// main window (offscreen): Form_Load, show, and a grab of the window, which paints
// it. The declaration is made first through the grid's user entry points (F5 and
// typing) and saved. Prints milliseconds; the goal is under one second.
//
//   QT_QPA_PLATFORM=offscreen bench_startup [individuals]
#include <QApplication>
#include <QPixmap>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "TempInstallTree.h"
#include "SpreadView.h"
#include "mainForm.h"
#include "zevo/ErrorLog.h"
#include "zevo/ScriptedMessagePresenter.h"
#include "zevo/clsVariables.h"
#include "zevo/engine/MainController.h"
#include "zevo/grid/ColumnLetters.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int individuals = argc > 1 ? std::atoi(argv[1]) : 1000;
    if (!zevo::ui::tools::TempInstallTree::staged(ZEVO_DIST_DIR)) {
        std::fprintf(stderr, "the installation tree is not staged in %s\n", ZEVO_DIST_DIR);
        return 1;
    }
    zevo::ui::tools::TempInstallTree tree(ZEVO_DIST_DIR, ZEVO_BUSINESS_DIR, "zevo-bench-startup");
    zevo::setErrorLogFolderOverride(tree.root().string());
    auto presenter = std::make_shared<zevo::ScriptedMessagePresenter>(std::deque<int>{}, zevo::mrYes);
    zevo::clsMessageBox::setPresenter(presenter);
    const std::string lock = (tree.root() / "zevo.lock").string();
    const int name = zevo::grid::columnNumber("K");

    {
        const auto start = Clock::now();
        zevo::engine::MainController maker;
        maker.setInstanceLockPath(lock);
        if (maker.Form_Load() != zevo::engine::StartResult::Ready) return 1;
        auto& grid = maker.grid();
        grid.userShowSheet(1);
        for (int i = 0; i < individuals; ++i) {
            const int row = 38 + i;
            grid.userEdit(name, row, "Nguyễn Văn " + std::to_string(i + 1));
            if (i + 1 < individuals) {
                grid.userMoveTo(name, row);
                grid.userKeyUp(zevo::grid::keys::kF5, 0);
            }
        }
        if (!maker.UpdateData(true)) return 1;
        std::printf("made and saved a declaration of %d individuals: %.0f ms\n", individuals,
                    msSince(start));
        maker.cmdExit_Click();
    }

    for (int run = 1; run <= 3; ++run) {
        const auto start = Clock::now();
        zevo::engine::MainController controller;
        controller.setInstanceLockPath(lock);
        zevo::ui::mainForm window(controller);
        if (controller.Form_Load() != zevo::engine::StartResult::Ready) return 1;
        const double loaded = msSince(start);
        window.resize(1280, 800);
        window.show();
        window.focusGrid();
        const QPixmap painted = window.grab();
        const double total = msSince(start);
        std::printf("run %d: Form_Load %.0f ms, first painted window %.0f ms (%d rows on sheet 1)\n",
                    run, loaded, total, controller.grid().maxRowsOf(1));
        if (run == 1) {
            // F5 in the middle of the list, then the view re-read after the rows moved.
            auto& grid = controller.grid();
            grid.userShowSheet(1);
            grid.userMoveTo(name, 38 + individuals / 2);
            const auto f5 = Clock::now();
            grid.userKeyUp(zevo::grid::keys::kF5, 0);
            const double inserted = msSince(f5);
            const auto viewStart = Clock::now();
            window.spreadView()->refresh(true);
            (void)window.grab();
            std::printf("F5 mid-list: %.1f ms in the grid, %.1f ms view refresh and repaint\n",
                        inserted, msSince(viewStart));
        }
        for (const auto& [step, ms] : controller.startupTimings())
            std::printf("    %-40s %7.1f ms\n", step.c_str(), ms);
        window.hide();
        controller.cmdExit_Click();
    }
    return 0;
}
