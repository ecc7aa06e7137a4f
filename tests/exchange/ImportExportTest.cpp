// The export/import dialog's controller on the real main window controller, the
// installed templates and the rules library: export, merge and replace imports of
// the two-sheet declaration with their questions, backups, and the sheet entries'
// "Active" restored on every way out.
#include <gtest/gtest.h>

#include "MainWindowTestSupport.h"
#include "zevo/commandline/ExchangeLink.h"
#include "zevo/exchange/BackupRestoreController.h"
#include "zevo/exchange/ExchangeFile.h"

namespace zevo::engine::test {
namespace {

using exchange::BackupRestoreController;
using exchange::ExchangeOption;
using Ids = std::vector<std::string>;
namespace keys = grid::keys;

std::vector<std::string> activeAttributes() {
    std::vector<std::string> out;
    for (const xml::Node& entry : clsVariables().NodeValidity().childElements("Sheet"))
        out.push_back(documents::GetAttributeValue(entry, "Active"));
    return out;
}

// Records what the dialog asks of its window and answers its pickers.
class DialogView : public exchange::BackupRestoreView {
public:
    void applyCaptions(const std::string& section) override { sections.push_back(section); }
    void focusPath() override { ++pathFocus; }
    std::optional<std::string> pickFolder(const std::string& title, const std::string&) override {
        titles.push_back(title);
        return picked;
    }
    std::optional<std::string> pickFile(const std::string& title, bool save, const std::string&) override {
        titles.push_back(title + (save ? " (save)" : " (open)"));
        return picked;
    }
    void hideForm() override { ++hidden; }
    void closeForm() override { ++closed; }
    std::vector<std::string> sections, titles;
    std::optional<std::string> picked;
    int pathFocus = 0, hidden = 0, closed = 0;
};

class ImportExportTest : public MainWindowTest {
protected:
    // A declaration of two individuals and one household member on the second sheet, saved.
    void openTwoSheets() {
        open();
        if (HasFatalFailure()) return;
        commandline::connectBackupWriter(*controller_);
        fillValidDeclaration();
        if (HasFatalFailure()) return;
        grid().userMoveTo(col("K"), 38);
        grid().userKeyUp(keys::kF5, 0);
        fillIndividual(39, "Trần Thị Bình", "023456789");
        grid().userShowSheet(2);
        grid().userEdit(col("E"), 5, "Lê Văn Cường");
        grid().userShowSheet(1);
        controller_->cmdSave_Click();
        ASSERT_EQ(presenter_->shownIds(), Ids({"0002"})) << errorLog();
        presenter_->clear();
    }
    std::unique_ptr<BackupRestoreController> dialog(bool exporting) {
        auto d = std::make_unique<BackupRestoreController>(grid(), commandline::hostFor(*controller_));
        d->setView(&dialogView_);
        d->bIsBackup = exporting;
        d->Form_Load();
        return d;
    }
    bool exportTo(const fs::path& file) {
        auto d = dialog(true);
        d->setPath(file.string());
        return d->cmdOK_Click();
    }
    bool importFrom(const fs::path& file, bool merge) {
        auto d = dialog(false);
        d->optionClick(merge ? ExchangeOption::Data : ExchangeOption::Excel);
        d->setPath(file.string());
        const bool done = d->cmdOK_Click();
        d->Form_Unload();   // the window closes on success; a failure leaves it to the user
        return done;
    }
    std::vector<fs::path> backups(const std::string& kind) const {
        std::vector<fs::path> out;
        if (!fs::exists(tree_->dataFolder() / "Backup")) return out;
        for (const auto& e : fs::directory_iterator(tree_->dataFolder() / "Backup"))
            if (e.path().filename().string().rfind(kind + "_zevo_", 0) == 0) out.push_back(e.path());
        return out;
    }
    DialogView dialogView_;
};

TEST_F(ImportExportTest, ExportThenReplaceBringsTheDeclarationBack) {
    openTwoSheets();
    if (HasFatalFailure()) return;
    const fs::path file = tree_->root() / "out" / "zevo_export.txt";
    ASSERT_TRUE(exportTo(file)) << errorLog();
    EXPECT_EQ(dialogView_.closed, 1);
    EXPECT_EQ(activeAttributes(), Ids({"1", "1"}));
    const std::string tk = readFile(dataFile("TK_DKT.xml"));
    const std::string code = stored(0, "K_9");

    // A new declaration keeps a backup, then starts blank.
    presenter_->push(mrYes);
    controller_->cmdDelete_Click();
    ASSERT_EQ(backups("new").size(), 1u) << errorLog();
    EXPECT_EQ(grid().textOf(1, col("K"), 38), "");
    EXPECT_FALSE(fs::exists(dataFile("TK_DKT.xml")));
    presenter_->clear();

    presenter_->push(mrYes);   // "0012": replace the declaration
    ASSERT_TRUE(importFrom(file, false)) << errorLog();
    EXPECT_EQ(presenter_->shownIds(), Ids({"0012", "0103"}));
    EXPECT_EQ(dialogView_.hidden, 1);
    EXPECT_EQ(backups("import").size(), 1u);
    // The reloaded window shows both individuals and the second sheet's entry.
    EXPECT_EQ(grid().textOf(1, col("K"), 38), "Nguyễn Văn An");
    EXPECT_EQ(grid().textOf(1, col("K"), 39), "Trần Thị Bình");
    EXPECT_EQ(grid().textOf(2, col("E"), 5), "Lê Văn Cường");
    EXPECT_EQ(stored(0, "K_9"), code);
    // The file the replace wrote equals the saved one but for the display texts
    // that are rebuilt from their ids when the declaration opens.
    const auto imported = xml::Document::fromFile(dataFile("TK_DKT.xml").string());
    const auto saved = xml::Document::fromString(tk, nullptr, xml::Trust::Installed);
    for (const xml::Node& c : saved->elementsByTagName("Cell")) {
        if (documents::GetAttributeValue(c, "Receive") == "0") continue;
        const std::string id = documents::GetAttributeValue(c, "CellID");
        EXPECT_EQ(documents::GetAttributeValue(imported->elementById(id), "Value"),
                  documents::GetAttributeValue(c, "Value")) << id;
    }
}

TEST_F(ImportExportTest, MergeAddsTheFilesIndividualsAfterAskingToSave) {
    openTwoSheets();
    if (HasFatalFailure()) return;
    const fs::path file = tree_->root() / "two.txt";
    ASSERT_TRUE(exportTo(file));
    // An unsaved change: "0104" No stops, Yes saves and merges.
    grid().userEdit(col("K"), 7, "Công ty TNHH Ánh Dương Mới");
    presenter_->push(mrNo);
    EXPECT_FALSE(importFrom(file, true));
    EXPECT_EQ(presenter_->shownIds(), Ids({"0104"}));
    presenter_->clear();
    presenter_->push(mrYes);
    ASSERT_TRUE(importFrom(file, true)) << errorLog();
    EXPECT_EQ(presenter_->shownIds(), Ids({"0104", "0103"}));
    EXPECT_TRUE(backups("import").empty());
    EXPECT_EQ(grid().textOf(1, col("K"), 7), "Công ty TNHH Ánh Dương Mới");
    EXPECT_EQ(grid().textOf(1, col("K"), 40), "Nguyễn Văn An");
    EXPECT_EQ(grid().textOf(1, col("K"), 41), "Trần Thị Bình");
    EXPECT_EQ(grid().textOf(1, col("D"), 42), "aa");
    EXPECT_EQ(grid().textOf(2, col("E"), 6), "Lê Văn Cường");
}

TEST_F(ImportExportTest, AFailingSaveStopsTheMergeBeforeTheFileIsRead) {
    openTwoSheets();
    if (HasFatalFailure()) return;
    exchange::DeclarationHost host;
    host.IsAdjustData = [] { return true; };
    host.UpdateData = [](bool) { return false; };
    BackupRestoreController d(grid(), host);
    d.bIsBackup = false;
    d.Form_Load();
    d.setPath((tree_->root() / "missing.txt").string());
    presenter_->push(mrYes);
    EXPECT_FALSE(d.cmdOK_Click());
    EXPECT_EQ(presenter_->shownIds(), Ids({"0104"}));   // no "0010": the file was not read
    d.Form_Unload();
}

TEST_F(ImportExportTest, AnotherOrganisationsFileIsNotMerged) {
    openTwoSheets();
    if (HasFatalFailure()) return;
    const fs::path file = tree_->root() / "other.txt";
    ASSERT_TRUE(exportTo(file));
    grid().userEdit(col("K"), 9, "0100109106");
    const std::string newCode = stored(0, "K_9");
    presenter_->push(mrYes);   // "0104": save first
    EXPECT_FALSE(importFrom(file, true));
    EXPECT_EQ(presenter_->shownIds(), Ids({"0104", "0108"}));
    EXPECT_EQ(activeAttributes(), Ids({"1", "1"}));
    EXPECT_EQ(grid().textOf(1, col("K"), 39), "Trần Thị Bình");
    EXPECT_EQ(grid().textOf(1, col("K"), 40), "");

    // The tax office: the fourth value of the file's first row.
    const std::string text = exchange::readExchangeFile(file.string()).text;
    std::string otherOffice = text;
    const auto cut = [&](int n) {   // position after the n-th "~" of the first row
        std::size_t p = otherOffice.find("<C>") + 3;
        for (int i = 0; i < n; ++i) p = otherOffice.find('~', p) + 1;
        return p;
    };
    otherOffice.replace(cut(3), cut(4) - 1 - cut(3), "99999");
    otherOffice.replace(cut(0), cut(1) - 1 - cut(0), newCode);
    writeFile(tree_->root() / "office.txt", exchange::toUtf16File(otherOffice));
    presenter_->clear();
    EXPECT_FALSE(importFrom(tree_->root() / "office.txt", true));
    EXPECT_EQ(presenter_->shownIds(), Ids({"0109"}));
}

TEST_F(ImportExportTest, AReplaceWritesItsBackupBeforeReadingTheFile) {
    openTwoSheets();
    if (HasFatalFailure()) return;
    writeFile(tree_->root() / "bad.txt", exchange::toUtf16File("<S1>not a declaration"));
    const std::string tk = readFile(dataFile("TK_DKT.xml"));
    presenter_->push(mrNo);
    EXPECT_FALSE(importFrom(tree_->root() / "bad.txt", false));
    EXPECT_TRUE(backups("import").empty());
    presenter_->push(mrYes);
    EXPECT_FALSE(importFrom(tree_->root() / "bad.txt", false));
    EXPECT_EQ(presenter_->shownIds(), Ids({"0012", "0012", "0072"}));
    ASSERT_EQ(backups("import").size(), 1u);
    // The backup is an exchange file of the open declaration.
    EXPECT_NE(exchange::readExchangeFile(backups("import")[0].string()).text.find("Trần Thị Bình"),
              std::string::npos);
    EXPECT_EQ(readFile(dataFile("TK_DKT.xml")), tk);
    EXPECT_EQ(activeAttributes(), Ids({"1", "1"}));
}

TEST_F(ImportExportTest, ExportPathsAndTheirMessages) {
    open();
    if (HasFatalFailure()) return;
    auto d = dialog(true);
    // Loading selects Excel, special Excel, then the exchange file, each with its captions.
    EXPECT_EQ(dialogView_.sections,
              Ids({"frmBackup", "frmExcelBackup", "frmExcelSpecialBackup", "frmDataBackup"}));
    EXPECT_EQ(fs::path(d->path()).filename(), "zevo_export.txt");
    EXPECT_EQ(d->rememberedPath(ExchangeOption::Excel), fs::path(d->path()).parent_path().string());

    d->setPath("   ");
    EXPECT_FALSE(d->cmdOK_Click());
    EXPECT_EQ(presenter_->shownIds(), Ids({"0023"}));
    EXPECT_EQ(dialogView_.pathFocus, 1);
    // One missing folder level is made; two are a mistyped path.
    EXPECT_TRUE(d->exportData((tree_->root() / "new" / "a.txt").string(), false));
    EXPECT_FALSE(d->exportData((tree_->root() / "x" / "y" / "a.txt").string(), false));
    EXPECT_EQ(presenter_->shownIds(), Ids({"0023", "0010"}));
    EXPECT_EQ(dialogView_.pathFocus, 2);
    EXPECT_FALSE(fs::exists(tree_->root() / "x"));
    // A name too long for the file system.
    EXPECT_FALSE(d->exportData((tree_->root() / std::string(300, 'n')).string(), false));
    EXPECT_EQ(presenter_->shownIds().back(), "0025");

    // No sheet ticked: the file is the byte-order mark alone; the selection ends with the dialog.
    d->chkSelectAll_Click(false);
    d->setPath((tree_->root() / "none.txt").string());
    EXPECT_TRUE(d->cmdOK_Click());
    EXPECT_EQ(readFile(tree_->root() / "none.txt"), std::string("\xFF\xFE"));
    EXPECT_EQ(activeAttributes(), Ids({"1", "1"}));
}

TEST_F(ImportExportTest, OptionsPickersAndTheSheetList) {
    open();
    if (HasFatalFailure()) return;
    auto d = dialog(true);
    const std::string dataPath = d->path();
    d->optionClick(ExchangeOption::Excel);
    EXPECT_EQ(d->captionSection(), "frmExcelBackup");
    d->setPath("/srv/excel");
    d->optionLostFocus(ExchangeOption::Excel);
    dialogView_.picked = "/srv/folder";
    d->cmdBrowser_Click();
    EXPECT_EQ(d->path(), "/srv/folder");
    d->optionClick(ExchangeOption::Data);
    EXPECT_EQ(d->path(), dataPath);
    d->optionClick(ExchangeOption::Excel);
    EXPECT_EQ(d->path(), "/srv/excel");
    d->optionClick(ExchangeOption::Data);
    for (const char* name : {"/srv/a", "/srv/b.txt", "/srv/c.TXT"}) {
        dialogView_.picked = name;
        d->cmdBrowser_Click();
    }
    EXPECT_EQ(d->path(), "/srv/c.TXT.txt");
    dialogView_.picked.reset();
    d->cmdBrowser_Click();
    EXPECT_EQ(d->path(), "/srv/c.TXT.txt");
    EXPECT_EQ(dialogView_.titles, Ids({"Select a Folder to export", "Select a Data file to export (save)",
                                       "Select a Data file to export (save)", "Select a Data file to export (save)",
                                       "Select a Data file to export (save)"}));

    // The select-all box sets the rows only while the list lacks the focus; the
    // list sets the box while it has it.
    ASSERT_EQ(d->sheetRows().size(), 2u);
    d->cmdExt_Click();
    EXPECT_TRUE(d->sheetListShown());
    d->sheetListFocus(true);
    d->sheetRowChanged(1, false);
    EXPECT_FALSE(d->selectAll());
    d->chkSelectAll_Click(true);
    EXPECT_FALSE(d->sheetRows()[1].checked);
    d->sheetRowChanged(1, true);
    EXPECT_TRUE(d->selectAll());
    d->sheetListFocus(false);
    d->chkSelectAll_Click(false);
    EXPECT_FALSE(d->sheetRows()[0].checked);
    d->cmdColl_Click();
    EXPECT_FALSE(d->sheetListShown());
    d->cmdClose_Click();
    EXPECT_EQ(dialogView_.closed, 1);

    // The import face picks with an open dialog.
    auto i = dialog(false);
    EXPECT_EQ(i->captionSection(), "frmRestore");
    EXPECT_EQ(i->path(), "");
    dialogView_.picked = "/srv/in";
    i->cmdBrowser_Click();
    EXPECT_EQ(i->path(), "/srv/in.txt");
    EXPECT_EQ(dialogView_.titles.back(), "Select a Data file to import (open)");
    i->Form_Unload();
}

TEST_F(ImportExportTest, ImportOfOneSheetRestoresTheSelectionWhenTheDialogCloses) {
    openTwoSheets();
    if (HasFatalFailure()) return;
    auto d = dialog(true);
    d->cmdExt_Click();
    d->sheetListFocus(true);
    d->sheetRowChanged(1, false);
    d->setPath((tree_->root() / "first.txt").string());
    ASSERT_TRUE(d->cmdOK_Click());
    EXPECT_EQ(activeAttributes(), Ids({"1", "1"}));
    EXPECT_EQ(exchange::readExchangeFile((tree_->root() / "first.txt").string()).text.find("<S2>"),
              std::string::npos);
    presenter_->push(mrYes);
    ASSERT_TRUE(importFrom(tree_->root() / "first.txt", false)) << errorLog();
    EXPECT_EQ(activeAttributes(), Ids({"1", "1"}));
    // The second sheet's file was not in the import: it keeps its data.
    EXPECT_EQ(grid().textOf(2, col("E"), 5), "Lê Văn Cường");
}

}  // namespace
}  // namespace zevo::engine::test
