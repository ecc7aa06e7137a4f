// The session values shared by every clsVariables object on a thread.
#include <gtest/gtest.h>

#include <thread>

#include "zevo/RuntimeError.h"
#include "zevo/clsVariables.h"

using zevo::clsVariables;

namespace {

class Variables : public ::testing::Test {
protected:
    void SetUp() override { clsVariables::resetSession(); }
    void TearDown() override { clsVariables::resetSession(); }
};

template <typename F>
int errorOf(F&& f) {
    try {
        f();
    } catch (const zevo::RuntimeError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace

TEST_F(Variables, EveryObjectOnAThreadSeesOneSet) {
    clsVariables program;
    program.Year("2009");
    program.DataFolder("/data/ZEVO/");
    program.xmlDataReDim(1);
    auto doc = zevo::xml::Document::fromString("<Sections/>");
    program.Data(0, doc);

    clsVariables rules;   // created later, as the rules library does
    EXPECT_EQ(rules.Year(), "2009");
    EXPECT_EQ(rules.DataFolder(), "/data/ZEVO/");
    EXPECT_EQ(rules.Data(0), doc);
    EXPECT_EQ(rules.Data(1), nullptr);

    // Another thread has its own, empty set.
    std::string otherYear = "unset";
    int otherCount = 0;
    std::thread([&] {
        clsVariables other;
        otherYear = other.Year();
        otherCount = errorOf([&] { other.xmlDataCount(); });
        other.Year("1999");
    }).join();
    EXPECT_EQ(otherYear, "");
    EXPECT_EQ(otherCount, zevo::err::kSubscriptOutOfRange);
    EXPECT_EQ(program.Year(), "2009");
}

TEST_F(Variables, ReDimSizesAndPreserves) {
    clsVariables v;
    v.xmlDataReDim(2);
    EXPECT_EQ(v.xmlDataCount(), 2);
    for (int i = 0; i <= 2; ++i) EXPECT_EQ(v.Data(i), nullptr);

    auto a = zevo::xml::Document::fromString("<A/>");
    auto b = zevo::xml::Document::fromString("<B/>");
    v.Data(0, a);
    v.Data(2, b);
    v.xmlDataReDim(1, true);   // shrinking keeps 0 … 1
    EXPECT_EQ(v.xmlDataCount(), 1);
    EXPECT_EQ(v.Data(0), a);
    v.xmlDataReDim(3, true);   // growing keeps the old entries, new ones empty
    EXPECT_EQ(v.Data(0), a);
    EXPECT_EQ(v.Data(3), nullptr);
    v.xmlDataReDim(3);         // without preserve everything is emptied
    EXPECT_EQ(v.Data(0), nullptr);

    v.AdjustDataReDim(2);
    v.AdjustData(0, true);
    v.AdjustData(2, true);
    v.AdjustDataReDim(4, true);
    EXPECT_EQ(v.AdjustDataCount(), 4);
    EXPECT_TRUE(v.AdjustData(0));
    EXPECT_FALSE(v.AdjustData(1));
    EXPECT_TRUE(v.AdjustData(2));
    EXPECT_FALSE(v.AdjustData(4));
}

TEST_F(Variables, SheetFlagsRaiseButNeverClearDataChanged) {
    clsVariables v;
    v.AdjustDataReDim(3);
    EXPECT_FALSE(v.DataChanged());
    v.AdjustData(1, true);
    EXPECT_TRUE(v.DataChanged());
    v.AdjustData(1, false);
    EXPECT_TRUE(v.DataChanged());
    EXPECT_FALSE(v.AdjustData(1));
    v.DataChanged(false);
    EXPECT_FALSE(v.DataChanged());
    v.AdjustData(2, false);
    EXPECT_FALSE(v.DataChanged());
}

TEST_F(Variables, ErrorsLeaveTheStateUnchanged) {
    clsVariables v;
    const int k9 = zevo::err::kSubscriptOutOfRange;
    // Before the first resize.
    EXPECT_EQ(errorOf([&] { v.Data(0); }), k9);
    EXPECT_EQ(errorOf([&] { v.AdjustData(0, true); }), k9);
    EXPECT_EQ(errorOf([&] { v.AdjustDataCount(); }), k9);
    EXPECT_FALSE(v.DataChanged());

    v.xmlDataReDim(1);
    v.AdjustDataReDim(1);
    auto doc = zevo::xml::Document::fromString("<Sections/>");
    EXPECT_EQ(errorOf([&] { v.Data(2, doc); }), k9);
    EXPECT_EQ(errorOf([&] { v.Data(-1); }), k9);
    EXPECT_EQ(errorOf([&] { v.AdjustData(2, true); }), k9);
    EXPECT_FALSE(v.DataChanged());   // the failed write did not mark the session
    EXPECT_EQ(v.xmlDataCount(), 1);

    auto menu = zevo::xml::Document::fromString("<Root><Menu><Validity/>text</Menu></Root>");
    auto validity = menu->selectSingleNode("//Validity");
    v.NodeValidity(validity);
    auto text = menu->selectSingleNode("//Menu/text()");
    ASSERT_FALSE(text.isNull());
    EXPECT_EQ(errorOf([&] { v.NodeValidity(text); }), zevo::err::kTypeMismatch);
    EXPECT_EQ(v.NodeValidity(), validity);
    v.NodeValidity({});   // clearing is allowed
    EXPECT_TRUE(v.NodeValidity().isNull());
}

TEST_F(Variables, HeldNodesKeepTheirDocumentAlive) {
    clsVariables v;
    {
        auto menu = zevo::xml::Document::fromString("<Root><Menu ID=\"100_7\"/></Root>");
        v.NodeMenu(menu->documentElement().firstChildElement());
    }
    EXPECT_EQ(v.NodeMenu().attribute("ID").value_or(""), "100_7");
}
