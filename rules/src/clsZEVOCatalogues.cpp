// The catalogue members of the rule object: loaders with one cache slot each, pick
// lists and look-ups. Each traps its errors, logs them and returns what it had.
#include <algorithm>
#include <exception>

#include "Catalogue.h"
#include "clsZEVO.h"
#include "zevo/ErrorLog.h"
#include "zevo/rules/mdlFuntions.h"

namespace zevo::rules {

namespace {
constexpr const char* kModule = "clsZEVO";
}

xml::DocumentPtr clsZEVO::loadCatalogue(Catalogue which, const char* fileName, const char* member) {
    xml::DocumentPtr& slot = catalogues_[which];
    if (slot) return slot;
    try {
        slot = xml::Document::create();
        catalogue::loadInto(slot, fileName);
        return slot;
    } catch (const std::exception& e) {
        // The empty document stays cached: the file is not read again by this object.
        WriteErrorLog(kModule, member, e);
        return nullptr;
    }
}

xml::DocumentPtr clsZEVO::getXMLSex() {
    return loadCatalogue(kSex, catalogue::kSexFile, "getXMLSex");
}
xml::DocumentPtr clsZEVO::getXMLNational() {
    return loadCatalogue(kNational, catalogue::kCountryFile, "getXMLNational");
}
xml::DocumentPtr clsZEVO::getXMLQNational() {
    return loadCatalogue(kQNational, catalogue::kNationalityFile, "getXMLQNational");
}
xml::DocumentPtr clsZEVO::getXMLLocation() {
    return loadCatalogue(kLocation, catalogue::kLocationFile, "getXMLLocation");
}
xml::DocumentPtr clsZEVO::getXMLTaxoffice() {
    return loadCatalogue(kTaxoffice, catalogue::kTaxOfficeFile, "getXMLTaxoffice");
}
xml::DocumentPtr clsZEVO::getXMLEconomyDetail() {
    return loadCatalogue(kEconomyDetail, catalogue::kEconomyFile, "getXMLEconomyDetail");
}
xml::DocumentPtr clsZEVO::getXMLCareer() {
    return loadCatalogue(kCareer, catalogue::kCareerFile, "getXMLCareer");
}

const clsZEVO::LevelIndex* clsZEVO::ownLevel(const xml::DocumentPtr& doc, int level) {
    if (!doc || doc->isEmpty() || level < 1) return nullptr;
    if (std::find(catalogues_.begin(), catalogues_.end(), doc) == catalogues_.end()) return nullptr;
    const auto key = std::make_pair(static_cast<const xml::Document*>(doc.get()), level);
    auto it = levels_.find(key);
    if (it != levels_.end()) return &it->second;
    LevelIndex index;
    index.items = catalogue::selectLevel(doc, level);
    for (const xml::Node& item : index.items) {
        index.firstById.emplace(GetAttributeValue(item, "id"), item);
        index.firstByValue.emplace(GetAttributeValue(item, "value"), item);
    }
    return &levels_.emplace(key, std::move(index)).first->second;
}

std::string clsZEVO::getValueListToString(std::int16_t level, const xml::DocumentPtr& domData,
                                          const xml::Node& xmlParentNode, bool isTaxDeparment) {
    std::string list;
    try {
        const LevelIndex* index = xmlParentNode.isNull() ? ownLevel(domData, level) : nullptr;
        std::vector<xml::Node> searched;
        if (!index)
            searched = xmlParentNode.isNull() ? catalogue::selectLevel(domData, level)
                                              : xmlParentNode.childElements();
        for (const xml::Node& item : index ? index->items : searched) {
            if (isTaxDeparment)
                list += GetAttributeValue(item, "shortname") + " - " + GetAttributeValue(item, "value");
            else
                list += GetAttributeValue(item, "value");
            list += '\t';
        }
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "getValueListToString", e);
    }
    return list;
}

xml::Node clsZEVO::getNodeByValue(std::int16_t level, const std::string& value,
                                  const xml::DocumentPtr& domData, const xml::Node& parentNode) {
    try {
        if (value.empty()) return {};
        auto firstWithValue = [&](const std::vector<xml::Node>& items) -> xml::Node {
            for (const xml::Node& item : items)
                if (GetAttributeValue(item, "value") == value) return item;
            return {};
        };
        if (!parentNode.isNull()) {
            if (xml::Node hit = firstWithValue(parentNode.childElements())) return hit;
        }
        // A name chosen under another parent (or with no parent) is looked up over
        // the whole level.
        if (const LevelIndex* index = ownLevel(domData, level)) {
            auto hit = index->firstByValue.find(value);
            return hit == index->firstByValue.end() ? xml::Node() : hit->second;
        }
        return firstWithValue(catalogue::selectLevel(domData, level));
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "getNodeByValue", e);
        return {};
    }
}

xml::Node clsZEVO::getNodeById(std::int16_t level, const std::string& ID,
                               const xml::DocumentPtr& domData) {
    try {
        if (const LevelIndex* index = ownLevel(domData, level)) {
            auto hit = index->firstById.find(ID);
            return hit == index->firstById.end() ? xml::Node() : hit->second;
        }
        return catalogue::findById(domData, level, ID);
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "getNodeById", e);
        return {};
    }
}

}  // namespace zevo::rules
