#include <libxml/tree.h>
#include <libxml/valid.h>
#include <libxml/xmlerror.h>

#include "XmlInternal.h"

namespace zevo::xml::detail {
namespace {

void ignoreError(void*, xmlErrorPtr) {}

void registerElementIds(xmlDoc* doc, xmlNode* elem) {
    for (xmlAttr* a = elem->properties; a; a = a->next) {
        if (!xmlIsID(doc, elem, a)) continue;
        xmlChar* value = xmlNodeListGetString(doc, a->children, 1);
        if (value && xmlGetID(doc, value) == nullptr) xmlAddID(nullptr, doc, value, a);
        xmlFree(value);
    }
}

}  // namespace

void registerIds(xmlDoc* doc, xmlNode* node) {
    if (!doc || !node) return;
    // Iterative walk: row lists can be deep enough to make recursion a risk.
    xmlNode* cur = node;
    while (cur) {
        if (cur->type == XML_ELEMENT_NODE) registerElementIds(doc, cur);
        if (cur->type == XML_ELEMENT_NODE && cur->children) {
            cur = cur->children;
            continue;
        }
        while (cur && cur != node && !cur->next) cur = cur->parent;
        if (!cur || cur == node) break;
        cur = cur->next;
    }
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
