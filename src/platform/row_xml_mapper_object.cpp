#include "base/fault.h"
#include "com/automation.h"
#include "com/late_call.h"
#include "platform/dom_node.h"
#include "platform/objects.h"
#include "platform/row_xml_mapper.h"
#include "wagelink_identities.h"

namespace platform {

namespace {

const com::IID IID_RowXmlMapper = com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_IID_ROW_XML_MAPPER));

using com::DispatchArguments;
using com::VARIANT;
using com::WORD;

// A column's value as text; Null (and nothing) as the empty text. `Item` of ADO's fields and
// `Value` of a field are their default members: called by DISPID_VALUE, without asking their
// DISPIDs for every column of every row.
std::string ValueText(com::IDispatch* fields, const std::string& column) {
    constexpr WORD kGet = com::DISPATCH_METHOD | com::DISPATCH_PROPERTYGET;
    com::Variant name = com::Variant::FromText(column);
    com::Variant field = com::CallById(fields, com::DISPID_VALUE, "Item", kGet, {*name.get()});
    com::Variant value =
        com::CallById(com::ToDispatch(*field.get()), com::DISPID_VALUE, "Value", kGet);
    const VARIANT v = com::Dereference(*value.get());
    if (v.vt == com::VT_EMPTY || com::IsNull(v)) return "";
    return com::ToText(v);
}

class RowXmlMapperObject final : public com::Automation<RowXmlMapperObject> {
  public:
    void* Answer(com::REFIID iid) {
        return iid == com::IID_IDispatch || iid == IID_RowXmlMapper
                   ? static_cast<com::IDispatch*>(this)
                   : nullptr;
    }

    static com::HRESULT FillRecord(RowXmlMapperObject&, DispatchArguments& args, WORD, VARIANT*) {
        xml::Element record = ElementArgument(args, 0);
        const std::string mapping = TextArgument(args, 1);
        com::DispatchArgument recordset(args, 2);
        if (!recordset.value()) base::ThrowObjectNotSet("FillRecord was given no recordset");
        com::Variant fields = com::GetProperty(recordset.value(), "Fields");
        // Every value is read before the record changes: a column the recordset lacks leaves
        // the record as it was.
        std::vector<std::pair<std::string, std::string>> values;
        for (const auto& [element, column] : Mapping(mapping))
            values.emplace_back(element, ValueText(com::ToDispatch(*fields.get()), column));
        for (const auto& [element, text] : values) record.AppendElement(element).SetText(text);
        return com::S_OK;
    }
    static constexpr com::DispatchMember<RowXmlMapperObject> kMembers[] = {
        {"FillRecord", 1, 3, 3, &FillRecord}};
};

}  // namespace

com::ComPtr<com::IDispatch> CreateRowXmlMapper() {
    return RowXmlMapperObject::Create();
}

}  // namespace platform
