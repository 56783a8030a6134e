// Registration in the system registry (HKEY_CLASSES_ROOT): per class its CLSID key with
// InprocServer32 (the DLL's path, ThreadingModel Apartment), ProgID and TypeLib, and the ProgID's
// CLSID; the type library held as the DLL's TYPELIB resource, registered by the system with its
// interfaces. Unregistration removes exactly these keys.
#include "com/server_registration.h"

#include <cstdio>

#include "base/fault.h"
#include "com/hresult.h"
#include "com/unknown.h"
#include "com/windows/system.h"

namespace com {

namespace {

[[noreturn]] void Failed(LSTATUS status, const std::wstring& key) {
    throw base::Fault(HRESULT_FROM_WIN32(status),
                      "Cannot write the registry key " + system::Utf8(key));
}

// Sets the value `name` (the key's default value when empty) of HKCR\`key`, creating the key.
void Set(const std::wstring& key, const std::wstring& name, const std::string& value) {
    const std::wstring text = system::Wide(value);
    LSTATUS status = ::RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(),
                                       name.empty() ? nullptr : name.c_str(), REG_SZ, text.c_str(),
                                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS) Failed(status, key);
}

void RemoveTree(const std::wstring& key) {
    LSTATUS status = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) {
        status = ::RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
        if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return;
    }
    Failed(status, key);
}

std::wstring ClassKey(const CLSID& clsid) {
    return L"CLSID\\" + system::Wide(FormatGuid(clsid));
}

std::wstring ModuleWidePath(const void* address) {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<LPCWSTR>(address), &module))
        return {};
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

struct TypeLibVersion {
    WORD major = 1;
    WORD minor = 0;
};

TypeLibVersion ParseVersion(const char* text) {
    TypeLibVersion v;
    unsigned major = 1, minor = 0;
    if (std::sscanf(text, "%u.%u", &major, &minor) >= 1) {
        v.major = static_cast<WORD>(major);
        v.minor = static_cast<WORD>(minor);
    }
    return v;
}

void RegisterTypeLibrary(const std::string& libraryPath) {
    const std::wstring path = system::Wide(libraryPath);
    ComPtr<ITypeLib> library;
    HRESULT hr = ::LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.Receive());
    if (FAILED(hr)) throw base::Fault(hr, "The library holds no type library: " + libraryPath);
    hr = ::RegisterTypeLib(library.get(), const_cast<wchar_t*>(path.c_str()), nullptr);
    if (FAILED(hr)) throw base::Fault(hr, "Cannot register the type library of " + libraryPath);
}

}  // namespace

void RegisterServer(const ServerRegistration& server, const std::string& libraryPath) {
    const std::string libid = FormatGuid(server.typeLibrary);
    try {
        for (const ClassRegistration& c : server.classes) {
            const std::wstring key = ClassKey(c.clsid);
            Set(key, L"", c.name);
            Set(key + L"\\InprocServer32", L"", libraryPath);
            Set(key + L"\\InprocServer32", L"ThreadingModel", "Apartment");
            Set(key + L"\\ProgID", L"", c.progId);
            Set(key + L"\\TypeLib", L"", libid);
            Set(system::Wide(c.progId), L"", c.name);
            Set(system::Wide(c.progId) + L"\\CLSID", L"", FormatGuid(c.clsid));
        }
        RegisterTypeLibrary(libraryPath);
    } catch (...) {
        // Nothing half-registered: what was written goes again, and the first fault is told.
        try {
            UnregisterServer(server);
        } catch (...) {
        }
        throw;
    }
}

void UnregisterServer(const ServerRegistration& server) {
    for (const ClassRegistration& c : server.classes) {
        RemoveTree(ClassKey(c.clsid));
        RemoveTree(system::Wide(c.progId));
    }
    const TypeLibVersion version = ParseVersion(server.typeLibraryVersion);
    // The system removes the type library's key and its interfaces' keys; a library that was
    // never registered leaves nothing to remove.
    HRESULT hr = ::UnRegisterTypeLib(system::Guid(server.typeLibrary), version.major, version.minor,
                                     0, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    if (FAILED(hr) && hr != TYPE_E_REGISTRYACCESS && hr != TYPE_E_LIBNOTREGISTERED)
        throw base::Fault(hr,
                          "Cannot unregister the type library " + FormatGuid(server.typeLibrary));
    for (const InterfaceRegistration& i : server.interfaces)
        RemoveTree(L"Interface\\" + system::Wide(FormatGuid(i.iid)));
}

std::string ModulePath(const void* address) {
    return system::Utf8(ModuleWidePath(address));
}

}  // namespace com
