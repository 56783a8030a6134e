#include "messages/message_source.h"

#include "base/fault.h"
#include "com/activation.h"
#include "com/late_call.h"
#include "com/variant.h"
#include "platform/message_resource_object.h"

namespace messages {

struct MessageSource::Resource {
    com::ComPtr<com::IDispatch> component;
};

MessageSource::MessageSource()
    : resource_(std::make_unique<Resource>(
          Resource{com::CreateObject(platform::kMessageResourceClsid)})) {}

MessageSource::~MessageSource() = default;

// LoadMessage(id, substitute, arguments): the arguments an array of VARIANT with lower bound 0,
// by reference, each missing one as the missing-argument marker.
std::string MessageSource::LoadMessage(const std::string& id, int substitute,
                                       const std::vector<platform::MessageArgument>& arguments) {
    com::SAFEARRAY* array =
        com::SafeArrayCreateVector(com::VT_VARIANT, 0, static_cast<com::ULONG>(arguments.size()));
    if (!array) base::ThrowOutOfMemory();
    com::Variant list = com::Variant::FromArray(array);
    com::VARIANT* elements = com::SafeArrayElements(array);
    for (std::size_t i = 0; i < arguments.size(); ++i)
        elements[i] =
            (arguments[i] ? com::Variant::FromText(*arguments[i]) : com::Variant::Missing())
                .Detach();
    com::Variant text = com::Variant::FromText(id);
    com::Variant number = com::Variant::FromLong(substitute);
    return com::ToText(*com::CallByName(resource_->component.get(), "LoadMessage",
                                        com::DISPATCH_METHOD,
                                        {*text.get(), *number.get(), com::ByRef(list)})
                            .get());
}

}  // namespace messages
