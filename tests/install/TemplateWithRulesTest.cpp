// The installed template, blank documents and catalogues driven by the real rules
// library: the cells the rules address exist where the template puts them, the
// catalogues feed the pick lists, and the completion check reads its notes from
// the template's validation sheet.
#include "StagedTree.h"

#include "zevo/ErrorLog.h"
#include "zevo/ScriptedMessagePresenter.h"
#include "zevo/Xml.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"
#include "zevo/grid/SpreadModel.h"
#include "zevo/rules/RuleObject.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <ctime>
#include <fstream>
#include <sstream>
#include <filesystem>
#include <memory>
#include <string>

namespace fs = std::filesystem;
using namespace zevo;

namespace {

int col(const std::string& letters) {
    int n = 0;
    for (char c : letters) n = n * 26 + (c - 'A' + 1);
    return n;
}

class TemplateWithRules : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = test::installTreeRoot();
        if (root_.empty()) GTEST_SKIP() << "no installation tree: run 'cmake --install' or build zevo_install_data";
        clsVariables::resetSession();
        logDir_ = fs::temp_directory_path() / ("zevo-install-rules-" + std::to_string(::getpid()));
        fs::create_directories(logDir_);
        setErrorLogFolderOverride(logDir_.string());
        presenter_ = std::make_shared<ScriptedMessagePresenter>();
        clsMessageBox::setPresenter(presenter_);
        setProgramFolderOverride(root_ + "/Bin");

        menu_ = xml::Document::fromFile(root_ + "/Bin/Menu.xml");
        xml::Node entry;
        for (const xml::Node& e : menu_->documentElement().childElements())
            if (e.attribute("ID").value_or("") == "100_7") entry = e;
        ASSERT_TRUE(entry);
        xml::Node validity = entry.firstChildElement("Validity");
        clsVariables vars;
        vars.NodeValidity(validity);
        auto sheets = validity.childElements("Sheet");
        vars.xmlDataReDim(static_cast<int>(sheets.size()) - 1);
        for (std::size_t i = 0; i < sheets.size(); ++i) {
            std::string folder = test::resolveMenuPath(root_, sheets[i].attribute("TemplateFolder").value_or(""));
            vars.Data(static_cast<int>(i),
                      xml::Document::fromFile(folder + "/" + sheets[i].attribute("DataFile").value_or("") + ".xml"));
        }
        grid_.loadWorkbook(test::resolveMenuPath(root_, validity.attribute("InterfaceTemplate").value_or("")));
        // Template loading turns the "cbo" markers into combo boxes.
        for (int s = 1; s < grid_.sheetCount(); ++s) {
            grid_.setSheet(s);
            for (int r = 1; r <= grid_.dataRowCount(); ++r)
                for (int c = 1; c <= grid_.dataColCount(); ++c)
                    if (grid_.textAt(c, r) == "cbo") {
                        grid_.setPosition(s, c, r);
                        grid_.setCellType(grid::CellType::ComboBox);
                        grid_.setText("");
                    }
        }
        grid_.setSheet(1);
        grid_.setActiveSheet(1);
        rule_.reset(static_cast<rules::RuleObject*>(static_cast<rules::ComObject*>(::CreateObject("ZEVO_Business.clsZEVO"))));
        ASSERT_TRUE(rule_);
        rule_->fps(&grid_);
    }

    void TearDown() override {
        if (rule_) rule_->fps(nullptr);
        rule_.reset();
        clsMessageBox::setPresenter(nullptr);
        setErrorLogFolderOverride("");
        setProgramFolderOverride("");
        clsVariables::resetSession();
        if (!logDir_.empty()) fs::remove_all(logDir_);
    }

    std::string text(int sheet, const char* c, int row) {
        grid_.setSheet(sheet);
        return grid_.textAt(col(c), row);
    }
    std::string list(const char* c, int row) {
        grid_.setPosition(1, col(c), row);
        return grid_.comboList();
    }
    std::string stored(const std::string& id) {
        return clsVariables().Data(0)->elementById(id).attribute("Value").value_or("<no cell>");
    }
    void edit(const char* c, int row, const std::string& value) {
        grid_.setActiveSheet(1);
        grid_.setSheet(1);
        grid_.userEdit(col(c), row, value);
    }
    std::string logText() const {
        std::ifstream in(logDir_ / "LogFile.txt");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::string root_;
    fs::path logDir_;
    std::shared_ptr<ScriptedMessagePresenter> presenter_;
    xml::DocumentPtr menu_;
    grid::SpreadModel grid_;
    std::unique_ptr<rules::RuleObject> rule_;
};

}  // namespace

