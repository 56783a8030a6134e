// The DLL's own type library, found through the module that holds this code: the one each
// server DLL embeds and registers.
#include "com/type_info.h"

#include "com/server_registration.h"
#include "com/windows/system.h"

namespace com {

namespace {

// Kept for the life of the process: it is oleaut32's object, not code of this DLL.
ITypeLib* ModuleTypeLibrary() {
    static ITypeLib* const library = [] {
        ITypeLib* loaded = nullptr;
        try {
            const std::wstring path =
                system::Wide(ModulePath(reinterpret_cast<const void*>(&ModuleTypeInfo)));
            if (FAILED(::LoadTypeLibEx(path.c_str(), REGKIND_NONE, &loaded))) loaded = nullptr;
        } catch (...) {
            loaded = nullptr;
        }
        return loaded;
    }();
    return library;
}

}  // namespace

void* ModuleTypeInfo(const IID& iid) {
    ITypeLib* library = ModuleTypeLibrary();
    ITypeInfo* info = nullptr;
    if (!library || FAILED(library->GetTypeInfoOfGuid(system::Guid(iid), &info))) return nullptr;
    return info;
}

}  // namespace com
