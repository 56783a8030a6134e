// Whose keys a server library writes and removes. The registry is shared with the platform,
// whose own components may stand at the identifiers ours use (its row mapper, its login class):
//
//  1. A library writes a class, ProgID, type library or interface key only where the key is
//     absent or already names one of Wagelink's libraries (by file name, in whatever folder: an
//     earlier installation, or another revision under the same ProgIDs, is replaced as before).
//     A key that names another file is left as it is, and its component serves in ours' place.
//  2. A type library is registered with its interfaces or not at all: where one of their keys
//     is another file's, the library's own copy (which its objects describe themselves with)
//     is all there is.
//  3. A library removes only keys that name this very file: a class whose server is it, the
//     ProgID that names that class, its type library version and the interfaces registered
//     with that version. What another library or revision registered since stays.
#include <algorithm>

#include "base/text.h"
#include "com/guid.h"
#include "com/registry_editor.h"

namespace com {

namespace {

const char* const kOurLibraries[] = {"wagelink", "wagelink-rev2", "wagelink-rev1",
                                     "wagelink-platform"};

std::string FileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool SamePath(const std::string& a, const std::string& b) {
    return base::EqualNoCase(a, b);
}

std::string ClassKey(const CLSID& clsid) {
    return "CLSID\\" + FormatGuid(clsid);
}
std::string TypeLibraryKey(const ServerRegistration& server) {
    return "TypeLib\\" + FormatGuid(server.typeLibrary) + "\\" + server.typeLibraryVersion;
}
std::string InterfaceKey(const IID& iid) {
    return "Interface\\" + FormatGuid(iid);
}

class Rules {
  public:
    explicit Rules(RegistryEditor& registry) : registry_(registry) {}

    bool OursByFile(const std::optional<std::string>& path) const {
        if (!path) return false;
        const std::string name = FileNameOf(*path);
        return std::any_of(std::begin(kOurLibraries), std::end(kOurLibraries), [&](const char* l) {
            return base::EqualNoCase(name, registry_.LibraryFileName(l));
        });
    }
    std::optional<std::string> ServerOf(const std::string& classKey) const {
        return registry_.Get(classKey + "\\InprocServer32");
    }
    bool ClassIsFree(const std::string& classKey) const {
        return !registry_.Exists(classKey) || OursByFile(ServerOf(classKey));
    }
    // A ProgID is free when absent, or when the class it names is free and either ours already
    // or the one this library registers under it.
    bool ProgIdIsFree(const std::string& progId, const CLSID& clsid) const {
        if (!registry_.Exists(progId)) return true;
        std::optional<std::string> named = registry_.Get(progId + "\\CLSID");
        if (!named) return false;
        const std::string classKey = "CLSID\\" + *named;
        if (OursByFile(ServerOf(classKey))) return true;
        return !registry_.Exists(classKey) && base::EqualNoCase(*named, FormatGuid(clsid));
    }
    // A type library version is free when absent or when every path it names is ours.
    bool TypeLibraryIsFree(const std::string& versionKey) const {
        if (!registry_.Exists(versionKey)) return true;
        for (const std::string& system : registry_.SubKeys(versionKey + "\\0"))
            if (!OursByFile(registry_.Get(versionKey + "\\0\\" + system))) return false;
        return true;
    }
    // An interface is free, in every view it is registered in, when absent or registered with a
    // type library version that is free.
    bool InterfaceIsFree(const IID& iid) const {
        const std::string key = InterfaceKey(iid);
        bool free = true;
        ForEachView([&] {
            if (!free || !registry_.Exists(key)) return;
            std::optional<std::string> library = registry_.Get(key + "\\TypeLib");
            std::optional<std::string> version = registry_.Get(key + "\\TypeLib", "Version");
            free = library && version;
            if (!free) return;
            const std::string libraryKey = "TypeLib\\" + *library + "\\" + *version;
            registry_.UseView(0);  // type libraries have one view
            free = TypeLibraryIsFree(libraryKey);
        });
        return free;
    }

