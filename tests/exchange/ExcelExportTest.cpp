// The Excel export through the export dialog's controller and the command line, on
// a three-individual declaration with the installed templates and the real rules
// library. The workbooks are read back by LibreOffice, a reader that does not
// recalculate, so what it shows is what the file carries.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <sstream>

#include "PrintTestSupport.h"
#include "zevo/commandline/ExchangeLink.h"
#include "zevo/exchange/BackupRestoreController.h"
#include "zevo/grid/XlsxReader.h"
#include "zevo/rules/ExportName.h"

namespace zevo::printing::test {
namespace {

using exchange::BackupRestoreController;
using exchange::ExchangeOption;
using Ids = std::vector<std::string>;

// One CSV line split into fields (quoted fields may hold commas and doubled quotes).
std::vector<std::string> csvFields(const std::string& line) {
    std::vector<std::string> out(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                out.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                out.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            out.emplace_back();
        } else {
            out.back() += c;
        }
    }
    return out;
}

// The first sheet of a workbook as LibreOffice reads it, as rows of fields; empty
// when LibreOffice is not installed or cannot read the file.
std::vector<std::vector<std::string>> sheetAsRead(const fs::path& workbook, const fs::path& scratch) {
    fs::create_directories(scratch);
    const std::string command = "HOME='" + scratch.string() + "' soffice --headless --norestore "
                                "--convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1' --outdir '" +
                                scratch.string() + "' '" + workbook.string() + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return {};
    const fs::path csv = scratch / (workbook.stem().string() + ".csv");
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(readFile(csv));
    for (std::string line; std::getline(in, line);) rows.push_back(csvFields(line));
    return rows;
}

std::string at(const std::vector<std::vector<std::string>>& rows, const char* column, int row) {
    const int c = col(column) - 1;
    if (row < 1 || row > static_cast<int>(rows.size())) return {};
    const auto& fields = rows[static_cast<std::size_t>(row) - 1];
    return c < static_cast<int>(fields.size()) ? fields[static_cast<std::size_t>(c)] : std::string();
}

bool haveLibreOffice() { return std::system("command -v soffice >/dev/null 2>&1") == 0; }

class ExcelExportTest : public PrintTest {
protected:
    void SetUp() override {
        PrintTest::SetUp();
        if (HasFatalFailure()) return;
        openWithIndividuals(3);
        if (HasFatalFailure()) return;
        commandline::connectBackupWriter(*controller_);
        controller_->cmdSave_Click();
        ASSERT_EQ(presenter_->shownIds(), Ids({"0002"})) << errorLog();
        presenter_->clear();
    }
    // The export dialog with an Excel option chosen and the folder typed; OK pressed.
    bool exportExcel(const fs::path& folder, bool special) {
        BackupRestoreController dialog(grid(), commandline::hostFor(*controller_));
        dialog.setView(&dialogView_);
        dialog.Form_Load();
        dialog.optionClick(special ? ExchangeOption::ExcelSpecial : ExchangeOption::Excel);
        dialog.setPath(folder.string());
        const bool done = dialog.cmdOK_Click();
        dialog.Form_Unload();
        written_ = dialog.excelFile();
        return done;
    }
    std::size_t backups() const {
        std::size_t n = 0;
        if (!fs::exists(tree_->dataFolder() / "Backup")) return n;
        for (const auto& e : fs::directory_iterator(tree_->dataFolder() / "Backup"))
            n += e.path().filename().string().rfind("export_zevo_", 0) == 0;
        return n;
    }
    static mode_t modeOf(const fs::path& p) {
        struct stat st{};
        ::stat(p.c_str(), &st);
        return st.st_mode & 0777;
    }

