#include <libxml/entities.h>
#include <libxml/hash.h>
#include <libxml/parser.h>
#include <libxml/SAX2.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/valid.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <atomic>
#include <map>
#include <mutex>

#include "XmlInternal.h"
#include "zevo/RuntimeError.h"
#include "zevo/Xml.h"

namespace zevo::xml {
using detail::toStd;
using detail::toXml;

namespace {

// Set while one of our parses runs on this thread: no external entity, external
// DTD or parameter entity is read then, whatever the document asks for.
thread_local bool tInOwnParse = false;
xmlExternalEntityLoader gPreviousLoader = nullptr;

xmlParserInputPtr guardedLoader(const char* url, const char* id, xmlParserCtxtPtr ctxt) {
    if (tInOwnParse) return nullptr;
    return gPreviousLoader ? gPreviousLoader(url, id, ctxt) : nullptr;
}

void installLoaderOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        gPreviousLoader = xmlGetExternalEntityLoader();
        xmlSetExternalEntityLoader(guardedLoader);
    });
}

// Collects the first error of a parse (libxml2 reports the cause first). A file
// that is not well-formed is reported by its first fatal error, even when a
// validity error (no DTD at all) came before it.
struct ErrorSink {
    std::string first;
    std::string firstFatal;
    static void handler(void* self, xmlErrorPtr e) {
        auto* sink = static_cast<ErrorSink*>(self);
        if (!e || e->level < XML_ERR_ERROR) return;
        std::string& slot = e->level == XML_ERR_FATAL ? sink->firstFatal : sink->first;
        if (!slot.empty()) return;
        std::string msg = e->message ? e->message : "unknown error";
        while (!msg.empty() && (msg.back() == '\n' || msg.back() == '\r')) msg.pop_back();
        if (e->line > 0) msg += " (line " + std::to_string(e->line) + ")";
        slot = msg;
    }
    std::string reason() const { return firstFatal.empty() ? first : firstFatal; }
};

class ParseScope {
public:
    explicit ParseScope(ErrorSink* sink)
        : oldContext_(xmlStructuredErrorContext), oldHandler_(xmlStructuredError) {
        installLoaderOnce();
        xmlSetStructuredErrorFunc(sink, &ErrorSink::handler);
        tInOwnParse = true;
    }
    ~ParseScope() {
        tInOwnParse = false;
        xmlSetStructuredErrorFunc(oldContext_, oldHandler_);
    }

private:
    void* oldContext_;
    xmlStructuredErrorFunc oldHandler_;
};

// The parse's own handling of the document type, followed by an ID table sized for
// the document (estimated from its length) before the first ID is registered.
// Only a document with an internal subset can declare IDs.
thread_local std::size_t tExpectedIds = 0;
void internalSubsetWithIdTable(void* context, const xmlChar* name, const xmlChar* externalId,
                               const xmlChar* systemId) {
    xmlSAX2InternalSubset(context, name, externalId, systemId);
    auto* ctxt = static_cast<xmlParserCtxtPtr>(context);
    if (ctxt && ctxt->myDoc) detail::presizeIdTable(ctxt->myDoc, tExpectedIds);
}

int optionsFor(Trust trust, Validation validation) {
    // Installed files: the internal subset declares the IDs and default attributes.
    // Neither kind substitutes entities or reads anything beyond the document.
    // Short texts (identifiers, most values) are kept inside their text nodes rather
    // than in a block of their own: a list of 10,000 individuals holds over a million
    // of them, and every walk over the list reads them.
    int options = trust == Trust::Installed ? XML_PARSE_DTDATTR | XML_PARSE_NONET : XML_PARSE_NONET;
    options |= XML_PARSE_COMPACT;
    // Validating is what refuses one "CellID" twice: the ID table keeps the first
    // Cell only, so the grid would show one value while edits reach the other.
    if (validation == Validation::InternalSubset) options |= XML_PARSE_DTDVALID;
    return options;
}

