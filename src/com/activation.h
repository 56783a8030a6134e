// Activation for hosts: ProgID -> CLSID -> library -> DllGetClassObject -> CreateInstance,
// through the registry file (com/registry.h). Loaded libraries stay loaded for the process.
#pragma once

#include <string>
#include <string_view>

#include "com/unknown.h"

namespace com {

using DllGetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, void**);
using DllCanUnloadNowFn = HRESULT (*)();
using DllRegisterServerFn = HRESULT (*)();

// REGDB_E_CLASSNOTREG / CO_E_CLASSSTRING when the ProgID is not registered.
HRESULT CLSIDFromProgID(std::string_view progId, CLSID* clsid);
HRESULT CoGetClassObject(REFCLSID clsid, REFIID iid, void** object);
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, REFIID iid, void** object);

// Creates the class named by a ProgID or a braced CLSID and returns its IDispatch; a fault with
// the failing HRESULT when it cannot.
ComPtr<IDispatch> CreateObject(std::string_view progIdOrClsid);

// Loads a library (once per process) and finds an export in it; a fault when either fails.
void* LoadExport(const std::string& library, const char* name);

}  // namespace com
