// Many attribute values written at once: the renumbering of identifiers below an
// inserted or deleted row group.
#include <libxml/tree.h>
#include <libxml/dict.h>
#include <libxml/hash.h>
#include <libxml/valid.h>

#include <algorithm>
#include <cstring>
#include <string_view>
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

// Whether attributes of one name on elements of one name are declared IDs, asked
// of the DTD once per pair: a batch holds a few names many times over.
class DeclaredIds {
public:
    explicit DeclaredIds(xmlDoc* doc) : doc_(doc) {}
    bool operator()(xmlAttr* a) {
        xmlNode* element = a->parent;
        if (element->ns) return xmlIsID(doc_, element, a) != 0;
        for (const Known& k : known_)
            if (k.element == element->name && k.attribute == a->name) return k.id;
        const bool id = xmlIsID(doc_, element, a) != 0;
        known_.push_back({element->name, a->name, id});
        return id;
    }

private:
    struct Known {
        const xmlChar* element;
        const xmlChar* attribute;
        bool id;
    };
    xmlDoc* doc_;
    std::vector<Known> known_;
};

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

bool Document::setAttributeValues(const std::vector<AttributeValue>& values) {
    // Shadowed values, a table to be made anew, bulk editing: one by one.
    if (!doc_ || bulk_ || idsStale_ || idsShadowed_) return false;
    auto* ids = static_cast<xmlHashTablePtr>(doc_->ids);
    const std::size_t n = values.size();

    // One by one, in this order, each ID attribute would move its table entry
    // from its old value to its new one, and a new value that an attribute
    // earlier in the list left would be free by then. Renumbering hands values
    // on: the new value of one attribute is the old value of another, whose
    // entry already finds it. So the attribute that holds the new value, with
    // its entry, takes this one's place in its element instead; only new values
    // nobody held get new attributes, and the old values nobody takes go with
    // their attributes. The same elements are found by the same values, with a
    // few table updates where one by one every rename made two.
    struct Step {
        std::size_t from = 0;   // the step whose attribute holds this one's new value
        bool id = false;
        bool handsOn = false;   // holds a later step's new value
        bool fresh = false;     // its new value was nobody's
    };
    std::vector<Step> steps(n);
    // An ID attribute of the list points to its step while this runs, so that the
    // owner of an entry is known to be in the list, and where.
    auto stepOf = [&](const xmlAttr* a) -> std::size_t {
        const auto* p = static_cast<const Step*>(a->_private);
        return p >= steps.data() && p < steps.data() + n ? static_cast<std::size_t>(p - steps.data()) : n;
    };
    auto unmark = [&] {
        for (std::size_t k = 0; k < n; ++k)
            if (steps[k].id) values[k].attribute->_private = nullptr;
    };

    DeclaredIds declared(doc_);
    // Renumbered lists hand values on at a steady distance: tried before the table.
    std::size_t distance = 0;
    std::size_t fresh = 0, left = 0;
    bool plain = true;
    for (std::size_t i = 0; i < n && plain; ++i) {
        // The attributes of a large document lie apart in memory: fetch ahead.
        if (i + 8 < n && values[i + 8].attribute) __builtin_prefetch(values[i + 8].attribute);
        if (i + 4 < n && values[i + 4].attribute && values[i + 4].attribute->children)
            __builtin_prefetch(values[i + 4].attribute->children);
        xmlAttr* a = values[i].attribute;
        plain = a && a->doc == doc_ && !a->ns && a->parent && a->parent->type == XML_ELEMENT_NODE;
        const xmlChar* old = plain ? singleText(a) : nullptr;
        if (!old) break;
        const std::string& value = values[i].value;
        if (a->atype != XML_ATTRIBUTE_ID) {
            // A declared ID that is not registered holds a duplicate value.
            plain = !declared(a);
            continue;
        }
        plain = ids && !a->_private && !xmlStrchr(old, ' ') && value.find(' ') == std::string::npos &&
                !xmlStrEqual(old, toXml(value));
        if (!plain) break;
        a->_private = &steps[i];
        steps[i].id = true;
        std::size_t j = n;
        if (distance && distance <= i && steps[i - distance].id && !steps[i - distance].handsOn) {
            const xmlChar* held = singleText(values[i - distance].attribute);
            if (xmlStrEqual(held, toXml(value))) j = i - distance;
        }
        if (j == n) {
            auto* entry = static_cast<xmlID*>(xmlHashLookup(ids, toXml(value)));
            if (!entry) {
                steps[i].fresh = true;
                ++fresh;
                continue;
            }
            // Held: only by an attribute earlier in the list that leaves it.
            j = entry->attr ? stepOf(entry->attr) : n;
            plain = j < i && !steps[j].handsOn && xmlStrEqual(singleText(entry->attr), toXml(value));
            if (!plain) break;
            distance = i - j;
        }
        steps[j].handsOn = true;
        steps[i].from = j;
    }
    // The attributes whose old values nobody takes must own them, to take them away.
    for (std::size_t k = 0; k < n && plain; ++k) {
        if (!steps[k].id || steps[k].handsOn) continue;
        xmlAttr* a = values[k].attribute;
        auto* entry = static_cast<xmlID*>(xmlHashLookup(ids, singleText(a)));
        plain = entry && entry->attr == a;
        ++left;
    }
    // Two attributes given one new value nobody held: the second would lose it.
    std::vector<std::string_view> freshValues;
    for (std::size_t k = 0; k < n && plain; ++k)
        if (steps[k].fresh) freshValues.emplace_back(values[k].value);
    std::sort(freshValues.begin(), freshValues.end());
    if (std::adjacent_find(freshValues.begin(), freshValues.end()) != freshValues.end()) plain = false;
    // The attributes for new values nobody held, made before anything changes.
    std::vector<xmlAttr*> made;
    made.reserve(fresh);
    for (std::size_t k = 0; k < n && plain && left == fresh; ++k) {
        if (!steps[k].fresh) continue;
        made.push_back(newAttribute(doc_, values[k].attribute, values[k].value));
        plain = made.back() != nullptr;
    }
    if (!plain || left != fresh) {
        for (xmlAttr* a : made) xmlFreeProp(a);
        unmark();
        return false;
    }

    std::vector<xmlAttr*> leaving;
    leaving.reserve(left);
    std::size_t next = 0;
    for (std::size_t k = 0; k < n; ++k) {
        if (k + 8 < n && values[k + 8].attribute && values[k + 8].attribute->children)
            __builtin_prefetch(values[k + 8].attribute->children);
        xmlAttr* a = values[k].attribute;
        const Step& step = steps[k];
        if (!step.id) {
            replaceText(doc_, a->children, values[k].value);
            continue;
        }
        xmlAttr* with = step.fresh ? made[next++] : values[step.from].attribute;
        // A failed registration leaves the table to be made anew from the tree.
        if (step.fresh && !xmlAddID(nullptr, doc_, toXml(values[k].value), with)) idsStale_ = true;
        replaceAttribute(a, with);
        if (!step.handsOn) leaving.push_back(a);
    }
    unmark();
    // Their entries go with them (the table's own removal).
    for (xmlAttr* a : leaving) xmlFreeProp(a);
    return true;
}

}  // namespace zevo::xml
