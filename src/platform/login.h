// The login object the platform passes to Transact: a COM object with the properties
// ConnectionString (text), LoginYear (text holding a whole number) and LoginMonth (16-bit
// integer), which hosts create by ProgID and fill through IDispatch. The server reads it only by
// name, so any automation object with these properties can stand in for it.
#pragma once

#include "com/guid.h"
#include "com/unknown.h"
#include "wagelink_identities.h"

namespace platform {

extern const com::CLSID CLSID_Login;
inline constexpr const char* kLoginProgId = WAGELINK_PROGID_LOGIN;

com::ComPtr<com::IDispatch> CreateLogin();

}  // namespace platform
