#pragma once
// The session: the open declaration's period, data folder, menu entry, validity
// node, sheet documents, message and caption catalogues and change flags.
// Values live in thread-local storage inside ZEVO_Utilities, so every
// clsVariables object on a thread (program and rules library alike) sees one set.
// Out-of-range indices raise RuntimeError 9, a non-element validity node 13.
#include <string>
#include <vector>

#include "zevo/Xml.h"

namespace zevo {

class clsVariables {
public:
    std::string Year() const;
    void Year(const std::string& v);
    std::string LastDay() const;
    void LastDay(const std::string& v);
    std::string FirstDay() const;
    void FirstDay(const std::string& v);
    std::string Month() const;
    void Month(const std::string& v);
    std::string ThreeMonths() const;
    void ThreeMonths(const std::string& v);
    std::string DataFolder() const;
    void DataFolder(const std::string& v);

    xml::Node NodeMenu() const;
    void NodeMenu(const xml::Node& v);

    void xmlDataReDim(int pIndex, bool pPreserve = false);
    int xmlDataCount() const;
    xml::DocumentPtr Data(int pIndex) const;
    void Data(int pIndex, const xml::DocumentPtr& doc);

    xml::Node NodeValidity() const;
    void NodeValidity(const xml::Node& v);   // element or null; anything else: 13

    std::vector<xml::Node> NodeMessage() const;
    void NodeMessage(const std::vector<xml::Node>& v);
    xml::Node NodeCaption() const;
    void NodeCaption(const xml::Node& v);

    void AdjustDataReDim(int pIndex, bool pPreserve = false);
    int AdjustDataCount() const;
    bool AdjustData(int pIndex) const;
    void AdjustData(int pIndex, bool v);   // true also sets DataChanged
    bool DataChanged() const;
    void DataChanged(bool v);

    // Back to the initial values (empty texts, no objects, unsized arrays).
    static void resetSession();
};

}  // namespace zevo
