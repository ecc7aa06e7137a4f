// Many attribute values written at once: the renumbering of identifiers below an
// inserted or deleted row group.
#include <libxml/tree.h>
#include <libxml/dict.h>
#include <libxml/hash.h>
#include <libxml/valid.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "XmlInternal.h"
#include "zevo/Xml.h"

namespace zevo::xml {
using detail::toXml;

namespace {

// The text of an attribute that is one text node, read in place; nullptr otherwise.
const xmlChar* singleText(const xmlAttr* a) {
    const xmlNode* text = a->children;
    if (!text || text->type != XML_TEXT_NODE || text->next) return nullptr;
    return text->content;
}

// Replaces the text of a text node. A new value no longer than the old one is
// copied over it where the node owns its text (held in the node itself, as the
// parser keeps short texts, or allocated for it); otherwise as xmlNodeSetContent.
void replaceText(xmlDoc* doc, xmlNode* text, const std::string& value) {
    xmlChar* content = text->content;
    const std::size_t size = value.size();
    const bool inNode = content == reinterpret_cast<xmlChar*>(&text->properties);
    const bool fits = inNode ? size < 2 * sizeof(void*)
                             : content && !(doc->dict && xmlDictOwns(doc->dict, content)) &&
                                   std::strlen(reinterpret_cast<const char*>(content)) >= size;
    if (!fits) {
        xmlNodeSetContent(text, toXml(value));
        return;
    }
    std::memcpy(content, value.c_str(), size + 1);
}

// Puts `with` (not in any element) in the place of `a` among its element's
// attributes; `a` is then in none.
void replaceAttribute(xmlAttr* a, xmlAttr* with) {
    xmlNode* element = a->parent;
    with->parent = element;
    with->prev = a->prev;
    with->next = a->next;
    if (a->prev) a->prev->next = with;
    else element->properties = with;
    if (a->next) a->next->prev = with;
    a->parent = nullptr;
    a->prev = a->next = nullptr;
}

// A new attribute of `a`'s name (no namespace) holding `value`, in no element.
xmlAttr* newAttribute(xmlDoc* doc, const xmlAttr* a, const std::string& value) {
    xmlAttr* fresh = xmlNewDocProp(doc, a->name, nullptr);
    if (!fresh) return nullptr;
    xmlNode* text = xmlNewDocText(doc, toXml(value));
    if (!text) {
        xmlFreeProp(fresh);
        return nullptr;
    }
    text->parent = reinterpret_cast<xmlNode*>(fresh);
    fresh->children = fresh->last = text;
    return fresh;
}

}  // namespace

AttributeWrites::AttributeWrites(DocumentPtr document) : doc_(std::move(document)) {
    // Shadowed values, a table to be made anew, bulk editing: one by one.
    batch_ = doc_ && doc_->doc_ && doc_->doc_->ids && !doc_->bulk_ && !doc_->idsStale_ && !doc_->idsShadowed_;
}

AttributeWrites::~AttributeWrites() {
    try {
        finish();
    } catch (...) {
        // Attribute writes never fail towards the caller.
    }
}

void AttributeWrites::write(xmlAttr* attribute, const std::string& value) {
    if (finished_ || !attribute) return;
    // The batch counts as a change when it starts and when it ends (a write one
    // by one counts itself).
    if (batch_ && !changed_) {
        detail::noteContentChange();
        changed_ = true;
    }
    if (batch_ && batched(attribute, value)) return;
    // The write is to the element's attribute of this name, whichever attribute
    // object is there once the batch so far is undone.
    xmlNode* element = attribute->parent;
    const std::string name = reinterpret_cast<const char*>(attribute->name);
    if (batch_) fallBack();
    Node(doc_, element).setAttribute(name, value);
}

void AttributeWrites::oneByOne(xmlAttr* attribute, const std::string& value) {
    Node(doc_, attribute->parent).setAttribute(reinterpret_cast<const char*>(attribute->name), value);
}

bool AttributeWrites::batched(xmlAttr* a, const std::string& value) {
    xmlDoc* doc = doc_->doc_;
    if (a->doc != doc || a->ns || !a->parent || a->parent->type != XML_ELEMENT_NODE) return false;
    const xmlChar* old = singleText(a);
    if (!old) return false;
    if (a->atype != XML_ATTRIBUTE_ID) {
        // A declared ID that is not registered holds a duplicate value; others
        // take their text as setAttribute would give it.
        xmlNode* element = a->parent;
        bool id = false, known = false;
        for (const Declared& d : declared_)
            if (d.element == element->name && d.attribute == a->name && !element->ns) {
                id = d.id;
                known = true;
                break;
            }
        if (!known) {
            id = xmlIsID(doc, element, a) != 0;
            if (!element->ns) declared_.push_back({element->name, a->name, id});
        }
        if (id) return false;
        replaceText(doc, a->children, value);
        return true;
    }
    if (a->_private || xmlStrchr(old, ' ') || value.find(' ') != std::string::npos || xmlStrEqual(old, toXml(value)))
        return false;
    // The attribute written before that holds this value, if any: renumbering
    // hands values on at a steady distance, tried before the table. A registered
    // attribute owns its value while no value is shadowed and the table is
    // current (the document's invariant); those left at the end are checked.
    auto stepOf = [&](const xmlAttr* b) -> std::size_t {
        const auto mark = reinterpret_cast<std::uintptr_t>(b->_private);
        return mark >= 1 && mark <= steps_.size() && steps_[mark - 1].attribute == b ? mark - 1 : steps_.size();
    };
    const std::size_t i = steps_.size();
    std::size_t j = i;
    if (distance_ && distance_ <= i && !steps_[i - distance_].handsOn &&
        xmlStrEqual(singleText(steps_[i - distance_].attribute), toXml(value)))
        j = i - distance_;
    xmlAttr* with = nullptr;
    if (j == i) {
        auto* ids = static_cast<xmlHashTablePtr>(doc->ids);
        auto* entry = static_cast<xmlID*>(xmlHashLookup(ids, toXml(value)));
        if (entry) {
            // Held: only by an attribute written before that leaves it.
            j = entry->attr ? stepOf(entry->attr) : i;
            if (j == i || steps_[j].handsOn || !xmlStrEqual(singleText(entry->attr), toXml(value))) return false;
            distance_ = i - j;
        } else {
            with = newAttribute(doc, a, value);
            if (!with) return false;
            if (!xmlAddID(nullptr, doc, toXml(value), with)) {
                xmlFreeProp(with);
                return false;
            }
        }
    }
    Step step{a, with ? with : steps_[j].attribute};
    step.fresh = with != nullptr;
    if (!step.fresh) steps_[j].handsOn = true;
    steps_.push_back(step);
    a->_private = reinterpret_cast<void*>(static_cast<std::uintptr_t>(i + 1));
    replaceAttribute(a, step.with);
    return true;
}

void AttributeWrites::fallBack() {
    // Not the plain case: the ID attributes written so far go back to their
    // places and values, and are written again one by one (the others were
    // written as setAttribute writes them).
    batch_ = false;
    std::vector<std::string> values;
    values.reserve(steps_.size());
    for (const Step& step : steps_) values.emplace_back(reinterpret_cast<const char*>(singleText(step.with)));
    for (auto it = steps_.rbegin(); it != steps_.rend(); ++it) {
        replaceAttribute(it->with, it->attribute);
        if (it->fresh) xmlFreeProp(it->with);
        it->attribute->_private = nullptr;
    }
    for (std::size_t k = 0; k < steps_.size(); ++k) oneByOne(steps_[k].attribute, values[k]);
    steps_.clear();
}

bool AttributeWrites::finish() {
    if (finished_) return batch_;
    finished_ = true;
    if (!batch_) return false;
    if (changed_) detail::noteContentChange();
    // The attributes whose old values nobody takes leave with them; they must own them.
    auto* ids = doc_->doc_ ? static_cast<xmlHashTablePtr>(doc_->doc_->ids) : nullptr;
    bool owners = true;
    for (const Step& step : steps_) {
        if (step.handsOn) continue;
        auto* entry = static_cast<xmlID*>(xmlHashLookup(ids, singleText(step.attribute)));
        if (!entry || entry->attr != step.attribute) {
            owners = false;
            break;
        }
    }
    if (!owners) {
        fallBack();
        return false;
    }
    for (const Step& step : steps_) step.attribute->_private = nullptr;
    // Their entries go with them (the table's own removal).
    for (const Step& step : steps_)
        if (!step.handsOn) xmlFreeProp(step.attribute);
    steps_.clear();
    return true;
}

}  // namespace zevo::xml
