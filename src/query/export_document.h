// The export document of every export: the request's root element, emptied of its children and
// keeping all its attributes, which receives one record element per exported row. A record is
// written out as text as soon as it is appended, and its elements freed: an export's tree never
// holds more than one record, however many rows it writes. After each full page the text starts
// again from the emptied root.
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
    // Adds the record to the text.
    void Append(xml::NewElement record);
    // Starts the next page from the emptied root.
    void Renew();
    // The text so far (a page).
    std::string Xml() const;
    // The text so far, handed over without a copy: the reply of an export, which may be large.
    std::string TakeXml();

  private:
    xml::Document working_;
    std::string template_;                       // the text of the emptied root
    std::pair<std::string, std::string> frame_;  // the text around the root's content
    std::string text_;  // the frame's head and the records so far; empty before the first
    std::optional<std::string> recordName_;
};

}  // namespace query
