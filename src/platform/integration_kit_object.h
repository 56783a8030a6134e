// A COM face for the IntegrationKit, as the platform's own component is reached:
// IntegrationKit (ProgID Wagelink.IntegrationKit) with MakeReply, GetAttribute, GetFieldValue,
// AddResult and BeginReply, the first, third, fifth, sixth and eighth members of its interface.
// Nodes and the reply document are the DOM's own objects (platform/dom_node.h): on Windows
// MSXML's, where the server on Windows creates this class through COM, one per thread, so that a
// platform's own registered component takes its place.
#pragma once

#include "com/guid.h"
#include "com/unknown.h"
#include "wagelink_identities.h"

namespace platform {

extern const com::CLSID CLSID_IntegrationKit;
inline constexpr const char* kIntegrationKitClsid =
    WAGELINK_GUID_TEXT(WAGELINK_CLSID_INTEGRATION_KIT);
inline constexpr const char* kIntegrationKitProgId = WAGELINK_PROGID_INTEGRATION_KIT;

com::ComPtr<com::IDispatch> CreateIntegrationKit();

}  // namespace platform
