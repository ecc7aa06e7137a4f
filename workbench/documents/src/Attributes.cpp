#include "zevo/documents/Attributes.h"

namespace zevo::documents {

std::string GetAttributeValue(const xml::Node& node, const std::string& name) {
    if (node.isNull() || !node.isElement()) return {};
    return node.attribute(name).value_or(std::string());
}

void SetAttributeValue(const xml::Node& node, const std::string& name, const std::string& value) {
    try {
        if (node.isNull() || !node.hasAttribute(name)) return;
        xml::Node target = node;
        target.setAttribute(name, value);
    } catch (...) {
        // Attribute writes never fail towards the caller.
    }
}

}  // namespace zevo::documents
