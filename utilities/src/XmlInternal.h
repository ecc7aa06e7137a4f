#pragma once
// Helpers shared by the XML layer's sources (not part of the public interface).
#include <libxml/tree.h>

#include <string>
#include <vector>

#include "zevo/Xml.h"

namespace zevo::xml::detail {

inline std::string toStd(const xmlChar* s) {
    return s ? std::string(reinterpret_cast<const char*>(s)) : std::string();
}
inline const xmlChar* toXml(const std::string& s) {
    return reinterpret_cast<const xmlChar*>(s.c_str());
}

// Calls `visit` for `node` and every element below it, in document order, until
// it returns true (then the result is true). Iterative: row lists can be deep
// enough to make recursion a risk.
template <class Visit>
bool forEachElement(xmlNode* node, Visit visit) {
    for (xmlNode* cur = node; cur;) {
        if (cur->type == XML_ELEMENT_NODE) {
            if (visit(cur)) return true;
            if (cur->children) {
                cur = cur->children;
                continue;
            }
        }
        while (cur && cur != node && !cur->next) cur = cur->parent;
        if (!cur || cur == node) break;
        cur = cur->next;
    }
    return false;
}

// Gives a document without an ID table one with room for about `expected` values.
// libxml2 would make it on the first ID, tied to the document's dictionary: both
// stop growing at a few thousand buckets, so a list of a million identifiers
// makes every registration walk chains of hundreds. This table is sized up front
// and keeps its own copies of the values, so each registration costs one probe.
void presizeIdTable(xmlDoc* doc, std::size_t expected);

// Registers the ID attributes of `node` and its descendants that are declared IDs
// and whose values are not taken yet. An attribute whose value another attribute
// owns (a duplicate, as in a fresh clone) stops being an ID; true when there was one.
bool registerIds(xmlDoc* doc, xmlNode* node);

// Makes the document's ID table anew from the tree, in document order (the first
// holder of a value owns it). True when some declared ID value is held twice.
bool rebuildIds(xmlDoc* doc);

// True when an element of the tree holds a declared ID value it does not own (a
// duplicate the parser left unregistered).
bool holdsShadowedIds(xmlDoc* doc);

// True when removing the subtree leaves the ID table to be made anew: it holds an
// attribute registered in the table, and another element may hold its value
// (`shadowed`), or the table would keep the entry (a value with blanks, which
// libxml2 looks up normalised, or a value the attribute does not own).
bool removalLeavesStaleIds(xmlDoc* doc, xmlNode* node, bool shadowed);

// Records a change to some document's content (see contentRevision).
void noteContentChange();

// Suppresses libxml2's generic error output on this thread while alive (libxml2
// reports some non-fatal problems to stderr otherwise).
class QuietErrors {
public:
    QuietErrors();
    ~QuietErrors();
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;

private:
    void* oldContext_;
    xmlStructuredErrorFunc oldHandler_;
};

}  // namespace zevo::xml::detail

namespace zevo::xml {
std::vector<Node> evaluateXPath(const std::shared_ptr<Document>& doc, xmlNode* context,
                                const std::string& xpath);
}  // namespace zevo::xml
