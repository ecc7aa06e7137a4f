#pragma once
// Loads message and caption catalogues into the session, as the main window does.
#include <string>

#include "zevo/Xml.h"
#include "zevo/clsVariables.h"

namespace testing_support {

inline void loadMessages(const std::string& xml) {
    auto doc = zevo::xml::Document::fromString(xml);
    zevo::clsVariables().NodeMessage(
        doc->documentElement().selectSingleNode("//Message").childElements());
}

inline void loadCaptions(const std::string& xml) {
    auto doc = zevo::xml::Document::fromString(xml);
    zevo::clsVariables().NodeCaption(doc->documentElement());
}

}  // namespace testing_support
