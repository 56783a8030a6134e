// Registration in the system registry (HKEY_CLASSES_ROOT, which the system redirects for the
// DLL's bitness), under the rules of com/server_registration.cpp: per class its CLSID key with
// InprocServer32 (the DLL's path, ThreadingModel Apartment), ProgID and TypeLib, and the ProgID's
// CLSID; the type library held as the DLL's TYPELIB resource, registered by the system with its
// interfaces. Unregistration removes exactly the keys that name this DLL, itself: the system's
// UnRegisterTypeLib would remove interfaces that another revision registered since.
#include <cstdio>

#include "base/fault.h"
#include "com/hresult.h"
#include "com/registry_editor.h"
#include "com/unknown.h"
#include "com/windows/system.h"

namespace com {

namespace {

[[noreturn]] void Failed(LSTATUS status, const std::string& key) {
    throw base::Fault(HRESULT_FROM_WIN32(status), "Cannot write the registry key " + key);
}

// An open registry key below the classes root, closed when it goes; empty when it cannot be opened.
class Key {
  public:
    Key(const std::string& key, REGSAM access) {
        if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, system::Wide(key).c_str(), 0, access, &key_) !=
            ERROR_SUCCESS)
            key_ = nullptr;
    }
    explicit Key(HKEY key) : key_(key) {}
    ~Key() {
        if (key_) ::RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    explicit operator bool() const { return key_ != nullptr; }
    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

// A 32-bit DLL on 64-bit Windows, where the registry has a view for each bitness.
bool RunsOnWow64() {
    BOOL wow64 = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

class SystemRegistryEditor final : public RegistryEditor {
  public:
    std::optional<std::string> Get(const std::string& key, const std::string& name) const override {
        Key opened(key, KEY_QUERY_VALUE | view_);
        if (!opened) return std::nullopt;
        const std::wstring n = system::Wide(name);
        const wchar_t* valueName = name.empty() ? nullptr : n.c_str();
        ::DWORD bytes = 0;
        if (::RegGetValueW(opened.get(), nullptr, valueName, RRF_RT_REG_SZ, nullptr, nullptr,
                           &bytes) != ERROR_SUCCESS)
            return std::nullopt;
        std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
        bytes = static_cast<::DWORD>(text.size() * sizeof(wchar_t));
        if (::RegGetValueW(opened.get(), nullptr, valueName, RRF_RT_REG_SZ, nullptr, text.data(),
                           &bytes) != ERROR_SUCCESS)
            return std::nullopt;
        text.resize(wcsnlen(text.c_str(), text.size()));
        return system::Utf8(text);
    }
    bool Exists(const std::string& key) const override {
        return static_cast<bool>(Key(key, KEY_QUERY_VALUE | view_));
    }
    std::vector<std::string> SubKeys(const std::string& key) const override {
        std::vector<std::string> names;
        Key opened(key, KEY_ENUMERATE_SUB_KEYS | view_);
        wchar_t name[256];
        for (::DWORD i = 0; opened; ++i) {
            ::DWORD length = 256;
            if (::RegEnumKeyExW(opened.get(), i, name, &length, nullptr, nullptr, nullptr,
                                nullptr) != ERROR_SUCCESS)
                break;
            names.push_back(system::Utf8(std::wstring_view(name, length)));
        }
        return names;
    }
    void Set(const std::string& key, const std::string& name, const std::string& value) override {
        HKEY created = nullptr;
        LSTATUS status = ::RegCreateKeyExW(HKEY_CLASSES_ROOT, system::Wide(key).c_str(), 0, nullptr,
                                           0, KEY_SET_VALUE | view_, nullptr, &created, nullptr);
        if (status != ERROR_SUCCESS) Failed(status, key);
        const Key owned(created);
        const std::wstring n = system::Wide(name), text = system::Wide(value);
        status = ::RegSetValueExW(created, name.empty() ? nullptr : n.c_str(), 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(text.c_str()),
                                  static_cast<::DWORD>((text.size() + 1) * sizeof(wchar_t)));
        if (status != ERROR_SUCCESS) Failed(status, key);
    }
    void RemoveTree(const std::string& key) override {
        {
            Key opened(key,
                       DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE | view_);
            if (!opened) return;
            LSTATUS status = ::RegDeleteTreeW(opened.get(), nullptr);
            if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) Failed(status, key);
        }
        LSTATUS status = ::RegDeleteKeyExW(HKEY_CLASSES_ROOT, system::Wide(key).c_str(), view_, 0);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) Failed(status, key);
    }
    int InterfaceViews() const override { return sizeof(void*) == 8 || RunsOnWow64() ? 2 : 1; }
    void UseView(int view) override {
        view_ = view == 0 ? 0 : sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    }

    void RegisterTypeLibrary(const ServerRegistration&, const std::string& libraryPath) override {
        const std::wstring path = system::Wide(libraryPath);
        ComPtr<ITypeLib> library;
        HRESULT hr = ::LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.Receive());
        if (FAILED(hr)) throw base::Fault(hr, "The library holds no type library: " + libraryPath);
        hr = ::RegisterTypeLib(library.get(), const_cast<wchar_t*>(path.c_str()), nullptr);
        if (FAILED(hr)) throw base::Fault(hr, "Cannot register the type library of " + libraryPath);
    }
    std::string TypeLibraryPathKey() const override {
        return sizeof(void*) == 8 ? "0\\win64" : "0\\win32";
    }
    std::string LibraryFileName(const std::string& base) const override { return base + ".dll"; }

  private:
    REGSAM view_ = 0;  // the library's own view
};

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

}  // namespace

void RegisterServer(const ServerRegistration& server, const std::string& libraryPath) {
    SystemRegistryEditor registry;
    try {
        RegisterServerWith(registry, server, libraryPath);
    } catch (...) {
        // Nothing half-registered: what was written goes again, and the first fault is told.
        try {
            UnregisterServerWith(registry, server, libraryPath);
        } catch (...) {
        }
        throw;
    }
}

void UnregisterServer(const ServerRegistration& server, const std::string& libraryPath) {
    SystemRegistryEditor registry;
    UnregisterServerWith(registry, server, libraryPath);
}

std::string ModulePath(const void* address) {
    return system::Utf8(ModuleWidePath(address));
}

}  // namespace com
