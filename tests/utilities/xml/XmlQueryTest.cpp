// Navigation and XPath over menu- and catalogue-shaped documents.
#include <gtest/gtest.h>

#include "zevo/RuntimeError.h"
#include "zevo/Xml.h"

using namespace zevo::xml;

namespace {
const char* kMenu =
    "<Root>"
    "<Menu ID=\"100_1\"/>"
    "<Menu ID=\"100_7\" Year=\"0\">"
    "<Validity StartDate=\"01/01/2009\"><Sheet Caption=\"A\"/><Sheet Caption=\"B\"/></Validity>"
    "<Validity StartDate=\"01/07/2010\"><Sheet Caption=\"C\"/></Validity>"
    "<!-- comment --> text"
    "</Menu>"
    "</Root>";
}

TEST(XmlQuery, RelativeXPathStartsAtTheContextNode) {
    auto doc = Document::fromString(kMenu);
    Node menu = doc->selectSingleNode("/Root/*[@ID='100_7']");
    ASSERT_FALSE(menu.isNull());
    auto validities = menu.selectNodes("Validity");
    ASSERT_EQ(validities.size(), 2u);
    EXPECT_EQ(validities[1].attribute("StartDate").value(), "01/07/2010");
    EXPECT_EQ(validities[0].selectNodes("Sheet").size(), 2u);
    EXPECT_EQ(menu.selectNodes("Validity/Sheet").size(), 3u);
    // The first menu entry has no Validity: relative selection must not look there.
    EXPECT_TRUE(doc->documentElement().firstChildElement().selectSingleNode("Validity").isNull());
    EXPECT_EQ(doc->selectNodes("//Sheet").size(), 3u);
}

TEST(XmlQuery, MalformedXPathIsAnError) {
    auto doc = Document::fromString(kMenu);
    try {
        doc->documentElement().selectNodes("Validity[");
        FAIL() << "no error";
    } catch (const zevo::RuntimeError& e) {
        EXPECT_EQ(e.number(), zevo::err::kInvalidCall);
    }
}

TEST(XmlQuery, ElementNavigationSkipsTextAndComments) {
    auto doc = Document::fromString(kMenu);
    Node root = doc->documentElement();
    EXPECT_EQ(root.childElementCount(), 2);
    Node menu = root.firstChildElement().nextSiblingElement();
    EXPECT_EQ(menu.attribute("ID").value(), "100_7");
    EXPECT_EQ(menu.childElements().size(), 2u);
    EXPECT_EQ(menu.previousSiblingElement().attribute("ID").value(), "100_1");
    EXPECT_TRUE(menu.nextSiblingElement().isNull());
    EXPECT_TRUE(root.parent().isNull());
    EXPECT_EQ(menu.firstChildElement("Validity").parent(), menu);

    EXPECT_EQ(root.elementsByTagName("Sheet").size(), 3u);
    EXPECT_EQ(doc->elementsByTagName("Root").size(), 1u);
    EXPECT_EQ(doc->elementsByTagName("*").size(), 8u);
    EXPECT_FALSE(menu.attribute("Month").has_value());
    EXPECT_FALSE(menu.hasAttribute("Month"));
}

TEST(XmlQuery, EditsThatWouldBreakTheTreeAreRefused) {
    auto doc = Document::fromString(kMenu);
    Node root = doc->documentElement();
    Node menu = root.firstChildElement();
    Node validity = root.selectSingleNode("*/Validity");
    auto errorOf = [](auto&& edit) {
        try {
            edit();
        } catch (const zevo::RuntimeError& e) {
            return e.number();
        }
        return 0;
    };
    EXPECT_EQ(errorOf([&] { validity.appendChild(validity.parent()); }), zevo::err::kInvalidCall);
    EXPECT_EQ(errorOf([&] { validity.appendChild(validity); }), zevo::err::kInvalidCall);
    EXPECT_EQ(errorOf([&] { root.insertAfter(menu.cloneDeep()); }), zevo::err::kInvalidCall);
    auto other = Document::fromString("<Other/>");
    EXPECT_EQ(errorOf([&] { root.appendChild(other->documentElement()); }), zevo::err::kInvalidCall);
    EXPECT_EQ(doc->elementsByTagName("*").size(), 8u);

    // Moving an element inside its document is allowed.
    menu.appendChild(validity);
    EXPECT_EQ(validity.parent(), menu);
    EXPECT_EQ(root.elementsByTagName("Validity").size(), 2u);
}

// Autosave trusts the revision to tell it that nothing changed: every edit of the
// layer has to move it, reads must not.
TEST(XmlQuery, EveryEditMovesTheContentRevision) {
    auto doc = Document::fromString("<A><B x=\"1\"/></A>");
    Node b = doc->documentElement().firstChildElement("B");
    std::uint64_t seen = contentRevision();
    auto moved = [&] {
        const std::uint64_t now = contentRevision();
        const bool changed = now != seen;
        seen = now;
        return changed;
    };
    (void)doc->toString();
    (void)GetAttributeValue(b, "x");
    (void)b.cloneDeep();
    EXPECT_FALSE(moved()) << "reads and unlinked copies change nothing";
    b.setAttribute("x", "2");
    EXPECT_TRUE(moved());
    b.insertAfter(b.cloneDeep());
    EXPECT_TRUE(moved());
    b.insertBefore(b.cloneDeep());
    EXPECT_TRUE(moved());
    b.appendChild(b.cloneDeep());
    EXPECT_TRUE(moved());
    Node last = doc->documentElement().firstChildElement("B").nextSiblingElement("B");
    last.remove();
    EXPECT_TRUE(moved());
    doc->loadString("<A/>");
    EXPECT_TRUE(moved());
    doc->loadFile("/nonexistent/zevo/none.xml");
    EXPECT_TRUE(moved()) << "a failed load empties the document";
}
