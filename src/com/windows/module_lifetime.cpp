#include "com/module_lifetime.h"

#include <windows.h>

namespace com {

void KeepModuleLoaded() noexcept {
    static const bool pinned = [] {
        HMODULE module = nullptr;
        return ::GetModuleHandleExW(
                   GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                   reinterpret_cast<LPCWSTR>(&KeepModuleLoaded), &module) != 0;
    }();
    (void)pinned;
}

}  // namespace com
