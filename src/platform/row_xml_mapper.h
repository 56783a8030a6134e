// RowXmlMapper: writes the ordinary columns of an exported row into its record element, one
// child element per mapped column in mapping order, the column's value as text (Null gives an
// empty element). Mappings are data files (data/*.Xml) built into the library.
//
// One mapper serves one export call: it resolves the mapping's columns against the recordset at
// its first row and reuses that for every later row.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "db/recordset.h"
#include "xml/document.h"

namespace platform {

class RowXmlMapper {
  public:
    virtual ~RowXmlMapper() = default;

    // Faults: an unknown mapping name; a mapped column the recordset lacks.
    virtual void FillRecord(xml::Document& doc, xml::Element record, const std::string& mappingName,
                            const db::Recordset& rows);

  private:
    struct Resolved {
        std::string mappingName;
        const db::Columns* columns = nullptr;
        std::vector<std::pair<std::string, std::size_t>> elements;  // element name, column index
    };
    Resolved resolved_;
};

// The mapper of one export call (platform/posix/row_mapper_client.cpp,
// platform/windows/row_mapper_client.cpp): on Linux this class in process; on Windows the
// registered component (class identifier {DBC12D99-1A21-4C58-BDBB-FF0A9F24EF71}) created through
// COM at its first use, given MSXML's record element and the recordset's COM face
// (platform/recordset_object.h), so that a platform's own RowXmlMapper takes its place.
std::unique_ptr<RowXmlMapper> NewRowXmlMapper();

// The (element, column) pairs of a mapping, in order; a fault for an unknown name.
const std::vector<std::pair<std::string, std::string>>& Mapping(const std::string& name);

}  // namespace platform
