// The XML layer's ID bookkeeping under operation sequences: renames (onto values
// in use and values the ID table normalises), deep copies, insertions and
// removals. After each step every carried "CellID" is found on an element that
// carries it, and no other value is found.
#include <map>
#include <vector>

#include "FuzzSupport.h"
#include "zevo/Xml.h"

using namespace zevo::xml;

namespace {

const std::vector<std::string> kValues = {"A_1", "A_2", "A_3", "A_4", "A_5", "A_6", "K_5",
                                          "K_6", "K_7", "A_1 ", " A_2", "A  3", "A_1  ", ""};

const char* kDocument =
    "<?xml version=\"1.0\"?><!DOCTYPE Sections [<!ELEMENT Sections (Section*)>"
    "<!ELEMENT Section (Cells*)><!ELEMENT Cells (Cell*)><!ELEMENT Cell EMPTY>"
    "<!ATTLIST Cell CellID ID #REQUIRED Value CDATA #IMPLIED>]><Sections><Section>"
    "<Cells><Cell CellID=\"A_1\"/><Cell CellID=\"A_2\"/><Cell CellID=\"A_3\"/></Cells>"
    "<Cells><Cell CellID=\"A_4\"/><Cell CellID=\"A_5\"/><Cell CellID=\"A_6\"/></Cells>"
    "</Section></Sections>";

bool inTree(const DocumentPtr& doc, const Node& node) {
    const Node root = doc->documentElement();
    for (Node n = node; !n.isNull(); n = n.parent())
        if (n == root) return true;
    return false;
}

void check(const DocumentPtr& doc) {
    std::map<std::string, int> carried;
    for (const Node& cell : doc->elementsByTagName("Cell")) ++carried[cell.attribute("CellID").value_or("")];
    std::vector<std::string> probe = kValues;
    for (const auto& [value, count] : carried) probe.push_back(value);
    for (const std::string& value : probe) {
        if (value.empty()) continue;
        const Node found = doc->elementById(value);
        if (carried.count(value)) {
            if (found.isNull() || !inTree(doc, found) || found.attribute("CellID").value_or("") != value)
                std::abort();
        } else if (!found.isNull()) {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size > 512) return 0;
    zevo::fuzz::Bytes in(data, size);
    auto doc = Document::fromString(kDocument, nullptr, Trust::Installed);
    while (!in.empty()) {
        std::vector<Node> cells = doc->elementsByTagName("Cell");
        std::vector<Node> groups = doc->elementsByTagName("Cells");
        switch (in.below(4)) {
            case 0:
                if (!cells.empty()) cells[in.below(cells.size())].setAttribute("CellID", kValues[in.below(kValues.size())]);
                break;
            case 1: {
                if (groups.empty() || groups.size() > 16) break;
                Node group = groups[in.below(groups.size())];
                Node copy = group.cloneDeep();
                for (Node c : copy.childElements("Cell"))
                    if (in.below(2)) c.setAttribute("CellID", kValues[in.below(kValues.size())]);
                if (in.below(2)) group.insertAfter(copy);
                else group.parent().appendChild(copy);
                break;
            }
            case 2:
                if (cells.size() > 1) cells[in.below(cells.size())].remove();
                break;
            case 3:
                if (groups.size() > 1) groups[in.below(groups.size())].remove();
                break;
        }
        check(doc);
    }
    return 0;
}
