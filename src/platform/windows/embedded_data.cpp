// On Windows the platform components' data (message catalogs, row mappings) are resources of
// their own DLL, read where the system maps them.
#include "platform/embedded_data.h"

#include <string>

#include "base/fault.h"

// After ours: <windows.h> defines macros that names of ours might meet.
#include <windows.h>

namespace wagelink::embedded {

namespace {

std::string_view Resource(const wchar_t* name) {
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&Resource), &module);
    HRSRC found =
        module ? FindResourceW(module, name, MAKEINTRESOURCEW(10) /* RT_RCDATA */) : nullptr;
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) {
        std::string narrow;
        for (const wchar_t* c = name; *c; ++c) narrow += static_cast<char>(*c);
        base::ThrowFailure("the platform components' data " + narrow + " is not in this library");
    }
    return {static_cast<const char*>(data), SizeofResource(module, found)};
}

}  // namespace

std::string_view messages_zh_CN() {
    return Resource(L"MESSAGES_ZH_CN");
}
std::string_view messages_en_US() {
    return Resource(L"MESSAGES_EN_US");
}
std::string_view SalaryItemXmlRs() {
    return Resource(L"SALARYITEMXMLRS");
}
std::string_view SalaryPersonXmlRs() {
    return Resource(L"SALARYPERSONXMLRS");
}

}  // namespace wagelink::embedded
