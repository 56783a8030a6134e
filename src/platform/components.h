// The platform's components as the server calls them: the integration kit (reading request
// elements, building replies), the row mapper (an exported row into its record element) and the
// message resource (message texts in the user's language).
//
// Each is an interface made by its New... function, implemented once per system
// (platform/posix/components.cpp, platform/windows/components.cpp): on Linux the component in
// process (platform/integration_kit.h, row_xml_mapper.h, message_resource.h); on Windows a client
// of the registered component, created through the system's COM by its class identifier at its
// first use and called by name, so that a platform's own component takes the place of ours.
//
// The faces take what the server means; the arguments the components' COM interfaces add (the
// kit's padding texts, for one) are the clients' business.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/recordset.h"
#include "xml/document.h"

namespace platform {

// IntegrationKit, in the formats every caller of the server agrees on:
//   MakeReply(code, message)   ->  <reply code="CODE" message="MESSAGE"/>
//   BeginReply(docid, proc)    ->  <reply docid="DOCID" proc="PROC"/>
//   AddResult(...)             appends <result n="N" key="KEY" code="CODE" message="MESSAGE"/>,
//                              N counting the results from 1
// Stateless.
class IntegrationKit {
  public:
    virtual ~IntegrationKit() = default;

    virtual std::string MakeReply(std::string_view code, std::string_view message) const = 0;
    // The attribute's value, "" when absent (or when there is no node).
    virtual std::string GetAttribute(xml::Element node, std::string_view name) const = 0;
    // The text of the record's first child element of that name; failing that, the record's
    // attribute of that name; failing that, "".
    virtual std::string GetFieldValue(xml::Element record, std::string_view name) const = 0;
    // Appends one result to the reply document's root element, in call order.
    virtual void AddResult(xml::Document& reply, std::string_view key, long code,
                           std::string_view message) const = 0;
    virtual std::string BeginReply(std::string_view docid, std::string_view proc) const = 0;
};

// RowXmlMapper: writes the ordinary columns of an exported row into its record element, one child
// element per mapped column in mapping order, the column's value as text (Null gives an empty
// element). One mapper serves one export call.
class RowXmlMapper {
  public:
    virtual ~RowXmlMapper() = default;

    // Faults: an unknown mapping name; a mapped column the recordset lacks.
    virtual void FillRecord(xml::Document& doc, xml::Element record, const std::string& mappingName,
                            const db::Recordset& rows) = 0;
};

// One element of LoadMessage's argument array; nullopt is the missing-argument marker.
using MessageArgument = std::optional<std::string>;

// MessageResource: the text of a message identifier in the user's language; with `substitute`
// on, %1, %2 and %3 take the arguments, and a missing argument (and one beyond the array) reads
// as the empty text. An identifier it does not know is a fault.
class MessageResource {
  public:
    virtual ~MessageResource() = default;

    virtual std::string LoadMessage(const std::string& id, int substitute,
                                    const std::vector<MessageArgument>& arguments) const = 0;
};

// The calling thread's kit, made at its first use; it is called for every field of every record.
// A fault when it cannot be made (on Windows, no registered component).
const IntegrationKit& SharedIntegrationKit();
// The mapper of one export call.
std::unique_ptr<RowXmlMapper> NewRowXmlMapper();
// A fault when the resource cannot be made: no catalog for WAGELINK_LANG; on Windows, no
// registered component (or the component's own refusal, in its words).
std::unique_ptr<MessageResource> NewMessageResource();

}  // namespace platform
