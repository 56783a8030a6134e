// The export document of every export: the request's root element, emptied of its children and
// keeping all its attributes, which receives one record element per exported row. The working
// document is renewed from the template (the emptied root) after each full page.
//
// Faults: a text that is not XML (91, as the DOM's missing document); a `paginate` that is not a
// whole number (13, for the exports that trap nothing); a root without `roottag` when the first
// record is made (94).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "xml/document.h"

namespace query {

class ExportDocument {
  public:
    explicit ExportDocument(const std::string& requestXml);

    // `paginate` as a 32-bit whole number; below 1 means no paging.
    std::int32_t PageSize() const;
    // `paginate` where an unreadable value means no paging.
    std::int32_t PageSizeOrNone() const;

    xml::Document& working() { return working_; }
    // A new record element, named by the root's `roottag`.
    xml::NewElement NewRecord();
    void Append(xml::NewElement record);
    // Starts the next page from the template.
    void Renew();
    std::string Xml() const { return working_.Xml(); }

  private:
    xml::Document working_;
    std::string template_;
    std::optional<std::string> recordName_;
};

}  // namespace query