TEST_F(TemplateWithRules, PreparedPickListsComeFromTheCatalogues) {
    rule_->Prepare1();
    EXPECT_EQ(list("Q", 38), "Nam\tNữ\t");
    EXPECT_EQ(list("S", 38).rfind("Việt Nam\t", 0), 0u);
    EXPECT_EQ(list("AB", 38).rfind("Thành phố Hà Nội\t", 0), 0u);
    EXPECT_EQ(list("L", 13).rfind("HNI - Cục Thuế thành phố Hà Nội\t", 0), 0u) << list("L", 13).substr(0, 80);
    EXPECT_FALSE(list("L", 15).empty());
    std::time_t now = std::time(nullptr);
    char today[11];
    std::strftime(today, sizeof today, "%d/%m/%Y", std::localtime(&now));
    EXPECT_EQ(text(1, "L", 19), today);
    EXPECT_EQ(logText(), "");   // every catalogue was found and read
}

TEST_F(TemplateWithRules, PickingAddressesStoresIdsInTheBlankDocument) {
    rule_->Prepare1();
    edit("AB", 38, "Thành phố Hà Nội");
    EXPECT_EQ(text(1, "AA", 38), "01");
    EXPECT_EQ(stored("AA_38"), "01");
    EXPECT_EQ(text(1, "AK", 38), "Thành phố Hà Nội");   // the current address follows while empty
    EXPECT_EQ(stored("AJ_38"), "01");
    EXPECT_EQ(list("AD", 38).rfind("Quận Ba Đình\t", 0), 0u);
    edit("AD", 38, "Quận Ba Đình");
    EXPECT_EQ(stored("AC_38"), "001");
    EXPECT_NE(list("AF", 38).find("Phường Phúc Xá\t"), std::string::npos);
    edit("Q", 38, "Nữ");
    EXPECT_EQ(stored("P_38"), "2");
    edit("S", 38, "Việt Nam");
    EXPECT_EQ(stored("R_38"), "00");
    edit("Z", 38, "12 Phố Huế");
    EXPECT_EQ(stored("AI_38"), "12 Phố Huế");
    edit("L", 13, "HNI - Cục Thuế thành phố Hà Nội");
    EXPECT_EQ(stored("O_13"), "101");
}

TEST_F(TemplateWithRules, CompletionCheckUsesTheTemplatesNotesAndSummary) {
    rule_->Prepare1();
    const int header = grid_.sheetCount();
    grid_.setSheet(1);
    grid_.setTextAt(col("K"), 9, "1234567893");
    edit("K", 38, "Nguyễn Văn An");
    edit("Q", 38, "Nam");
    edit("S", 38, "Việt Nam");
    edit("T", 38, "012345678");
    edit("Z", 38, "5 Lý Thường Kiệt");
    edit("AB", 38, "Thành phố Hà Nội");
    edit("AD", 38, "Quận Ba Đình");
    edit("AF", 38, "Phường Phúc Xá");
    edit("AH", 38, "Việt Nam");
    rule_->finish();
    grid_.setSheet(header);
    EXPECT_EQ(grid_.textAt(col("B"), 15), "1");
    grid_.setSheet(1);
    EXPECT_EQ(grid_.textAt(col("Q"), 19), "1");

    // An identity card of 8 digits: marked with the template's note, summary fails.
    edit("T", 38, "01234567");
    rule_->finish();
    grid_.setSheet(header);
    EXPECT_EQ(grid_.textAt(col("B"), 15), "0");
    const std::string note43 = grid_.textAt(col("E"), 43);
    grid_.setSheet(header);
    grid_.setPosition(header, col("C"), 15);
    EXPECT_EQ(grid_.formula(), "'Tờ khai'!T38");
    grid_.setPosition(1, col("T"), 38);
    EXPECT_NE(grid_.note().find(note43), std::string::npos) << grid_.note();
    EXPECT_FALSE(note43.empty());
}
