// The paging of the exports: with a page size of 1 or more, every full page and the last partial
// one is delivered (page number from 1, page count the record total divided by the page size,
// rounded up); a full page is followed by a fresh working document.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace query {

// Hands one page to the platform: the page's XML text, its number and the page count.
using PageDelivery =
    std::function<void(const std::string& page, std::int32_t number, std::int32_t count)>;

class Pager {
  public:
    // A page size below 1 means no paging: nothing is delivered.
    Pager(std::int32_t pageSize, std::int32_t recordTotal);

    bool paged() const { return pageSize_ > 0; }

    // Called after each record was added to the working document, with its current text.
    // Delivers a finished page and returns true when the working document must be renewed.
    [[nodiscard]] bool AfterRecord(const std::function<std::string()>& workingXml,
                                   const PageDelivery& deliver);

  private:
    std::int32_t pageSize_;
    std::int32_t recordTotal_ = 0;
    std::int32_t pageCount_ = 0;
    std::int32_t page_ = 1;
    std::int32_t position_ = 1;
};

}  // namespace query
