// The DOM nodes an automation caller hands to a platform component, as our elements. On Windows
// our trees are MSXML's, so a node or document of MSXML is one; elsewhere no DOM object of this
// system crosses COM, and there is none.
#pragma once

#include <optional>

#include "com/unknown.h"
#include "xml/document.h"

namespace platform {

// The element `object` is, or the root element of the document it is; nullopt when it is
// neither.
std::optional<xml::Element> ElementOf(com::IDispatch* object);

}  // namespace platform
