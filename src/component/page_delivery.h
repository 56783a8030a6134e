// Hands one finished export page to the held caller: ProcessExport by name through IDispatch,
// with the page's XML text, the page number and the page count (both by reference).
#pragma once

#include <cstdint>
#include <string>

#include "component/instance.h"
#include "query/pager.h"

namespace component {

// A fault when no caller is held or the call fails.
void DeliverPage(Instance& instance, const std::string& page, std::int32_t number,
                 std::int32_t count);

// What the exports of `instance` hand pages to: DeliverPage, or nothing (an export that is never
// paged) in a revision that holds no caller.
query::PageDelivery PageDeliveryOf(Instance& instance);

}  // namespace component
