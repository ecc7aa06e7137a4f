#pragma once
// Attribute access of the declaration documents, the menu and the ini files, under
// the names the documents code uses; the helpers belong to the XML layer.
#include "zevo/Xml.h"

namespace zevo::documents {

using xml::GetAttributeValue;
using xml::SetAttributeValue;

}  // namespace zevo::documents
