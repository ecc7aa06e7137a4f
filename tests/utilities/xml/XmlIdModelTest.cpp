// The ID table as an invariant of the XML layer: after any sequence of renames,
// copies, insertions and removals, every "CellID" an element in the tree carries
// is found by elementById (on an element that carries it), and a value no element
// carries finds nothing. Checked against the tree itself after every step of
// random sequences, plus the sequences that once broke it.
#include <gtest/gtest.h>
#include <libxml/tree.h>

#include <algorithm>
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

// Renumbering writes many values at once (AttributeWrites); whatever the batch,
// the document and its look-ups end as the same writes one by one leave them:
// shifts up and down across a digit-count boundary, shifts in an order that
// meets values still held, duplicates, blanks, values held elsewhere.
TEST(XmlIdTable, WritesGivenAtOnceEndAsWritesOneByOne) {
    const std::vector<std::string> cols = {"A", "B", "C"};
    auto build = [&](int groups) {
        std::string xml = std::string(zevo::test::kSheetDtd) + "<Sections><Section>";
        for (int r = 95; r < 95 + groups; ++r) {
            xml += "<Cells>";
            for (const std::string& c : cols)
                xml += "<Cell CellID=\"" + c + "_" + std::to_string(r) + "\" CellID2=\"" + c + "_" +
                       std::to_string(r + 3) + "\" Value=\"" + c + std::to_string(r) + "\"/>";
            xml += "</Cells>";
        }
        xml += "</Section></Sections>";
        return Document::fromString(xml, nullptr, Trust::Installed);
    };
    auto indexOf = [](const DocumentPtr& doc, const Node& n) {
        const std::vector<Node> cells = doc->elementsByTagName("Cell");
        return n.isNull() ? -1 : static_cast<int>(std::find(cells.begin(), cells.end(), n) - cells.begin());
    };
    int atOnce = 0;
    for (unsigned seed = 1; seed <= 400; ++seed) {
        std::mt19937 rng(seed);
        auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
        const int groups = 3 + static_cast<int>(pick(6));
        auto one = build(groups), all = build(groups);
        std::vector<Node> cellsOne = one->elementsByTagName("Cell"), cellsAll = all->elementsByTagName("Cell");
        if (pick(6) == 0) {   // a value held twice before the batch
            const std::size_t k = pick(cellsOne.size());
            cellsOne[k].setAttribute("CellID", "A_96");
            cellsAll[k].setAttribute("CellID", "A_96");
        }
        // The batch: cell, attribute, value.
        struct Write {
            std::size_t cell;
            std::string name, value;
        };
        std::vector<Write> batch;
        const int delta = static_cast<int>(pick(3)) + 1;
        const bool down = pick(2) == 0;   // rows move down (an insertion) or up (a deletion)
        const std::size_t from = pick(cellsOne.size());
        for (std::size_t step = 0; step < cellsOne.size() - from; ++step) {
            const std::size_t k = down ? cellsOne.size() - 1 - step : from + step;
            const int row = 95 + static_cast<int>(k / cols.size());
            const std::string& c = cols[k % cols.size()];
            batch.push_back({k, "CellID", c + "_" + std::to_string(down ? row + delta : row - delta)});
            batch.push_back({k, "CellID2", c + "_" + std::to_string(down ? row + 3 + delta : row + 3 - delta)});
        }
        switch (pick(4)) {
            case 0:
                break;   // a plain shift
            case 1:      // the wrong order: values still held when they are wanted
                std::reverse(batch.begin(), batch.end());
                break;
            case 2:      // one value replaced: a duplicate, a blank, a value held outside the list
                if (!batch.empty())
                    batch[pick(batch.size())].value =
                        pick(2) ? kValues[pick(kValues.size())] : batch[pick(batch.size())].value;
                break;
            default:     // one cell written twice
                if (!batch.empty()) batch.push_back(batch[pick(batch.size())]);
                break;
        }
        for (const Write& w : batch) cellsOne[w.cell].setAttribute(w.name, w.value);
        {
            AttributeWrites writes(all);
            for (const Write& w : batch)
                writes.write(xmlHasProp(cellsAll[w.cell].raw(), reinterpret_cast<const xmlChar*>(w.name.c_str())),
                             w.value);
            if (writes.finish()) ++atOnce;
        }

        ASSERT_EQ(one->toString(), all->toString()) << "seed " << seed;
        std::vector<std::string> probe = kValues;
        for (const Node& cell : cellsOne) probe.push_back(cell.attribute("CellID").value_or(""));
        for (int r = 90; r < 105 + groups; ++r)
            for (const std::string& c : cols) probe.push_back(c + "_" + std::to_string(r));
        for (const std::string& value : probe)
            ASSERT_EQ(indexOf(one, one->elementById(value)), indexOf(all, all->elementById(value)))
                << "seed " << seed << ": " << value;
        ASSERT_TRUE(idTableAgreesWithTree(all)) << "seed " << seed << "\n  " << describe(all);
        // Attributes that changed places are linked as their elements' own.
        for (const Node& cell : cellsAll) {
            xmlAttr* prev = nullptr;
            for (xmlAttr* a = cell.raw()->properties; a; prev = a, a = a->next)
                ASSERT_TRUE(a->parent == cell.raw() && a->prev == prev) << "seed " << seed;
        }
    }
    EXPECT_GT(atOnce, 100) << "the batches that can be written at once are";
}

}  // namespace
