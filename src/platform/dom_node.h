// The DOM nodes an automation caller hands to a platform component, as our elements. On Windows
// our trees are MSXML's, so a node or document of MSXML is one; elsewhere no DOM object of this
// system crosses COM, and there is none.
#pragma once

#include <optional>

#include "com/dispatch.h"
#include "com/unknown.h"
#include "xml/document.h"

namespace platform {

// The element `object` is, or the root element of the document it is; nullopt when it is
// neither.
std::optional<xml::Element> ElementOf(com::IDispatch* object);

// The arguments of a component's call: a node (by value or by reference), a fault when it is no
// node of the system's DOM; a text, "" when omitted.
xml::Element ElementArgument(const com::DispatchArguments& args, com::UINT index);
std::string TextArgument(const com::DispatchArguments& args, com::UINT index);

}  // namespace platform
