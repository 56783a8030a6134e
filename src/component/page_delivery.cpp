#include "component/page_delivery.h"

#include "base/fault.h"
#include "com/late_call.h"
#include "component/host_control.h"

namespace component {

void DeliverPage(Instance& instance, const std::string& page, std::int32_t number,
                 std::int32_t count) {
    if (!instance.caller)
        base::ThrowObjectNotSet(
            "no caller holds the export's pages (call AddObjectReference first)");
    com::Variant text = com::Variant::FromText(page);
    com::Variant pageNumber = com::Variant::FromLong(number);
    com::Variant pageCount = com::Variant::FromLong(count);
    com::CallByName(instance.caller.get(), "ProcessExport", com::DISPATCH_METHOD,
                    {*text.get(), com::ByRef(pageNumber), com::ByRef(pageCount)});
    if (StopRequested() && number < count)
        base::ThrowFailure("The export was stopped after page " + std::to_string(number) + " of " +
                           std::to_string(count) + " at the host's request");
}

query::PageDelivery PageDeliveryOf(Instance& instance) {
    if (!instance.behaviour.holdsCaller) return nullptr;
    return [&instance](const std::string& page, std::int32_t n, std::int32_t count) {
        DeliverPage(instance, page, n, count);
    };
}

}  // namespace component
