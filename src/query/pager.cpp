#include "query/pager.h"

namespace query {

Pager::Pager(std::int32_t pageSize, std::int32_t recordTotal)
    : pageSize_(pageSize < 1 ? 0 : pageSize), recordTotal_(recordTotal) {
    if (paged()) pageCount_ = recordTotal / pageSize_ + (recordTotal % pageSize_ ? 1 : 0);
}

bool Pager::AfterRecord(const std::function<std::string()>& workingXml,
                        const PageDelivery& deliver) {
    if (!paged()) return false;
    bool renew = false;
    if (position_ == pageSize_) {
        deliver(workingXml(), page_, pageCount_);
        renew = true;
        position_ = 0;
        ++page_;
    } else if (position_ == recordTotal_ % pageSize_ && page_ == pageCount_) {
        deliver(workingXml(), page_, pageCount_);
    }
    ++position_;
    return renew;
}

}  // namespace query
