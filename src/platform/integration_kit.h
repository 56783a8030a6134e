// IntegrationKit: reads values out of request elements and builds reply documents, in the
// formats every caller of the server agrees on:
//   MakeReply(code, message, extra)  ->  <reply code="CODE" message="MESSAGE"/>
//   BeginReply(docid, proc)          ->  <reply docid="DOCID" proc="PROC"/>
//   AddResult(...)                   appends <result n="N" key="KEY" code="CODE"
//                                    message="MESSAGE"/>, N counting the results from 1
// Stateless; every thread that uses the server shares one (SharedIntegrationKit).
#pragma once

#include <string>
#include <string_view>

#include "xml/document.h"

namespace platform {

class IntegrationKit {
  public:
    std::string MakeReply(std::string_view code, std::string_view message,
                          std::string_view extra = {}) const;
    // The attribute's value, "" when absent.
    std::string GetAttribute(xml::Element node, std::string_view name) const;
    // The text of the record's first child element of that name; failing that, the record's
    // attribute of that name; failing that, "".
    std::string GetFieldValue(xml::Element record, std::string_view name) const;
    // Appends one result to the reply document's root element, in call order.
    void AddResult(xml::Document& reply, std::string_view key, long code, std::string_view message,
                   long zero = 0, std::string_view t1 = {}, std::string_view t2 = {},
                   std::string_view t3 = {}, std::string_view t4 = {}) const;
    std::string BeginReply(std::string_view docid, std::string_view proc) const;
};

// The shared kit.
IntegrationKit& SharedIntegrationKit();

}  // namespace platform
