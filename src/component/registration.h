// What DllRegisterServer writes to the registry file and DllUnregisterServer removes: per class
// its CLSID, library path, threading model Apartment and ProgID; the type library identifier and
// version; the interface identifiers.
#pragma once

#include <string>

namespace component {

void RegisterServer(const std::string& libraryPath);
void UnregisterServer();

}  // namespace component
