// On Windows the mapper of an export is the registered component, created through the system's
// COM by its class identifier at its first use, so that a platform's own RowXmlMapper takes the
// place of ours. It is given the record element (an MSXML node) and the recordset's COM face.
#include <optional>

#include "platform/recordset_object.h"
#include "platform/row_xml_mapper.h"
#include "platform/row_xml_mapper_object.h"
#include "platform/windows/com_client.h"

namespace platform {

namespace {

class ComRowXmlMapper final : public RowXmlMapper {
  public:
    // The record and the recordset by reference, the mapping name by value.
    void FillRecord(xml::Document&, xml::Element record, const std::string& mappingName,
                    const db::Recordset& rows) override {
        if (!mapper_) mapper_.emplace(kRowXmlMapperClsid);
        if (!face_ || &face_->rows() != &rows) face_ = std::make_unique<RecordsetFace>(rows);
        com::Variant element = windows::NodeObject(record.node().get());
        com::Variant name = com::Variant::FromText(mappingName);
        com::Variant recordset = com::Variant::FromDispatch(face_->object());
        mapper_->Call("FillRecord", {com::ByRef(element), *name.get(), com::ByRef(recordset)});
    }

  private:
    std::optional<windows::Component> mapper_;
    std::unique_ptr<RecordsetFace> face_;
};

}  // namespace

std::unique_ptr<RowXmlMapper> NewRowXmlMapper() {
    return std::make_unique<ComRowXmlMapper>();
}

}  // namespace platform
