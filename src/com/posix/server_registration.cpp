#include "com/server_registration.h"

#include <dlfcn.h>

#include <filesystem>

#include "com/registry.h"

namespace com {

namespace {

std::string Key(const char* root, const GUID& id) {
    return std::string(root) + "\\" + FormatGuid(id);
}

void Register(Registry& registry, const ServerRegistration& server,
              const std::string& libraryPath) {
    const std::string libid = FormatGuid(server.typeLibrary);
    for (const ClassRegistration& c : server.classes) {
        std::string key = Key("CLSID", c.clsid);
        registry.Set(key, c.name);
        registry.Set(key + "\\InprocServer32", libraryPath);
        registry.Set(key + "\\InprocServer32\\ThreadingModel", "Apartment");
        registry.Set(key + "\\ProgID", c.progId);
        registry.Set(key + "\\TypeLib", libid);
        registry.Set(std::string(c.progId) + "\\CLSID", FormatGuid(c.clsid));
    }
    std::string typeLib = "TypeLib\\" + libid + "\\" + server.typeLibraryVersion;
    registry.Set(typeLib, server.typeLibraryName);
    registry.Set(typeLib + "\\0\\linux", libraryPath);
    for (const InterfaceRegistration& i : server.interfaces) {
        std::string key = Key("Interface", i.iid);
        registry.Set(key, i.name);
        registry.Set(key + "\\TypeLib", libid);
        registry.Set(key + "\\TypeLib\\Version", server.typeLibraryVersion);
    }
}

void Unregister(Registry& registry, const ServerRegistration& server) {
    for (const ClassRegistration& c : server.classes) {
        registry.RemoveTree(Key("CLSID", c.clsid));
        registry.RemoveTree(c.progId);
    }
    // Other versions of the same type library belong to other libraries.
    registry.RemoveTree(Key("TypeLib", server.typeLibrary) + "\\" + server.typeLibraryVersion);
    for (const InterfaceRegistration& i : server.interfaces)
        registry.RemoveTree(Key("Interface", i.iid));
}

}  // namespace

void RegisterServer(const ServerRegistration& server, const std::string& libraryPath) {
    Registry::Update([&](Registry& registry) { Register(registry, server, libraryPath); });
}

void UnregisterServer(const ServerRegistration& server) {
    Registry::Update([&](Registry& registry) { Unregister(registry, server); });
}

std::string ModulePath(const void* address) {
    Dl_info info{};
    if (!dladdr(address, &info) || !info.dli_fname) return "";
    std::error_code ec;
    auto path = std::filesystem::canonical(info.dli_fname, ec);
    return ec ? std::string(info.dli_fname) : path.string();
}

}  // namespace com