    void Register(const ServerRegistration& server, const std::string& libraryPath) {
        const std::string libid = FormatGuid(server.typeLibrary);
        for (const ClassRegistration& c : server.classes) {
            const std::string key = ClassKey(c.clsid);
            if (!ClassIsFree(key)) continue;
            const bool progIdFree = ProgIdIsFree(c.progId, c.clsid);
            registry_.Set(key, "", c.name);
            registry_.Set(key + "\\InprocServer32", "", libraryPath);
            registry_.Set(key + "\\InprocServer32", "ThreadingModel", "Apartment");
            registry_.Set(key + "\\ProgID", "", c.progId);
            registry_.Set(key + "\\TypeLib", "", libid);
            if (!progIdFree) continue;
            registry_.Set(c.progId, "", c.name);
            registry_.Set(std::string(c.progId) + "\\CLSID", "", FormatGuid(c.clsid));
        }
        if (!TypeLibraryIsFree(TypeLibraryKey(server))) return;
        for (const InterfaceRegistration& i : server.interfaces)
            if (!InterfaceIsFree(i.iid)) return;
        registry_.RegisterTypeLibrary(server, libraryPath);
    }

    void Unregister(const ServerRegistration& server, const std::string& libraryPath) {
        for (const ClassRegistration& c : server.classes) {
            const std::string key = ClassKey(c.clsid);
            std::optional<std::string> path = ServerOf(key);
            if (!path || !SamePath(*path, libraryPath)) continue;
            std::optional<std::string> named = registry_.Get(std::string(c.progId) + "\\CLSID");
            if (named && base::EqualNoCase(*named, FormatGuid(c.clsid)))
                registry_.RemoveTree(c.progId);
            registry_.RemoveTree(key);
        }
        const std::string version = TypeLibraryKey(server);
        const std::string pathKey = version + "\\" + registry_.TypeLibraryPathKey();
        std::optional<std::string> path = registry_.Get(pathKey);
        if (!path || !SamePath(*path, libraryPath)) return;
        const std::string libid = FormatGuid(server.typeLibrary);
        for (const InterfaceRegistration& i : server.interfaces) {
            const std::string key = InterfaceKey(i.iid);
            ForEachView([&] {
                std::optional<std::string> library = registry_.Get(key + "\\TypeLib");
                if (library && base::EqualNoCase(*library, libid) &&
                    registry_.Get(key + "\\TypeLib", "Version") == server.typeLibraryVersion)
                    registry_.RemoveTree(key);
            });
        }
        RemoveEmptied(pathKey, version);
    }

  private:
    // Runs `step` in each view interfaces are registered in, and returns to the library's own.
    template <class Step>
    void ForEachView(Step step) const {
        for (int view = 0; view < registry_.InterfaceViews(); ++view) {
            registry_.UseView(view);
            step();
        }
        registry_.UseView(0);
    }

    // Removes this system's path of the type library version, then each key above it up to the
    // library's own that holds nothing more (the other bitness's path keeps the version).
    void RemoveEmptied(const std::string& pathKey, const std::string& version) {
        registry_.RemoveTree(pathKey);
        const std::string locale = version + "\\0";
        if (registry_.SubKeys(locale).empty()) registry_.RemoveTree(locale);
        const std::vector<std::string> left = registry_.SubKeys(version);
        const bool onlyItsOwn = std::all_of(left.begin(), left.end(), [](const std::string& k) {
            return base::EqualNoCase(k, "FLAGS") || base::EqualNoCase(k, "HELPDIR");
        });
        if (!onlyItsOwn) return;
        registry_.RemoveTree(version);
        const std::string library = version.substr(0, version.find_last_of('\\'));
        if (registry_.SubKeys(library).empty()) registry_.RemoveTree(library);
    }

    RegistryEditor& registry_;
};

}  // namespace

void RegisterServerWith(RegistryEditor& registry, const ServerRegistration& server,
                        const std::string& libraryPath) {
    Rules(registry).Register(server, libraryPath);
}

void UnregisterServerWith(RegistryEditor& registry, const ServerRegistration& server,
                          const std::string& libraryPath) {
    Rules(registry).Unregister(server, libraryPath);
}

}  // namespace com