// The most text a document's entity references may stand for when read: a
// linear expansion (one large entity referenced many times) is refused as well
// as the exponential one libxml2 catches.
constexpr std::size_t kMaxEntityText = 8u << 20;

bool declaresEntities(xmlDoc* doc) {
    xmlDtd* dtd = doc->intSubset;
    return dtd && dtd->entities && xmlHashSize(static_cast<xmlHashTablePtr>(dtd->entities)) > 0;
}

// Length of an entity's replacement text with the entities it names expanded,
// saturating just past kMaxEntityText.
class EntitySizes {
public:
    explicit EntitySizes(xmlDoc* doc) : doc_(doc) {}

    std::size_t of(const xmlChar* name, int depth = 0) {
        xmlEntity* e = xmlGetDocEntity(doc_, name);
        if (!e || !e->content) return 0;
        if (e->etype == XML_INTERNAL_PREDEFINED_ENTITY) return 1;
        auto known = sizes_.find(e);
        if (known != sizes_.end()) return known->second;
        if (depth > 40) return kMaxEntityText + 1;   // libxml2 refuses loops long before
        std::size_t total = 0;
        const std::string content = detail::toStd(e->content);
        for (std::size_t i = 0; i < content.size() && total <= kMaxEntityText;) {
            std::size_t semi = content[i] == '&' ? content.find(';', i) : std::string::npos;
            if (semi == std::string::npos || content[i + 1] == '#') {
                ++total;
                ++i;
                continue;
            }
            const std::string inner = content.substr(i + 1, semi - i - 1);
            total += of(reinterpret_cast<const xmlChar*>(inner.c_str()), depth + 1);
            i = semi + 1;
        }
        sizes_[e] = total;
        return total;
    }

private:
    xmlDoc* doc_;
    std::map<xmlEntity*, std::size_t> sizes_;
};

// Sum of what the document's entity references expand to, walked without
// recursion; stops once past the bound.
bool entityTextWithinBound(xmlDoc* doc) {
    if (!declaresEntities(doc)) return true;
    EntitySizes sizes(doc);
    std::size_t total = 0;
    auto count = [&](xmlNode* n) {
        if (n->type == XML_ENTITY_REF_NODE) total += sizes.of(n->name);
    };
    xmlNode* root = xmlDocGetRootElement(doc);
    for (xmlNode* n = root; n && total <= kMaxEntityText;) {
        count(n);
        if (n->type == XML_ELEMENT_NODE)
            for (xmlAttr* a = n->properties; a; a = a->next)
                for (xmlNode* v = a->children; v; v = v->next) count(v);
        if (n->type == XML_ELEMENT_NODE && n->children) {
            n = n->children;
            continue;
        }
        while (n && n != root && !n->next) n = n->parent;
        if (!n || n == root) break;
        n = n->next;
    }
    return total <= kMaxEntityText;
}

}  // namespace

namespace detail {
namespace {
// Atomic: nothing ties a document to the thread that loads or edits it.
std::atomic<std::uint64_t> gContentRevision{0};
}  // namespace
void noteContentChange() { gContentRevision.fetch_add(1, std::memory_order_relaxed); }
}  // namespace detail

std::uint64_t contentRevision() { return detail::gContentRevision.load(std::memory_order_relaxed); }

Document::~Document() {
    if (doc_) xmlFreeDoc(doc_);
}

DocumentPtr Document::create() { return DocumentPtr(new Document()); }

