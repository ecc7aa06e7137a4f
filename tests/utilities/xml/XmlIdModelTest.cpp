// The ID table as an invariant of the XML layer: after any sequence of renames,
// copies, insertions and removals, every "CellID" an element in the tree carries
// is found by elementById (on an element that carries it), and a value no element
// carries finds nothing. Checked against the tree itself after every step of
// random sequences, plus the sequences that once broke it.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "XmlTestSupport.h"
#include "zevo/Xml.h"

using namespace zevo::xml;

namespace {

// Values the sequences use: plain ones and ones the ID table would normalise.
const std::vector<std::string> kValues = {"A_1", "A_2", "A_3", "A_4", "A_5", "A_6", "K_5",
                                          "K_6", "K_7", "A_1 ", " A_2", "A  3", "A_1  "};

DocumentPtr twoGroups() {
    std::string xml = std::string(zevo::test::kSheetDtd) + "<Sections><Section>";
    int n = 0;
    for (int g = 0; g < 2; ++g) {
        xml += "<Cells>";
        for (int c = 0; c < 3; ++c, ++n)
            xml += "<Cell CellID=\"" + kValues[n] + "\" Value=\"" + std::to_string(n) + "\"/>";
        xml += "</Cells>";
    }
    xml += "</Section></Sections>";
    LoadResult result;
    auto doc = Document::fromString(xml, &result, Trust::Installed);
    EXPECT_TRUE(result.ok()) << result.reason;
    return doc;
}

bool inTree(const DocumentPtr& doc, const Node& node) {
    const Node root = doc->documentElement();
    for (Node n = node; !n.isNull(); n = n.parent())
        if (n == root) return true;
    return false;
}

// The invariant, with the tree as the reference: which elements carry each value.
::testing::AssertionResult idTableAgreesWithTree(const DocumentPtr& doc) {
    std::map<std::string, int> carried;
    for (const Node& cell : doc->elementsByTagName("Cell")) ++carried[cell.attribute("CellID").value_or("")];
    std::vector<std::string> probe = kValues;
    for (const auto& [value, count] : carried) probe.push_back(value);
    for (const std::string& value : probe) {
        const Node found = doc->elementById(value);
        if (carried.count(value)) {
            if (found.isNull()) return ::testing::AssertionFailure() << "'" << value << "' is carried but not found";
            if (!inTree(doc, found))
                return ::testing::AssertionFailure() << "'" << value << "' finds an element outside the tree";
            if (found.attribute("CellID").value_or("") != value)
                return ::testing::AssertionFailure()
                       << "'" << value << "' finds an element carrying '" << found.attribute("CellID").value_or("")
                       << "'";
        } else if (!found.isNull()) {
            return ::testing::AssertionFailure() << "'" << value << "' is carried by nothing but still found";
        }
    }
    return ::testing::AssertionSuccess();
}

std::string describe(const DocumentPtr& doc) {
    std::string s;
    for (const Node& cell : doc->elementsByTagName("Cell")) s += "[" + cell.attribute("CellID").value_or("") + "]";
    return s;
}

TEST(XmlIdTable, RandomRenamesCopiesInsertionsAndRemovalsKeepItRight) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        std::mt19937 rng(seed);
        auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
        auto doc = twoGroups();
        std::string log;
        for (int step = 0; step < 40; ++step) {
            const std::vector<Node> cells = doc->elementsByTagName("Cell");
            const std::vector<Node> groups = doc->elementsByTagName("Cells");
            switch (pick(4)) {
                case 0:
                case 1: {   // rename, often onto a value in use
                    Node cell = cells[pick(cells.size())];
                    const std::string value = kValues[pick(kValues.size())];
                    log += " rename " + cell.attribute("CellID").value_or("") + "->" + value;
                    cell.setAttribute("CellID", value);
                    break;
                }
                case 2: {   // copy a group, maybe rename some of the copy, insert it
                    Node group = groups[pick(groups.size())];
                    Node copy = group.cloneDeep();
                    for (Node c : copy.childElements("Cell"))
                        if (pick(2)) c.setAttribute("CellID", kValues[pick(kValues.size())]);
                    log += " copy";
                    if (pick(2)) group.insertAfter(copy);
                    else group.parent().appendChild(copy);
                    break;
                }
                case 3: {   // remove a cell or a whole group, keeping something
                    if (cells.size() <= 2) break;
                    if (pick(3) == 0 && groups.size() > 1) {
                        log += " remove-group";
                        Node group = groups[pick(groups.size())];
                        group.remove();
                    } else {
                        Node cell = cells[pick(cells.size())];
                        log += " remove " + cell.attribute("CellID").value_or("");
                        cell.remove();
                    }
                    break;
                }
            }
            ASSERT_TRUE(idTableAgreesWithTree(doc)) << "seed " << seed << ":" << log << "\n  " << describe(doc);
        }
    }
}

TEST(XmlIdTable, ValueWithBlanksRenamedBackAndRemovedLeavesNoEntry) {
    auto doc = twoGroups();
    Node cell = doc->elementById("A_1");
    cell.setAttribute("CellID", "A_1 ");
    cell.setAttribute("CellID", "A_1");
    cell.remove();
    EXPECT_TRUE(doc->elementById("A_1 ").isNull());
    EXPECT_TRUE(doc->elementById("A_1").isNull());
    EXPECT_TRUE(idTableAgreesWithTree(doc));
}

TEST(XmlIdTable, ACellThatLostACollisionIsFoundOnceTheOwnerMovesOn) {
    auto doc = twoGroups();
    Node seven = doc->elementById("A_1");
    Node six = doc->elementById("A_2");
    seven.setAttribute("CellID", "K_7");
    six.setAttribute("CellID", "K_6");
    seven.setAttribute("CellID", "K_6");   // taken: the first owner keeps it
    EXPECT_EQ(doc->elementById("K_6"), six);
    six.setAttribute("CellID", "K_5");
    EXPECT_EQ(doc->elementById("K_6"), seven) << "its edits would be dropped";
    EXPECT_EQ(doc->elementById("K_5"), six);
    EXPECT_TRUE(idTableAgreesWithTree(doc));
}

}  // namespace
