// How the cost grows with the lists: declarations of 1,000 to 20,000 individuals on
// the first sheet, the second sheet and both, each opened in a fresh process up to
// the first painted window (offscreen), then checked (finish), saved and given an
// F5 at the top and at the end of its list. Each case runs a few times; the table
// shows medians, the peak resident memory of the run and the growth exponent
// between the two largest sizes (log of the time ratio over log of the size ratio).
//
//   QT_QPA_PLATFORM=offscreen bench_scale [--runs N] [--limit SECONDS] [--sheets 1|2|3] [--cpu] [sizes...]
//
// --limit ends a run that takes longer (its figures are then missing); --sheets
// measures one case only (3: both sheets); --cpu measures the process's CPU time
// instead of wall time (for a shared, busy machine; "Setup+Prep2" stays wall time,
// as the program measures it).
#include <QApplication>
#include <QPixmap>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "../SheetDataFile.h"
#include "SpreadView.h"
#include "TempInstallTree.h"
#include "mainForm.h"
#include "zevo/ErrorLog.h"
#include "zevo/ScriptedMessagePresenter.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/documents/DataFiles.h"
#include "zevo/documents/MenuFile.h"
#include "zevo/documents/Period.h"
#include "zevo/engine/MainController.h"
#include "zevo/grid/ColumnLetters.h"
#include "zevo/grid/SpreadModel.h"
#include "zevo/rules/RuleObject.h"
#include "zevo/sheetdocs/CellAddress.h"

namespace fs = std::filesystem;
using namespace zevo;
using Clock = std::chrono::steady_clock;

