// A COM face for the IntegrationKit, as the platform's own component is reached:
// IntegrationKit (ProgID Wagelink.IntegrationKit) with MakeReply, GetAttribute, GetFieldValue,
// AddResult and BeginReply, the first, third, fifth, sixth and eighth members of its interface.
// Nodes and the reply document are the DOM's own objects (platform/dom_node.h): on Windows
// MSXML's, where the server on Windows creates this class through COM, one per thread, so that a
// platform's own registered component takes its place.
#pragma once

#include "com/guid.h"
#include "com/unknown.h"

namespace platform {

extern const com::CLSID CLSID_IntegrationKit;
inline constexpr const char* kIntegrationKitClsid = "{B7D3E5A1-6C24-4F89-9E0B-3A5D7C1F2E46}";
inline constexpr const char* kIntegrationKitProgId = "Wagelink.IntegrationKit";

com::ComPtr<com::IDispatch> CreateIntegrationKit();

}  // namespace platform
