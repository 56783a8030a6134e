// Registration in the registry file (com/registry.h), under the rules of
// com/server_registration.cpp. A named value is the key of that name below its key
// ("CLSID\{...}\InprocServer32\ThreadingModel"); the type library's path is "0\linux".
#include <dlfcn.h>

#include <filesystem>

#include "com/guid.h"
#include "com/registry.h"
#include "com/registry_editor.h"

namespace com {

namespace {

class FileRegistryEditor final : public RegistryEditor {
  public:
    explicit FileRegistryEditor(Registry& registry) : registry_(registry) {}

    std::optional<std::string> Get(const std::string& key, const std::string& name) const override {
        return registry_.Get(Named(key, name));
    }
    bool Exists(const std::string& key) const override {
        return registry_.Get(key) || !registry_.SubKeys(key).empty();
    }
    std::vector<std::string> SubKeys(const std::string& key) const override {
        return registry_.SubKeys(key);
    }
    void Set(const std::string& key, const std::string& name, const std::string& value) override {
        registry_.Set(Named(key, name), value);
    }
    void RemoveTree(const std::string& key) override { registry_.RemoveTree(key); }

    void RegisterTypeLibrary(const ServerRegistration& server,
                             const std::string& libraryPath) override {
        const std::string libid = FormatGuid(server.typeLibrary);
        const std::string version = "TypeLib\\" + libid + "\\" + server.typeLibraryVersion;
        registry_.Set(version, server.typeLibraryName);
        registry_.Set(version + "\\" + TypeLibraryPathKey(), libraryPath);
        for (const InterfaceRegistration& i : server.interfaces) {
            const std::string key = "Interface\\" + FormatGuid(i.iid);
            registry_.Set(key, i.name);
            registry_.Set(key + "\\TypeLib", libid);
            registry_.Set(key + "\\TypeLib\\Version", server.typeLibraryVersion);
        }
    }
    std::string TypeLibraryPathKey() const override { return "0\\linux"; }
    std::string LibraryFileName(const std::string& base) const override {
        return "lib" + base + ".so";
    }

  private:
    static std::string Named(const std::string& key, const std::string& name) {
        return name.empty() ? key : key + "\\" + name;
    }
    Registry& registry_;
};

}  // namespace

void RegisterServer(const ServerRegistration& server, const std::string& libraryPath) {
    Registry::Update([&](Registry& registry) {
        FileRegistryEditor editor(registry);
        RegisterServerWith(editor, server, libraryPath);
    });
}

void UnregisterServer(const ServerRegistration& server, const std::string& libraryPath) {
    Registry::Update([&](Registry& registry) {
        FileRegistryEditor editor(registry);
        UnregisterServerWith(editor, server, libraryPath);
    });
}

std::string ModulePath(const void* address) {
    Dl_info info{};
    if (!dladdr(address, &info) || !info.dli_fname) return "";
    std::error_code ec;
    auto path = std::filesystem::canonical(info.dli_fname, ec);
    return ec ? std::string(info.dli_fname) : path.string();
}

}  // namespace com