LoadResult Document::load(std::size_t size, const std::function<xmlDoc*(void*, int)>& parse,
                          const std::string& url, Trust trust, Validation validation) {
    detail::noteContentChange();
    if (doc_) {
        xmlFreeDoc(doc_);
        doc_ = nullptr;
    }
    idsStale_ = false;
    bulk_ = false;
    bulkDeclarations_.clear();
    LoadResult result;
    if (size > static_cast<size_t>(INT32_MAX)) {
        result.status = LoadStatus::ParseError;
        result.reason = "Document too large";
        last_ = result;
        return result;
    }
    ErrorSink sink;
    xmlDoc* doc = nullptr;
    {
        ParseScope scope(&sink);
        xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
        if (ctxt) {
            // A sheet document's Cell element with its identifier takes some 50
            // bytes or more.
            tExpectedIds = size / 48;
            if (ctxt->sax) ctxt->sax->internalSubset = internalSubsetWithIdTable;
            doc = parse(ctxt, optionsFor(trust, validation));
            const bool invalid = validation == Validation::InternalSubset && !ctxt->valid;
            if (doc && (!ctxt->wellFormed || invalid)) {
                xmlFreeDoc(doc);
                doc = nullptr;
            }
            // A document from outside has no business declaring entities; an
            // installed one may, within a bound on what they expand to.
            if (doc && trust == Trust::Untrusted && declaresEntities(doc)) {
                sink.firstFatal = "Entity declarations are not accepted in this document";
                xmlFreeDoc(doc);
                doc = nullptr;
            } else if (doc && !entityTextWithinBound(doc)) {
                sink.firstFatal = "The document's entities expand to more than " +
                                  std::to_string(kMaxEntityText) + " bytes";
                xmlFreeDoc(doc);
                doc = nullptr;
            }
            xmlFreeParserCtxt(ctxt);
        }
    }
    if (!doc || !xmlDocGetRootElement(doc)) {
        if (doc) xmlFreeDoc(doc);
        result.status = LoadStatus::ParseError;
        result.reason = sink.reason().empty() ? "Document is empty or not well-formed" : sink.reason();
    } else {
        doc_ = doc;
        // A valid document holds every ID once; any other may hold duplicates the
        // parser left unregistered.
        idsStale_ = false;
        idsShadowed_ = validation != Validation::InternalSubset && detail::holdsShadowedIds(doc_);
    }
    last_ = result;
    return result;
}

namespace {

// Feeds the parser from an open file as it reads: a data file of a large
// declaration is tens of megabytes, and a copy in memory (or two) beside the
// parser's own buffer would add that much to the peak. A failed read ends the
// text, as reading the whole file first did.
int readFile(void* context, char* buffer, int len) {
    auto* file = static_cast<std::FILE*>(context);
    const std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(len), file);
    return static_cast<int>(got);
}

}  // namespace

LoadResult Document::loadFile(const std::string& path, Trust trust, Validation validation) {
    std::FILE* in = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
    if (!in) {
        int e = errno;
        detail::noteContentChange();
        if (doc_) {
            xmlFreeDoc(doc_);
            doc_ = nullptr;
        }
        LoadResult result;
        if (e == ENOENT || e == ENOTDIR || path.empty()) {
            result.status = LoadStatus::NotFound;
            result.reason = "The system cannot locate the object specified.";
        } else {
            result.status = LoadStatus::ParseError;
            result.reason = std::string(std::strerror(e)) + ": " + path;
        }
        last_ = result;
        return result;
    }
    struct stat info {};
    const std::size_t size = ::fstat(::fileno(in), &info) == 0 ? static_cast<std::size_t>(info.st_size) : 0;
    const LoadResult result = load(
        size,
        [&](void* ctxt, int options) {
            return xmlCtxtReadIO(static_cast<xmlParserCtxtPtr>(ctxt), readFile, nullptr, in, path.c_str(),
                                 nullptr, options);
        },
        path, trust, validation);
    std::fclose(in);
    return result;
}

LoadResult Document::loadString(const std::string& xml, Trust trust, Validation validation) {
    return load(
        xml.size(),
        [&](void* ctxt, int options) {
            return xmlCtxtReadMemory(static_cast<xmlParserCtxtPtr>(ctxt), xml.data(), static_cast<int>(xml.size()),
                                     nullptr, nullptr, options);
        },
        std::string(), trust, validation);
}

