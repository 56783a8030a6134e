// IntegrationKit: reads values out of request elements and builds reply documents, in the
// formats every caller of the server agrees on:
//   MakeReply(code, message)         ->  <reply code="CODE" message="MESSAGE"/>
//   BeginReply(docid, proc)          ->  <reply docid="DOCID" proc="PROC"/>
//   AddResult(...)                   appends <result n="N" key="KEY" code="CODE"
//                                    message="MESSAGE"/>, N counting the results from 1
// Stateless. The server reaches it through SharedIntegrationKit: on Linux this class in process;
// on Windows the registered component (Wagelink.IntegrationKit, platform/integration_kit_object.h)
// created through the system's COM, one per thread, so that a platform's own takes its place.
#pragma once

#include <string>
#include <string_view>

#include "xml/document.h"

namespace platform {

class IntegrationKit {
  public:
    virtual ~IntegrationKit() = default;

    // The component's third argument, an extra text the reply never holds, is its COM face's.
    virtual std::string MakeReply(std::string_view code, std::string_view message) const;
    // The attribute's value, "" when absent.
    virtual std::string GetAttribute(xml::Element node, std::string_view name) const;
    // The text of the record's first child element of that name; failing that, the record's
    // attribute of that name; failing that, "".
    virtual std::string GetFieldValue(xml::Element record, std::string_view name) const;
    // Appends one result to the reply document's root element, in call order. (The component's
    // other arguments, a 0 and four empty texts, are its COM face's.)
    virtual void AddResult(xml::Document& reply, std::string_view key, long code,
                           std::string_view message) const;
    virtual std::string BeginReply(std::string_view docid, std::string_view proc) const;

    // AddResult's work on the reply's root element.
    void AddResultTo(xml::Element root, std::string_view key, long code,
                     std::string_view message) const;
};

// The kit of the calling thread (platform/posix/shared_kit.cpp, platform/windows/shared_kit.cpp).
IntegrationKit& SharedIntegrationKit();

}  // namespace platform
