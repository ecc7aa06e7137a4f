#pragma once
// A main-window controller started on a private installation tree: scripted
// answers to messages, the error log in the tree, a lock file of its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "TempInstallTree.h"
#include "zevo/ErrorLog.h"
#include "zevo/ScriptedMessagePresenter.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/engine/MainController.h"
#include "zevo/grid/ColumnLetters.h"
#include "zevo/testing/TestFiles.h"

namespace zevo::engine::test {

namespace fs = std::filesystem;

using zevo::testing::col;
using zevo::testing::readFile;
using zevo::testing::writeFile;

// Records what the controller asks of its window.
class RecordingView : public MainView {
public:
    void setStatusText(const std::string& text) override { status = text; }
    void closeWindow() override { ++closes; }
    void focusGrid() override { ++focuses; }
    void setBackgroundColour(grid::Colour colour) override { background = colour; }
    std::string status;
    std::optional<grid::Colour> background;
    int closes = 0;
    int focuses = 0;
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        clsVariables::resetSession();
        if (!ui::tools::TempInstallTree::staged(ZEVO_DIST_DIR))
            GTEST_SKIP() << "the installation tree is not staged in " << ZEVO_DIST_DIR
                         << " (run cmake --install <build> first)";
        const std::string name =
            std::string("zevo-main-") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        tree_ = std::make_unique<ui::tools::TempInstallTree>(ZEVO_DIST_DIR, ZEVO_BUSINESS_DIR, name);
        setErrorLogFolderOverride(tree_->root().string());
        presenter_ = std::make_shared<ScriptedMessagePresenter>();
        clsMessageBox::setPresenter(presenter_);
        controller_ = makeController();
    }

    void TearDown() override {
        controller_.reset();
        clsMessageBox::setPresenter(nullptr);
        setErrorLogFolderOverride("");
        tree_.reset();
        clsVariables::resetSession();
    }

    std::unique_ptr<MainController> makeController() {
        auto controller = std::make_unique<MainController>();
        controller->setInstanceLockPath((tree_->root() / "zevo.lock").string());
        controller->setView(&view_);
        return controller;
    }

    // Starts the window; the declaration is open afterwards.
    void open() {
        ASSERT_EQ(controller_->Form_Load(), StartResult::Ready) << errorLog();
    }

    std::string errorLog() const { return readFile(tree_->root() / "LogFile.txt"); }
    fs::path dataFile(const char* name) const { return tree_->dataFolder() / name; }
    grid::SpreadModel& grid() { return controller_->grid(); }
    std::string stored(int sheetIndex, const std::string& id) const {
        return documents::GetAttributeValue(clsVariables().Data(sheetIndex)->elementById(id), "Value");
    }

    // A pick-list item of a cell of the displayed sheet (tab-separated list).
    std::string listItem(const char* column, int row, std::size_t index = 0) {
        grid().setPosition(grid().activeSheet(), col(column), row);
        const std::string list = grid().comboList();
        std::size_t start = 0;
        for (std::size_t i = 0; i < index; ++i) start = list.find('\t', start) + 1;
        return list.substr(start, list.find('\t', start) - start);
    }
    void pick(const char* column, int row, std::size_t index = 0) {
        const std::string item = listItem(column, row, index);
        ASSERT_FALSE(item.empty()) << column << row;
        grid().userEdit(col(column), row, item);
    }

    // Header and one individual: a declaration that passes every check.
    void fillValidDeclaration() {
        grid().userShowSheet(1);
        grid().userEdit(col("K"), 7, "Công ty TNHH Ánh Dương");
        grid().userEdit(col("K"), 9, "1234567893");
        pick("L", 13);
        pick("L", 15, 1);
        fillIndividual(38, "Nguyễn Văn An", "012345678");
    }
    void fillIndividual(int row, const std::string& name, const std::string& identity) {
        grid().userEdit(col("K"), row, name);
        grid().userEdit(col("N"), row, "01/02/1985");
        pick("Q", row);
        pick("S", row);
        grid().userEdit(col("T"), row, identity);
        grid().userEdit(col("Z"), row, "12 Phố Huế");
        pick("AB", row);
        pick("AD", row);
        pick("AF", row);
        pick("AH", row);
    }

    std::unique_ptr<ui::tools::TempInstallTree> tree_;
    std::shared_ptr<ScriptedMessagePresenter> presenter_;
    RecordingView view_;
    std::unique_ptr<MainController> controller_;
};

}  // namespace zevo::engine::test
