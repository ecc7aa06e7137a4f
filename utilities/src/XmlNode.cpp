#include <libxml/hash.h>
#include <libxml/tree.h>
#include <libxml/valid.h>
#include <libxml/xpath.h>

#include "XmlInternal.h"
#include "zevo/RuntimeError.h"
#include "zevo/Xml.h"

namespace zevo::xml {
using detail::toStd;
using detail::toXml;

namespace {

bool isElem(const xmlNode* n) { return n && n->type == XML_ELEMENT_NODE; }

bool nameMatches(const xmlNode* n, const std::string& name) {
    return isElem(n) && (name.empty() || name == "*" || xmlStrEqual(n->name, toXml(name)));
}

// An attribute's value. Most are one text node (or none, when empty), read in
// place: the lists read a few attributes of each of hundreds of thousands of cells.
std::string attributeValue(xmlDoc* doc, const xmlAttr* a) {
    const xmlNode* text = a->children;
    if (!text) return {};
    if (text->type == XML_TEXT_NODE && !text->next) return toStd(text->content);
    xmlChar* v = xmlNodeListGetString(doc, text, 1);
    std::string s = toStd(v);
    xmlFree(v);
    return s;
}

// Gives a registered ID attribute a new value by moving its ID table entry to the
// new key, instead of freeing the entry and allocating another. Handles only the
// plain case (the attribute owns the entry of its value, a value without blanks
// that the table would normalise); false leaves everything untouched.
bool moveIdEntry(xmlDoc* doc, xmlAttr* a, const xmlChar* value) {
    auto* ids = static_cast<xmlHashTablePtr>(doc->ids);
    const xmlChar* old = a->children->content;
    if (!ids || !old || !value || xmlStrchr(old, ' ') || xmlStrchr(value, ' ')) return false;
    auto* id = static_cast<xmlIDPtr>(xmlHashLookup(ids, old));
    if (!id || id->attr != a) return false;
    if (xmlStrEqual(old, value)) return true;
    const bool taken = xmlHashLookup(ids, value) != nullptr;
    if (!taken) {
        xmlChar* copy = xmlStrdup(value);
        if (!copy) return false;
        if (xmlHashRemoveEntry(ids, old, nullptr) != 0) {
            xmlFree(copy);
            return false;
        }
        if (id->value && !(doc->dict && xmlDictOwns(doc->dict, id->value)))
            xmlFree(const_cast<xmlChar*>(id->value));
        id->value = copy;
        xmlNodeSetContent(a->children, value);
        if (xmlHashAddEntry(ids, value, id) != 0) {
            // Cannot happen after the look-up above; fall back to a fresh entry.
            xmlFree(copy);
            xmlFree(id);
            a->atype = XML_ATTRIBUTE_CDATA;
            xmlAddID(nullptr, doc, value, a);
        }
        return true;
    }
    // The new value already belongs to another element: this one gives up its entry
    // and stops being an ID (the first owner keeps it).
    xmlRemoveID(doc, a);
    xmlNodeSetContent(a->children, value);
    a->atype = XML_ATTRIBUTE_CDATA;
    return true;
}

// Registers `value` for an attribute declared an ID. False when another attribute
// owns the value: this one then stops being an ID (the first owner keeps it).
bool claimId(xmlDoc* doc, xmlAttr* a, const std::string& value) {
    xmlAttr* owner = xmlGetID(doc, toXml(value));
    if (owner == a) return true;
    if (owner == nullptr) {
        xmlRemoveID(doc, a);
        xmlAddID(nullptr, doc, toXml(value), a);
        return true;
    }
    a->atype = XML_ATTRIBUTE_CDATA;
    return false;
}

}  // namespace

// Runs an XPath expression with `context` as the context node. A malformed
// expression is the caller's error (RuntimeError 5), as with the DOM's selection.
std::vector<Node> evaluateXPath(const std::shared_ptr<Document>& doc, xmlNode* context,
                                const std::string& xpath) {
    std::vector<Node> out;
    if (!doc || !doc->raw() || !context) return out;
    detail::QuietErrors quiet;
    xmlXPathContextPtr ctx = xmlXPathNewContext(doc->raw());
    if (!ctx) throw RuntimeError(7, "Out of memory");
    ctx->node = context;
    xmlXPathObjectPtr res = xmlXPathEvalExpression(toXml(xpath), ctx);
    if (!res) {
        xmlXPathFreeContext(ctx);
        throw RuntimeError(err::kInvalidCall, "Invalid XPath expression: " + xpath);
    }
    if (res->type == XPATH_NODESET && res->nodesetval) {
        for (int i = 0; i < res->nodesetval->nodeNr; ++i) {
            xmlNode* n = res->nodesetval->nodeTab[i];
            if (n && n->type != XML_NAMESPACE_DECL) out.emplace_back(doc, n);
        }
    }
    xmlXPathFreeObject(res);
    xmlXPathFreeContext(ctx);
    return out;
}

bool Node::isElement() const { return isElem(node_); }

std::string Node::name() const { return node_ ? toStd(node_->name) : std::string(); }

std::string Node::text() const {
    if (!node_) return {};
    xmlChar* c = xmlNodeGetContent(node_);
    std::string s = toStd(c);
    xmlFree(c);
    return s;
}

bool Node::hasAttribute(const std::string& name) const {
    return isElem(node_) && xmlHasProp(node_, toXml(name)) != nullptr;
}

std::string_view attributeText(const xmlNode* element, const char* name, std::string& scratch) {
    if (!isElem(element)) return {};
    // The element's own attributes only: xmlHasProp would also look the name up
    // in the DTD for a default, a hash probe per missing attribute, and a default
    // found there has no text to read (the parse already wrote defaults out).
    const xmlAttr* a = element->properties;
    while (a && !xmlStrEqual(a->name, reinterpret_cast<const xmlChar*>(name))) a = a->next;
    return a ? attributeText(a, scratch) : std::string_view();
}

std::string_view attributeText(const xmlAttr* a, std::string& scratch) {
    const xmlNode* text = a->children;
    if (!text) return {};
    if (text->type == XML_TEXT_NODE && !text->next && text->content)
        return std::string_view(reinterpret_cast<const char*>(text->content));
    scratch = attributeValue(a->doc, a);
    return scratch;
}

std::optional<std::string> Node::attribute(const std::string& name) const {
    if (!isElem(node_)) return std::nullopt;
    xmlAttr* a = xmlHasProp(node_, toXml(name));
    if (!a) return std::nullopt;
    return attributeValue(node_->doc, a);
}

void Node::setAttribute(const std::string& name, const std::string& value) {
    if (!isElem(node_)) throw RuntimeError(err::kObjectRequired, "Object required");
    detail::noteContentChange();
    xmlDoc* doc = node_->doc;
    xmlAttr* a = xmlHasProp(node_, toXml(name));
    const bool wasId = a && a->atype == XML_ATTRIBUTE_ID;
    // What the ID table's book-keeping needs of the value this attribute owned:
    // whether it had blanks and whether the attribute leaves it (read in place:
    // row shifting renames tens of thousands of identifiers).
    detail::IdChange change;
    if (wasId) {
        const bool plainText = a->children && a->children->type == XML_TEXT_NODE && !a->children->next;
        xmlChar* copy = plainText ? nullptr : xmlNodeListGetString(doc, a->children, 1);
        const xmlChar* old = plainText ? a->children->content : copy;
        change.ownedBlank = old && xmlStrchr(old, ' ') != nullptr;
        change.leftValue = !xmlStrEqual(old, toXml(value));
        xmlFree(copy);
    }
    change.newBlank = value.find(' ') != std::string::npos;
    // An existing plain attribute holding one text node gets its text replaced in
    // place: row shifting rewrites tens of thousands of identifiers, and rebuilding
    // each attribute's children costs more than the rest of the work together.
    if (a && !a->ns && a->children && a->children->type == XML_TEXT_NODE && !a->children->next &&
        name.find(':') == std::string::npos) {
        if (wasId && doc && moveIdEntry(doc, a, toXml(value))) {
            change.lost = a->atype != XML_ATTRIBUTE_ID;
            if (doc_) doc_->noteIdChange(change);
            return;
        }
        // Drop this attribute's registration under its old value first.
        if (wasId && doc) xmlRemoveID(doc, a);
        xmlNodeSetContent(a->children, toXml(value));
        // Whether an attribute is an ID depends on the declarations only, so an
        // attribute that was one still is; only the others need the look-up.
        if (!doc || !(wasId || xmlIsID(doc, node_, a))) return;
        change.lost = !claimId(doc, a, value);
        if (doc_) doc_->noteIdChange(change);
        return;
    }
    // Drop this attribute's registration under its old value first.
    if (wasId) xmlRemoveID(doc, a);
    a = xmlSetProp(node_, toXml(name), toXml(value));
    if (!a || !doc) return;
    // A copy made by cloneDeep carries ID attributes that were never registered
    // (their values duplicated the source's); register the new value here.
    if (xmlIsID(doc, node_, a)) {
        change.lost = !claimId(doc, a, value);
        if (doc_) doc_->noteIdChange(change);
    }
}

std::vector<std::pair<std::string, std::string>> Node::attributes() const {
    std::vector<std::pair<std::string, std::string>> out;
    if (!isElem(node_)) return out;
    for (xmlAttr* a = node_->properties; a; a = a->next) out.emplace_back(toStd(a->name), attributeValue(node_->doc, a));
    return out;
}

Node Node::parent() const {
    if (!node_ || !node_->parent || node_->parent->type == XML_DOCUMENT_NODE) return {};
    return Node(doc_, node_->parent);
}

Node Node::firstChildElement(const std::string& name) const {
    if (!node_) return {};
    for (xmlNode* c = node_->children; c; c = c->next)
        if (nameMatches(c, name)) return Node(doc_, c);
    return {};
}

Node Node::nextSiblingElement(const std::string& name) const {
    if (!node_) return {};
    for (xmlNode* c = node_->next; c; c = c->next)
        if (nameMatches(c, name)) return Node(doc_, c);
    return {};
}

Node Node::previousSiblingElement(const std::string& name) const {
    if (!node_) return {};
    for (xmlNode* c = node_->prev; c; c = c->prev)
        if (nameMatches(c, name)) return Node(doc_, c);
    return {};
}

std::vector<Node> Node::childElements(const std::string& name) const {
    std::vector<Node> out;
    if (!node_) return out;
    for (xmlNode* c = node_->children; c; c = c->next)
        if (nameMatches(c, name)) out.emplace_back(doc_, c);
    return out;
}

int Node::childElementCount() const {
    int n = 0;
    if (node_)
        for (xmlNode* c = node_->children; c; c = c->next)
            if (isElem(c)) ++n;
    return n;
}

std::vector<Node> Node::elementsByTagName(const std::string& name) const {
    std::vector<Node> out;
    if (!node_) return out;
    xmlNode* cur = node_->children;
    while (cur) {
        if (nameMatches(cur, name)) out.emplace_back(doc_, cur);
        if (isElem(cur) && cur->children) {
            cur = cur->children;
            continue;
        }
        while (cur && cur != node_ && !cur->next) cur = cur->parent;
        if (!cur || cur == node_) break;
        cur = cur->next;
    }
    return out;
}

std::vector<Node> Node::selectNodes(const std::string& xpath) const {
    return evaluateXPath(doc_, node_, xpath);
}

Node Node::selectSingleNode(const std::string& xpath) const {
    auto all = selectNodes(xpath);
    return all.empty() ? Node() : all.front();
}

Node Node::cloneDeep() const {
    if (!node_) return {};
    xmlNode* copy = xmlDocCopyNode(node_, node_->doc, 1);
    if (!copy) throw RuntimeError(7, "Out of memory");
    return Node(doc_, copy);
}

namespace {
// Rejects edits that would break the tree: a node put inside itself, or a second
// document element.
void requireInsertable(const Node& self, const Node& other, bool asSibling) {
    if (self.isNull() || other.isNull())
        throw RuntimeError(err::kObjectRequired, "Object required");
    if (self.document() != other.document())
        throw RuntimeError(err::kInvalidCall, "The node belongs to another document");
    for (xmlNode* n = self.raw(); n; n = n->parent)
        if (n == other.raw())
            throw RuntimeError(err::kInvalidCall, "A node cannot be inserted into itself");
    if (asSibling && (!self.raw()->parent || self.raw()->parent->type == XML_DOCUMENT_NODE))
        throw RuntimeError(err::kInvalidCall, "The document element cannot have siblings");
}
}  // namespace

void Node::appendChild(const Node& child) {
    requireInsertable(*this, child, false);
    detail::noteContentChange();
    xmlUnlinkNode(child.raw());
    xmlAddChild(node_, child.raw());
    if (detail::registerIds(node_->doc, child.raw()) && doc_) doc_->idsShadowed_ = true;
}

void Node::insertAfter(const Node& node) {
    requireInsertable(*this, node, true);
    detail::noteContentChange();
    xmlUnlinkNode(node.raw());
    xmlAddNextSibling(node_, node.raw());
    if (detail::registerIds(node_->doc, node.raw()) && doc_) doc_->idsShadowed_ = true;
}

void Node::insertBefore(const Node& node) {
    requireInsertable(*this, node, true);
    detail::noteContentChange();
    xmlUnlinkNode(node.raw());
    xmlAddPrevSibling(node_, node.raw());
    if (detail::registerIds(node_->doc, node.raw()) && doc_) doc_->idsShadowed_ = true;
}

void Node::remove() {
    if (!node_) return;
    detail::noteContentChange();
    // Its entries go with it as libxml2 frees its attributes. Where another holder
    // of one of its values may now be the only one, or an entry would stay, the
    // table is made anew on the next look-up.
    if (doc_ && detail::removalLeavesStaleIds(node_->doc, node_, doc_->idsShadowed_)) doc_->idsStale_ = true;
    xmlUnlinkNode(node_);
    xmlFreeNode(node_);
    node_ = nullptr;
}

std::string GetAttributeValue(const Node& node, const std::string& name) {
    try {
        if (node.isNull() || !node.isElement()) return {};
        return node.attribute(name).value_or(std::string());
    } catch (...) {
        return {};
    }
}

void SetAttributeValue(const Node& node, const std::string& name, const std::string& value) {
    try {
        if (node.isNull() || !node.hasAttribute(name)) return;
        Node target = node;
        target.setAttribute(name, value);
    } catch (...) {
        // Attribute writes never fail towards the caller.
    }
}

}  // namespace zevo::xml
