#include "XmlText.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace zevo::tools {

std::string escapeXml(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\n': out += "&#10;"; break;
        case '\t': out += "&#9;"; break;
        default: out += c;
        }
    }
    return out;
}

namespace {

void writeElement(const XmlElement& e, std::string& out) {
    out += '<';
    out += e.name;
    for (const auto& [k, v] : e.attributes) {
        out += ' ';
        out += k;
        out += "=\"";
        out += escapeXml(v);
        out += '"';
    }
    if (e.children.empty()) {
        out += "\n/>";
        return;
    }
    out += "\n>";
    for (const auto& c : e.children) writeElement(c, out);
    out += "</";
    out += e.name;
    out += "\n>";
}

XmlElement convert(xmlNode* node) {
    XmlElement e;
    e.name = reinterpret_cast<const char*>(node->name);
    for (xmlAttr* a = node->properties; a; a = a->next) {
        xmlChar* v = xmlNodeListGetString(node->doc, a->children, 1);
        e.attributes.emplace_back(reinterpret_cast<const char*>(a->name),
                                  v ? reinterpret_cast<const char*>(v) : "");
        xmlFree(v);
    }
    for (xmlNode* c = node->children; c; c = c->next) {
        if (c->type == XML_ELEMENT_NODE) {
            e.children.push_back(convert(c));
        } else if (c->type == XML_TEXT_NODE && !xmlIsBlankNode(c)) {
            throw std::runtime_error(std::string("text content is not used in installation files: <") +
                                     e.name + ">");
        }
    }
    return e;
}

}  // namespace

std::string serializeCompact(const XmlElement& root, const std::string& dtd) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    if (!dtd.empty()) {
        out += dtd;
        out += '\n';
    }
    writeElement(root, out);
    out += '\n';
    return out;
}

XmlElement readXmlFile(const std::string& path, std::string* dtd) {
    xmlDocPtr doc = xmlReadFile(path.c_str(), "UTF-8", XML_PARSE_NONET | XML_PARSE_NOWARNING);
    if (!doc) {
        const xmlError* err = xmlGetLastError();
        throw std::runtime_error(path + ": " + (err && err->message ? err->message : "not well-formed"));
    }
    xmlNode* root = xmlDocGetRootElement(doc);
    if (!root) {
        xmlFreeDoc(doc);
        throw std::runtime_error(path + ": no document element");
    }
    if (dtd) dtd->clear();
    XmlElement result;
    try {
        result = convert(root);
    } catch (const std::exception& ex) {
        xmlFreeDoc(doc);
        throw std::runtime_error(path + ": " + ex.what());
    }
    xmlFreeDoc(doc);
    return result;
}

void writeTextFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path);
    out << text;
    if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

std::string readTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace zevo::tools