DocumentPtr Document::fromFile(const std::string& path, LoadResult* result, Trust trust) {
    auto doc = create();
    LoadResult r = doc->loadFile(path, trust);
    if (result) *result = r;
    return doc;
}

DocumentPtr Document::fromString(const std::string& xml, LoadResult* result, Trust trust) {
    auto doc = create();
    LoadResult r = doc->loadString(xml, trust);
    if (result) *result = r;
    return doc;
}

LoadResult Document::lastLoad() const { return last_; }

bool Document::isEmpty() const { return !doc_ || !xmlDocGetRootElement(doc_); }

Node Document::documentElement() const {
    if (!doc_) return {};
    xmlNode* root = xmlDocGetRootElement(doc_);
    if (!root) return {};
    return Node(std::const_pointer_cast<Document>(shared_from_this()), root);
}

void Document::repairIds() const {
    idsStale_ = false;
    idsShadowed_ = doc_ && detail::rebuildIds(doc_);
}

void Document::noteIdChange(const detail::IdChange& change) {
    if (change.lost) idsShadowed_ = true;
    // libxml2 removes entries under the normalised value (blanks collapsed), so an
    // entry for a value with blanks can outlive its attribute; and another element
    // may hold the value an owner left, which it must take over.
    if (change.ownedBlank || change.newBlank || (idsShadowed_ && change.leftValue)) idsStale_ = true;
}

bool Document::declaresId(const std::string& element, const std::string& attribute) const {
    if (!doc_) return false;
    for (xmlDtd* dtd : {doc_->intSubset, doc_->extSubset}) {
        if (!dtd) continue;
        xmlAttribute* decl = xmlGetDtdAttrDesc(dtd, toXml(element), toXml(attribute));
        if (decl && decl->atype == XML_ATTRIBUTE_ID) return true;
    }
    return false;
}

namespace {

// Every attribute of the tree that libxml2 typed as an ID becomes plain text.
void untypeIds(xmlNode* node) {
    detail::forEachElement(node, [](xmlNode* element) {
        for (xmlAttr* a = element->properties; a; a = a->next)
            if (a->atype == XML_ATTRIBUTE_ID) a->atype = XML_ATTRIBUTE_CDATA;
        return false;
    });
}

}  // namespace

void Document::beginBulkEdit() {
    if (!doc_ || bulk_) return;
    if (doc_->intSubset) {
        for (xmlNode* n = doc_->intSubset->children; n; n = n->next) {
            auto* declaration = reinterpret_cast<xmlAttribute*>(n);
            if (n->type != XML_ATTRIBUTE_DECL || declaration->atype != XML_ATTRIBUTE_ID) continue;
            declaration->atype = XML_ATTRIBUTE_CDATA;
            bulkDeclarations_.push_back(declaration);
        }
    }
    untypeIds(xmlDocGetRootElement(doc_));
    if (doc_->ids) {
        xmlFreeIDTable(static_cast<xmlIDTablePtr>(doc_->ids));
        doc_->ids = nullptr;
    }
    bulk_ = true;
}

void Document::endBulkEdit() const {
    if (!bulk_) return;
    for (void* d : bulkDeclarations_) static_cast<xmlAttribute*>(d)->atype = XML_ATTRIBUTE_ID;
    bulkDeclarations_.clear();
    bulk_ = false;
    repairIds();
}

template <class F>
auto Document::withIdDeclarations(F f) const {
    for (void* d : bulkDeclarations_) static_cast<xmlAttribute*>(d)->atype = XML_ATTRIBUTE_ID;
    struct Back {
        const std::vector<void*>& declarations;
        ~Back() {
            for (void* d : declarations) static_cast<xmlAttribute*>(d)->atype = XML_ATTRIBUTE_CDATA;
        }
    } back{bulkDeclarations_};
    return f();
}

