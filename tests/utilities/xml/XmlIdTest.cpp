// ID look-up of the sheet documents across the edits row insertion and deletion make.
#include <gtest/gtest.h>

#include "XmlTestSupport.h"
#include "zevo/Xml.h"

using namespace zevo::xml;

namespace {

DocumentPtr loadSheet() {
    std::string xml = std::string(zevo::test::kSheetDtd) +
                      "<Sections>"
                      "<Section Dynamic=\"1\" MaxRows=\"5\"><Cells>"
                      "<Cell CellID=\"K_38\" Value=\"a\" FirstCell=\"0\"/>"
                      "<Cell CellID=\"L_38\" Value=\"b\"/>"
                      "</Cells></Section>"
                      "<Section Dynamic=\"0\"><Cells>"
                      "<Cell CellID=\"K_39\" Value=\"total\"/>"
                      "<Cell CellID=\"K_40\" Value=\"sign\"/>"
                      "</Cells></Section>"
                      "</Sections>";
    LoadResult r;
    auto doc = Document::fromString(xml, &r, Trust::Installed);
    EXPECT_TRUE(r.ok()) << r.reason;
    return doc;
}

std::string valueOf(const DocumentPtr& doc, const std::string& id) {
    Node n = doc->elementById(id);
    return n ? n.attribute("Value").value_or("<no Value>") : "<missing>";
}

}  // namespace

TEST(XmlIds, DeclaredIdsAreFoundAfterLoadAndAttributeWrites) {
    auto doc = loadSheet();
    EXPECT_EQ(valueOf(doc, "K_38"), "a");
    EXPECT_EQ(valueOf(doc, "K_40"), "sign");
    EXPECT_TRUE(doc->elementById("Z_1").isNull());

    // Renaming an ID moves the look-up with it and frees the old value.
    doc->elementById("K_40").setAttribute("CellID", "K_90");
    EXPECT_EQ(valueOf(doc, "K_90"), "sign");
    EXPECT_TRUE(doc->elementById("K_40").isNull());

    // A value that is not an ID (CellID2) is not found by ID look-up.
    doc->elementById("K_38").setAttribute("CellID2", "B_7");
    EXPECT_TRUE(doc->elementById("B_7").isNull());
}

TEST(XmlIds, ClonedRowGroupRenumberedBelowTheSource) {
    auto doc = loadSheet();
    // Shift the rows below the group first, bottom up, so that values stay unique.
    doc->elementById("K_40").setAttribute("CellID", "K_41");
    doc->elementById("K_39").setAttribute("CellID", "K_40");

    Node group = doc->elementById("K_38").parent();
    Node copy = group.cloneDeep();
    group.insertAfter(copy);
    for (Node cell : copy.childElements("Cell")) {
        std::string id = cell.attribute("CellID").value();
        cell.setAttribute("CellID", id.substr(0, id.find('_')) + "_39");
    }
    copy.firstChildElement("Cell").setAttribute("FirstCell", "1");
    copy.firstChildElement("Cell").setAttribute("Value", "new");

    EXPECT_EQ(valueOf(doc, "K_38"), "a");
    EXPECT_EQ(valueOf(doc, "K_39"), "new");
    EXPECT_EQ(valueOf(doc, "L_39"), "b");
    EXPECT_EQ(valueOf(doc, "K_40"), "total");
    EXPECT_EQ(valueOf(doc, "K_41"), "sign");
    EXPECT_EQ(doc->elementById("K_39").parent(), copy);
    EXPECT_EQ(doc->elementById("K_38").attribute("FirstCell").value(), "0");
    EXPECT_EQ(doc->elementById("K_39").attribute("FirstCell").value(), "1");
}

TEST(XmlIds, RemovalFreesIdsAndUncoversACopyThatSharedThem) {
    auto doc = loadSheet();
    Node group = doc->elementById("K_38").parent();
    Node copy = group.cloneDeep();
    group.insertBefore(copy);   // the copy still carries K_38 / L_38
    copy.firstChildElement("Cell").setAttribute("Value", "copy");
    EXPECT_EQ(valueOf(doc, "K_38"), "a");   // the first owner keeps the ID

    group.remove();
    // The copy is now the only holder of the values and must be found.
    EXPECT_EQ(valueOf(doc, "K_38"), "copy");
    EXPECT_FALSE(doc->elementById("L_38").isNull());

    doc->elementById("K_39").parent().remove();
    EXPECT_TRUE(doc->elementById("K_39").isNull());
    EXPECT_TRUE(doc->elementById("K_40").isNull());
}

TEST(XmlIds, AppendedAndCopiedDocumentsRegisterTheirIds) {
    auto doc = loadSheet();
    Node staticCells = doc->elementById("K_39").parent();
    Node cell = doc->elementById("K_40").cloneDeep();
    cell.setAttribute("CellID", "M_40");
    staticCells.appendChild(cell);
    EXPECT_EQ(doc->elementById("M_40"), cell);

    auto copy = doc->clone();
    EXPECT_EQ(valueOf(copy, "M_40"), "sign");
    copy->elementById("K_38").setAttribute("Value", "changed");
    EXPECT_EQ(valueOf(copy, "K_38"), "changed");
    EXPECT_EQ(valueOf(doc, "K_38"), "a");   // the copy is independent

    // A Cell brought in from another document is found once inserted.
    auto other = loadSheet();
    Node imported = other->importNode(doc->elementById("M_40"));
    other->elementById("K_39").parent().appendChild(imported);
    EXPECT_EQ(other->elementById("M_40"), imported);
}

TEST(XmlIds, UndeclaredDocumentsHaveNoIds) {
    auto doc = Document::fromString("<Sections><Cell CellID=\"K_9\"/></Sections>");
    ASSERT_FALSE(doc->isEmpty());
    EXPECT_TRUE(doc->elementById("K_9").isNull());
}

// Bulk editing builds a document without ID upkeep; saved, it reads as it would
// have with IDs, and the first look-up brings every ID back.
TEST(XmlIds, BulkEditingSavesTheSameDocumentAndLooksUpAfterwards) {
    auto doc = loadSheet();
    auto bulk = doc->cloneForBulkEdit();
    for (auto* d : {&doc, &bulk}) {
        Node group = (*d)->documentElement().firstChildElement("Section").firstChildElement("Cells");
        Node copy = group.cloneDeep();
        copy.firstChildElement().setAttribute("CellID", "K_41");
        copy.firstChildElement().nextSiblingElement().setAttribute("CellID", "L_41");
        group.insertAfter(copy);
    }
    EXPECT_EQ(bulk->toString(), doc->toString());
    EXPECT_NE(bulk->toString().find("CellID ID"), std::string::npos);
    EXPECT_EQ(valueOf(bulk, "K_41"), "a");
    EXPECT_EQ(valueOf(bulk, "K_38"), "a");
    EXPECT_EQ(valueOf(doc, "L_41"), "b");
    // The source keeps its own IDs; a document put in bulk editing in place too.
    doc->beginBulkEdit();
    doc->documentElement().firstChildElement("Section").firstChildElement("Cells").firstChildElement()
        .setAttribute("CellID", "M_38");
    EXPECT_EQ(valueOf(doc, "M_38"), "a");
    EXPECT_EQ(valueOf(doc, "K_38"), "<missing>");
    EXPECT_EQ(valueOf(doc->clone(), "L_41"), "b");
}
