#include "Catalogue.h"

#include "zevo/RuntimeError.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"
#include "zevo/rules/mdlFuntions.h"

namespace zevo::rules::catalogue {

namespace {
constexpr int kObjectNotSet = 91;
constexpr int kInvalidFileFormat = 321;
}  // namespace

std::string levelPath(int level) {
    if (level < 1) throw RuntimeError(err::kInvalidCall, "Invalid catalogue level");
    std::string path = "Item";
    for (int i = 1; i < level; ++i) path += "/Item";
    return path;
}

std::vector<xml::Node> selectLevel(const xml::DocumentPtr& doc, int level) {
    if (!doc || doc->isEmpty())
        throw RuntimeError(kObjectNotSet, "Object variable or With block variable not set");
    return doc->documentElement().selectNodes(levelPath(level));
}

std::string cataloguePath(const std::string& fileName) {
    xml::Node validity = clsVariables().NodeValidity();
    if (validity.isNull())
        throw RuntimeError(kObjectNotSet, "Object variable or With block variable not set");
    const std::string folder = GetAttributeValue(validity.firstChildElement(), "TemplateFolder");
    return clsMessageBox().GetAbsolutePath(folder + fileName);
}

void loadInto(const xml::DocumentPtr& doc, const std::string& fileName) {
    const std::string path = cataloguePath(fileName);
    const xml::LoadResult result = doc->loadFile(path, xml::Trust::Installed);
    if (result.status == xml::LoadStatus::NotFound)
        throw RuntimeError(err::kFileNotFound, "File not found: " + path);
    if (!result.ok())
        throw RuntimeError(kInvalidFileFormat, path + ": " + result.reason);
}

xml::Node findById(const xml::DocumentPtr& doc, int level, const std::string& id) {
    for (const xml::Node& item : selectLevel(doc, level))
        if (GetAttributeValue(item, "id") == id) return item;
    return {};
}

}  // namespace zevo::rules::catalogue
