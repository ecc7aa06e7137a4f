// Attribute rules, message look-up and the menu's entry positions.
#include "DocumentsTestSupport.h"
#include "zevo/documents/Attributes.h"
#include "zevo/documents/MenuFile.h"
#include "zevo/documents/MessageLookup.h"

using namespace zevo;
using namespace zevo::documents;
using Attributes = zevo::test::SessionFixture;

TEST_F(Attributes, MissingAttributesReadEmptyAndAreNeverCreated) {
    auto doc = xml::Document::fromString(
        "<!DOCTYPE Sections [<!ATTLIST Cell CellID ID #REQUIRED>]>"
        "<Sections><Section><Cells><Cell CellID=\"K_9\" Value=\"1\"/>"
        "<Cell CellID=\"K_10\"/></Cells></Section></Sections>",
        nullptr, xml::Trust::Installed);
    xml::Node first = doc->elementById("K_9");
    xml::Node second = doc->elementById("K_10");
    EXPECT_EQ(GetAttributeValue(first, "FirstCell"), "");
    EXPECT_EQ(GetAttributeValue(xml::Node(), "Value"), "");
    EXPECT_EQ(GetAttributeValue(first, "Value"), "1");

    const std::string before = doc->toString();
    SetAttributeValue(second, "Value", "5");
    SetAttributeValue(xml::Node(), "Value", "5");
    EXPECT_EQ(doc->toString(), before);

    SetAttributeValue(first, "Value", "");
    EXPECT_TRUE(first.hasAttribute("Value"));
    EXPECT_EQ(GetAttributeValue(first, "Value"), "");
    // Writing the ID attribute keeps the ID look-up right.
    SetAttributeValue(first, "CellID", "K_11");
    EXPECT_EQ(doc->elementById("K_11"), first);
}

TEST_F(Attributes, MessageNodeIsTheFirstEntryWithTheId) {
    auto doc = xml::Document::fromString(
        "<Messages><Message ID=\"0002\" Msg=\"first\"/><Message Msg=\"no id\"/>"
        "<Message ID=\"0002\" Msg=\"second\"/><Message ID=\"0037\" Msg=\"other\"/></Messages>");
    clsVariables().NodeMessage(doc->documentElement().childElements());
    EXPECT_EQ(GetAttributeValue(GetMessageNode("0002"), "Msg"), "first");
    EXPECT_EQ(GetAttributeValue(GetMessageNode("0037"), "Msg"), "other");
    EXPECT_TRUE(GetMessageNode("9999").isNull());
    EXPECT_TRUE(GetMessageNode("").isNull());
}

TEST_F(Attributes, MenuIndexCountsOnlyEntriesWithAValidity) {
    write(file("Menu.xml"),
          "<?xml version=\"1.0\"?><Root>"
          "<Menu ID=\"100_1\"><Validity StartDate=\"01/01/2009\"/></Menu>"
          "<Menu ID=\"200_1\"/>"
          "<Group ID=\"100_7\"><Validity StartDate=\"01/01/2009\"/></Group>"
          "<Menu ID=\"100_8\"><Validity StartDate=\"01/01/2009\"/></Menu>"
          "</Root>");
    MenuFile menu;
    ASSERT_TRUE(menu.load(file("Menu.xml")).ok());
    EXPECT_EQ(menu.entries().size(), 3u);
    EXPECT_EQ(menu.GetMenuIndex("100_1"), 1);
    EXPECT_EQ(menu.GetMenuIndex("100_7"), 2);
    EXPECT_EQ(menu.GetMenuIndex("100_8"), 3);
    EXPECT_EQ(menu.GetMenuIndex("200_1"), 0);   // no Validity
    EXPECT_EQ(menu.GetMenuIndex("999"), 0);
    EXPECT_EQ(GetAttributeValue(menu.entry("200_1"), "ID"), "200_1");
    EXPECT_EQ(GetMenuIndex(menu.root(), "100_8"), 3);

    MenuFile missing;
    EXPECT_EQ(missing.load(file("nothere.xml")).status, xml::LoadStatus::NotFound);
    EXPECT_EQ(missing.GetMenuIndex("100_1"), 0);
}