namespace {

bool gCpuTime = false;

double cpuMs() {
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// A point in time: wall clock, or the process's CPU time with --cpu.
struct Mark {
    Clock::time_point wall = Clock::now();
    double cpu = cpuMs();
};

double msSince(const Mark& start) {
    return gCpuTime ? cpuMs() - start.cpu
                    : std::chrono::duration<double, std::milli>(Clock::now() - start.wall).count();
}

// Figures of one run, in the order of the table's columns.
constexpr int kFigures = 7;
const char* const kNames[kFigures] = {"start-up", "Setup+Prep2", "finish", "save",
                                      "F5 top", "F5 end", "peak MB"};

double peakMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    return 0;
}

// One case in this process; prints the figures on one line of `out`.
int runCase(int argc, char** argv, int individuals, int sheets, const fs::path& cache, FILE* out) {
    QApplication app(argc, argv);
    ui::tools::TempInstallTree tree(ZEVO_DIST_DIR, ZEVO_BUSINESS_DIR,
                                    "zevo-bench-scale-" + std::to_string(::getpid()));
    setErrorLogFolderOverride(tree.root().string());
    clsMessageBox::setPresenter(std::make_shared<ScriptedMessagePresenter>(std::deque<int>{}, mrYes));
    const std::string lock = (tree.root() / "zevo.lock").string();
    std::string paths[2];
    {
        engine::MainController maker;
        maker.setInstanceLockPath(lock);
        if (maker.Form_Load() != engine::StartResult::Ready) return 1;
        if (!maker.UpdateData(true)) return 1;
        clsVariables vars;
        const auto entries = vars.NodeValidity().childElements("Sheet");
        for (int s = 0; s < 2; ++s) paths[s] = documents::sheetDataFilePath(vars.NodeMenu(), entries.at(s));
        maker.cmdExit_Click();
    }
    for (int s = 0; s < 2; ++s)
        if (sheets & (1 << s))
            fs::copy_file(cache / ("sheet" + std::to_string(s + 1) + "-" + std::to_string(individuals) + ".xml"),
                          paths[s], fs::copy_options::overwrite_existing);

    double f[kFigures] = {};
    auto start = Mark();
    engine::MainController controller;
    controller.setInstanceLockPath(lock);
    ui::mainForm window(controller);
    if (controller.Form_Load() != engine::StartResult::Ready) return 1;
    window.resize(1280, 800);
    window.show();
    window.focusGrid();
    (void)window.grab();
    f[0] = msSince(start);
    for (const auto& [step, ms] : controller.startupTimings())
        if (step == "SetupData" || step == "Prepare2") f[1] += ms;

    rules::RuleObject* rule = controller.ruleObject();
    auto& grid = controller.grid();
    start = Mark();
    if (sheets & 1) rule->finish();
    if (sheets & 2) rule->finish2();
    f[2] = msSince(start);

    start = Mark();
    if (!controller.UpdateData(false)) return 1;
    f[3] = msSince(start);

    // F5 on the list of the (first) grown sheet: its first row, then its last.
    const int sheet = (sheets & 1) ? 1 : 2;
    const int firstRow = sheet == 1 ? 38 : 5;
    const int col = grid::columnNumber(sheet == 1 ? "K" : "C");
    // A list at its "MaxRows" takes no more rows: no figure then.
    grid.userShowSheet(sheet);
    int rowsBefore = grid.maxRowsOf(sheet);
    grid.userMoveTo(col, firstRow);
    start = Mark();
    grid.userKeyUp(grid::keys::kF5, 0);
    f[4] = grid.maxRowsOf(sheet) > rowsBefore ? msSince(start) : NAN;
    rowsBefore = grid.maxRowsOf(sheet);
    grid.userMoveTo(col, firstRow + individuals);
    start = Mark();
    grid.userKeyUp(grid::keys::kF5, 0);
    f[5] = grid.maxRowsOf(sheet) > rowsBefore ? msSince(start) : NAN;
    f[6] = peakMegabytes();

    for (double v : f) std::fprintf(out, "%f ", v);
    std::fprintf(out, "\n");
    std::fflush(out);
    window.hide();
    std::_Exit(0);   // the figures are out; tearing down 20,000 rows is not timed
}

double median(std::vector<double> v) {
    v.erase(std::remove_if(v.begin(), v.end(), [](double x) { return std::isnan(x); }), v.end());
    if (v.empty()) return NAN;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 3, limit = 600, onlyMode = 0;
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) runs = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--limit") && i + 1 < argc) limit = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--sheets") && i + 1 < argc) onlyMode = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--cpu")) gCpuTime = true;
        else sizes.push_back(std::atoi(argv[i]));
    }
    if (sizes.empty()) sizes = {1000, 5000, 10000, 20000};
    if (!ui::tools::TempInstallTree::staged(ZEVO_DIST_DIR)) {
        std::fprintf(stderr, "the installation tree is not staged in %s\n", ZEVO_DIST_DIR);
        return 1;
    }

    // The data files are made once per size, outside the timed processes.
    const fs::path cache = fs::temp_directory_path() / ("zevo-bench-scale-data-" + std::to_string(::getpid()));
    fs::create_directories(cache);
    // In a child of its own, so that the timed children start small.
    if (const pid_t maker = ::fork(); maker == 0) {
        ui::tools::TempInstallTree tree(ZEVO_DIST_DIR, ZEVO_BUSINESS_DIR, "zevo-bench-scale-make");
        setErrorLogFolderOverride(tree.root().string());
        clsVariables vars;
        auto messages = xml::Document::fromFile((tree.bin() / "Message.xml").string());
        vars.NodeMessage(messages->documentElement().childElements());
        documents::MenuFile menu;
        menu.load((tree.bin() / "Menu.xml").string());
        vars.DataFolder(tree.dataFolder().string() + "/");
        vars.NodeMenu(menu.entry("100_7"));
        vars.NodeValidity(documents::GetValidityNode());
        const auto entries = vars.NodeValidity().childElements("Sheet");
        for (int n : sizes)
            for (int s = 0; s < 2; ++s) {
                const auto start = Mark();
                const fs::path file = cache / ("sheet" + std::to_string(s + 1) + "-" + std::to_string(n) + ".xml");
                bench::writeDataFile(documents::blankSheetDocumentPath(entries.at(s)), file.string(), n, s + 1);
                std::fprintf(stderr, "data file sheet %d, %d rows: %.0f ms, %.1f MB\n", s + 1, n, msSince(start),
                             fs::file_size(file) / 1e6);
            }
        std::_Exit(0);
    } else {
        int status = 0;
        ::waitpid(maker, &status, 0);
        fs::remove_all(fs::temp_directory_path() / ("zevo-bench-scale-make-" + std::to_string(maker)));
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return 1;
    }

    const char* const modes[] = {"", "sheet 1", "sheet 2", "both"};
    std::map<std::pair<int, int>, std::vector<double>> medians;
    double load[3] = {};
    for (int mode = 1; mode <= 3; ++mode)
        for (int n : sizes) {
            if (onlyMode && mode != onlyMode) continue;
            std::vector<double> samples[kFigures];
            for (int run = 0; run < runs; ++run) {
                int fds[2];
                if (::pipe(fds) != 0) return 1;
                const pid_t child = ::fork();
                if (child == 0) {
                    ::close(fds[0]);
                    ::alarm(limit);
                    return runCase(argc, argv, n, mode, cache, ::fdopen(fds[1], "w"));
                }
                ::close(fds[1]);
                FILE* in = ::fdopen(fds[0], "r");
                double v[kFigures];
                bool ok = true;
                for (double& x : v) ok = ok && std::fscanf(in, "%lf", &x) == 1;
                std::fclose(in);
                int status = 0;
                ::waitpid(child, &status, 0);
                // The child ends without tearing down: its copy of the tree goes here.
                const std::string tag = std::to_string(child);
                fs::remove_all(fs::temp_directory_path() / ("zevo-bench-scale-" + tag + "-" + tag));
                if (!ok) {
                    std::fprintf(stderr, "%s, %d: run failed or over %d s\n", modes[mode], n, limit);
                    break;
                }
                for (int k = 0; k < kFigures; ++k) samples[k].push_back(v[k]);
            }
            std::vector<double> m;
            for (auto& s : samples) m.push_back(median(s));
            medians[{mode, n}] = m;
            std::fprintf(stderr, "%s, %d individuals done\n", modes[mode], n);
        }
    ::getloadavg(load, 3);

    std::printf("medians of %d runs (ms of %s; peak resident MB); load average %.2f %.2f %.2f\n", runs,
                gCpuTime ? "CPU time" : "wall time", load[0], load[1], load[2]);
    std::printf("nan: run over the limit, or F5 on a list at its MaxRows\n");
    std::printf("%-8s %7s", "sheets", "rows");
    for (const char* name : kNames) std::printf(" %12s", name);
    std::printf("\n");
    for (int mode = 1; mode <= 3; ++mode) {
        if (onlyMode && mode != onlyMode) continue;
        for (int n : sizes) {
            std::printf("%-8s %7d", modes[mode], n);
            for (double v : medians[{mode, n}]) std::printf(" %12.1f", v);
            std::printf("\n");
        }
        // Growth from the first size of 5,000 or more (else the second largest) to
        // the largest size with a figure.
        if (sizes.size() >= 2) {
            std::printf("%-8s %7s", modes[mode], "exp");
            for (int k = 0; k < kFigures; ++k) {
                int a = 0, b = 0;
                for (int n : sizes)
                    if (!std::isnan(medians[{mode, n}][k])) b = n;
                for (int n : sizes)
                    if (n >= 5000 && n < b && !std::isnan(medians[{mode, n}][k])) {
                        a = n;
                        break;
                    }
                if (!a)
                    for (int n : sizes)
                        if (n < b && !std::isnan(medians[{mode, n}][k])) a = n;
                const double x = a ? medians[{mode, a}][k] : NAN, y = b ? medians[{mode, b}][k] : NAN;
                std::printf(" %12.2f", a ? std::log(y / x) / std::log(double(b) / a) : NAN);
            }
            std::printf("\n");
        }
    }
    fs::remove_all(cache);
    return 0;
}
