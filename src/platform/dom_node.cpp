#include "platform/dom_node.h"

#include "base/fault.h"

namespace platform {

xml::Element ElementArgument(const com::DispatchArguments& args, com::UINT index) {
    com::DispatchArgument node(args, index);
    std::optional<xml::Element> element = ElementOf(node.value());
    if (!element) base::ThrowInvalidArgument("the argument is not a node of the system's XML DOM");
    return *element;
}

std::string TextArgument(const com::DispatchArguments& args, com::UINT index) {
    if (!args.Given(index)) return "";
    com::BstrArgument text(args, index);
    return com::BstrToUtf8(text.value());
}

}  // namespace platform
