#include "XmlPull.h"

#include <libxml/xmlreader.h>

#include <algorithm>
#include <cstring>

#include "zevo/RuntimeError.h"
#include "zevo/grid/XlsxReader.h"

namespace zevo::grid::xlsx {

namespace {

constexpr const char* kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

void onError(void* arg, xmlErrorPtr error) {
    auto* text = static_cast<std::string*>(arg);
    if (text->empty() && error && error->message) {
        *text = error->message;
        while (!text->empty() && (text->back() == '\n' || text->back() == '\r')) text->pop_back();
        if (error->line > 0) *text += " (line " + std::to_string(error->line) + ")";
    }
}

int readChunk(void* context, char* buffer, int len) {
    auto* source = static_cast<XmlPull::Source*>(context);
    const std::size_t n = std::min(static_cast<std::size_t>(len), source->size - source->pos);
    std::memcpy(buffer, source->data + source->pos, n);
    source->pos += n;
    return static_cast<int>(n);
}

std::string take(xmlChar* value) {
    std::string s = value ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return s;
}

}  // namespace

XmlPull::XmlPull(const std::string& bytes, std::string partName) : part_(std::move(partName)) {
    // A document type declaration is refused before the parser sees it.
    if (bytes.find("<!DOCTYPE") != std::string::npos) fail("document type declarations are not allowed");
    if (bytes.size() > static_cast<std::size_t>(INT32_MAX)) fail("too large");
    // Fed in chunks: over a memory buffer the parser keeps moving the unread rest
    // of a large part to the front, which costs more than the parsing itself.
    source_ = std::make_unique<Source>(Source{bytes.data(), bytes.size(), 0});
    reader_ = xmlReaderForIO(readChunk, nullptr, source_.get(), part_.c_str(), nullptr,
                             XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!reader_) fail("cannot be parsed");
    xmlTextReaderSetStructuredErrorHandler(reader_, onError, &error_);
}

XmlPull::~XmlPull() {
    if (reader_) xmlFreeTextReader(reader_);
}

void XmlPull::fail(const std::string& why) const {
    throw RuntimeError(kErrInvalidFormat, "Damaged workbook part " + part_ + ": " + why);
}

bool XmlPull::read() {
    const int rc = xmlTextReaderRead(reader_);
    if (rc < 0) fail(error_.empty() ? std::string("not well-formed") : error_);
    if (rc == 0) {
        if (!error_.empty()) fail(error_);
        return false;
    }
    const int type = xmlTextReaderNodeType(reader_);
    if (type == XML_READER_TYPE_DOCUMENT_TYPE || type == XML_READER_TYPE_ENTITY_REFERENCE ||
        type == XML_READER_TYPE_ENTITY)
        fail("document type declarations and entities are not allowed");
    return true;
}

bool XmlPull::next() {
    while (read()) {
        const int type = xmlTextReaderNodeType(reader_);
        if (type == XML_READER_TYPE_ELEMENT) {
            start_ = true;
            return true;
        }
        if (type == XML_READER_TYPE_END_ELEMENT) {
            start_ = false;
            return true;
        }
    }
    return false;
}

bool XmlPull::isEmpty() const { return start_ && xmlTextReaderIsEmptyElement(reader_) == 1; }

std::string_view XmlPull::name() const {
    const xmlChar* n = xmlTextReaderConstLocalName(reader_);
    return n ? std::string_view(reinterpret_cast<const char*>(n)) : std::string_view();
}

int XmlPull::depth() const { return xmlTextReaderDepth(reader_); }

std::optional<std::string> XmlPull::attr(const char* name) const {
    xmlChar* v = xmlTextReaderGetAttribute(reader_, reinterpret_cast<const xmlChar*>(name));
    if (!v) return std::nullopt;
    return take(v);
}

std::string XmlPull::attrOr(const char* name, const std::string& fallback) const {
    auto v = attr(name);
    return v ? *v : fallback;
}

std::string XmlPull::relAttr(const char* localName) const {
    return take(xmlTextReaderGetAttributeNs(reader_, reinterpret_cast<const xmlChar*>(localName),
                                            reinterpret_cast<const xmlChar*>(kRelNs)));
}

std::string XmlPull::text() {
    std::string out;
    if (!start_ || isEmpty()) return out;
    const int level = depth();
    while (read()) {
        const int type = xmlTextReaderNodeType(reader_);
        if (type == XML_READER_TYPE_END_ELEMENT && depth() == level) {
            start_ = false;
            return out;
        }
        if (type == XML_READER_TYPE_TEXT || type == XML_READER_TYPE_CDATA ||
            type == XML_READER_TYPE_WHITESPACE || type == XML_READER_TYPE_SIGNIFICANT_WHITESPACE) {
            const xmlChar* v = xmlTextReaderConstValue(reader_);
            if (v) out += reinterpret_cast<const char*>(v);
            if (out.size() > kMaxPartBytes) fail("text too long");
        }
    }
    fail("unexpected end of document");
}

void XmlPull::skip() {
    if (!start_ || isEmpty()) return;
    const int level = depth();
    while (read()) {
        if (xmlTextReaderNodeType(reader_) == XML_READER_TYPE_END_ELEMENT && depth() == level) {
            start_ = false;
            return;
        }
    }
    fail("unexpected end of document");
}

}  // namespace zevo::grid::xlsx
