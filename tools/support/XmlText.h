#pragma once
// Writing installation XML without whitespace text nodes: every line break sits
// inside a tag, so a reader that walks child nodes sees elements only.
#include <string>
#include <utility>
#include <vector>

namespace zevo::tools {

std::string escapeXml(const std::string& text);

// A tiny element tree for generated files.
struct XmlElement {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<XmlElement> children;

    XmlElement& attr(const std::string& key, const std::string& value) {
        attributes.emplace_back(key, value);
        return *this;
    }
    XmlElement& add(const std::string& childName) {
        children.push_back(XmlElement{childName, {}, {}});
        return children.back();
    }
};

// Declaration, optional internal DTD subset, then the tree with the breaks inside tags.
std::string serializeCompact(const XmlElement& root, const std::string& dtd = {});

// Parses an XML file (well-formedness is checked), drops blank text nodes and
// returns the tree. Throws std::runtime_error with the parser's message.
XmlElement readXmlFile(const std::string& path, std::string* dtd = nullptr);

// Writes text to a file, replacing it; throws std::runtime_error on failure.
void writeTextFile(const std::string& path, const std::string& text);
std::string readTextFile(const std::string& path);

}  // namespace zevo::tools
