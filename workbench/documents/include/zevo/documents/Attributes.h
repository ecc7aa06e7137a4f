#pragma once
// Attribute access of the declaration documents, the menu and the ini files. New
// attributes are never made: new Cells and Cell elements are clones of existing
// ones and so already carry every attribute they may need.
#include <string>

#include "zevo/Xml.h"

namespace zevo::documents {

// The named attribute's value; "" for a missing attribute or node. Never fails.
std::string GetAttributeValue(const xml::Node& node, const std::string& name);

// Changes an existing attribute; a missing attribute or node is left alone.
// Never fails.
void SetAttributeValue(const xml::Node& node, const std::string& name, const std::string& value);

}  // namespace zevo::documents
