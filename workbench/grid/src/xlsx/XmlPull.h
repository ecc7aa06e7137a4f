#pragma once
// Forward-only XML reading of one package part, so that a large worksheet is never
// held as a tree: libxml2's SAX2 push parser is fed a chunk at a time and its
// callbacks queue compact events that next() hands out. Documents with a DTD are refused: the
// parts of a workbook never have one, and refusing them shuts out entity bombs and
// external entities. Network access is off.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct _xmlParserCtxt;

namespace zevo::grid::xlsx {

class XmlPull {
public:
    // `bytes` must outlive the reader. Throws RuntimeError(kErrInvalidFormat).
    XmlPull(const std::string& bytes, std::string partName);
    ~XmlPull();
    XmlPull(const XmlPull&) = delete;
    XmlPull& operator=(const XmlPull&) = delete;

    // Moves to the next element start or end tag; false at the end of the document.
    bool next();
    bool isStart() const { return start_; }
    bool isEnd() const { return !start_; }
    // A start tag with nothing inside (<x/> or <x></x>): no end tag follows.
    bool isEmpty() const;
    // Local name (prefix dropped) of the current element.
    std::string_view name() const;
    int depth() const;

    std::optional<std::string> attr(const char* name) const;
    std::string attrOr(const char* name, const std::string& fallback = {}) const;
    // An attribute in the relationships namespace (r:id).
    std::string relAttr(const char* localName) const;

    // On a start tag: all text inside the element, child elements included; leaves
    // the reader on the element's end tag.
    std::string text();
    // On a start tag: skips to the element's end tag.
    void skip();

    [[noreturn]] void fail(const std::string& why) const;

    // Parser callbacks (C linkage trampolines call these).
    void onStart(const unsigned char* localName, int attributeCount, const unsigned char** attributes);
    void onEnd();
    void onText(const unsigned char* text, int len);
    void onError(const char* message, int line);
    void onDocumentType();

private:
    enum class Kind : unsigned char { Start, End, Text };
    struct Event {
        Kind kind;
        int depth;
        const unsigned char* name;   // Start, End: interned by the parser's dictionary
        std::uint32_t first;         // Start: first attribute; Text: arena offset
        std::uint32_t count;         // Start: attribute count; Text: length
    };
    struct Attribute {
        const unsigned char* localName;
        const unsigned char* prefix;
        const unsigned char* uri;
        std::uint32_t offset, length;   // value in the arena
    };
    // Moves to the next event of any kind; false at the end of the document.
    bool advance();
    // Parses until more than `index` events are queued or the document ends.
    void fill(std::size_t index);
    void feed();
    const Attribute* find(const char* name) const;
    std::string value(const Attribute& a) const;

    const std::string& bytes_;
    std::size_t fed_ = 0;
    _xmlParserCtxt* parser_ = nullptr;
    std::string part_;
    std::string error_;
    bool done_ = false;     // no more input to parse
    bool broken_ = false;   // a fatal error: the queued events are the last ones
    std::vector<Event> events_;
    std::vector<Attribute> attributes_;
    std::string arena_;
    std::vector<const unsigned char*> open_;   // names of the open elements
    std::size_t next_ = 0;      // next queued event
    std::size_t current_ = 0;   // the event next() stopped on
    int depth_ = 0;
    bool start_ = false;
    bool empty_ = false;
};

}  // namespace zevo::grid::xlsx