    struct FocusView : exchange::BackupRestoreView {
        void focusPath() override { ++pathFocus; }
        void closeForm() override { ++closed; }
        int pathFocus = 0, closed = 0;
    } dialogView_;
    std::string written_;
};

TEST_F(ExcelExportTest, WorkbookCarriesTheIndividualsAndTheirCount) {
    const std::string prefix = BackupRestoreController::getPrefixExportName();
    // The dialog's name and the report library's are one computation.
    EXPECT_EQ(prefix, rules::getPrefixExportName());
    ASSERT_NE(prefix.find("-1234567893000-001"), std::string::npos) << prefix;
    EXPECT_NE(prefix.front(), '-') << "the tax office's short name is missing: " << prefix;

    const fs::path folder = output("exports");
    presenter_->push(mrYes);   // "0024": create the folder
    ASSERT_TRUE(exportExcel(folder, false)) << errorLog();
    EXPECT_EQ(presenter_->shownIds(), Ids({"0024"}));
    const fs::path file = folder / (prefix + ".xlsx");
    EXPECT_EQ(written_, file.string());
    ASSERT_TRUE(fs::is_regular_file(file));
    EXPECT_EQ(modeOf(file), 0600u);
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(backups(), 1u);
    EXPECT_EQ(dialogView_.closed, 1);
    if (const char* shots = std::getenv("ZEVO_SHOT_DIR"))
        fs::copy_file(file, fs::path(shots) / "ordinary.xlsx", fs::copy_options::overwrite_existing);

    if (!haveLibreOffice()) GTEST_SKIP() << "LibreOffice (soffice, package libreoffice-calc-nogui) is not installed";
    const auto rows = sheetAsRead(file, output("lo"));
    ASSERT_FALSE(rows.empty()) << "LibreOffice could not read " << file;
    EXPECT_EQ(at(rows, "N", 31), "3");
    const std::string all = readFile(output("lo") / (file.stem().string() + ".csv"));
    for (int i = 0; i < 3; ++i) EXPECT_NE(all.find(individualNames()[static_cast<std::size_t>(i)]), std::string::npos);
}

TEST_F(ExcelExportTest, SpecialWorkbookNamesTheSexesAndItsFileAndPutsTheEntryBack) {
    clsVariables vars;
    const xml::Node menu = vars.NodeMenu(), validity = vars.NodeValidity();
    const xml::DocumentPtr data = vars.Data(0);
    const fs::path folder = output("special");
    fs::create_directories(folder);
    ASSERT_TRUE(exportExcel(folder, true)) << errorLog();
    EXPECT_EQ(presenter_->shownIds(), Ids{});
    EXPECT_EQ(vars.NodeMenu(), menu);
    EXPECT_EQ(vars.NodeValidity(), validity);
    EXPECT_EQ(vars.Data(0), data);
    const std::string prefix = BackupRestoreController::getPrefixExportName();
    const fs::path file = folder / (prefix + "_A3.xlsx");
    ASSERT_EQ(written_, file.string());
    EXPECT_EQ(modeOf(file), 0600u);
    // The list prints as the template sets it up: A3, one page wide.
    const grid::WorkbookData book = grid::readXlsx(file.string());
    ASSERT_FALSE(book.sheets.empty());
    EXPECT_EQ(book.sheets[0].paperSize, 8);
    EXPECT_EQ(book.sheets[0].fitToWidth, 1);
    EXPECT_TRUE(book.sheets[0].landscape);
    // Kept for a look at how a spreadsheet program shows it.
    if (const char* shots = std::getenv("ZEVO_SHOT_DIR"))
        fs::copy_file(file, fs::path(shots) / "special_A3.xlsx", fs::copy_options::overwrite_existing);

    if (!haveLibreOffice()) GTEST_SKIP() << "LibreOffice (soffice, package libreoffice-calc-nogui) is not installed";
    const auto rows = sheetAsRead(file, output("lo"));
    ASSERT_FALSE(rows.empty()) << "LibreOffice could not read " << file;
    EXPECT_EQ(at(rows, "N", 31), "3");
    EXPECT_EQ(at(rows, "L", 27), prefix + ".xlsx");
    std::vector<std::string> sexes;
    for (int row = 36; row < 36 + 6; ++row)
        if (!at(rows, "G", row).empty()) sexes.push_back(at(rows, "N", row));
    ASSERT_EQ(sexes.size(), 3u);
    for (const std::string& s : sexes) EXPECT_TRUE(s == "Nam" || s == "Nữ") << s;
}

TEST_F(ExcelExportTest, FailedSpecialExportPutsTheEntryBack) {
    clsVariables vars;
    const xml::Node menu = vars.NodeMenu(), validity = vars.NodeValidity();
    const xml::DocumentPtr data = vars.Data(0);
    // The A3 entry names a report workbook that is not there: the report cannot be built.
    for (const xml::Node& entry : menu.parent().childElements())
        if (documents::GetAttributeValue(entry, "ID") == "100_9")
            documents::SetAttributeValue(entry.firstChildElement(), "ReportTemplate", "..\\Templates\\100_9\\gone.xlsx");
    const fs::path folder = output("special");
    fs::create_directories(folder);
    EXPECT_FALSE(exportExcel(folder, true));
    EXPECT_EQ(vars.NodeMenu(), menu);
    EXPECT_EQ(vars.NodeValidity(), validity);
    EXPECT_EQ(vars.Data(0), data);
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_NE(errorLog().find("exportExcel"), std::string::npos);
    // The ordinary export still works afterwards, on the entry put back.
    ASSERT_TRUE(exportExcel(folder, false)) << errorLog();
    EXPECT_TRUE(fs::is_regular_file(folder / (BackupRestoreController::getPrefixExportName() + ".xlsx")));
}

TEST_F(ExcelExportTest, QuestionsAndErrorsStopBeforeAnythingIsWritten) {
    // A path of blanks.
    EXPECT_FALSE(exportExcel("   ", false));
    EXPECT_EQ(presenter_->shownIds(), Ids({"0023"}));
    EXPECT_EQ(dialogView_.pathFocus, 1);

    // A missing folder the user does not want.
    presenter_->clear();
    presenter_->push(mrNo);
    EXPECT_FALSE(exportExcel(output("nowhere"), false));
    EXPECT_EQ(presenter_->shownIds(), Ids({"0024"}));
    EXPECT_FALSE(fs::exists(output("nowhere")));
    EXPECT_EQ(backups(), 0u);

    // An existing workbook: No is the default, and No keeps it.
    const fs::path folder = output("out");
    fs::create_directories(folder);
    const fs::path file = folder / (BackupRestoreController::getPrefixExportName() + ".xlsx");
    writeFile(file, "earlier");
    presenter_->clear();
    presenter_->push(mrNo);
    EXPECT_FALSE(exportExcel(folder, false));
    ASSERT_EQ(presenter_->shownIds(), Ids({"0107"}));
    EXPECT_EQ(presenter_->shown()[0].defaultButton, mrNo);
    EXPECT_EQ(presenter_->shown()[0].style, msYesNo);
    EXPECT_EQ(readFile(file), "earlier");
    EXPECT_EQ(backups(), 0u);
    // Yes replaces it with the workbook.
    presenter_->clear();
    presenter_->push(mrYes);
    ASSERT_TRUE(exportExcel(folder, false)) << errorLog();
    EXPECT_EQ(readFile(file).substr(0, 2), "PK");
    EXPECT_EQ(backups(), 1u);

    // A folder where the workbook belongs cannot be replaced: "0105".
    const fs::path special = folder / (BackupRestoreController::getPrefixExportName() + "_A3.xlsx");
    fs::create_directories(special / "inside");
    presenter_->clear();
    dialogView_.pathFocus = 0;
    presenter_->push(mrYes);
    EXPECT_FALSE(exportExcel(folder, true));
    EXPECT_EQ(presenter_->shownIds(), Ids({"0107", "0105"}));
    EXPECT_EQ(dialogView_.pathFocus, 1);
    EXPECT_TRUE(fs::is_directory(special / "inside"));
}

TEST_F(ExcelExportTest, CommandLinePrintsTheWorkbookItWrote) {
    controller_.reset();   // the window is closed: the program may run
    fs::copy_file(ZEVO_DIST_DIR "/Bin/zevo", tree_->bin() / "zevo", fs::copy_options::overwrite_existing);
    const fs::path runtime = output("runtime");
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    const auto run = [&](const std::string& arguments, std::string& out) {
        const fs::path outFile = output("stdout.txt");
        const std::string command = "env -u QT_QPA_PLATFORM XDG_RUNTIME_DIR='" + runtime.string() + "' '" +
                                    (tree_->bin() / "zevo").string() + "' " + arguments + " >'" +
                                    outFile.string() + "' 2>/dev/null";
        const int raw = std::system(command.c_str());
        out = readFile(outFile);
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    };
    const fs::path folder = output("cli");
    std::string out;
    // The folder is missing and the question answers No without --yes.
    EXPECT_EQ(run("--export-excel '" + folder.string() + "' --no-check", out), 1);
    EXPECT_FALSE(fs::exists(folder));
    ASSERT_EQ(run("--export-excel '" + folder.string() + "' --special --yes", out), 0) << errorLog();
    ASSERT_FALSE(out.empty());
    const fs::path file = out.substr(0, out.find('\n'));
    EXPECT_EQ(file.parent_path(), folder);
    EXPECT_TRUE(file.filename().string().ends_with("_A3.xlsx")) << file;
    EXPECT_TRUE(fs::is_regular_file(file));
}

}  // namespace
}  // namespace zevo::printing::test
