// What the server's clients of the registered platform components share on Windows: how a call
// is made, and a node of our trees (MSXML's) as the automation object a component is given.
#pragma once

#include <string_view>
#include <vector>

#include "com/late_call.h"
#include "com/variant.h"

namespace platform::windows {

// A call by name whose result, when there is one, is read as text.
inline com::Variant CallMethod(com::IDispatch* component, std::string_view member,
                               const std::vector<com::VARIANT>& args) {
    return com::CallByName(component, member, com::DISPATCH_METHOD, args);
}

// An MSXML node (any of its interfaces begins with IDispatch's) as an object argument.
template <class Node>
com::Variant NodeObject(Node* node) {
    return com::Variant::FromDispatch(reinterpret_cast<com::IDispatch*>(node));
}

}  // namespace platform::windows