DocumentPtr Document::cloneForBulkEdit() const {
    auto copy = create();
    if (doc_) {
        // With no ID table in the source, the copy registers none either.
        void* ids = doc_->ids;
        doc_->ids = nullptr;
        copy->doc_ = withIdDeclarations([&] { return xmlCopyDoc(doc_, 1); });
        doc_->ids = ids;
        if (!copy->doc_) throw RuntimeError(7, "Out of memory");
        copy->beginBulkEdit();
    }
    copy->last_ = last_;
    return copy;
}

Node Document::elementById(const std::string& id) const {
    if (!doc_) return {};
    endBulkEdit();
    if (idsStale_) repairIds();
    xmlAttr* a = xmlGetID(doc_, toXml(id));
    if (!a || !a->parent) return {};
    return Node(std::const_pointer_cast<Document>(shared_from_this()), a->parent);
}

std::vector<Node> Document::elementsByTagName(const std::string& name) const {
    Node root = documentElement();
    if (root.isNull()) return {};
    std::vector<Node> out;
    if (name == "*" || root.name() == name) out.push_back(root);
    auto rest = root.elementsByTagName(name);
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}

std::vector<Node> Document::selectNodes(const std::string& xpath) const {
    if (!doc_) return {};
    return evaluateXPath(std::const_pointer_cast<Document>(shared_from_this()),
                         reinterpret_cast<xmlNode*>(doc_), xpath);
}

Node Document::selectSingleNode(const std::string& xpath) const {
    auto all = selectNodes(xpath);
    return all.empty() ? Node() : all.front();
}

DocumentPtr Document::clone() const {
    endBulkEdit();
    auto copy = create();
    if (doc_) {
        copy->doc_ = xmlCopyDoc(doc_, 1);
        if (!copy->doc_) throw RuntimeError(7, "Out of memory");
        // Make sure every ID of the copy is in the copy's own table.
        copy->repairIds();
    }
    copy->last_ = last_;
    return copy;
}

Node Document::importNode(const Node& node) {
    if (node.isNull()) return {};
    if (!doc_) throw RuntimeError(err::kInvalidCall, "The document is empty");
    xmlNode* copy = xmlDocCopyNode(node.raw(), doc_, 1);
    if (!copy) throw RuntimeError(7, "Out of memory");
    return Node(shared_from_this(), copy);
}

std::string Document::toString() const {
    if (!doc_) return {};
    xmlChar* mem = nullptr;
    int size = 0;
    withIdDeclarations([&] { xmlDocDumpMemoryEnc(doc_, &mem, &size, "UTF-8"); });
    std::string s(reinterpret_cast<const char*>(mem), mem ? static_cast<size_t>(size) : 0);
    xmlFree(mem);
    return s;
}

namespace {

int writeChunk(void* context, const char* buffer, int len) {
    const auto& write = *static_cast<const ByteWriter*>(context);
    return write(buffer, static_cast<std::size_t>(len)) ? len : -1;
}

}  // namespace

void Document::writeTo(const ByteWriter& write) const {
    if (!doc_) return;
    withIdDeclarations([&] {
        // As xmlDocDumpMemoryEnc writes: UTF-8, no indentation added.
        xmlSaveCtxtPtr ctxt = xmlSaveToIO(writeChunk, nullptr, const_cast<ByteWriter*>(&write), "UTF-8", XML_SAVE_AS_XML);
        if (!ctxt) throw RuntimeError(7, "Out of memory");
        xmlSaveDoc(ctxt, doc_);
        xmlSaveClose(ctxt);
    });
}

void Document::save(const std::string& path) const {
    if (!doc_) throw RuntimeError(err::kInvalidCall, "The document is empty");
    writeFileAtomically(path, [this](const ByteWriter& write) { writeTo(write); });
}

}  // namespace zevo::xml
