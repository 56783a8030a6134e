// The four exports of the in-process server.
#include <dlfcn.h>

#include <filesystem>

#include "com/dispatch.h"
#include "com/object.h"
#include "component/class_factory.h"
#include "component/registration.h"

#define WAGELINK_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::string ThisLibrary() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&component::GetClassObject), &info) && info.dli_fname) {
        std::error_code ec;
        auto path = std::filesystem::canonical(info.dli_fname, ec);
        return ec ? std::string(info.dli_fname) : path.string();
    }
    return "libwagelink.so";
}

}  // namespace

WAGELINK_EXPORT com::HRESULT DllGetClassObject(const com::CLSID& clsid, const com::IID& iid,
                                               void** object) {
    return component::GetClassObject(clsid, iid, object);
}

WAGELINK_EXPORT com::HRESULT DllCanUnloadNow() {
    return com::g_moduleObjects == 0 && component::ServerLocks() == 0 ? com::S_OK : com::S_FALSE;
}

WAGELINK_EXPORT com::HRESULT DllRegisterServer() {
    return com::Guarded([] { component::RegisterServer(ThisLibrary()); });
}

WAGELINK_EXPORT com::HRESULT DllUnregisterServer() {
    return com::Guarded([] { component::UnregisterServer(); });
}
