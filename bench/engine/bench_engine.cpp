// Loading and checking a large declaration: a data file of 1,000 individuals made
// from the installed blank document, loaded into the installed input workbook
// (SetupData + Prepare2), then the completion check (finish). Prints milliseconds.
//
//   bench_engine [individuals] [dist folder]
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../SheetDataFile.h"
#include "zevo/ErrorLog.h"
#include "zevo/ScriptedMessagePresenter.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/documents/DataFiles.h"
#include "zevo/documents/MenuFile.h"
#include "zevo/documents/Period.h"
#include "zevo/engine/GridEventHandler.h"
#include "zevo/engine/OpenDeclaration.h"
#include "zevo/sheetdocs/CellAddress.h"
#include "zevo/grid/SpreadModel.h"
#include "zevo/rules/BusinessLibrary.h"

namespace fs = std::filesystem;
using namespace zevo;
using Clock = std::chrono::steady_clock;

namespace {

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    const fs::path dist = argc > 2 ? fs::path(argv[2]) : fs::path(ZEVO_DIST_DIR);
    if (!fs::exists(dist / "Bin" / "Menu.xml")) {
        std::fprintf(stderr, "no installation tree in %s (run cmake --install first)\n",
                     dist.c_str());
        return 1;
    }
    const fs::path work = fs::temp_directory_path() / ("zevo-bench-engine-" + std::to_string(::getpid()));
    fs::create_directories(work / "data");
    setErrorLogFolderOverride(work.string());
    setProgramFolderOverride((dist / "Bin").string());
    clsMessageBox::setPresenter(std::make_shared<ScriptedMessagePresenter>());

    clsVariables vars;
    auto messages = xml::Document::fromFile((dist / "Bin" / "Message.xml").string());
    vars.NodeMessage(messages->documentElement().childElements());
    documents::MenuFile menu;
    menu.load((dist / "Bin" / "Menu.xml").string());
    vars.DataFolder((work / "data").string() + "/");
    vars.NodeMenu(menu.entry("100_7"));
    vars.NodeValidity(documents::GetValidityNode());
    const auto entries = vars.NodeValidity().childElements("Sheet");
    bench::writeDataFile(documents::blankSheetDocumentPath(entries.at(0)),
                         documents::sheetDataFilePath(vars.NodeMenu(), entries.at(0)), count, 1);

    engine::DeclarationSession session;
    grid::SpreadModel grid;
    engine::GridEventHandler handler(session, grid);
    rules::BusinessLibrary library(ZEVO_BUSINESS_DIR);
    std::unique_ptr<rules::RuleObject> rule;
    // The template and ini steps are timed as one, SetupData and Prepare2 alone.
    double templateMs = 0, setupMs = 0, prepareMs = 0;
    auto start = Clock::now();
    auto stepDone = [&](const char* step) {
        const std::string name = step;
        double& into = name == "SetupData" ? setupMs : name == "Prepare2" ? prepareMs : templateMs;
        into += msSince(start);
        start = Clock::now();
    };
    engine::OpenDeclaration(session, grid, handler, rule,
                            [&](const std::string& name) { return library.createRule(name); }, stepDone);
    if (!rule) {
        std::fprintf(stderr, "no rule object from %s\n", ZEVO_BUSINESS_DIR);
        return 1;
    }
    session.startUp = false;

    start = Clock::now();
    rule->finish();
    const double finishMs = msSince(start);

    std::printf("individuals                 %d (grid rows %d, Q_19 = %s)\n", count,
                grid.maxRowsOf(1), grid.textOf(1, grid.colNumber("Q"), 19).c_str());
    std::printf("template + ini              %8.1f ms\n", templateMs);
    std::printf("SetupData                   %8.1f ms\n", setupMs);
    std::printf("Prepare2                    %8.1f ms\n", prepareMs);
    std::printf("SetupData + Prepare2        %8.1f ms   (goal < 500 ms)\n", setupMs + prepareMs);
    std::printf("finish                      %8.1f ms   (goal < 100 ms)\n", finishMs);
    rule->fps(nullptr);
    fs::remove_all(work);
    return 0;
}
