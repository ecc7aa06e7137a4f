// Renaming ID attributes repeatedly, as row shifting does: the look-up must follow
// every rename, collisions must not steal an ID, and removal and copies must still
// find the entries that renames moved.
#include <gtest/gtest.h>

#include <string>

#include "XmlTestSupport.h"
#include "zevo/Xml.h"

using namespace zevo::xml;

namespace {

// One Cells group of `n` cells with CellID "A_1" .. "A_n".
DocumentPtr column(int n) {
    std::string xml = std::string(zevo::test::kSheetDtd) + "<Sections><Section><Cells>";
    for (int r = 1; r <= n; ++r)
        xml += "<Cell CellID=\"A_" + std::to_string(r) + "\" Value=\"" + std::to_string(r) + "\"/>";
    xml += "</Cells></Section></Sections>";
    LoadResult result;
    auto doc = Document::fromString(xml, &result, Trust::Installed);
    EXPECT_TRUE(result.ok()) << result.reason;
    return doc;
}

std::string valueAt(const DocumentPtr& doc, const std::string& id) {
    Node n = doc->elementById(id);
    return n ? n.attribute("Value").value_or("?") : "<missing>";
}

}  // namespace

TEST(XmlIdRenames, ShiftingAColumnDownMovesEveryLookUp) {
    auto doc = column(300);
    // Bottom up, twice, as two inserted rows would do.
    for (int pass = 0; pass < 2; ++pass)
        for (int r = 300; r >= 1; --r)
            doc->elementById("A_" + std::to_string(r + pass)).setAttribute("CellID", "A_" + std::to_string(r + pass + 1));
    EXPECT_EQ(valueAt(doc, "A_1"), "<missing>");
    EXPECT_EQ(valueAt(doc, "A_2"), "<missing>");
    for (int r = 1; r <= 300; r += 37) EXPECT_EQ(valueAt(doc, "A_" + std::to_string(r + 2)), std::to_string(r));
    // Writing the value an attribute already has keeps its registration.
    doc->elementById("A_3").setAttribute("CellID", "A_3");
    EXPECT_EQ(valueAt(doc, "A_3"), "1");

    // Removing moved cells drops their entries; the document still saves and reloads.
    Node cell = doc->elementById("A_3");
    cell.remove();
    EXPECT_EQ(valueAt(doc, "A_3"), "<missing>");
    auto back = Document::fromString(doc->toString(), nullptr, Trust::Installed);
    EXPECT_EQ(valueAt(back, "A_302"), "300");
}

TEST(XmlIdRenames, ARenameOntoATakenValueDoesNotStealIt) {
    auto doc = column(3);
    Node first = doc->elementById("A_1");
    first.setAttribute("CellID", "A_2");   // A_2 belongs to the second cell
    EXPECT_EQ(valueAt(doc, "A_2"), "2");
    EXPECT_EQ(valueAt(doc, "A_1"), "<missing>");   // the old value is freed
    EXPECT_EQ(first.attribute("CellID").value(), "A_2");

    // Renamed again to a free value, the cell is an ID holder once more.
    first.setAttribute("CellID", "A_9");
    EXPECT_EQ(doc->elementById("A_9"), first);
    EXPECT_EQ(valueAt(doc, "A_2"), "2");

    // A copy renamed before insertion registers its new values once inserted.
    Node copy = doc->elementById("A_2").parent().cloneDeep();
    for (Node c : copy.childElements("Cell"))
        c.setAttribute("CellID", "C_" + c.attribute("Value").value());
    doc->elementById("A_2").parent().insertAfter(copy);
    EXPECT_EQ(doc->elementById("C_2").parent(), copy);
    EXPECT_EQ(valueAt(doc, "A_2"), "2");
    EXPECT_EQ(doc->elementById("A_2").parent(), doc->elementById("A_9").parent());
}
