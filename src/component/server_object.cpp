#include "component/server_object.h"

namespace component {

messages::MessageArgument MessageArgumentOf(const VARIANT* value) {
    if (!value || com::IsMissing(*value)) return std::nullopt;
    if (com::IsNull(*value)) return std::string();
    return com::ToText(*value);
}

}  // namespace component
