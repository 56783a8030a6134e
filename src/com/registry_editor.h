// The registry as a server library's registration reads and changes it, one face over the
// registry file (com/posix/) and the system registry (com/windows/), so that the rules of whose
// keys a library may write and remove (com/server_registration.cpp) are written once.
//
// Keys are backslash paths below the classes root ("CLSID\{...}\InprocServer32"); a value's
// name is empty for the key's default value.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "com/server_registration.h"

namespace com {

class RegistryEditor {
  public:
    virtual ~RegistryEditor() = default;

    // The text value `name` of `key`; nothing when the key or the value is absent.
    virtual std::optional<std::string> Get(const std::string& key,
                                           const std::string& name = "") const = 0;
    virtual bool Exists(const std::string& key) const = 0;
    // The names of the keys directly below `key`.
    virtual std::vector<std::string> SubKeys(const std::string& key) const = 0;
    // Sets the value, creating the key; a fault when it cannot.
    virtual void Set(const std::string& key, const std::string& name, const std::string& value) = 0;
    // Removes `key` and everything below it; nothing to remove is no fault.
    virtual void RemoveTree(const std::string& key) = 0;

    // Writes the keys of the library's type library and of its interfaces.
    virtual void RegisterTypeLibrary(const ServerRegistration& server,
                                     const std::string& libraryPath) = 0;
    // The key below a type library version that holds this system's path of the library
    // ("0\linux", "0\win64", "0\win32").
    virtual std::string TypeLibraryPathKey() const = 0;
    // The views of the registry that a type library's interfaces are registered in: one where
    // the registry has one view; on 64-bit Windows the system's registration of a type library
    // writes its interfaces into both bitnesses' views. UseView picks the view the calls above
    // read and change (0, the library's own, is where they start).
    virtual int InterfaceViews() const { return 1; }
    virtual void UseView(int) {}
    // The file name of one of Wagelink's libraries ("wagelink", "wagelink-rev2", ...) as this
    // system names the file.
    virtual std::string LibraryFileName(const std::string& base) const = 0;
};

// What DllRegisterServer and DllUnregisterServer do, over either registry.
void RegisterServerWith(RegistryEditor& registry, const ServerRegistration& server,
                        const std::string& libraryPath);
void UnregisterServerWith(RegistryEditor& registry, const ServerRegistration& server,
                          const std::string& libraryPath);

}  // namespace com
