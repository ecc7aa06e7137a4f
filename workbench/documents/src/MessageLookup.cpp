#include "zevo/documents/MessageLookup.h"

#include "zevo/clsVariables.h"

namespace zevo::documents {

xml::Node GetMessageNode(const std::string& id) {
    for (const xml::Node& entry : clsVariables().NodeMessage()) {
        // An entry without "ID" matches nothing, not even the empty id, as in the
        // message service.
        auto entryId = entry.isElement() ? entry.attribute("ID") : std::nullopt;
        if (entryId && *entryId == id) return entry;
    }
    return {};
}

}  // namespace zevo::documents
