#include "platform/dom_node.h"

namespace platform {

std::optional<xml::Element> ElementOf(com::IDispatch*) {
    return std::nullopt;
}

}  // namespace platform
