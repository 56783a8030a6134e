// A COM face for the RowXmlMapper, as the platform's own component is reached: class identifier
// {DBC12D99-1A21-4C58-BDBB-FF0A9F24EF71} (ProgID Wagelink.RowXmlMapper), interface
// {317D0864-1A0E-4758-8C8C-352812EBF213}, whose FillRecord(record, mapping name, recordset)
// writes the mapped columns of the recordset's current row into the record element. The record
// is a node of the system's DOM (platform/dom_node.h); the recordset any object read by name as
// ADO's is (`Fields.Item(column).Value`), such as the server's face of its rows
// (platform/recordset_object.h).
#pragma once

#include "com/guid.h"
#include "com/unknown.h"
#include "wagelink_identities.h"

namespace platform {

extern const com::CLSID CLSID_RowXmlMapper;
inline constexpr const char* kRowXmlMapperClsid = WAGELINK_GUID_TEXT(WAGELINK_CLSID_ROW_XML_MAPPER);
inline constexpr const char* kRowXmlMapperProgId = WAGELINK_PROGID_ROW_XML_MAPPER;
extern const com::IID IID_RowXmlMapper;

com::ComPtr<com::IDispatch> CreateRowXmlMapper();

}  // namespace platform
