#pragma once
// The declaration catalogue "Menu.xml": the children of its first "Root" element
// are the menu entries (any element name); each has Validity children whose
// Sheet children are the sheets of the grid.
#include <string>
#include <vector>

#include "zevo/Xml.h"

namespace zevo::documents {

class MenuFile {
public:
    // Loads the menu file (installation data: IDs and defaults of its DTD apply).
    xml::LoadResult load(const std::string& path);
    // Uses a menu document that is already loaded.
    explicit MenuFile(xml::DocumentPtr doc = nullptr);

    const xml::DocumentPtr& document() const { return doc_; }
    // The first "Root" element, null when there is none.
    xml::Node root() const;
    // The menu entries that have a Validity, in document order.
    std::vector<xml::Node> entries() const;
    // The menu entry whose "ID" is id (first match), null when none.
    xml::Node entry(const std::string& id) const;
    // Position from 1 of that entry among entries(); 0 when there is none.
    int GetMenuIndex(const std::string& id) const;

private:
    xml::DocumentPtr doc_;
};

// The same look-ups starting from an already found "Root" element.
std::vector<xml::Node> menuEntries(const xml::Node& root);
int GetMenuIndex(const xml::Node& root, const std::string& id);

}  // namespace zevo::documents
