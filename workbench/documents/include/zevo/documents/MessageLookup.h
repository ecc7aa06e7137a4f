#pragma once
// Finding a message of the session's message list by its id.
#include <string>

#include "zevo/Xml.h"

namespace zevo::documents {

// The first entry of clsVariables::NodeMessage whose "ID" equals id (its "Msg"
// attribute is the text); a null node when there is none.
xml::Node GetMessageNode(const std::string& id);

}  // namespace zevo::documents
