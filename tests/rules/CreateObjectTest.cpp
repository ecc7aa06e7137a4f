#include <gtest/gtest.h>

#include <filesystem>

#include "RulesTestSupport.h"
#include "zevo/rules/BusinessLibrary.h"

namespace zevo::rules::test {
namespace {

class CreateObjectTest : public RulesSession {};

TEST_F(CreateObjectTest, ObjectsByClassNameThroughTheLoadedLibrary) {
    BusinessLibrary library(ZEVO_BUSINESS_LIBRARY);
    auto rule = library.createRule("ZEVO_Business.clsZEVO");
    ASSERT_TRUE(rule);
    EXPECT_EQ(rule->kind(), ObjectKind::Rule);
    EXPECT_FALSE(rule->ResetData());
    EXPECT_TRUE(library.createRule("clsZEVO"));
    auto report = library.createReport("ZEVO_Business.clsZEVOReport");
    ASSERT_TRUE(report);
    EXPECT_EQ(report->kind(), ObjectKind::Report);
    EXPECT_TRUE(library.createReport("ZEVO_Business.clsZEVOSpecialReport"));
    EXPECT_TRUE(library.createReport("clsZEVOSpecialReport"));

    // The folder form finds the same file.
    BusinessLibrary byFolder(std::filesystem::path(ZEVO_BUSINESS_LIBRARY).parent_path().string());
    EXPECT_EQ(byFolder.libraryPath(), ZEVO_BUSINESS_LIBRARY);
    EXPECT_TRUE(byFolder.createRule("ZEVO_Business.clsZEVO"));
    EXPECT_EQ(logEntries(), 0);
}

TEST_F(CreateObjectTest, EmptyUnknownOrWrongKindGiveNoObject) {
    BusinessLibrary library(ZEVO_BUSINESS_LIBRARY);
    EXPECT_FALSE(library.create(""));
    EXPECT_FALSE(library.create("  "));
    EXPECT_EQ(logEntries(), 0);   // no class is no error
    EXPECT_FALSE(library.create("ZEVO_Business.clsOther"));
    EXPECT_FALSE(library.create("zevo_business.clszevo"));
    EXPECT_FALSE(library.create("Other.clsZEVO"));
    EXPECT_EQ(logEntries(), 3);
    EXPECT_FALSE(library.createRule("ZEVO_Business.clsZEVOReport"));
    EXPECT_FALSE(library.createReport("ZEVO_Business.clsZEVO"));
    EXPECT_EQ(logEntries(), 5);
    EXPECT_EQ(::CreateObject(nullptr), nullptr);
}

TEST_F(CreateObjectTest, MissingLibraryIsLogged) {
    BusinessLibrary library(logDir_.string());
    EXPECT_FALSE(library.create("ZEVO_Business.clsZEVO"));
    EXPECT_EQ(logEntries(), 1);
}

}  // namespace
}  // namespace zevo::rules::test
