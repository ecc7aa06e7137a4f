#pragma once
// Forward-only XML reading of one package part (libxml2's text reader), so that a
// large worksheet is never held as a tree. Documents with a DTD are refused: the
// parts of a workbook never have one, and refusing them shuts out entity bombs and
// external entities. Network access is off.
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct _xmlTextReader;

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
    // A start tag written as <x/>: no end tag follows.
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

    struct Source {
        const char* data;
        std::size_t size;
        std::size_t pos;
    };

private:
    bool read();
    std::unique_ptr<Source> source_;
    _xmlTextReader* reader_ = nullptr;
    std::string part_;
    std::string error_;
    bool start_ = false;
};

}  // namespace zevo::grid::xlsx
