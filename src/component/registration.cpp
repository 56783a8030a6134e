#include "component/registration.h"

#include "com/registry.h"
#include "component/identities.h"
#include "platform/login.h"
#include "platform/node_list_object.h"

namespace component {

namespace {

struct ClassEntry {
    const com::CLSID& clsid;
    const char* progId;
    const char* description;
};

struct InterfaceEntry {
    const com::IID& iid;
    const char* name;
};

const ClassEntry kClasses[] = {
    {CLSID_ISalaryItem, kSalaryItemProgId, "ISalaryItem"},
    {CLSID_ISalaryPerson, kSalaryPersonProgId, "ISalaryPerson"},
    {platform::CLSID_Login, platform::kLoginProgId, "Login"},
    {platform::CLSID_XmlDocument, platform::kXmlDocumentProgId, "XmlDocument"},
};

const InterfaceEntry kInterfaces[] = {
    {IID__ISalaryItem, "_ISalaryItem"},
    {IID__ISalaryItemEarlier, "_ISalaryItem"},
    {IID__ISalaryPerson, "_ISalaryPerson"},
};

std::string Key(const char* root, const com::GUID& id) {
    return std::string(root) + "\\" + com::FormatGuid(id);
}

}  // namespace

void RegisterServer(const std::string& libraryPath) {
    com::Registry registry = com::Registry::Open();
    const std::string libid = com::FormatGuid(LIBID_Wagelink);
    for (const ClassEntry& c : kClasses) {
        std::string key = Key("CLSID", c.clsid);
        registry.Set(key, c.description);
        registry.Set(key + "\\InprocServer32", libraryPath);
        registry.Set(key + "\\InprocServer32\\ThreadingModel", "Apartment");
        registry.Set(key + "\\ProgID", c.progId);
        registry.Set(key + "\\TypeLib", libid);
        registry.Set(std::string(c.progId) + "\\CLSID", com::FormatGuid(c.clsid));
    }
    std::string typeLib = "TypeLib\\" + libid + "\\" + kTypeLibraryVersion;
    registry.Set(typeLib, kTypeLibraryName);
    registry.Set(typeLib + "\\0\\linux", libraryPath);
    for (const InterfaceEntry& i : kInterfaces) {
        std::string key = Key("Interface", i.iid);
        registry.Set(key, i.name);
        registry.Set(key + "\\TypeLib", libid);
        registry.Set(key + "\\TypeLib\\Version", kTypeLibraryVersion);
    }
    registry.Save();
}

void UnregisterServer() {
    com::Registry registry = com::Registry::Open();
    for (const ClassEntry& c : kClasses) {
        registry.RemoveTree(Key("CLSID", c.clsid));
        registry.RemoveTree(c.progId);
    }
    registry.RemoveTree(Key("TypeLib", LIBID_Wagelink));
    for (const InterfaceEntry& i : kInterfaces) registry.RemoveTree(Key("Interface", i.iid));
    registry.Save();
}

}  // namespace component
