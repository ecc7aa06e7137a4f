// The problems panel and undo on lists of individuals whose rows all fail some
// check (the generated rows have no sex, nationality or address picked): the
// check with the list read afterwards, re-reading the whole list, one row (after
// an edit) and one sheet (after F5/F6), an edit of a marked row (with its undo record and the panel's row update),
// re-running the checks, undoing an edit and F6 with its undo.
//
//   QT_QPA_PLATFORM=offscreen bench_problems [--shot FOLDER] [sizes...]
//
// --shot writes FOLDER/problems-panel-N.png (the window right after the save check,
// the panel listing what is left) and FOLDER/problems-panel-N-goto.png (at the end,
// after a click on an entry of the list's middle).
#include <QApplication>
#include <QPixmap>
#include <QTableView>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "../SheetDataFile.h"
#include "ProblemsPanel.h"
#include "SpreadView.h"
#include "TempInstallTree.h"
#include "mainForm.h"
#include "zevo/ErrorLog.h"
#include "zevo/ScriptedMessagePresenter.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/DataFiles.h"
#include "zevo/engine/MainController.h"
#include "zevo/grid/ColumnLetters.h"

namespace fs = std::filesystem;
using namespace zevo;
using Clock = std::chrono::steady_clock;

namespace {

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

int runCase(int individuals, const std::string& shotFolder) {
    ui::tools::TempInstallTree tree(ZEVO_DIST_DIR, ZEVO_BUSINESS_DIR,
                                    "zevo-bench-problems-" + std::to_string(individuals));
    setErrorLogFolderOverride(tree.root().string());
    auto presenter = std::make_shared<ScriptedMessagePresenter>(std::deque<int>{}, mrNo);
    clsMessageBox::setPresenter(presenter);
    const std::string lock = (tree.root() / "zevo.lock").string();
    std::string path, blank;
    {
        engine::MainController maker;
        maker.setInstanceLockPath(lock);
        if (maker.Form_Load() != engine::StartResult::Ready) return 1;
        clsVariables vars;
        const auto entries = vars.NodeValidity().childElements("Sheet");
        path = documents::sheetDataFilePath(vars.NodeMenu(), entries.at(0));
        blank = documents::blankSheetDocumentPath(entries.at(0));
        maker.cmdExit_Click();
    }
    bench::writeDataFile(blank, path, individuals, 1);

    engine::MainController controller;
    controller.setInstanceLockPath(lock);
    ui::mainForm window(controller);
    if (controller.Form_Load() != engine::StartResult::Ready) return 1;
    window.resize(1366, 768);
    window.show();
    window.focusGrid();
    QApplication::processEvents();
    auto& grid = controller.grid();

    auto start = Clock::now();
    controller.cmdSave_Click();   // the check fails; the presenter answers No to saving anyway
    const double check = msSince(start);
    QApplication::processEvents();
    const std::size_t count = controller.problems().problems().size();
    const std::string shotBase =
        shotFolder.empty() ? std::string() : shotFolder + "/problems-panel-" + std::to_string(individuals);
    if (!shotBase.empty()) window.grab().save(QString::fromStdString(shotBase + ".png"));

    start = Clock::now();
    controller.problems().rebuild();
    const double rebuild = msSince(start);

    const int middle = 38 + individuals / 2;
    start = Clock::now();
    constexpr int kRowReads = 100;
    for (int i = 0; i < kRowReads; ++i) controller.problems().refreshRows(1, middle, middle);
    const double rowRead = msSince(start) / kRowReads;

    start = Clock::now();
    controller.problems().refreshSheet(1);
    const double sheetRead = msSince(start);

    grid.userShowSheet(1);
    grid.userEdit(grid::columnNumber("G"), 38, "");
    start = Clock::now();
    grid.userEdit(grid::columnNumber("K"), middle, "Nguyễn Văn Sửa");
    const double edit = msSince(start);

    start = Clock::now();
    controller.recheckProblems();
    const double recheck = msSince(start);

    start = Clock::now();
    const bool undone = controller.undo();
    const double undo = msSince(start);

    grid.userMoveTo(grid::columnNumber("K"), middle);
    presenter->push(mrYes);   // "this row holds an individual: delete it?"
    start = Clock::now();
    grid.userKeyUp(grid::keys::kF6, 0);
    const double f6 = msSince(start);
    start = Clock::now();
    const bool f6Undone = controller.undo();
    const double f6Undo = msSince(start);

    std::printf("%6d %8zu %9.1f %9.2f %8.3f %9.2f %8.2f %9.1f %8.2f %8.1f %9.1f%s\n", individuals, count, check,
                rebuild, rowRead, sheetRead, edit, recheck, undo, f6, f6Undo, !undone ? "  (the edit's undo failed)" : !f6Undone ? "  (F6's undo failed)" : "");
    std::fflush(stdout);

    if (!shotBase.empty()) {
        controller.recheckProblems();
        QApplication::processEvents();
        // A click on an entry in the middle of the list.
        QTableView* list = window.problemsPanel()->table();
        const QModelIndex item = list->model()->index(list->model()->rowCount() / 2, 2);
        list->scrollTo(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(item).center());
        QApplication::processEvents();
        window.grab().save(QString::fromStdString(shotBase + "-goto.png"));
    }
    clsMessageBox::setPresenter(nullptr);
    setErrorLogFolderOverride("");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::string shotFolder;
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--shot") && i + 1 < argc) shotFolder = argv[++i];
        else sizes.push_back(std::atoi(argv[i]));
    }
    if (sizes.empty()) sizes = {500, 5000};
    if (!ui::tools::TempInstallTree::staged(ZEVO_DIST_DIR)) {
        std::fprintf(stderr, "the installation tree is not staged in %s\n", ZEVO_DIST_DIR);
        return 1;
    }
    if (!shotFolder.empty()) fs::create_directories(shotFolder);
    std::printf("  rows  entries  check ms  list ms  row ms  sheet ms  edit ms  recheck ms  undo ms  F6 ms  F6 undo ms\n");
    for (int n : sizes) {
        clsVariables::resetSession();
        if (runCase(n, shotFolder) != 0) {
            std::fprintf(stderr, "%d rows: the declaration did not open\n", n);
            return 1;
        }
    }
    return 0;
}
