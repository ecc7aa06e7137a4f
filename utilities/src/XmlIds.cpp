#include <libxml/hash.h>
#include <libxml/tree.h>
#include <libxml/valid.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <vector>

#include "XmlInternal.h"

namespace zevo::xml::detail {
namespace {

void ignoreError(void*, xmlErrorPtr) {}

// Calls `visit` for every declared ID attribute of `node` and its descendants, in
// document order, with its value; stops when `visit` returns true.
template <class Visit>
bool forEachDeclaredId(xmlDoc* doc, xmlNode* node, Visit visit) {
    return forEachElement(node, [&](xmlNode* element) {
        for (xmlAttr* a = element->properties; a; a = a->next) {
            if (!xmlIsID(doc, element, a)) continue;
            xmlChar* value = xmlNodeListGetString(doc, a->children, 1);
            const bool stop = value && visit(a, value);
            xmlFree(value);
            if (stop) return true;
        }
        return false;
    });
}

}  // namespace

void presizeIdTable(xmlDoc* doc, std::size_t expected) {
    if (!doc || doc->ids) return;
    // About two values a bucket: chains stay short without a large empty table.
    const std::size_t buckets = std::max<std::size_t>(256, expected / 2);
    doc->ids = xmlHashCreate(static_cast<int>(std::min<std::size_t>(buckets, 1u << 24)));
}

bool registerIds(xmlDoc* doc, xmlNode* node) {
    if (!doc || !node) return false;
    bool shadowed = false;
    // A value another attribute owns leaves this one a plain attribute.
    forEachDeclaredId(doc, node, [&](xmlAttr* a, const xmlChar* value) {
        xmlAttr* owner = xmlGetID(doc, value);
        if (owner == nullptr) {
            xmlAddID(nullptr, doc, value, a);
        } else if (owner != a) {
            a->atype = XML_ATTRIBUTE_CDATA;
            shadowed = true;
        }
        return false;
    });
    return shadowed;
}

bool rebuildIds(xmlDoc* doc) {
    if (!doc) return false;
    xmlNode* root = xmlDocGetRootElement(doc);
    // Every declared ID attribute in the tree, and whether it owns its value now
    // (a pointer comparison: entries left by freed attributes are never followed).
    struct Held {
        xmlAttr* attr;
        xmlChar* value;
        bool owner;
    };
    std::vector<Held> held;
    if (root)
        forEachDeclaredId(doc, root, [&](xmlAttr* a, const xmlChar* value) {
            held.push_back({a, xmlStrdup(value), xmlGetID(doc, value) == a});
            return false;
        });
    // Freeing the table frees its entries only; the attributes are not touched.
    if (doc->ids) {
        xmlFreeIDTable(static_cast<xmlIDTablePtr>(doc->ids));
        doc->ids = nullptr;
    }
    presizeIdTable(doc, held.size());
    // Owners keep their values; the others take what is free, in document order.
    bool shadowed = false;
    for (const Held& h : held)
        if (h.owner) xmlAddID(nullptr, doc, h.value, h.attr);
    for (const Held& h : held) {
        if (h.owner) continue;
        if (xmlGetID(doc, h.value) == nullptr) {
            xmlAddID(nullptr, doc, h.value, h.attr);
        } else {
            h.attr->atype = XML_ATTRIBUTE_CDATA;
            shadowed = true;
        }
    }
    for (const Held& h : held) xmlFree(h.value);
    return shadowed;
}

bool holdsShadowedIds(xmlDoc* doc) {
    if (!doc || !doc->intSubset || !xmlDocGetRootElement(doc)) return false;
    return forEachDeclaredId(doc, xmlDocGetRootElement(doc), [&](xmlAttr* a, const xmlChar* value) {
        return xmlGetID(doc, value) != a;
    });
}

bool removalLeavesStaleIds(xmlDoc* doc, xmlNode* node, bool shadowed) {
    return forEachElement(node, [&](xmlNode* element) {
        for (xmlAttr* a = element->properties; a; a = a->next) {
            if (a->atype != XML_ATTRIBUTE_ID) continue;
            if (shadowed || !doc) return true;
            xmlChar* value = xmlNodeListGetString(doc, a->children, 1);
            const bool plain = value && !xmlStrchr(value, ' ') && xmlGetID(doc, value) == a;
            xmlFree(value);
            if (!plain) return true;
        }
        return false;
    });
}

QuietErrors::QuietErrors()
    : oldContext_(xmlStructuredErrorContext), oldHandler_(xmlStructuredError) {
    xmlSetStructuredErrorFunc(nullptr, ignoreError);
}

QuietErrors::~QuietErrors() { xmlSetStructuredErrorFunc(oldContext_, oldHandler_); }

}  // namespace zevo::xml::detail
