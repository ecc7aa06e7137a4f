#include "zevo/documents/MenuFile.h"

#include "zevo/documents/Attributes.h"

namespace zevo::documents {

std::vector<xml::Node> menuEntries(const xml::Node& root) {
    std::vector<xml::Node> out;
    if (root.isNull()) return out;
    for (const xml::Node& child : root.childElements()) {
        if (!child.firstChildElement("Validity").isNull()) out.push_back(child);
    }
    return out;
}

int GetMenuIndex(const xml::Node& root, const std::string& id) {
    auto entries = menuEntries(root);
    for (size_t i = 0; i < entries.size(); ++i) {
        if (GetAttributeValue(entries[i], "ID") == id) return static_cast<int>(i) + 1;
    }
    return 0;
}

MenuFile::MenuFile(xml::DocumentPtr doc) : doc_(std::move(doc)) {}

xml::LoadResult MenuFile::load(const std::string& path) {
    doc_ = xml::Document::create();
    return doc_->loadFile(path, xml::Trust::Installed);
}

xml::Node MenuFile::root() const {
    if (!doc_) return {};
    auto roots = doc_->elementsByTagName("Root");
    return roots.empty() ? xml::Node() : roots.front();
}

std::vector<xml::Node> MenuFile::entries() const { return menuEntries(root()); }

xml::Node MenuFile::entry(const std::string& id) const {
    xml::Node r = root();
    if (r.isNull()) return {};
    for (const xml::Node& child : r.childElements()) {
        if (GetAttributeValue(child, "ID") == id) return child;
    }
    return {};
}

int MenuFile::GetMenuIndex(const std::string& id) const {
    return documents::GetMenuIndex(root(), id);
}

}  // namespace zevo::documents
