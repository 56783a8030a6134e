// What an in-process server library writes to the registry (DllRegisterServer) and removes from
// it (DllUnregisterServer): per class its CLSID, library path, threading model Apartment and
// ProgID; its type library's identifier and version; its interface identifiers. The registry is
// shared with the platform: a library writes a key only where it is absent or names one of
// Wagelink's libraries, and removes only keys that name itself (com/server_registration.cpp).
#pragma once

#include <span>
#include <string>

#include "com/guid.h"

namespace com {

struct ClassRegistration {
    const CLSID& clsid;
    const char* progId;
    const char* name;
};

struct InterfaceRegistration {
    const IID& iid;
    const char* name;  // the interface's name in the type library
};

struct ServerRegistration {
    const GUID& typeLibrary;
    const char* typeLibraryName;
    const char* typeLibraryVersion;
    std::span<const ClassRegistration> classes;
    std::span<const InterfaceRegistration> interfaces;
};

void RegisterServer(const ServerRegistration& server, const std::string& libraryPath);
void UnregisterServer(const ServerRegistration& server, const std::string& libraryPath);

// The path of the loaded library that holds `address` (canonical where it can be resolved).
std::string ModulePath(const void* address);

}  // namespace com
