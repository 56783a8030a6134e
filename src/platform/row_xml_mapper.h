// The row mapper in process: the server's own on Linux, and what the platform library's
// RowXmlMapper object (platform/objects.h) answers with. Mappings are data files (data/*.Xml)
// built into the library. It resolves the mapping's columns against the recordset at its first
// row and reuses that for every later row.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/components.h"

namespace platform {

class InProcessRowXmlMapper final : public RowXmlMapper {
  public:
    void FillRecord(xml::Document& doc, xml::Element record, const std::string& mappingName,
                    const db::Recordset& rows) override;

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
