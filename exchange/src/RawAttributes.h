#pragma once
// Attribute reads on raw libxml2 nodes for the loops over every cell of a large
// declaration: the element's own attributes only. (xmlHasProp also searches the
// DTD for a default when an attribute is missing, which costs a hash look-up per
// cell; the documents' DTD defaults none, and defaults are filled in on parsing.)
#include <libxml/tree.h>

#include <optional>
#include <string>
#include <string_view>

namespace zevo::exchange::detail {

inline std::optional<std::string_view> ownAttribute(const xmlNode* element, const char* name,
                                                    std::string& scratch) {
    for (const xmlAttr* a = element->properties; a; a = a->next) {
        if (a->ns || !xmlStrEqual(a->name, reinterpret_cast<const xmlChar*>(name))) continue;
        if (!a->children) return std::string_view();
        if (a->children->type == XML_TEXT_NODE && !a->children->next && a->children->content)
            return std::string_view(reinterpret_cast<const char*>(a->children->content));
        xmlChar* v = xmlNodeListGetString(element->doc, a->children, 1);
        scratch = v ? reinterpret_cast<const char*>(v) : "";
        xmlFree(v);
        return std::string_view(scratch);
    }
    return std::nullopt;
}

inline bool isElementNamed(const xmlNode* n, const char* name) {
    return n && n->type == XML_ELEMENT_NODE && xmlStrEqual(n->name, reinterpret_cast<const xmlChar*>(name));
}

}  // namespace zevo::exchange::detail
