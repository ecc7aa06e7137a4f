#include <gtest/gtest.h>

#include "RulesTestSupport.h"

namespace zevo::rules::test {
namespace {

class CatalogueTest : public RulesSession {};

TEST_F(CatalogueTest, LoadersReadEachFileOnceAndKeepIt) {
    xml::DocumentPtr location = rule().getXMLLocation();
    ASSERT_TRUE(location);
    EXPECT_EQ(rule().getXMLLocation(), location);
    // Later changes of the validity node are not seen by this object.
    useCatalogueFolder("/nonexistent/");
    EXPECT_EQ(rule().getXMLLocation(), location);
    EXPECT_EQ(logEntries(), 0);
}

TEST_F(CatalogueTest, ListsOfLevelsAndOfParents) {
    RuleObject& r = rule();
    auto location = r.getXMLLocation();
    EXPECT_EQ(r.getValueListToString(1, location), "Hà Nội\tHải Phòng\tHồ Chí Minh\t");
    EXPECT_EQ(r.getValueListToString(3, location), "Phúc Xá\tTrúc Bạch\tPhúc Tân\tPhúc Xá\t");
    xml::Node haiPhong = r.getNodeByValue(1, "Hải Phòng", location);
    EXPECT_EQ(r.getValueListToString(2, location, haiPhong), "Hồng Bàng\tTrung Tâm\tLê Chân\t");
    // A parent's children are listed whatever level is asked for.
    EXPECT_EQ(r.getValueListToString(3, location, haiPhong), "Hồng Bàng\tTrung Tâm\tLê Chân\t");
    xml::Node noChildren = r.getNodeByValue(1, "Hồ Chí Minh", location);
    ASSERT_FALSE(noChildren.isNull());
    EXPECT_EQ(r.getValueListToString(2, location, noChildren), "");

    auto taxOffice = r.getXMLTaxoffice();
    EXPECT_EQ(r.getValueListToString(1, taxOffice, {}, true),
              "HNI - Cục Thuế Hà Nội\tHPH - Cục Thuế Hải Phòng\tKCC - Cục Thuế Không Chi Cục\t");
    // Items without a shortname still get the separator.
    EXPECT_EQ(r.getValueListToString(2, taxOffice, {}, true).rfind(" - Chi cục Thuế Ba Đình\t", 0), 0u);
    EXPECT_EQ(logEntries(), 0);
}

TEST_F(CatalogueTest, LookUpByValueFallsBackToTheWholeLevel) {
    RuleObject& r = rule();
    auto location = r.getXMLLocation();
    xml::Node haiPhong = r.getNodeByValue(1, "Hải Phòng", location);
    xml::Node haNoi = r.getNodeByValue(1, "Hà Nội", location);
    EXPECT_EQ(r.getNodeByValue(2, "Trung Tâm", location, haiPhong).attribute("id"), "304");
    EXPECT_EQ(r.getNodeByValue(2, "Trung Tâm", location, haNoi).attribute("id"), "009");
    EXPECT_EQ(r.getNodeByValue(2, "Trung Tâm", location).attribute("id"), "009");
    // A district of another province is found when the parent has no such child.
    EXPECT_EQ(r.getNodeByValue(2, "Lê Chân", location, haNoi).attribute("id"), "002");
    xml::Node hcm = r.getNodeByValue(1, "Hồ Chí Minh", location);
    EXPECT_EQ(r.getNodeByValue(2, "Ba Đình", location, hcm).attribute("id"), "001");
    EXPECT_TRUE(r.getNodeByValue(2, "Nowhere", location, haNoi).isNull());
    EXPECT_TRUE(r.getNodeByValue(1, "", location).isNull());
}

TEST_F(CatalogueTest, ComparisonsAreExact) {
    RuleObject& r = rule();
    auto location = r.getXMLLocation();
    EXPECT_TRUE(r.getNodeByValue(1, "hà nội", location).isNull());
    EXPECT_TRUE(r.getNodeByValue(1, " Hà Nội", location).isNull());
    EXPECT_TRUE(r.getNodeByValue(1, "Hà Nội ", location).isNull());
    EXPECT_TRUE(r.getNodeById(1, "1", location).isNull());
    EXPECT_TRUE(r.getNodeById(1, "01 ", location).isNull());
    EXPECT_FALSE(r.getNodeById(1, "01", location).isNull());
}

TEST_F(CatalogueTest, LookUpByIdTakesTheFirstInDocumentOrder) {
    RuleObject& r = rule();
    auto location = r.getXMLLocation();
    EXPECT_EQ(r.getNodeById(2, "002", location).attribute("value"), "Hoàn Kiếm");
    EXPECT_EQ(r.getNodeById(3, "00037", location).attribute("value"), "Phúc Tân");
    // Only the asked level is searched.
    EXPECT_TRUE(r.getNodeById(1, "002", location).isNull());
    EXPECT_TRUE(r.getNodeById(3, "002", location).isNull());
}

TEST_F(CatalogueTest, MissingFileGivesEmptyResultsAndOneLogEntryPerCall) {
    useCatalogueFolder(logDir_.string() + "/missing/");
    RuleObject& r = rule();
    EXPECT_EQ(r.getXMLSex(), nullptr);
    EXPECT_EQ(logEntries(), 1);
    EXPECT_NE(logText().find("getXMLSex"), std::string::npos);
    EXPECT_NE(logText().find("clsZEVO"), std::string::npos);
    // The failed load leaves an empty document that later calls return quietly.
    xml::DocumentPtr cached = r.getXMLSex();
    ASSERT_NE(cached, nullptr);
    EXPECT_TRUE(cached->isEmpty());
    EXPECT_EQ(logEntries(), 1);

    EXPECT_EQ(r.getValueListToString(1, cached), "");
    EXPECT_EQ(logEntries(), 2);
    EXPECT_TRUE(r.getNodeById(1, "1", cached).isNull());
    EXPECT_EQ(logEntries(), 3);
    EXPECT_TRUE(r.getNodeByValue(1, "Nam", cached).isNull());
    EXPECT_EQ(logEntries(), 4);
    EXPECT_EQ(r.getValueListToString(1, nullptr), "");
    EXPECT_EQ(logEntries(), 5);
}

TEST_F(CatalogueTest, UnreadableFileIsLoggedAsSuch) {
    const std::string folder = logDir_.string() + "/bad/";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "DMQuocGia.xml") << "<Root><Item id=\"VN\"";
    useCatalogueFolder(folder);
    EXPECT_EQ(rule().getXMLNational(), nullptr);
    EXPECT_EQ(logEntries(), 1);
    EXPECT_NE(logText().find("getXMLNational"), std::string::npos);
}

TEST_F(CatalogueTest, NoValidityNodeIsLoggedNotFatal) {
    clsVariables().NodeValidity(xml::Node{});
    EXPECT_EQ(rule().getXMLCareer(), nullptr);
    EXPECT_EQ(logEntries(), 1);
}

}  // namespace
}  // namespace zevo::rules::test
