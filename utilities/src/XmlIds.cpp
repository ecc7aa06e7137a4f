#include <libxml/tree.h>
#include <libxml/valid.h>
#include <libxml/xmlerror.h>

#include <vector>

#include "XmlInternal.h"

namespace zevo::xml::detail {
namespace {

void ignoreError(void*, xmlErrorPtr) {}

// Registers the element's declared ID attributes whose values are free; one whose
// value another attribute owns stops being an ID. True when that happened.
bool registerElementIds(xmlDoc* doc, xmlNode* elem) {
    bool shadowed = false;
    for (xmlAttr* a = elem->properties; a; a = a->next) {
        if (!xmlIsID(doc, elem, a)) continue;
        xmlChar* value = xmlNodeListGetString(doc, a->children, 1);
        if (value) {
            xmlAttr* owner = xmlGetID(doc, value);
            if (owner == nullptr) {
                xmlAddID(nullptr, doc, value, a);
            } else if (owner != a) {
                a->atype = XML_ATTRIBUTE_CDATA;
                shadowed = true;
            }
        }
        xmlFree(value);
    }
    return shadowed;
}

}  // namespace

bool registerIds(xmlDoc* doc, xmlNode* node) {
    if (!doc || !node) return false;
    bool shadowed = false;
    // Iterative walk: row lists can be deep enough to make recursion a risk.
    xmlNode* cur = node;
    while (cur) {
        if (cur->type == XML_ELEMENT_NODE) shadowed = registerElementIds(doc, cur) || shadowed;
        if (cur->type == XML_ELEMENT_NODE && cur->children) {
            cur = cur->children;
            continue;
        }
        while (cur && cur != node && !cur->next) cur = cur->parent;
        if (!cur || cur == node) break;
        cur = cur->next;
    }
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
    for (xmlNode* cur = root; cur;) {
        if (cur->type == XML_ELEMENT_NODE)
            for (xmlAttr* a = cur->properties; a; a = a->next) {
                if (!xmlIsID(doc, cur, a)) continue;
                xmlChar* value = xmlNodeListGetString(doc, a->children, 1);
                if (value) held.push_back({a, value, xmlGetID(doc, value) == a});
            }
        if (cur->type == XML_ELEMENT_NODE && cur->children) {
            cur = cur->children;
            continue;
        }
        while (cur && cur != root && !cur->next) cur = cur->parent;
        if (!cur || cur == root) break;
        cur = cur->next;
    }
    // Freeing the table frees its entries only; the attributes are not touched.
    if (doc->ids) {
        xmlFreeIDTable(static_cast<xmlIDTablePtr>(doc->ids));
        doc->ids = nullptr;
    }
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
    if (!doc || !doc->intSubset) return false;
    xmlNode* root = xmlDocGetRootElement(doc);
    for (xmlNode* cur = root; cur;) {
        if (cur->type == XML_ELEMENT_NODE)
            for (xmlAttr* a = cur->properties; a; a = a->next) {
                if (!xmlIsID(doc, cur, a)) continue;
                xmlChar* value = xmlNodeListGetString(doc, a->children, 1);
                const bool owner = value && xmlGetID(doc, value) == a;
                xmlFree(value);
                if (!owner) return true;
            }
        if (cur->type == XML_ELEMENT_NODE && cur->children) {
            cur = cur->children;
            continue;
        }
        while (cur && cur != root && !cur->next) cur = cur->parent;
        if (!cur || cur == root) break;
        cur = cur->next;
    }
    return false;
}

bool holdsRegisteredIds(xmlDoc* doc, xmlNode* node) {
    xmlNode* cur = node;
    while (cur) {
        if (cur->type == XML_ELEMENT_NODE) {
            for (xmlAttr* a = cur->properties; a; a = a->next)
                if (a->atype == XML_ATTRIBUTE_ID) return true;
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

QuietErrors::QuietErrors()
    : oldContext_(xmlStructuredErrorContext), oldHandler_(xmlStructuredError) {
    xmlSetStructuredErrorFunc(nullptr, ignoreError);
}

QuietErrors::~QuietErrors() { xmlSetStructuredErrorFunc(oldContext_, oldHandler_); }

}  // namespace zevo::xml::detail
