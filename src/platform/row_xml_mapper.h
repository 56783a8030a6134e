// RowXmlMapper: writes the ordinary columns of an exported row into its record element, one
// child element per mapped column in mapping order, the column's value as text (Null gives an
// empty element). Mappings are data files (data/*.Xml) built into the library.
//
// One mapper serves one export call: it resolves the mapping's columns against the recordset at
// its first row and reuses that for every later row.
#pragma once

#include <string>
#include <vector>

#include "db/recordset.h"
#include "xml/document.h"

namespace platform {

class RowXmlMapper {
  public:
    // Faults: an unknown mapping name; a mapped column the recordset lacks.
    void FillRecord(xml::Document& doc, xml::Element record, const std::string& mappingName,
                    const db::Recordset& rows);

  private:
    struct Resolved {
        std::string mappingName;
        const db::Columns* columns = nullptr;
        std::vector<std::pair<std::string, std::size_t>> elements;  // element name, column index
    };
    Resolved resolved_;
};

// The (element, column) pairs of a mapping, in order; a fault for an unknown name.
const std::vector<std::pair<std::string, std::string>>& Mapping(const std::string& name);

}  // namespace platform
