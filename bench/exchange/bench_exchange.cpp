// Export and import of the exchange file for a declaration of 10,000 individuals
// on the installed templates: the export (sheet blocks, UTF-16, atomic write), the
// replace import (read, parse, rows appended, data files written) and the merge
// import into a declaration of one individual. The window's reload afterwards is
// the start-up's cost: printed, not counted. Also the row groups appended one by one
// against all at once. Prints milliseconds (best of three); the goal is 2 s each.
//
//   bench_exchange [individuals]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "TempInstallTree.h"
#include "zevo/ErrorLog.h"
#include "zevo/ScriptedMessagePresenter.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/engine/MainController.h"
#include "zevo/exchange/BackupRestoreController.h"
#include "zevo/exchange/ExchangeFile.h"
#include "zevo/exchange/ExchangeReader.h"

namespace {

using Clock = std::chrono::steady_clock;
using zevo::documents::SetAttributeValue;

double best(int runs, const std::function<void()>& prepare, const std::function<bool()>& work) {
    double fastest = 1e300;
    for (int i = 0; i < runs; ++i) {
        if (prepare) prepare();
        const auto start = Clock::now();
        if (!work()) {
            std::fprintf(stderr, "the run failed; see LogFile.txt\n");
            std::exit(1);
        }
        fastest = std::min(fastest, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return fastest;
}

void set(const zevo::xml::DocumentPtr& doc, const std::string& id, const std::string& value) {
    SetAttributeValue(doc->elementById(id), "Value", value);
}

// The list of individuals: section 2 of the first sheet.
zevo::xml::Node listSection(const zevo::xml::DocumentPtr& doc) {
    return doc->documentElement().childElements("Section").at(1);
}

}  // namespace

int main(int argc, char** argv) {
    const int individuals = argc > 1 ? std::atoi(argv[1]) : 10000;
    if (!zevo::ui::tools::TempInstallTree::staged(ZEVO_DIST_DIR)) {
        std::fprintf(stderr, "the installation tree is not staged in %s\n", ZEVO_DIST_DIR);
        return 1;
    }
    zevo::ui::tools::TempInstallTree tree(ZEVO_DIST_DIR, ZEVO_BUSINESS_DIR, "zevo-bench-exchange");
    zevo::setErrorLogFolderOverride(tree.root().string());
    zevo::clsMessageBox::setPresenter(
        std::make_shared<zevo::ScriptedMessagePresenter>(std::deque<int>{}, zevo::mrYes));
    zevo::engine::MainController controller;
    controller.setInstanceLockPath((tree.root() / "zevo.lock").string());
    if (controller.Form_Load() != zevo::engine::StartResult::Ready) return 1;
    auto& grid = controller.grid();
    zevo::clsVariables vars;

    // One individual, then the list grown to the full count with the same values
    // and each row's name and identity number made its own.
    const zevo::xml::DocumentPtr small = vars.Data(0);
    set(small, "K_9", "0101234567");
    set(small, "K_7", "Công ty TNHH Ánh Dương");
    set(small, "K_38", "Nguyễn Văn An");
    set(small, "N_38", "01/02/1985");
    set(small, "T_38", "012345678");
    set(small, "Z_38", "12 Phố Huế, Hai Bà Trưng & \"Hà Nội\" #1");
    const zevo::xml::DocumentPtr oneIndividual = small->clone();
    zevo::exchange::ExchangeReader reader(grid);
    const auto fillStart = Clock::now();
    small->beginBulkEdit();
    reader.AppendSectionRows(listSection(small), individuals - 1);
    int i = 0;
    for (const zevo::xml::Node& row : listSection(small).childElements("Cells")) {
        ++i;
        for (const zevo::xml::Node& cell : row.childElements("Cell")) {
            const std::string id = cell.attribute("CellID").value_or("");
            if (id.rfind("K_", 0) == 0) SetAttributeValue(cell, "Value", "Nguyễn Văn " + std::to_string(i));
            if (id.rfind("T_", 0) == 0) SetAttributeValue(cell, "Value", std::to_string(100000000 + i));
        }
    }
    const double fillMs = std::chrono::duration<double, std::milli>(Clock::now() - fillStart).count();
    const zevo::xml::DocumentPtr full = small;

    const std::string file = (tree.root() / "zevo_export.txt").string();
    const double exportMs = best(3, nullptr, [&] {
        return zevo::exchange::BackupRestoreController::exportWithoutDialog(grid, file);
    });
    const auto bytes = std::filesystem::file_size(file);

    const auto restore = [&](bool merge) {
        const zevo::exchange::ExchangeFileText text = zevo::exchange::readExchangeFile(file);
        zevo::exchange::ExchangeReader r(grid);
        return text.status == zevo::exchange::ReadStatus::Ok && r.RestoreDataFile(text.text, merge);
    };
    const double replaceMs = best(3, nullptr, [&] { return restore(false); });
    const double mergeMs = best(3, [&] { vars.Data(0, oneIndividual->clone()); }, [&] { return restore(true); });
    const double mergeFullMs = best(3, [&] { vars.Data(0, full->clone()); }, [&] { return restore(true); });

    // Appending 500 row groups one at a time moves the rows below 500 times.
    const int appended = std::min(individuals, 500);
    zevo::xml::DocumentPtr scratch;
    const double oneByOneMs = best(1, [&] { scratch = oneIndividual->clone(); }, [&] {
        for (int i = 0; i < appended; ++i) reader.AppendSectionRow(listSection(scratch));
        return true;
    });
    const double atOnceMs = best(1, [&] { scratch = oneIndividual->clone(); }, [&] {
        reader.AppendSectionRows(listSection(scratch), appended);
        return true;
    });

    // What the window does next: reload the declaration from the imported files.
    if (!restore(false)) return 1;
    const auto reloadStart = Clock::now();
    controller.Reload();
    const double reloadMs = std::chrono::duration<double, std::milli>(Clock::now() - reloadStart).count();

    std::printf("declaration of %d individuals, exchange file %.1f MB (filled in %.0f ms)\n", individuals,
                static_cast<double>(bytes) / 1e6, fillMs);
    std::printf("export (both sheets, UTF-16, atomic write):        %8.1f ms  (goal 2000)\n", exportMs);
    std::printf("import, replace (data files written):               %8.1f ms  (goal 2000)\n", replaceMs);
    std::printf("import, merge into 1 individual:                    %8.1f ms  (goal 2000)\n", mergeMs);
    std::printf("import, merge into %d individuals:               %8.1f ms\n", individuals, mergeFullMs);
    std::printf("the window's reload of the imported declaration:    %8.1f ms  (start-up, not counted)\n",
                reloadMs);
    std::printf("append %d row groups one by one / at once:        %8.1f / %.1f ms\n", appended, oneByOneMs,
                atOnceMs);
    return 0;
}
