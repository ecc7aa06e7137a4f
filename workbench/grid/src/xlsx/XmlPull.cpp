#include "XmlPull.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <algorithm>
#include <cstring>

#include "zevo/RuntimeError.h"
#include "zevo/grid/XlsxReader.h"

namespace zevo::grid::xlsx {

namespace {

constexpr const char* kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
// Input handed to the parser per call: large enough to keep the per-call cost
// small, small enough that the queued events of one chunk stay a few hundred KiB.
constexpr std::size_t kChunkBytes = 64 * 1024;

XmlPull* self(void* context) { return static_cast<XmlPull*>(context); }

void startElement(void* context, const xmlChar* localName, const xmlChar*, const xmlChar*, int, const xmlChar**,
                  int attributeCount, int, const xmlChar** attributes) {
    self(context)->onStart(localName, attributeCount, attributes);
}

void endElement(void* context, const xmlChar*, const xmlChar*, const xmlChar*) { self(context)->onEnd(); }

void characters(void* context, const xmlChar* text, int len) { self(context)->onText(text, len); }

void documentType(void* context, const xmlChar*, const xmlChar*, const xmlChar*) { self(context)->onDocumentType(); }

void structuredError(void* context, xmlErrorPtr error) {
    if (error && error->level >= XML_ERR_ERROR) self(context)->onError(error->message, error->line);
}

std::string_view view(const xmlChar* s) {
    return s ? std::string_view(reinterpret_cast<const char*>(s)) : std::string_view();
}

}  // namespace

XmlPull::XmlPull(const std::string& bytes, std::string partName) : bytes_(bytes), part_(std::move(partName)) {
    // A document type declaration is refused before the parser sees it.
    if (bytes.find("<!DOCTYPE") != std::string::npos) fail("document type declarations are not allowed");
    if (bytes.size() > static_cast<std::size_t>(INT32_MAX)) fail("too large");
    // Only the callbacks below: no tree is built, no entity is declared or
    // loaded (a declaration that slips through stops the parse), no network.
    xmlSAXHandler sax;
    std::memset(&sax, 0, sizeof sax);
    sax.initialized = XML_SAX2_MAGIC;
    sax.startElementNs = startElement;
    sax.endElementNs = endElement;
    sax.characters = characters;
    sax.ignorableWhitespace = characters;
    sax.cdataBlock = characters;
    sax.internalSubset = documentType;
    sax.externalSubset = documentType;
    sax.serror = structuredError;
    parser_ = xmlCreatePushParserCtxt(&sax, this, nullptr, 0, part_.c_str());
    if (!parser_) fail("cannot be parsed");
    xmlCtxtUseOptions(parser_, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
}

XmlPull::~XmlPull() {
    if (parser_) xmlFreeParserCtxt(parser_);
}

void XmlPull::fail(const std::string& why) const {
    throw RuntimeError(kErrInvalidFormat, "Damaged workbook part " + part_ + ": " + why);
}

void XmlPull::onStart(const unsigned char* localName, int attributeCount, const unsigned char** attributes) {
    Event e{Kind::Start, depth_++, localName, static_cast<std::uint32_t>(attributes_.size()),
            static_cast<std::uint32_t>(std::max(attributeCount, 0))};
    for (int i = 0; i < attributeCount; ++i) {
        const xmlChar** a = attributes + 5 * i;
        const auto* begin = reinterpret_cast<const char*>(a[3]);
        const auto* end = reinterpret_cast<const char*>(a[4]);
        const std::size_t offset = arena_.size();
        // Without entity substitution the parser hands an ampersand over as its
        // character reference; everything else arrives decoded.
        std::string_view v(begin, static_cast<std::size_t>(end - begin));
        for (std::size_t at; (at = v.find("&#38;")) != std::string_view::npos; v.remove_prefix(at + 5)) {
            arena_.append(v.substr(0, at));
            arena_ += '&';
        }
        arena_.append(v);
        attributes_.push_back({a[0], a[1], a[2], static_cast<std::uint32_t>(offset),
                               static_cast<std::uint32_t>(arena_.size() - offset)});
    }
    events_.push_back(e);
    open_.push_back(localName);
}

void XmlPull::onEnd() {
    const unsigned char* name = open_.empty() ? nullptr : open_.back();
    if (!open_.empty()) open_.pop_back();
    events_.push_back({Kind::End, --depth_, name, 0, 0});
}

void XmlPull::onText(const unsigned char* text, int len) {
    if (len <= 0) return;
    // Pieces of one text (split by references or chunk ends) become one event.
    if (!events_.empty() && events_.back().kind == Kind::Text &&
        events_.back().first + events_.back().count == arena_.size()) {
        events_.back().count += static_cast<std::uint32_t>(len);
    } else {
        events_.push_back({Kind::Text, depth_, nullptr, static_cast<std::uint32_t>(arena_.size()),
                           static_cast<std::uint32_t>(len)});
    }
    arena_.append(reinterpret_cast<const char*>(text), static_cast<std::size_t>(len));
}

void XmlPull::onError(const char* message, int line) {
    if (!error_.empty() || !message) return;
    error_ = message;
    while (!error_.empty() && (error_.back() == '\n' || error_.back() == '\r')) error_.pop_back();
    if (line > 0) error_ += " (line " + std::to_string(line) + ")";
}

void XmlPull::onDocumentType() {
    if (error_.empty()) error_ = "document type declarations and entities are not allowed";
    xmlStopParser(parser_);
}

void XmlPull::feed() {
    const std::size_t n = std::min(kChunkBytes, bytes_.size() - fed_);
    const bool last = fed_ + n == bytes_.size();
    xmlParseChunk(parser_, bytes_.data() + fed_, static_cast<int>(n), last ? 1 : 0);
    fed_ += n;
    if (last) done_ = true;
    if (!parser_->wellFormed || parser_->disableSAX) {
        broken_ = true;
        done_ = true;
    }
    if (arena_.size() > kMaxPartBytes + kChunkBytes) fail("text too long");
}

void XmlPull::fill(std::size_t index) {
    while (events_.size() <= index && !done_) feed();
}

bool XmlPull::advance() {
    if (next_ >= events_.size()) {
        // Everything queued has been handed out: start the queue afresh.
        events_.clear();
        attributes_.clear();
        arena_.clear();
        next_ = current_ = 0;
        fill(0);
        if (events_.empty()) {
            if (!error_.empty()) fail(error_);
            if (broken_) fail("not well-formed");
            return false;
        }
    }
    current_ = next_++;
    const Event& e = events_[current_];
    start_ = e.kind == Kind::Start;
    empty_ = false;
    if (start_) {
        fill(next_);
        // An element with nothing inside hands out no end tag.
        if (next_ < events_.size() && events_[next_].kind == Kind::End) {
            empty_ = true;
            ++next_;
        }
    }
    return true;
}

bool XmlPull::next() {
    while (advance())
        if (events_[current_].kind != Kind::Text) return true;
    return false;
}

bool XmlPull::isEmpty() const { return start_ && empty_; }

std::string_view XmlPull::name() const { return view(events_[current_].name); }

int XmlPull::depth() const { return events_[current_].depth; }

const XmlPull::Attribute* XmlPull::find(const char* name) const {
    const Event& e = events_[current_];
    if (e.kind != Kind::Start) return nullptr;
    const std::string_view wanted(name);
    const auto colon = wanted.find(':');
    for (std::uint32_t i = e.first; i < e.first + e.count; ++i) {
        const Attribute& a = attributes_[i];
        if (colon == std::string_view::npos) {
            if (!a.uri && view(a.localName) == wanted) return &a;
        } else if (view(a.prefix) == wanted.substr(0, colon) && view(a.localName) == wanted.substr(colon + 1)) {
            return &a;
        }
    }
    return nullptr;
}

std::string XmlPull::value(const Attribute& a) const { return arena_.substr(a.offset, a.length); }

std::optional<std::string> XmlPull::attr(const char* name) const {
    const Attribute* a = find(name);
    if (!a) return std::nullopt;
    return value(*a);
}

std::string XmlPull::attrOr(const char* name, const std::string& fallback) const {
    const Attribute* a = find(name);
    return a ? value(*a) : fallback;
}

std::string XmlPull::relAttr(const char* localName) const {
    const Event& e = events_[current_];
    if (e.kind != Kind::Start) return {};
    for (std::uint32_t i = e.first; i < e.first + e.count; ++i) {
        const Attribute& a = attributes_[i];
        if (view(a.uri) == kRelNs && view(a.localName) == localName) return value(a);
    }
    return {};
}

std::string XmlPull::text() {
    std::string out;
    if (!start_ || isEmpty()) return out;
    const int level = depth();
    while (advance()) {
        const Event& e = events_[current_];
        if (e.kind == Kind::End && e.depth == level) {
            start_ = false;
            return out;
        }
        if (e.kind == Kind::Text) {
            out.append(arena_, e.first, e.count);
            if (out.size() > kMaxPartBytes) fail("text too long");
        }
    }
    fail("unexpected end of document");
}

void XmlPull::skip() {
    if (!start_ || isEmpty()) return;
    const int level = depth();
    while (advance()) {
        const Event& e = events_[current_];
        if (e.kind == Kind::End && e.depth == level) {
            start_ = false;
            return;
        }
    }
    fail("unexpected end of document");
}

}  // namespace zevo::grid::xlsx
